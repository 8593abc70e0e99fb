#include "scores/NameEntryText.h"

#include <cctype>

#include "scores/HiScoreFile.h"

namespace kirpo {

namespace {

std::string Appended(const std::string& field, char c) {
  std::string name = NameOfField(field);
  if (name.size() < MaxNameLength) name += c;
  return FieldOfName(name);
}

std::string Deleted(const std::string& field) {
  std::string name = NameOfField(field);
  if (!name.empty()) name.pop_back();
  return FieldOfName(name);
}

}  // namespace

std::string NameOfField(const std::string& field) {
  std::string name;
  for (char c : field)
    if (c != '_') name += c;
  return name;
}

std::string FieldOfName(const std::string& name) {
  return name.size() >= MaxNameLength ? name : name + std::string(MaxNameLength - name.size(), '_');
}

std::string PressScreenKey(const std::string& field, const std::string& caption) {
  if (caption == "<") return Deleted(field);
  if (!caption.empty() && caption[0] == '_') return Appended(field, ' ');
  if (caption.size() != 1) return field;
  return Appended(field, caption[0]);
}

std::string TypeCharacter(const std::string& field, char c) {
  if (c == '_') c = ' ';
  if (c == '<') return Deleted(field);
  const bool accepted = std::isalpha(static_cast<unsigned char>(c)) || c == ' ' || c == '*' || c == ',' ||
                        c == '-' || c == '.' || c == '/' || c == ':';
  if (!accepted) return field;
  return Appended(field, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
}

std::string NameEntryTitle(int32_t rank) {
  if (rank == 0) return "New HiScore !";
  return "Rank " + std::to_string(rank + 1) + " in Top 10 !";
}

int64_t NameEntryBlinkMs(int32_t rank) { return rank == 0 ? 50 : 500; }

}  // namespace kirpo

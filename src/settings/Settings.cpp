#include "settings/Settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/FileUtil.h"

namespace kirpo {

namespace {
constexpr size_t kMaxValue = 9999;
// A few dozen short lines; a file far larger is not the game's and is not read for every key.
constexpr size_t kMaxFileSize = 64 * 1024;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// The line's key is everything before its first "=", compared as a whole and ignoring case, so
// "Level" is never found inside "StartLevel" or "ProceedLevel".
std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool KeyMatches(const std::string& line, const std::string& lower_key) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  return Lower(Trim(line.substr(0, eq))) == lower_key;
}

bool LoadLines(const std::string& path, std::vector<std::string>& lines) {
  std::string text;
  if (!ReadFileText(path, text, kMaxFileSize + 1)) return false;
  if (text.size() > kMaxFileSize) {
    // The defaults stand in for it, and the next write replaces it; the copy keeps what it held.
    // Kept once: every key read before that write finds the same file.
    const std::string bad = path + ".bad";
    std::error_code bad_missing, ec;
    const auto kept = std::filesystem::file_size(bad, bad_missing);
    if (bad_missing || kept != std::filesystem::file_size(path, ec)) CopyFileAtomically(path, bad);
    lines.clear();
    return true;
  }
  // An editor may have saved the file with a UTF-8 byte-order mark (or several, saved over and
  // over); none is part of the first key. Taking only one would let the next write, which drops
  // it, uncover another key that shadows what it wrote.
  while (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  lines = SplitLines(text);
  return true;
}
}  // namespace

const char* BoolToYesNo(bool flag) { return flag ? "Yes" : "No"; }

bool ParseInt(const std::string& text, int& out) {
  if (text.empty() || text.size() > 11) return false;
  size_t i = 0;
  bool neg = false;
  if (text[0] == '-' || text[0] == '+') {
    neg = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    v = v * 10 + (text[i] - '0');
  }
  if (neg) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

std::string Settings::ReadIni(const std::string& key) const {
  if (path_.empty() || !FileExists(path_)) return {};
  std::vector<std::string> lines;
  if (!LoadLines(path_, lines)) return {};
  const std::string lower_key = Lower(key);
  for (const std::string& line : lines) {
    // Blanks around a hand-edited value are not part of it.
    if (KeyMatches(line, lower_key)) return Trim(line.substr(line.find('=') + 1)).substr(0, kMaxValue);
  }
  return {};
}

bool Settings::WriteIni(const std::string& key, const std::string& value) const {
  if (path_.empty()) return false;
  try {
    std::vector<std::string> lines;
    if (FileExists(path_) && !LoadLines(path_, lines)) return false;  // never replace a file we could not read
    const std::string lower_key = Lower(key);
    bool found = false;
    for (std::string& line : lines) {
      if (KeyMatches(line, lower_key)) {
        line = key + "=" + value;
        found = true;
        break;
      }
    }
    if (!found) lines.push_back(key + "=" + value);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFileAtomically(path_, text.data(), text.size());
  } catch (...) {
    return false;
  }
}

std::string Settings::Problem() const {
  std::error_code ec;
  if (path_.empty() || !std::filesystem::is_directory(path_, ec)) return {};
  return path_ + " is a folder, not a file: move or delete that folder so that Kirpo's settings can be saved.";
}

int Settings::ReadInt(const std::string& key, int fallback) const {
  int v = 0;
  return ParseInt(ReadIni(key), v) ? v : fallback;
}

}  // namespace kirpo

#pragma once
#include <string>

namespace kirpo {

// "kirpo.ini": one key=value per line. Every read parses the file, every write rewrites it. A file
// larger than any the game writes is kept as "kirpo.ini.bad" and read as an empty one.
class Settings {
 public:
  explicit Settings(std::string path = {}) : path_(std::move(path)) {}
  void SetPath(const std::string& path) { path_ = path; }
  const std::string& Path() const { return path_; }

  // The value of the first line whose key equals key (ignoring case), or "" when there is none.
  std::string ReadIni(const std::string& key) const;
  // Replaces the key's line or appends one. The file is replaced atomically; a failed write
  // leaves the old file as it was. Returns false on failure (callers may ignore it).
  bool WriteIni(const std::string& key, const std::string& value) const;

  // Why nothing can be kept in the file ("" when it can be written): a folder in its place.
  std::string Problem() const;

  // Integer value, or fallback when the key is missing or not a decimal number.
  int ReadInt(const std::string& key, int fallback) const;

 private:
  std::string path_;
};

const char* BoolToYesNo(bool flag);
// Parses a whole decimal integer (optional sign, no blanks); false otherwise.
bool ParseInt(const std::string& text, int& out);

}  // namespace kirpo

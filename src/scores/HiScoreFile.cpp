#include "scores/HiScoreFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/Consts.h"
#include "common/Errors.h"
#include "platform/FileUtil.h"
#include "settings/Settings.h"

namespace kirpo {

namespace {

// Thirty short lines; anything much larger is not a score file, and is not read whole.
constexpr size_t MaxFileSize = 64 * 1024;
constexpr size_t MaxDatumLength = 40;

// The length of the UTF-8 sequence starting at s[i] when it is valid and printable, else 0.
size_t PrintableSequence(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  if (b >= 0x20 && b < 0x7F) return 1;
  size_t len = 0;
  uint32_t cp = 0;
  if (b >= 0xC2 && b <= 0xDF) len = 2, cp = b & 0x1F;
  else if (b >= 0xE0 && b <= 0xEF) len = 3, cp = b & 0x0F;
  else if (b >= 0xF0 && b <= 0xF4) len = 4, cp = b & 0x07;
  else return 0;
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  const uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < smallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  if (cp >= 0x80 && cp <= 0x9F) return 0;  // C1 controls
  // A byte-order mark starting a name would be taken for the file's own mark on the next read.
  if (cp == 0xFEFF) return 0;
  // Bidirectional controls reorder the rest of the row: the score beside the name moves.
  if (cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069))
    return 0;
  return len;
}

bool ParseScore(const std::string& line, int32_t& score) {
  int v = 0;
  if (!ParseInt(line, v) || v < 0 || v > MaxScore) return false;
  score = v;
  return true;
}

}  // namespace

std::string HiScoreFileName(int32_t difficulty) {
  static const char letters[] = "ehc";
  const char letter = (difficulty >= 0 && difficulty <= 2) ? letters[difficulty] : 'e';
  return std::string("hiscore_") + letter + ".txt";
}

std::string PrintableText(const std::string& text, size_t max_chars) {
  std::string out;
  size_t chars = 0;
  for (size_t i = 0; i < text.size() && chars < max_chars; ++chars) {
    const size_t len = PrintableSequence(text, i);
    if (len == 0) {
      out += '?';
      ++i;
    } else {
      out.append(text, i, len);
      i += len;
    }
  }
  return out;
}

std::string FormatHiScores(const HiScoreList& list) {
  std::string text;
  for (const TPlayer& p : list) text += p.Name + "\r\n" + std::to_string(p.Score) + "\r\n" + p.Datum + "\r\n";
  return text;
}

HiScoreList ParseHiScores(const std::string& bytes) {
  HiScoreList list{};
  std::string text = bytes.substr(0, MaxFileSize);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i < list.size(); ++i) {
    TPlayer& p = list[i];
    if (3 * i >= lines.size()) break;
    p.Name = PrintableText(lines[3 * i], MaxNameLength);
    if (3 * i + 1 >= lines.size() || !ParseScore(lines[3 * i + 1], p.Score)) break;
    if (3 * i + 2 >= lines.size()) break;
    p.Datum = PrintableText(lines[3 * i + 2], MaxDatumLength);
  }
  return list;
}

bool IsSoundHiScoreFile(const std::string& bytes) { return FormatHiScores(ParseHiScores(bytes)) == bytes; }

HiScoreList ReadHiScoreFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!FileExists(path) || !ReadFileBytes(path, bytes, MaxFileSize)) return HiScoreList{};
  return ParseHiScores(std::string(bytes.begin(), bytes.end()));
}

bool WriteHiScoreFile(const std::string& path, const HiScoreList& list, std::string* why) {
  const auto fail = [&](const std::string& text) {
    WriteLog("hiscore: " + text);
    if (why) *why = text;
    return false;
  };
  try {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
      return fail(path + " is a folder, not a file: move or delete that folder so that scores can be saved.");
    if (FileExists(path)) {
      std::vector<uint8_t> bytes;
      const bool read = ReadFileBytes(path, bytes, MaxFileSize + 1);
      if (!read || !IsSoundHiScoreFile(std::string(bytes.begin(), bytes.end()))) {
        // Without the copy the damaged entries would be gone for good; the new one stays in memory.
        if (!CopyFileAtomically(path, path + ".bad"))
          return fail("Cannot keep a copy of the damaged " + path + ": " + std::strerror(errno) + ".");
      }
    }
    const std::string text = FormatHiScores(list);
    if (!WriteFileAtomically(path, text.data(), text.size())) return fail(DescribeWriteError(path, errno));
    return true;
  } catch (const std::exception& e) {
    return fail("Cannot write " + path + ": " + e.what());
  }
}

}  // namespace kirpo

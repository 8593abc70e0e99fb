#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace kirpo {

// One entry of a high-score table.
struct TPlayer {
  std::string Name;  // at most MaxNameLength characters; may be empty
  int32_t Score = 0;
  std::string Datum;  // when it was entered, as text; stored, never shown
};

constexpr int HiScoreRows = 10;
constexpr size_t MaxNameLength = 12;
using HiScoreList = std::array<TPlayer, HiScoreRows>;  // best first

// "hiscore_e.txt", "hiscore_h.txt", "hiscore_c.txt" for Easy, Hard, Crazy.
std::string HiScoreFileName(int32_t difficulty);

// Thirty lines ended by CR LF: name, score and date of each entry, best first.
std::string FormatHiScores(const HiScoreList& list);
// Reads entries until the first missing line or score that is not a number; what was read
// before stays. Names are cut to MaxNameLength characters, and bytes that are not printable
// UTF-8 become "?", so whatever the file holds can be drawn.
HiScoreList ParseHiScores(const std::string& bytes);
// The file as the game writes it: reading and writing it again would change nothing.
bool IsSoundHiScoreFile(const std::string& bytes);

// A missing or unreadable file reads as an empty table.
HiScoreList ReadHiScoreFile(const std::string& path);
// Replaces the file crash-safely. A damaged file is copied to path + ".bad" first, so that a bad
// line never silently destroys the entries after it. False when nothing was written: the old
// file is then left as it was, and why (when given) says what is wrong and what to do.
bool WriteHiScoreFile(const std::string& path, const HiScoreList& list, std::string* why = nullptr);

// The text with control bytes and invalid UTF-8 replaced by "?", cut to max_chars characters.
std::string PrintableText(const std::string& text, size_t max_chars);

}  // namespace kirpo

// hiscore_*.txt: read whatever the file holds, then write the table back as the game does after a
// name entry. What is read must be drawable, and what is written must read back unchanged.
#include "fuzz/FuzzSupport.h"
#include "scores/HiScoreFile.h"

using namespace kirpo;

namespace {

size_t Utf8Chars(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = fuzz::MakeFolder("hiscore");
  const std::string path = dir + "hiscore_h.txt";
  fuzz::WriteWhole(path, data, size);
  HiScoreList list = ReadHiScoreFile(path);
  for (const TPlayer& p : list) {
    if (Utf8Chars(p.Name) > MaxNameLength || p.Score < 0) __builtin_trap();
    for (unsigned char c : p.Name)
      if (c < 0x20 || c == 0x7F) __builtin_trap();  // a name must be drawable
  }
  list[HiScoreRows - 1] = TPlayer{"FUZZ", 1, "today"};
  if (!WriteHiScoreFile(path, list)) __builtin_trap();
  const HiScoreList again = ReadHiScoreFile(path);
  for (size_t i = 0; i < list.size(); ++i)
    if (again[i].Name != list[i].Name || again[i].Score != list[i].Score || again[i].Datum != list[i].Datum)
      __builtin_trap();
  return 0;
}

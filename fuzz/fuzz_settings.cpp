// kirpo.ini: every read and write the game makes, on whatever the file holds.
#include "fuzz/FuzzSupport.h"
#include "settings/Settings.h"

using namespace kirpo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = fuzz::MakeFolder("settings");
  const std::string path = dir + "kirpo.ini";
  fuzz::WriteWhole(path, data, size);
  Settings ini(path);
  for (const char* key : {"Difficulty", "ProceedLevel", "ShowNavButtons", "Level", "StartLevel", "Runner", "Score"})
    (void)ini.ReadInt(key, -1);
  ini.WriteIni("Level", "0");
  ini.WriteIni("Score", "-12345");
  if (ini.ReadIni("Score") != "-12345") __builtin_trap();  // a write must read back
  return 0;
}

// The data package: a ZIP from memory unpacked into a fresh data folder, or refused with exit
// code 2. Nothing may land outside the data folder.
#include <filesystem>

#include "common/Errors.h"
#include "fuzz/FuzzSupport.h"
#include "shell/Install.h"

using namespace kirpo;
namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string root = fuzz::MakeFolder("package");
  const std::string exe_dir = root + "bin/", data_dir = root + "data/KIRPO/";
  fs::remove_all(root + "data");
  fs::create_directories(exe_dir);
  fs::create_directories(data_dir);
  fuzz::WriteWhole(exe_dir + PackageName, data, size);
  try {
    CheckInstallation(exe_dir, data_dir);
  } catch (const FatalErrorException& e) {
    if (e.Code() != 2) __builtin_trap();
  }
  // Only the package and the data folder may exist below the root.
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string p = e.path().string();
    if (p != root + "bin" && p != exe_dir + PackageName && p != root + "data" && p.rfind(data_dir, 0) != 0 &&
        p + "/" != data_dir)
      __builtin_trap();
  }
  return 0;
}

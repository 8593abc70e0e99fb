#pragma once
// Shared by the loader harnesses: each input is written as the real file into a folder in memory
// (/dev/shm when there is one) and read by the game's own loader.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Bitmap.h"

namespace kirpo::fuzz {

// A fresh folder for this process, with a trailing slash.
inline std::string MakeFolder(const char* what) {
  const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
  std::string templ = std::string(base) + "/kirpo-fuzz-" + what + "-XXXXXX";
  if (!::mkdtemp(templ.data())) std::abort();
  return templ + "/";
}

inline void WriteWhole(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

// Small figure pictures n in the folder: enough for the loaders to place and measure figures.
inline void WriteFigures(const std::string& dir, std::initializer_list<int> numbers) {
  for (int n : numbers) {
    Bitmap b(52 + n % 3 * 52, 52, 0xFF00FF00u + static_cast<uint32_t>(n));
    b.SetPixel(0, 0, 0xFFFF00FFu);
    if (!b.SavePng(dir + "Neu" + std::to_string(n) + ".png")) std::abort();
  }
}

}  // namespace kirpo::fuzz

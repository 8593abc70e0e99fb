#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kirpo {

bool FileExists(const std::string& path);
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t max_bytes = SIZE_MAX);
bool ReadFileText(const std::string& path, std::string& out);
// Splits on CR LF, LF or CR; a final line break does not add an empty last line.
std::vector<std::string> SplitLines(const std::string& text);
// Writes to a temporary file in the same folder, flushes it to disk and renames it over the
// target, so a crash or a full disk never leaves a half-written file behind.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
bool MakeDirs(const std::string& path);

}  // namespace kirpo

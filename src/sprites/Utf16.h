#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kirpo {

// The image store keeps its names as UTF-16; everything else in the game is UTF-8.
std::u16string Utf8ToUtf16(const std::string& s);
std::string Utf16ToUtf8(const std::u16string& s);
// Decodes UTF-16 code units from bytes (little- or big-endian); an odd last byte is dropped.
std::u16string Utf16FromBytes(const uint8_t* data, size_t size, bool big_endian);

}  // namespace kirpo

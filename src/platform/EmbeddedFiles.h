#pragma once
#include <cstddef>

namespace kirpo {

struct EmbeddedFile {
  const char* name;
  const unsigned char* data;
  size_t size;
};

// Files compiled into the executable (form pictures, the text face), by file name.
const EmbeddedFile* FindEmbeddedFile(const char* name);

}  // namespace kirpo

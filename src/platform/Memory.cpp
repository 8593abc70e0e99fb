#include "platform/Memory.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kirpo {

void TuneAllocator() {
#if defined(__GLIBC__)
  // A fixed threshold: glibc would otherwise raise it to the size of the largest block freed (a
  // whole decoded backdrop), and from then on every picture would stay in the heap after its end.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024);
  mallopt(M_ARENA_MAX, 2);
#endif
}

void ReturnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace kirpo

#pragma once

namespace kirpo {

// Sets how the C library hands out memory for this process: blocks of 128 KiB and more (pictures,
// textures) come from the system and go straight back to it when freed, and the few threads
// besides the main one share one pool instead of growing one each. Called once, first thing.
void TuneAllocator();

// Gives the memory freed since the last call back to the system (what the allocator kept in its
// free lists); called after the large once-only work: the start-up and each level's build.
void ReturnFreedMemory();

}  // namespace kirpo

#include "util/MemoryTuning.h"

#include <malloc.h>

namespace {

// Blocks below this size come from the heap and are reused after being freed;
// a 12-megapixel picture is 36 MB, a 50-megapixel one 150 MB.
constexpr int kLargestReusedBlock = 256 * 1024 * 1024;
// Free memory at the top of the heap is kept up to this much.
constexpr int kKeptFreeMemory = 512 * 1024 * 1024;
// The kept memory belongs to the arena that freed it. With an arena per
// thread, every worker of the command line would keep room for its own
// largest pictures that no other worker can use; one arena lets each reuse
// what the others freed.
constexpr int kArenas = 1;

}  // namespace

void KeepFreedMemoryForPictures() {
    mallopt(M_MMAP_THRESHOLD, kLargestReusedBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
    mallopt(M_ARENA_MAX, kArenas);
}

#include "util/MemoryTuning.h"

#include <malloc.h>

namespace {

// Blocks below this size come from the heap and are reused after being freed;
// a 12-megapixel picture is 36 MB, a 50-megapixel one 150 MB.
constexpr int kLargestReusedBlock = 256 * 1024 * 1024;
// Free memory at the top of the heap is kept up to this much.
constexpr int kKeptFreeMemory = 512 * 1024 * 1024;

}  // namespace

void KeepFreedMemoryForPictures() {
    mallopt(M_MMAP_THRESHOLD, kLargestReusedBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

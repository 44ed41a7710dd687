// The allocator settings every benchmark process runs with (scripts/bench sets the same
// values for the Python process through MALLOC_MMAP_THRESHOLD_ and MALLOC_TRIM_THRESHOLD_).
// glibc otherwise moves its mmap threshold as blocks are freed, so whether a result of a
// few hundred KB is fresh mapped memory (a page fault per page on every call) or reused
// heap depends on the allocation history, not on the code timed.
#pragma once

#include <malloc.h>

namespace bench {

constexpr int mmap_threshold = 16 << 20;   // every result of the corpora comes from the heap
constexpr int trim_threshold = 256 << 20;  // and freed memory is kept for the next call

inline void fix_allocator() {
    mallopt(M_MMAP_THRESHOLD, mmap_threshold);
    mallopt(M_TRIM_THRESHOLD, trim_threshold);
}

}  // namespace bench

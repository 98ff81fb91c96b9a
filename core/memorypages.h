#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korvanta {

// Fresh memory costs a page fault for every 4 kB page first written. Large blocks written from
// start to end (the records of a large file, its bytes) are made ready ahead in steps of this
// size instead, one system call each. (Large pages would save more, but where memory is lent
// lazily, as in virtual machines, their first use can take many times as long.)
inline constexpr size_t ReadyAheadBytes = size_t(4) << 20;

// Makes the pages of [from, to), at most `most` bytes of them, ready for writing where the
// system can; returns the end of what is ready, or `to` when nothing can be done (an older
// system: the pages then fault in one by one as before).
inline char* makePagesReady(
    [[maybe_unused]] char* from, char* to, [[maybe_unused]] size_t most = ReadyAheadBytes)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr uintptr_t Page = 4096;
    const uintptr_t begin = uintptr_t(from) & ~(Page - 1);
    const uintptr_t end = std::min(uintptr_t(to), begin + most) & ~(Page - 1);
    if (end <= begin)
        return to;
    if (madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE) != 0)
        return to;
    return reinterpret_cast<char*>(end);
#else
    return to;
#endif
}

} // namespace korvanta

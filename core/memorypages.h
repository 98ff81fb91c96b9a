#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__unix__)
#include <unistd.h>
#endif

namespace korvanta {

// Fresh memory costs a page fault for every page first written. Large blocks written from
// start to end (the records of a large file, its bytes) are made ready ahead in steps of this
// size instead, one system call each. (Large pages would save more, but where memory is lent
// lazily, as in virtual machines, their first use can take many times as long.)
inline constexpr size_t ReadyAheadBytes = size_t(4) << 20;

// The size of a memory page of this system (4 KiB on most, 16 or 64 KiB on some ARM and POWER
// systems).
inline size_t memoryPageBytes()
{
#if defined(__unix__)
    static const size_t bytes = [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        return page > 0 ? size_t(page) : size_t(4096);
    }();
    return bytes;
#else
    return 4096;
#endif
}

// The whole pages of `page` bytes to make ready for [from, to): from the start of the page
// `from` lies in, up to the last page boundary within `most` bytes of it and not past `to`.
// Nothing (end <= begin) when no whole page fits.
struct PageSpan
{
    uintptr_t begin = 0;
    uintptr_t end = 0;
};
inline PageSpan readyPageSpan(uintptr_t from, uintptr_t to, size_t most, uintptr_t page)
{
    const uintptr_t begin = from & ~(page - 1);
    return { begin, std::min(to, begin + most) & ~(page - 1) };
}

// Makes the pages of [from, to), at most `most` bytes of them, ready for writing where the
// system can; returns the end of what is ready, or `to` when nothing can be done (an older
// system: the pages then fault in one by one as before).
inline char* makePagesReady(
    [[maybe_unused]] char* from, char* to, [[maybe_unused]] size_t most = ReadyAheadBytes)
{
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const PageSpan span = readyPageSpan(uintptr_t(from), uintptr_t(to), most, memoryPageBytes());
    if (span.end <= span.begin)
        return to;
    if (madvise(reinterpret_cast<void*>(span.begin), span.end - span.begin, MADV_POPULATE_WRITE)
        != 0)
        return to;
    return reinterpret_cast<char*>(span.end);
#else
    return to;
#endif
}

} // namespace korvanta

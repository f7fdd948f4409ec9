#include "LargeBuffer.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

void AdviseLarge(const void* data, size_t bytes) {
    constexpr size_t kHugePage = size_t{2} << 20;
    if (bytes < kHugePage)
        return;
    // Only whole pages inside the buffer are advised.
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t from = (begin + page - 1) / page * page;
    const uintptr_t to = (begin + bytes) / page * page;
    if (to <= from)
        return;
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    // One call maps the pages that would otherwise fault in one by one.
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#endif
}

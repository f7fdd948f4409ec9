#include "LargeBuffer.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

void ReserveLarge(std::string& text, size_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    text.reserve(size);
    if (text.capacity() < kHugePage)
        return;
    // Only whole pages inside the buffer are advised; the advice is a hint and may be refused.
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<uintptr_t>(text.data());
    const uintptr_t from = (begin + page - 1) / page * page;
    const uintptr_t to = (begin + text.capacity()) / page * page;
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

#include "MappedFile.h"

#include <sys/mman.h>

MappedFile MapFile(int fd, size_t size) {
    if (size == 0)
        return {};
    void* const data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data == MAP_FAILED)
        return {};
    std::shared_ptr<const void> owner(
        data, [size](const void* p) { ::munmap(const_cast<void*>(p), size); });
    return {{static_cast<const char*>(data), size}, std::move(owner)};
}

#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// A regular file's bytes mapped read-only, its pages brought in at once: a large mail is read
// from the page cache without a copy. The mapping lives as long as owner.
struct MappedFile {
    std::string_view bytes;
    std::shared_ptr<const void> owner;
};

// Maps size bytes of the open file fd; an empty owner when the file cannot be mapped.
MappedFile MapFile(int fd, size_t size);

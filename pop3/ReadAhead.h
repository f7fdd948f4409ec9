#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

// Bytes received ahead of the reads that ask for them. The client reads answers a kilobyte at
// a time; one system call (or one TLS record) now serves dozens of those reads.
class ReadAhead {
public:
    static constexpr size_t kBlock = 64 * 1024;

    size_t size() const { return end_ - begin_; }
    bool empty() const { return begin_ == end_; }
    void clear() { begin_ = end_ = 0; }

    // Where the next receive goes, kBlock bytes; only while empty.
    char* Room() {
        if (!buffer_)
            buffer_ = std::make_unique<char[]>(kBlock);
        clear();
        return buffer_.get();
    }
    void Filled(size_t count) { end_ = std::min(count, kBlock); }

    // Moves up to count bytes out; the number moved.
    size_t Take(void* out, size_t count) {
        const size_t n = std::min(count, size());
        std::memcpy(out, buffer_.get() + begin_, n);
        begin_ += n;
        return n;
    }

private:
    std::unique_ptr<char[]> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
};

#include "RetrievalFile.h"

#include <cerrno>
#include <system_error>

#include <unistd.h>

#include "LargeBuffer.h"
#include "MbxMIME.h"

namespace {

constexpr size_t kBlock = 64 * 1024;

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

RetrievalFile::RetrievalFile() : file_(MakeTempFileName()) {
    buffer_.reserve(kBlock);
}

void RetrievalFile::flush() {
    std::string_view rest = buffer_;
    while (!rest.empty()) {
        const ssize_t n = ::write(file_->fd(), rest.data(), rest.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("cannot write the temporary file");
        }
        rest.remove_prefix(static_cast<size_t>(n));
    }
    buffer_.clear();
}

void RetrievalFile::Append(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBlock)
        flush();
    buffer_.append(bytes);
    size_ += bytes.size();
}

MailLines RetrievalFile::Lines() {
    flush();
    std::string text;
    // Room for a last CR LF, so that the lines are indexed without another copy.
    ReserveLarge(text, size_ + 2);
    text.resize(size_);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::pread(file_->fd(), text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO; // the file is shorter than what was written
        if (n <= 0)
            Fail("cannot read the temporary file");
        done += static_cast<size_t>(n);
    }
    return MailLines(std::move(text));
}

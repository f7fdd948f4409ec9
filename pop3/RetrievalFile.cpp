#include "RetrievalFile.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <unistd.h>

#include "MbxMIME.h"

namespace {

constexpr size_t kBlock = 64 * 1024;

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Where a block of text can be cut so that both sides split into lines as the whole would:
// after its last LF, or after a lone CR whose successor is already known. 0 when nowhere.
size_t SafeCut(std::string_view text) {
    const size_t lf = text.rfind('\n');
    if (lf != std::string_view::npos)
        return lf + 1;
    const size_t cr = text.size() >= 2 ? text.rfind('\r', text.size() - 2) : std::string_view::npos;
    return cr == std::string_view::npos ? 0 : cr + 1;
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
    lineFeeds_ += static_cast<uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

std::vector<std::string> RetrievalFile::LinesAfterFirst() {
    flush();
    if (::lseek(file_->fd(), 0, SEEK_SET) < 0)
        Fail("cannot read the temporary file");
    std::vector<std::string> lines;
    lines.reserve(lineFeeds_ + 1);
    bool first = true;
    auto take = [&](std::string_view text) {
        auto part = SplitLines(text);
        auto from = part.begin();
        if (first && from != part.end()) {
            ++from;
            first = false;
        }
        lines.insert(lines.end(), std::make_move_iterator(from),
                     std::make_move_iterator(part.end()));
    };
    std::string pending;
    char block[kBlock];
    for (;;) {
        const ssize_t n = ::read(file_->fd(), block, sizeof block);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("cannot read the temporary file");
        }
        if (n == 0)
            break;
        pending.append(block, static_cast<size_t>(n));
        const size_t cut = SafeCut(pending);
        if (cut > 0) {
            take(std::string_view(pending).substr(0, cut));
            pending.erase(0, cut);
        }
    }
    take(pending);
    return lines;
}

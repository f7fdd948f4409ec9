#include "MailLines.h"

#include <algorithm>
#include <cstring>

#include "LargeBuffer.h"
#include "MbxMIME.h"

namespace {

// The line starts of a text whose line ends are all CR LF, each line ended; false, and starts
// left unfinished, as soon as a lone CR or LF shows that the text is not so.
bool IndexCrLfText(std::string_view text, std::vector<size_t>& starts) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // A lone CR is found by counting: every CR must be the first half of a CR LF.
    size_t returns = 0;
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', end - p))); ++p)
        ++returns;
    ReserveLarge(starts, returns + 2);
    starts.push_back(0);
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));
         ++p) {
        if (p == begin || p[-1] != '\r')
            return false;
        starts.push_back(static_cast<size_t>(p + 1 - begin));
    }
    return returns == starts.size() - 1;
}

// The text written anew with each line ended by CR LF, split as SplitLines does; starts gets
// where each line starts.
std::string Normalized(std::string_view in, std::vector<size_t>& starts) {
    std::string out;
    // Each line end grows by at most one byte.
    ReserveLarge(out, in.size() + 2 +
                          static_cast<size_t>(std::count(in.begin(), in.end(), '\n') +
                                              std::count(in.begin(), in.end(), '\r')));
    starts.assign(1, 0);
    size_t i = 0;
    while (i < in.size()) {
        size_t e = in.find_first_of("\r\n", i);
        if (e == std::string_view::npos)
            e = in.size();
        out.append(in, i, e - i);
        out += "\r\n";
        starts.push_back(out.size());
        if (e + 1 < in.size() && in[e] == '\r' && in[e + 1] == '\n')
            ++e;
        i = e + 1;
    }
    return out;
}

} // namespace

LineRange LineRange::subspan(size_t from, size_t count) const {
    from = std::min(from, count_);
    return {text_, starts_ + from, std::min(count, count_ - from)};
}

std::string_view LineRange::Text() const {
    if (count_ == 0)
        return {};
    return {text_ + starts_[0], starts_[count_] - starts_[0]};
}

MailLines::MailLines(std::string text) : text_(std::move(text)) {
    if (text_.empty())
        return;
    const char last = text_.back();
    if (last != '\n' && last != '\r')
        text_ += "\r\n";
    if (IndexCrLfText(text_, starts_))
        return;

    text_ = Normalized(text_, starts_);
}

MailLines::MailLines(const std::vector<std::string>& lines) : MailLines(JoinLines(lines)) {}

MailLines::MailLines(std::string_view bytes, std::shared_ptr<const void> owner) {
    if (owner && !bytes.empty() && bytes.back() == '\n' && IndexCrLfText(bytes, starts_)) {
        mapped_ = bytes;
        owner_ = std::move(owner);
        return;
    }
    text_ = Normalized(bytes, starts_);
}

std::vector<std::string> MailLines::ToVector() const {
    std::vector<std::string> lines;
    lines.reserve(size());
    for (const std::string_view line : Lines())
        lines.emplace_back(line);
    return lines;
}

void MailLines::KeepLines(size_t from, size_t count, size_t (*dropFront)(std::string_view)) {
    from = std::min(from, size());
    count = std::min(count, size() - from);
    if (count == 0) {
        clear();
        return;
    }
    if (owner_) {
        // Bytes seen in place are not written to: they become a text of their own first.
        text_.assign(mapped_);
        mapped_ = {};
        owner_.reset();
    }
    // Lines only move towards the front, so each is read before anything is written over it.
    char* const text = text_.data();
    size_t out = 0;
    size_t start = starts_[from];
    for (size_t k = 0; k < count; ++k) {
        const size_t next = starts_[from + k + 1];
        const size_t drop =
            dropFront ? std::min(dropFront({text + start, next - start - 2}), next - start - 2) : 0;
        const size_t length = next - start - drop;
        if (out != start + drop)
            std::memmove(text + out, text + start + drop, length);
        starts_[k] = out;
        out += length;
        start = next;
    }
    starts_[count] = out;
    starts_.resize(count + 1);
    text_.resize(out);
}

void MailLines::clear() {
    mapped_ = {};
    owner_.reset();
    std::string().swap(text_);
    std::vector<size_t>().swap(starts_);
}

#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A run of consecutive lines of a MailLines, seen in place: nothing is copied.
class LineRange {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        iterator() = default;
        iterator(const char* text, const size_t* start) : text_(text), start_(start) {}
        std::string_view operator*() const {
            return {text_ + start_[0], start_[1] - start_[0] - 2};
        }
        iterator& operator++() {
            ++start_;
            return *this;
        }
        iterator operator++(int) {
            iterator old = *this;
            ++start_;
            return old;
        }
        bool operator==(const iterator& other) const { return start_ == other.start_; }

    private:
        const char* text_ = nullptr;
        const size_t* start_ = nullptr;
    };

    LineRange() = default;
    LineRange(const char* text, const size_t* starts, size_t count)
        : text_(text), starts_(starts), count_(count) {}

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view operator[](size_t i) const { return *iterator(text_, starts_ + i); }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[count_ - 1]; }
    iterator begin() const { return {text_, starts_}; }
    iterator end() const { return {text_, starts_ + count_}; }

    // The lines [from, from + count), cut to the lines there are.
    LineRange subspan(size_t from, size_t count = std::string::npos) const;
    // The lines as one text, each followed by CR LF.
    std::string_view Text() const;

private:
    const char* text_ = nullptr;
    const size_t* starts_ = nullptr;
    size_t count_ = 0;
};

// The lines of a mail in one buffer: its bytes with every line followed by CR LF, and where each
// line starts. A large mail is never held as a string per line, and any run of its lines is one
// text in place.
class MailLines {
public:
    MailLines() = default;
    // Splits as SplitLines does: a line ends at CR LF, a lone CR or a lone LF; a NUL is an
    // ordinary byte. A text whose line ends are all CR LF is kept as it is, without a copy
    // (but for a last CR LF added when missing).
    explicit MailLines(std::string text);
    // Lines that hold a line break become several.
    explicit MailLines(const std::vector<std::string>& lines);
    // Bytes kept alive by owner (a mapped file), seen in place when their line ends are all
    // CR LF and the last line is ended; otherwise (or without an owner) copied and split as
    // above.
    MailLines(std::string_view bytes, std::shared_ptr<const void> owner);

    size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t i) const { return Lines()[i]; }
    LineRange Lines() const { return {Text().data(), starts_.data(), size()}; }
    operator LineRange() const { return Lines(); }
    // Every line followed by CR LF.
    std::string_view Text() const { return owner_ ? mapped_ : std::string_view(text_); }
    std::vector<std::string> ToVector() const;

    // Keeps only the lines [from, from + count), each without as many leading bytes as
    // dropFront says (at most the whole line). The buffer is compacted in place.
    void KeepLines(size_t from, size_t count, size_t (*dropFront)(std::string_view) = nullptr);
    // Empties the lines and frees the buffer.
    void clear();

    friend bool operator==(const MailLines& a, const MailLines& b) { return a.Text() == b.Text(); }

private:
    std::string text_;
    // Bytes held elsewhere, while owner_ is set.
    std::string_view mapped_;
    std::shared_ptr<const void> owner_;
    // size() + 1 entries, the last being text_.size(); empty when there are no lines.
    std::vector<size_t> starts_;
};

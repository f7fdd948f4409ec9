#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MailLines.h"
#include "TempFile.h"

// The temporary file of one retrieval: owner-only, filled chunk by chunk through a small write
// buffer, read back whole, and deleted when the object goes (or earlier by Delete).
// The message is never held whole in memory while it arrives.
class RetrievalFile {
public:
    // Throws std::system_error when the file cannot be created.
    RetrievalFile();

    // Throws std::system_error when the file cannot be written.
    void Append(std::string_view bytes);
    uint64_t Size() const { return size_; }

    // The whole file as lines, in one buffer (see MailLines).
    MailLines Lines();

    void Delete() { file_.reset(); }

private:
    void flush();

    std::optional<TempFile> file_;
    std::string buffer_;
    uint64_t size_ = 0;
};

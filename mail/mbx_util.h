#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

// Raised by the stream operations a decoding stream does not offer.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write-only stream that decodes base64 text into Target. CR and LF are skipped, every
// other byte takes a place in a group of four; a group left incomplete at the end of a write
// is completed by the next write. Pending characters are dropped when the stream dies.
class TBase64DecodingStream {
public:
    explicit TBase64DecodingStream(std::string& Target) : target_(Target) {}

    // Returns the number of bytes this call appended to Target.
    size_t Write(std::string_view text);
    // Both throw EStreamError("Invalid stream operation").
    size_t Read(char* buffer, size_t count);
    int64_t Seek(int64_t offset, int origin);

private:
    std::string& target_;
    unsigned char pending_[4] = {};
    int pendingCount_ = 0;
};

// Quoted-printable decoding; in HeaderMode "_" stands for a blank (encoded header words). "="
// followed by CR or LF, or by blanks up to the line end, is a soft line break.
std::string QPDecode(std::string_view Text, bool HeaderMode);

// The content type registered for the extension of FileName in /etc/mime.types (read once);
// "application/octet-stream" when none is registered.
std::string ContentTypeOfFile(const std::string& FileName);

// Extension (lower case, without the dot) to content type, from a mime.types table; the first
// type listed for an extension wins.
std::unordered_map<std::string, std::string> ReadMimeTypes(std::istream& table);

#include "KeptCopies.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <openssl/evp.h>
#include <unistd.h>

#include "AtomicFile.h"

namespace fs = std::filesystem;

namespace {

// "20261209T030722.123Z-0001-" then 8 hex digits of the content's SHA-256 and ".eml".
constexpr size_t kTimeLength = 20;
constexpr size_t kNameLength = kTimeLength + 1 + 4 + 1 + 8 + 4;
// The header of a copy is read at most this far for the listing.
constexpr size_t kMaxListedHeader = 256 * 1024;

std::string ShortHash(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw std::system_error(EIO, std::generic_category(), "cannot hash a copy");
    char hex[9];
    std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x", digest[0], digest[1], digest[2], digest[3]);
    return hex;
}

std::string TimeText(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms % 1000));
    return text;
}

bool Digits(std::string_view text, size_t from, size_t count, int& value) {
    const char* begin = text.data() + from;
    const auto [end, error] = std::from_chars(begin, begin + count, value);
    return error == std::errc{} && end == begin + count && value >= 0;
}

bool IsHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// The header of a copy: its bytes up to and with the first empty line, at most
// kMaxListedHeader of them, so that a copy without line breaks costs no more than that.
std::string HeaderOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::system_error(errno, std::generic_category(), "cannot read " + file.string());
    std::string header;
    size_t lineStart = 0;
    char chunk[4096];
    while (header.size() < kMaxListedHeader) {
        in.read(chunk, static_cast<std::streamsize>(
                           std::min(sizeof chunk, kMaxListedHeader - header.size())));
        if (in.bad())
            throw std::system_error(errno, std::generic_category(), "cannot read " + file.string());
        const auto got = static_cast<size_t>(in.gcount());
        header.append(chunk, got);
        for (size_t end; (end = header.find('\n', lineStart)) != std::string::npos;
             lineStart = end + 1) {
            const size_t length = end - lineStart;
            if (length == 0 || (length == 1 && header[lineStart] == '\r')) {
                header.resize(end + 1);
                return header;
            }
        }
        if (got == 0)
            break;
    }
    return header;
}

} // namespace

int64_t KeptCopyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t KeptCopyTime(std::string_view name) {
    if (name.size() != kNameLength || name.substr(8, 1) != "T" || name.substr(15, 1) != "." ||
        name.substr(19, 2) != "Z-" || name[25] != '-' || !name.ends_with(".eml") ||
        !IsHex(name.substr(26, 8)))
        return -1;
    int year, month, day, hour, minute, second, ms, number;
    if (!Digits(name, 0, 4, year) || !Digits(name, 4, 2, month) || !Digits(name, 6, 2, day) ||
        !Digits(name, 9, 2, hour) || !Digits(name, 11, 2, minute) || !Digits(name, 13, 2, second) ||
        !Digits(name, 16, 3, ms) || !Digits(name, 21, 4, number))
        return -1;
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    const std::time_t seconds = timegm(&utc);
    // A name whose date does not exist ("20260231") was not written here.
    std::tm back{};
    if (seconds < 0 || !gmtime_r(&seconds, &back) || back.tm_mday != day ||
        back.tm_mon != month - 1)
        return -1;
    return int64_t{seconds} * 1000 + ms;
}

std::string TKeptCopies::Keep(std::string_view mail, int64_t deletedAt) {
    MakeOwnerOnlyFolder(folder_);
    const std::string stem = folder_ + "/" + TimeText(deletedAt) + "-";
    const std::string hash = ShortHash(mail);
    // Another session may have kept a copy in the same millisecond: the next number then.
    for (; next_ <= 9999; ++next_) {
        char number[8];
        std::snprintf(number, sizeof number, "%04u", next_);
        const std::string path = stem + number + "-" + hash + ".eml";
        if (WriteFileAtomically(path, mail, TExistingFile::Keep)) {
            ++next_;
            return path;
        }
    }
    throw std::system_error(EEXIST, std::generic_category(), "cannot name a copy in " + folder_);
}

std::vector<TKeptCopy> TKeptCopies::List() const {
    std::vector<TKeptCopy> copies;
    std::error_code error;
    const fs::path folder(folder_);
    if (!fs::exists(folder, error) && !error)
        return copies;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const int64_t when = KeptCopyTime(entry.path().filename().string());
        if (when < 0 || !entry.is_regular_file())
            continue;
        copies.push_back({entry.path().string(), when, folder.filename().string(),
                          entry.file_size(), HeaderOf(entry.path())});
    }
    std::sort(copies.begin(), copies.end(),
              [](const TKeptCopy& a, const TKeptCopy& b) { return a.File < b.File; });
    return copies;
}

size_t TKeptCopies::RemoveOlderThan(int days, int64_t now) const {
    const int64_t limit = now - int64_t{days} * 24 * 60 * 60 * 1000;
    size_t removed = 0;
    std::error_code error;
    if (!fs::exists(folder_, error) && !error)
        return 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const int64_t when = KeptCopyTime(entry.path().filename().string());
        if (when < 0 || when >= limit || !entry.is_regular_file())
            continue;
        if (::unlink(entry.path().c_str()) < 0)
            throw std::system_error(errno, std::generic_category(),
                                    "cannot remove " + entry.path().string());
        ++removed;
    }
    return removed;
}

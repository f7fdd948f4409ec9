#pragma once

// The folder of copies of deleted mail: one file per mail, byte for byte as the server sent
// it, named "<UTC deletion time>-<number>-<hash>.eml" so that names sort by deletion time.
// All the listing of copies needs comes from the file itself: the time from its name, the
// header and size from its content, the account from the folder's name. No index to go stale.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Copies are kept this many days by default, and mails above this size get none.
inline constexpr int kKeptCopyDays = 30;
inline constexpr uint64_t kMaxKeptCopySize = 25 * 1024 * 1024;

// One copy as the listing of deleted mails shows it.
struct TKeptCopy {
    std::string File;      // the full path
    int64_t DeletedAt = 0; // milliseconds since 1970, UTC
    std::string Account;   // the folder's name
    uint64_t Size = 0;     // bytes of the mail
    std::string Header;    // the header lines and the empty line, as the server sent them
};

class TKeptCopies {
public:
    explicit TKeptCopies(std::string folder) : folder_(std::move(folder)) {}
    const std::string& Folder() const { return folder_; }

    // Writes mail as a new copy deleted at deletedAt (milliseconds since 1970), atomically and
    // owner-only, the folder made owner-only where missing; the copy's path. Throws
    // std::system_error naming the folder or the file and the system's reason; nothing of the
    // copy is left then.
    std::string Keep(std::string_view mail, int64_t deletedAt);
    // The copies this program wrote, oldest first; none when the folder is missing. Throws
    // std::system_error when the folder or a copy cannot be read.
    std::vector<TKeptCopy> List() const;
    // Removes the copies deleted more than days days before now (milliseconds since 1970);
    // the number removed. Other files in the folder are left alone.
    size_t RemoveOlderThan(int days, int64_t now) const;

private:
    std::string folder_;
    unsigned next_ = 1; // number in the next name; one session's copies sort in their order
};

// Now, in milliseconds since 1970, as copies are timed.
int64_t KeptCopyNow();

// The deletion time in a copy's file name; -1 when the name is not one of a copy.
int64_t KeptCopyTime(std::string_view fileName);

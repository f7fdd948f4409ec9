#pragma once

// One deletion that keeps a copy of each mail first. The server removes the mails its DELEs
// marked when it receives QUIT (RFC 1939), whatever it answers then or whether the answer
// comes at all: once the session's QUIT went out, the copy of every mail whose DELE the server
// took stays. Only a session that ended before QUIT was sent deleted nothing; then every copy
// of the pass is removed again when the pass ends.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "KeptCopies.h"
#include "MbxPOP3.h"

// How far a deletion has got: first the copies (the mails fetched and their bytes, against
// those due for a copy and their listed sizes), then the DELEs the server took.
struct TDeletionProgress {
    size_t Copied = 0;
    size_t ToCopy = 0;
    uint64_t BytesFetched = 0;
    uint64_t BytesToFetch = 0;
    size_t Deleted = 0;
    size_t ToDelete = 0;
};

class TKeptCopyPass {
public:
    explicit TKeptCopyPass(std::string folder) : copies_(std::move(folder)) {}
    // Removes the copies of the pass unless CopiesStay; then only those of mails not deleted.
    ~TKeptCopyPass();
    TKeptCopyPass(const TKeptCopyPass&) = delete;
    TKeptCopyPass& operator=(const TKeptCopyPass&) = delete;

    // The copies (mails above maxCopySize get none) written at now (milliseconds since 1970),
    // then the DELEs, as TMbxPOP::DeleteWithCopies; progress before the first fetch, then after
    // each copy and each DELE.
    // pop must outlive the pass: its QuitState decides which copies stay.
    TMbxPOP::TPassEnd Run(TMbxPOP& pop, const std::vector<TMbxPOP::TMarkedMail>& marked,
                          uint64_t maxCopySize, int64_t now,
                          const std::function<void(TMsgNumber n)>& deleted,
                          const std::function<void(const TDeletionProgress&)>& progress = {});
    // The session's QUIT went out: the copies of the deleted mails stay, whatever its answer.
    bool CopiesStay() const;

    const std::string& Folder() const { return copies_.Folder(); }
    // The mails the server took a DELE for, in order.
    const std::vector<TMsgNumber>& Deleted() const { return deleted_; }
    // How many of them have a copy.
    size_t CopiesOfDeleted() const;
    // The mails left on the server because their copy could not be written, and why.
    const std::vector<TMbxPOP::TCopyFailure>& Failures() const { return failures_; }
    // The copy of mail n; "" when it has none.
    std::string CopyOf(TMsgNumber n) const;

private:
    std::vector<TMsgNumber> SortedDeleted() const;

    TKeptCopies copies_;
    const TMbxPOP* pop_ = nullptr;
    std::map<TMsgNumber, std::string> kept_; // mail and its copy
    std::vector<TMsgNumber> deleted_;
    std::vector<TMbxPOP::TCopyFailure> failures_;
};

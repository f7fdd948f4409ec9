#pragma once

// One deletion that keeps a copy of each mail first. A copy stays only for a mail the server
// really deleted: the session must end with QUIT, and Confirm says so; every other copy of
// the pass is removed again when the pass ends.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "KeptCopies.h"
#include "MbxPOP3.h"

class TKeptCopyPass {
public:
    explicit TKeptCopyPass(std::string folder) : copies_(std::move(folder)) {}
    ~TKeptCopyPass();
    TKeptCopyPass(const TKeptCopyPass&) = delete;
    TKeptCopyPass& operator=(const TKeptCopyPass&) = delete;

    // The copies (mails above maxCopySize get none) written at now (milliseconds since 1970),
    // then the DELEs, as TMbxPOP::DeleteWithCopies.
    TMbxPOP::TPassEnd Run(TMbxPOP& pop, const std::vector<TMbxPOP::TMarkedMail>& marked,
                          uint64_t maxCopySize, int64_t now,
                          const std::function<void(TMsgNumber n)>& deleted);
    // The session ended with QUIT: the copies of the deleted mails stay.
    void Confirm() { confirmed_ = true; }

    const std::string& Folder() const { return copies_.Folder(); }
    // The mails the server took a DELE for, in order.
    const std::vector<TMsgNumber>& Deleted() const { return deleted_; }
    // The mails left on the server because their copy could not be written, and why.
    const std::vector<TMbxPOP::TCopyFailure>& Failures() const { return failures_; }
    // The copy of mail n; "" when it has none.
    std::string CopyOf(TMsgNumber n) const;

private:
    TKeptCopies copies_;
    std::vector<std::pair<TMsgNumber, std::string>> kept_; // mail and its copy
    std::vector<TMsgNumber> deleted_;
    std::vector<TMbxPOP::TCopyFailure> failures_;
    bool confirmed_ = false;
};

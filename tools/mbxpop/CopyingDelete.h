#pragma once

// delete --keep-copy DIR: a copy of each mail is written into DIR before its DELE, and kept
// only for mails the server really deleted (the session ended with QUIT).

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

#include "KeptCopies.h"
#include "MbxPOP3.h"

class TCopyingDelete {
public:
    explicit TCopyingDelete(std::string folder) : copies_(std::move(folder)) {}
    // Removes the copies of this run unless Finish confirmed them.
    ~TCopyingDelete();
    TCopyingDelete(const TCopyingDelete&) = delete;
    TCopyingDelete& operator=(const TCopyingDelete&) = delete;

    // The sizes (list n), then the copies and DELEs; mails above kMaxKeptCopySize get none.
    void Run(TMbxPOP& pop, const std::vector<TMsgNumber>& numbers);
    // After the session, quitDone when it ended with QUIT. Prints a line per deleted mail to
    // out, "N<TAB>copy" ("-" without one), and each mail left for want of a copy to err; the
    // copies of mails not deleted are removed. True when every mail asked for was deleted.
    bool Finish(bool quitDone, std::ostream& out, std::ostream& err, bool german);

private:
    TKeptCopies copies_;
    std::vector<TMsgNumber> numbers_;
    std::vector<std::pair<TMsgNumber, std::string>> kept_; // mail and its copy
    std::vector<TMsgNumber> deleted_;
    std::vector<TMbxPOP::TCopyFailure> failures_;
    bool confirmed_ = false;
};

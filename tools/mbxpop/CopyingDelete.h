#pragma once

// delete --keep-copy DIR: a copy of each mail is written into DIR before its DELE, and kept
// only for mails the server really deleted (the session ended with QUIT).

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

#include "KeptCopyPass.h"
#include "MbxPOP3.h"

class TCopyingDelete {
public:
    explicit TCopyingDelete(std::string folder) : pass_(std::move(folder)) {}

    // The sizes (list n), then the copies and DELEs; mails above kMaxKeptCopySize get none.
    void Run(TMbxPOP& pop, const std::vector<TMsgNumber>& numbers);
    // After the session, quitDone when it ended with QUIT. Prints a line per deleted mail to
    // out, "N<TAB>copy" ("-" without one), and each mail left for want of a copy to err; the
    // copies of mails not deleted are removed. True when every mail asked for was deleted.
    bool Finish(bool quitDone, std::ostream& out, std::ostream& err, bool german);

private:
    TKeptCopyPass pass_; // removes the copies of this run unless Finish confirmed them
    std::vector<TMsgNumber> numbers_;
};

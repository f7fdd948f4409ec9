#pragma once

// The deletions of delete and prune --yes: the DELEs, with --keep-copy DIR a copy of each mail
// written into DIR before its DELE, and what the session's end means for them. The server
// removes the marked mails when it receives QUIT: once QUIT went out, the copies of the mails
// whose DELE it took stay, whatever it answered; a session that ended before QUIT deleted
// nothing, and its copies are removed.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "KeptCopyPass.h"
#include "MbxPOP3.h"

class TDeletion {
public:
    // copyFolder: where the copies go; empty: none.
    explicit TDeletion(const std::string& copyFolder);

    // The copies (mails above kMaxKeptCopySize get none), then the DELEs of the marked mails
    // (their sizes as listed), in the order given.
    TMbxPOP::TPassEnd Run(TMbxPOP& pop, const std::vector<TMbxPOP::TMarkedMail>& marked);
    // The session ended before QUIT and nothing was deleted: the copies written go, and Run
    // starts afresh in a new session.
    void Restart();
    // No DELE was taken and no QUIT went out: the server has deleted nothing.
    bool NothingDone(const TMbxPOP& pop) const;
    // Every mail Run was given had its DELE taken.
    bool AllDeleted() const;
    // After the session, however it ended (pop's QuitState tells): with copies a line per
    // mail whose DELE was taken to out, "N<TAB>copy" ("-" without one), kept whenever QUIT went
    // out; each mail left for want of a copy to err. When QUIT went out unconfirmed (refused,
    // not answered, the connection dropped) err says that whether the mails were deleted is
    // not known, and where their copies are; after DELEs taken in a session that ended before
    // QUIT, that nothing was deleted. True when every mail asked for was surely deleted.
    bool Finish(const TMbxPOP& pop, std::ostream& out, std::ostream& err, bool german);

private:
    std::string folder_;
    std::optional<TKeptCopyPass> pass_; // removes its copies unless QUIT went out
    std::vector<TMsgNumber> deleted_;   // without copies: the DELEs taken
    size_t asked_ = 0;
};

// delete N ...: for each number its size (list n) and header (TOP n 0); once every number named
// a mail, the line prune prints for each (MailLine) to out, before anything is deleted. The
// mails with their sizes; none (and nothing printed) once the session ended on a refusal.
std::vector<TMbxPOP::TMarkedMail> NameMails(TMbxPOP& pop, const std::vector<TMsgNumber>& numbers,
                                            std::ostream& out);

#pragma once

#include "Component.h"
#include "MailRows.h"
#include "MarkedMails.h"
#include "MbxPOP3.h"

#include <unordered_map>
#include <vector>

class TForm1;

// A deletion the window runs: its DELEs (or a component's, keeping copies first), their
// progress, QUIT and what it tells of the outcome. The mails whose DELE the server took are
// noted, so that an unconfirmed QUIT can name them. In a session that is not the listing's,
// the rows keep the listing's numbers: the deletion says which is which (FoundAgain).
class TWindowDeletion : public TDeletionRun {
public:
    explicit TWindowDeletion(TForm1& form) : form_(form) {}
    // DELE for the numbers, from the highest down, then QUIT.
    void Run(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked);
    // No +OK to QUIT: once QUIT went out, outcome unknown, copies kept; before, none deleted.
    void TellEnd();
    // The marked mails as this session numbers them (they stay the caller's).
    void FoundAgain(const TMarksNow& now);
    // No DELE was taken and no QUIT went out: the server has deleted nothing.
    bool NothingDone() const;
    // The server ended the listing's session before any DELE: the same account again, the
    // marked mails found there, those still there deleted (MainReconnect.cpp).
    void RunInNewSession(const std::vector<TMsgNumber>& numbers);

    void Accepted(TMsgNumber n) override { accepted_.push_back(ListedNumberOf(n)); }
    // The progress bar and panel: the copies fetched, then the DELEs taken (the last: mail n).
    void Progress(TMsgNumber n, const TDeletionProgress& progress) override;
    void CopiesKept(std::size_t copies) override { copies_ = copies; }
    TMsgNumber ListedNumberOf(TMsgNumber n) const override;
    bool Aborted() const override;
    // QUIT, the rows and panels; true when the server took QUIT, so the mails are gone.
    bool Finish(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& numbers,
                const TMarkedMails& marked) override;

private:
    // The rows of the mails the server has just removed, whatever is marked now.
    void RemoveRows(const std::vector<TMsgNumber>& deleted);
    std::vector<TMsgNumber> Listed(const std::vector<TMsgNumber>& numbers) const;

    TForm1& form_;
    std::unordered_map<TMsgNumber, TMsgNumber> listedOf_; // by number now; empty: the same
    bool foundAgain_ = false;
    std::vector<TMsgNumber> accepted_; // by the listing's numbers
    std::size_t copies_ = 0;
};

// The same account again as the last connect signed in, up to STAT; false when that failed
// (the status says why) (MainConnect.cpp).
bool ConnectAgain(TForm1& form);

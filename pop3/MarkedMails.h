#pragma once

// The marked mails of a listing, found again in a later session: the server numbers its mails
// afresh in every session, so a mail marked as number 7 may be number 5 now, or gone.

#include <cstdint>
#include <string>
#include <vector>

#include "MbxPOP3.h"

// A marked mail as the listing gave it: its number then, its size, its unique id ("" when the
// server gave none) and the header its TOP n 0 gave.
struct TListedMark {
    TMsgNumber Number;
    uint64_t Size;
    std::string Id;
    std::string Header;
};

// Where the marked mails are in the session now.
struct TMarksNow {
    struct TFound {
        TMsgNumber Listed; // the number in the listing
        TMsgNumber Now;    // the number in this session
    };
    std::vector<TFound> Found;        // still there: to be deleted, in the order marked
    std::vector<TListedMark> Gone;    // not on the server any more
    std::vector<TListedMark> Changed; // another mail at the number: never deleted
    // The numbers now of the mails found, in the order marked.
    std::vector<TMsgNumber> NumbersNow() const;
    // The listed number of mail `now` of this session; 0 for none.
    TMsgNumber ListedNumberOf(TMsgNumber now) const;
};

// Finds each marked mail in a logged-in session after its STAT; nothing is deleted. With a
// unique id for every mark and a server that lists them, by id. Otherwise by number: a mail
// counts as the marked one only when "list n" gives the listed size and "TOP n 0" the listed
// header byte for byte; a number past the count is gone. Several commands are in flight where
// the server allows it, else one at a time. A refusal or a hostile answer ends the session
// (2006 for list n, 2005 for TOP n 0): SessionEnded, and nothing is to be deleted.
TMbxPOP::TPassEnd FindMarkedMails(TMbxPOP& pop, const std::vector<TListedMark>& marks,
                                  TMarksNow& now);

// By unique id alone: UIDL and LIST for the whole mailbox (TMbxPOP::ListMailbox); a mark whose
// id is not listed is gone. idsListed false when the server gave no ids (UIDL refused): then
// nothing is found or gone.
TMbxPOP::TPassEnd FindMailsById(TMbxPOP& pop, const std::vector<TListedMark>& marks, TMarksNow& now,
                                bool& idsListed);

// Two texts of TOP n 0 hold the same header: compared up to the empty line that ends it, so a
// listing that also asked for body lines compares as its header alone.
bool SameListedHeader(const std::string& listed, const std::string& now);

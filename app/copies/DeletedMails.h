#pragma once

#include "KeptCopies.h"

#include <QString>

#include <cstdint>
#include <vector>

// What "Recently deleted" knows of the kept copies, apart from the window that shows them:
// each copy with what its header says, the search over sender and subject, and the totals.

struct TDeletedMail {
    TKeptCopy Copy;
    QString From;    // decoded, as the message window shows it
    QString Subject; // likewise
    bool HasDate = false;
    int64_t DateMs = 0; // the mail's own date, from its header
};

// The copies of every account below root, newest deletion first. Throws std::system_error
// when a folder or a copy cannot be read.
std::vector<TDeletedMail> ReadDeletedMails(const QString& root);

// True when the mail's sender or subject holds the text, without regard to case, as Find
// over the mail list matches; every mail matches an empty text.
bool MatchesSearch(const TDeletedMail& mail, const QString& text);

struct TDeletedTotals {
    int Count = 0;
    uint64_t Bytes = 0;
    void Add(const TDeletedMail& mail) {
        ++Count;
        Bytes += mail.Copy.Size;
    }
};

// "12 mails, 3.4 MByte in all", or while searching "3 of 12 mails, 1.2 MByte in all" (the
// size of those shown).
QString TotalsText(const TDeletedTotals& shown, int all, bool german);

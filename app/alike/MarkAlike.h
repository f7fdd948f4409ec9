#pragma once

#include <QItemSelection>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

class TMailRows;
class TMultiList;

// Mark alike: the rows that share something with a chosen row. Only shown rows count (those
// find hides stay as they are), and a mail the rules keep is never among them.

enum class TAlike { Sender, Domain, Subject, Larger, Older };

// The subject as mark alike compares it: a leading chain of "Re:", "Fwd:", "Fw:", "AW:" and
// "WG:" (any case, blanks between) taken off, trimmed, case folded.
QString AlikeSubject(QStringView subject);

// The domain of an address as the sender lists hold it: "example.org" of
// "anna@example.org"; empty without '@'.
std::string DomainOf(std::string_view address);

// What mark alike reads of the listing besides the rows.
struct TAlikeSource {
    // The header text of a message number; empty for none.
    std::function<std::string_view(int number)> Header;
    // True when the rules keep the mail.
    std::function<bool(int number)> Kept;
    // The rows show their header texts as sent: the subject is decoded from the header.
    bool TextsAsSent = false;
};

struct TAlikeRows {
    bool Comparable = true; // false: the chosen row lacks what the comparison needs
    QItemSelection Rows;    // to be marked, one range per run of neighbours
    int Count = 0;          // rows in Rows
    int Kept = 0;           // alike, but kept by the rules and left out
};

// The shown data rows for which alike(row) holds, less those kept by the rules.
TAlikeRows MarkableRows(const TMultiList& list, const std::function<bool(int row)>& alike,
                        const std::function<bool(int number)>& kept);

// The rows alike to chosenRow in the way of kind, in one pass over the list.
TAlikeRows AlikeRows(const TMailRows& rows, int chosenRow, TAlike kind, const TAlikeSource& source);

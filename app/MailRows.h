#pragma once

#include <QString>

#include <string>

class QListWidgetItem;
class TMultiList;

// What a row of the mail list knows besides its text: the server's message number, the size
// in octets and the date as a time. They are the row's sort keys, and they let marking,
// showing and deleting act on the right message whatever order the rows are shown in.

// Sets the row's data. `octets` below 0: size unknown (count-only listing); `header`: the
// header text the row was made from (empty: no date).
void SetRowData(QListWidgetItem& row, int number, long long octets, const std::string& header);
// The row's message number (from its text when it carries no data); 0 for none.
int MessageNumberOf(const QListWidgetItem& row);
// -1 when unknown.
long long OctetsOf(const QListWidgetItem& row);

struct TMarkedMails {
    int Count = 0;
    long long Octets = 0;
    bool SizeKnown = true; // false when a marked row's size is unknown
};
TMarkedMails MarkedMails(const TMultiList& list);
// The size as the list shows sizes ("1.3 MByte"); empty when unknown.
QString SizeText(const TMarkedMails& mails);

// Width for column 0 so that " N " of the largest number is shown whole.
int NumberColumnWidth(const TMultiList& list, int largestNumber);

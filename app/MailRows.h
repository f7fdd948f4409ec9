#pragma once

#include "NumberRuns.h"

#include <QItemSelection>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

class QListWidgetItem;
class TMultiList;

// What a row of the mail list knows besides its text: the server's message number, the size
// in octets and the date as a time. They are the row's sort keys, and they let marking,
// showing and deleting act on the right message whatever order the rows are shown in.

// A row's data, read once from the server's answers. `Octets` below 0: size unknown
// (count-only listing); `HasDate` false: no date.
struct TMailRowData {
    int Number = 0;
    long long Octets = -1;
    bool HasDate = false;
    std::int64_t DateMs = 0;
    // Known by its unique id: first listed then (seconds since 1970), and New when that was
    // this listing. SeenSince 0: the row says nothing of it.
    std::int64_t SeenSince = 0;
    bool New = false;
    QString SeenTip; // the tooltip's line of when it was first listed; empty for none
};
// `header`: the header text the row is made from (empty: no date).
TMailRowData MailRowData(int number, long long octets, const std::string& header);
void SetRowData(QListWidgetItem& row, const TMailRowData& data);

// Rows waiting to go into the list together: one insertion per batch, not one per mail.
class TMailRowBatch {
public:
    void Add(const QString& text, const TMailRowData& data);
    int Size() const { return static_cast<int>(texts_.size()); }
    int LargestNumber() const { return largest_; }
    // Adds the waiting rows to the list and starts an empty batch.
    void AddTo(TMultiList& list);

private:
    QStringList texts_;
    std::vector<TMailRowData> data_;
    int largest_ = 0;
};
// The row's message number (from its text when it carries no data); 0 for none.
int MessageNumberOf(const QListWidgetItem& row);
// The message number of the list's current row; 0 for none.
int CurrentMessageNumber(const TMultiList& list);
// -1 when unknown.
long long OctetsOf(const QListWidgetItem& row);
// Marked as new since the last complete listing.
bool IsNewRow(const QListWidgetItem& row);
// False when the row has no date.
bool DateMsOf(const QListWidgetItem& row, std::int64_t& ms);

struct TMarkedMails {
    int Count = 0;
    long long Octets = 0;
    bool SizeKnown = true; // false when a marked row's size is unknown
    int FromRules = 0;     // of them marked by the rules
};
TMarkedMails MarkedMails(const TMultiList& list);
// The size as the list shows sizes ("1.3 MByte"); empty when unknown.
QString SizeText(const TMarkedMails& mails);

// The rows of these message numbers.
std::vector<int> RowsOfNumbers(const TMultiList& list, std::vector<int> numbers);
// The same as runs of neighbouring rows, to be marked in one go.
QItemSelection RowRunsOf(const TMultiList& list, const TNumberRuns& numbers);
// The message numbers of the marked rows, and of the rows shown.
TNumberRuns MarkedNumbers(const TMultiList& list);
TNumberRuns ShownNumbers(const TMultiList& list);

// Width for column 0 so that " N " of the largest number is shown whole.
int NumberColumnWidth(const TMultiList& list, int largestNumber);

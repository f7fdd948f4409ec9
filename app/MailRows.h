#pragma once

#include "ExtraColumns.h"
#include "NumberRuns.h"

#include <QItemSelection>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QListWidgetItem;
class TMailRows;
class TMultiList;

// A row of the mail list is its text, " n |size |...": the message number in it lets marking,
// showing and deleting act on the right message whatever order the rows are shown in. What
// the list knows of a mail besides (its size in octets, its date as a time, its tooltip) is
// kept by message number in TMailRows: a row of many thousands is cheapest as its text alone.

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
};
// `header`: the header text the row is made from (empty: no date).
TMailRowData MailRowData(int number, long long octets, const std::string& header);
// The same with the header's date already read (HeaderDateMs).
TMailRowData MailRowData(int number, long long octets, std::optional<std::int64_t> dateMs);

// Rows waiting to go into the list together: one insertion per batch, not one per mail.
class TMailRowBatch {
public:
    // tips: the row's tooltip parts by TRowTip; mark: marked once it is in the list.
    void Add(QString text, const TMailRowData& data, std::array<QString, RowTipPartCount> tips = {},
             bool mark = false);
    int Size() const { return static_cast<int>(texts_.size()); }
    int LargestNumber() const { return largest_; }
    // Adds the waiting rows to the list and starts an empty batch; gives the numbers of the
    // mails to be marked.
    std::vector<int> AddTo(TMailRows& rows);

private:
    QStringList texts_;
    std::vector<TMailRowData> data_;
    std::vector<std::array<QString, RowTipPartCount>> tips_;
    std::vector<int> marked_;
    int largest_ = 0;
};
// The row's message number, from its text; 0 for none.
int MessageNumberOf(const QListWidgetItem& row);
// The message number of the list's current row; 0 for none.
int CurrentMessageNumber(const TMultiList& list);

struct TMarkedMails {
    int Count = 0;
    long long Octets = 0;
    bool SizeKnown = true; // false when a marked row's size is unknown
    int FromRules = 0;     // of them marked by the rules
};
TMarkedMails MarkedMails(const TMailRows& rows);
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

// The listed mails: their rows in the list and the header each was listed with. The window's
// components read and mark rows through this; the list widget only shows them. A row is
// 1 .. Count() in the order shown (row 0 is the list's spacer); a mail is its message number.
class TMailRows {
public:
    // The list shows each row's tooltip from its parts, and sorts by the facts kept here.
    explicit TMailRows(TMultiList& list);
    // The list asks nothing of it any more.
    ~TMailRows();
    TMailRows(const TMailRows&) = delete;
    TMailRows& operator=(const TMailRows&) = delete;

    // The widget, for what attaches to it (a filter of the rows shown, the marks' history,
    // the context menu); rows are read and changed through the calls below.
    TMultiList& List() const { return list_; }

    // One header text per listed mail, each ending with "|"; entry n - 1 belongs to mail n.
    const std::vector<std::string>& Headers() const { return listed_.Headers; }
    // A connect begins: no header is kept, not even aside, and no row's facts.
    void ClearHeaders() {
        listed_ = {};
        aside_ = {};
        facts_ = {};
    }
    // The session ended: Headers() is empty, but the headers and ids stay aside while the rows
    // do, so that a later session can tell whether a listed mail is still at its number.
    void SetHeadersAside();
    // The header mail n was listed with, in this session or aside; empty for none.
    std::string_view ListedHeaderOf(int number) const;
    // The next mail's header and unique id (empty when the server gave none).
    void AddHeader(std::string header, std::string id = {}) {
        listed_.Headers.push_back(std::move(header));
        listed_.Ids.push_back(std::move(id));
    }
    // Drops the headers after the first count.
    void KeepHeaders(std::size_t count);
    // The header mail n was listed with (without the "|"); empty for none.
    std::string_view HeaderOf(int number) const;

    // Room for a listing of count mails, taken once rather than grown row by row. The count is
    // the server's: beyond a bound the room grows as the rows come.
    void Reserve(int count);
    // What a row about to be added says of its mail; the row's text is added by the caller.
    void Keep(const TMailRowData& data, std::array<QString, RowTipPartCount> tips);
    // Mail n's size (-1 when unknown) and date (none when it has none).
    long long OctetsOf(int number) const;
    std::optional<std::int64_t> DateOf(int number) const;

    int Count() const;
    int NumberAt(int row) const;
    long long OctetsAt(int row) const; // -1 when unknown
    std::optional<std::int64_t> DateAt(int row) const;
    // The mail's unique id, of this session or aside; empty when unknown.
    std::string IdAt(int row) const;
    bool MarkedAt(int row) const;
    // Marked as new since the last complete listing.
    bool NewAt(int row) const;
    // The rows of these mails, in list order.
    std::vector<int> RowsOf(std::vector<int> numbers) const;
    // The mail of the current row; 0 for none.
    int CurrentNumber() const;

    void SetTipAt(int row, TRowTip part, const QString& text);
    QString TipAt(int row, TRowTip part) const;
    // The row's tooltip: its parts' lines in order; empty when it has none.
    QString ToolTipAt(int row) const;
    void SetCellAt(int row, int column, const QString& text);
    // The key the column sorts the row by (invalid: none).
    void SetSortKeyAt(int row, int column, const QVariant& key);
    // A list sorted by the column sorts again (its keys changed).
    void SortAgainBy(int column);

    TNumberRuns Marked() const;
    // The marked rows, in list order.
    std::vector<int> MarkedRows() const;
    TNumberRuns Shown() const;
    // Adds to the marks, or takes away from them, in one go.
    void Mark(const TNumberRuns& numbers);
    void Unmark(const TNumberRuns& numbers);
    // Exactly these mails marked, hidden ones too, and no others, as one change.
    void SetMarks(const TNumberRuns& numbers);

private:
    // Kept by message number rather than in each row: a row of many thousands is cheaper with
    // fewer roles, and the ids must outlive the session for Delete in a later one.
    struct TListed {
        std::vector<std::string> Headers;
        std::vector<std::string> Ids;
    };
    const TListed& ListedOrAside() const { return listed_.Headers.empty() ? aside_ : listed_; }

    // A listed mail's facts, ordered by number as the listing gives them.
    struct TFacts {
        int Number = 0;
        bool HasDate = false;
        bool Sighted = false; // known by its unique id: the new-mail column sorts it
        bool New = false;
        long long Octets = -1;
        std::int64_t DateMs = 0;
        std::array<QString, RowTipPartCount> Tips;
    };
    const TFacts* FactsOf(int number) const;
    TFacts* FactsOf(int number) {
        return const_cast<TFacts*>(std::as_const(*this).FactsOf(number));
    }
    QVariant SortKeyOf(const QListWidgetItem& row, int column) const;
    QString ToolTipOf(const QListWidgetItem& row) const;

    TMultiList& list_;
    TListed listed_;
    TListed aside_;             // of the listing whose session ended
    std::vector<TFacts> facts_; // while the rows are listed, through a session's end
};

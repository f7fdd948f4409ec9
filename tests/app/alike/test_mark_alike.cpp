// Which rows mark alike takes: by sender, domain, subject (reply chains and encoded words
// too), size and age; never a hidden row or one the rules keep.
#include "ByteText.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "MarkAlike.h"
#include "MultiLst.h"

#include <QListWidgetItem>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct TMail {
    const char* from;
    const char* subject;
    long long octets;
    const char* date; // empty: none
};

// Mail 6 is kept by the rules, mail 7 hidden by find; both would be alike to mail 1.
const TMail Mails[] = {
    {"Anna <Anna@Example.org>", "Lunch", 100, "Mon, 1 May 2000 10:00:00 +0000"},
    {"anna@example.org", "Re: lunch", 200, "Tue, 2 May 2000 10:00:00 +0000"},
    {"Bob <bob@example.org>", "=?UTF-8?Q?AW:_Re:_LUNCH?=", 300, "Wed, 3 May 2000 10:00:00 +0000"},
    {"Carl <carl@sub.example.org>", "Fwd: RE :Lunch", 50, ""},
    {"\"Dora\" <dora@other.net>", "Re Lunch", 1000, "Sun, 30 Apr 2000 10:00:00 +0000"},
    {"anna@example.org", "Lunch", 5000, "Sat, 1 Apr 2000 10:00:00 +0000"},
    {"anna@example.org", "Lunch", 400, "Sat, 1 Apr 2000 09:00:00 +0000"},
    {"", "WG: Fw: lunch", -1, "Mon, 1 May 2000 11:00:00 +0000"},
};
constexpr int KeptMail = 6;
constexpr int HiddenMail = 7;

class TMailbox {
public:
    explicit TMailbox(bool asSent) {
        int n = 0;
        TMailRowBatch batch;
        for (const TMail& mail : Mails) {
            ++n;
            std::string header = "Subject: " + std::string(mail.subject) + "\r\n";
            if (*mail.from)
                header = "From: " + std::string(mail.from) + "\r\n" + header;
            if (*mail.date)
                header += "Date: " + std::string(mail.date) + "\r\n";
            headers_.push_back(header);
            batch.Add(FromMailText(" " + std::to_string(n) + " | 1 KByte |" +
                                   filter(header, false, asSent)),
                      MailRowData(n, mail.octets, header));
        }
        batch.AddTo(rows_);
        list_.CheckSpacer();
        list_.setRowHidden(HiddenMail, true);
        source_.Header = [this](int number) { return std::string_view(headers_[number - 1]); };
        source_.Kept = [](int number) { return number == KeptMail; };
        source_.TextsAsSent = asSent;
    }

    TAlikeRows Alike(int number, TAlike kind) { return AlikeRows(rows_, number, kind, source_); }

    std::set<int> Numbers(const QItemSelection& rows) {
        std::set<int> numbers;
        for (const QModelIndex& index : rows.indexes())
            numbers.insert(MessageNumberOf(*list_.item(index.row())));
        return numbers;
    }

private:
    TMultiList list_;
    TMailRows rows_{list_};
    std::vector<std::string> headers_;
    TAlikeSource source_;
};

TEST(MarkAlike, TakesTheShownRowsAlikeAndLeavesKeptOnesOut) {
    struct Case {
        int chosen;
        TAlike kind;
        std::set<int> marked;
        int kept;
    };
    const Case cases[] = {
        {1, TAlike::Sender, {1, 2}, 1},
        {1, TAlike::Domain, {1, 2, 3}, 1},        // a subdomain is another domain
        {1, TAlike::Subject, {1, 2, 3, 4, 8}, 1}, // "Re Lunch" has no prefix
        {1, TAlike::Larger, {2, 3, 5}, 1},        // not the same size, not an unknown one
        {2, TAlike::Older, {1, 5, 8}, 1},         // a mail without date is not older
        {5, TAlike::Older, {}, 1},
        {5, TAlike::Sender, {5}, 0},
    };
    for (const bool asSent : {false, true}) {
        TMailbox box(asSent);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "mail " << c.chosen << ", kind "
                                            << static_cast<int>(c.kind) << ", as sent " << asSent);
            const TAlikeRows rows = box.Alike(c.chosen, c.kind);
            EXPECT_TRUE(rows.Comparable);
            EXPECT_EQ(box.Numbers(rows.Rows), c.marked);
            EXPECT_EQ(rows.Count, static_cast<int>(c.marked.size()));
            EXPECT_EQ(rows.Kept, c.kept);
        }
    }
}

TEST(MarkAlike, AMailWithoutTheFieldComparesToNothing) {
    TMailbox box(false);
    EXPECT_FALSE(box.Alike(8, TAlike::Sender).Comparable);
    EXPECT_FALSE(box.Alike(8, TAlike::Domain).Comparable);
    EXPECT_FALSE(box.Alike(8, TAlike::Larger).Comparable);
    EXPECT_FALSE(box.Alike(4, TAlike::Older).Comparable);
    EXPECT_FALSE(box.Alike(0, TAlike::Subject).Comparable) << "the spacer is no mail";
}

TEST(MarkAlike, NeighbouringRowsAreOneRange) {
    TMailbox box(false);
    EXPECT_EQ(box.Alike(1, TAlike::Subject).Rows.size(), 2) << "1-4 and 8";
}

} // namespace

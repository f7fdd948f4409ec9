// Keep only the newest from a sender or a list against Dovecot: the older mails are marked,
// mails without a date and those the rules keep stay unmarked, and the status counts them.
#include "AppFixture.h"
#include "KeepNewest.h"
#include "MultiLst.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <string>
#include <vector>

namespace {

std::string NewsMail(const std::string& from, const std::string& subject, const std::string& date,
                     const std::string& list) {
    return "From: " + from + "\r\nSubject: " + subject + "\r\n" +
           (date.empty() ? "" : "Date: " + date + "\r\n") +
           (list.empty() ? "" : "List-Id: <" + list + ">\r\n") + "\r\nHello.\r\n";
}

} // namespace

TEST_F(AppTest, KeepNewestMarksTheOlderButUndatedAndKeptOnes) {
    SKIP_WITHOUT_DOVECOT();
    // The rules keep anything with "keep" in its subject.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QFile rules(data + "/rules.sieve");
    ASSERT_TRUE(QDir().mkpath(data) && rules.open(QIODevice::WriteOnly));
    rules.write("# rule: kept\nif header :contains \"subject\" \"keep\" { keep; }\n");
    rules.close();
    const std::string a = "News <news@example.org>";
    DovecotServer server(
        "bob", "secret",
        {NewsMail(a, "oldest", "Mon, 1 May 2000 10:00:00 +0000", "weekly.example.org"),
         NewsMail(a, "newest", "Fri, 5 May 2000 10:00:00 +0000", "weekly.example.org"),
         NewsMail(a, "no date", "", "weekly.example.org"),
         NewsMail("other@example.org", "other sender", "Mon, 1 May 2000 09:00:00 +0000",
                  "weekly.example.org"),
         NewsMail(a, "keep this", "Sun, 30 Apr 2000 10:00:00 +0000", ""),
         NewsMail(a, "middle", "Wed, 3 May 2000 10:00:00 +0000", "")});
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    TKeepNewest& newest = f.Part<TKeepNewest>();

    struct Case {
        const char* name;
        TKeepNewest::TOf of;
        int keep;
        std::vector<int> marked;
        const char* status;
    };
    const std::vector<Case> cases = {
        {"the sender, newest one stays",
         TKeepNewest::TOf::Sender,
         1,
         {1, 6},
         "2 older mails from news@example.org marked"},
        {"the sender, two stay", TKeepNewest::TOf::Sender, 2, {1}, "the newest 2 stay."},
        {"the list, other senders too",
         TKeepNewest::TOf::List,
         1,
         {1, 4},
         "2 older mails from weekly.example.org marked"},
        {"more kept than there are", TKeepNewest::TOf::Sender, 9, {}, "0 older mails"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.Rows().SetMarks({});
        f.mail_list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        newest.KeepNewest(c.of, c.keep);
        EXPECT_EQ(MarkedRows(), c.marked);
        EXPECT_TRUE(StatusLines().contains(c.status)) << StatusLines().toStdString();
    }
    f.Rows().SetMarks({});
    newest.KeepNewest(TKeepNewest::TOf::Sender, 1);
    EXPECT_TRUE(StatusLines().contains("1 without a date stay unmarked. 1 are kept by the rules."))
        << StatusLines().toStdString();
    f.BtnDisconnectClick();
}

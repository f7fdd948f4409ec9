// The space view on a listed Dovecot mailbox: grouped by domain, the largest group marked (the
// mail the rules keep left out) and deleted; the server keeps exactly the rest, and the quota
// meter tells the space before and after, in both languages.
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ListingRules.h"
#include "MultiLst.h"
#include "SpaceDialog.h"
#include "SpaceTreemap.h"
#include "SpaceView.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>

namespace {

std::string Mail(const std::string& from, const std::string& subject, std::size_t lines) {
    std::string mail = "From: " + from + "\r\nSubject: " + subject +
                       "\r\nDate: Tue, 8 Dec 2026 07:00:00 +0000\r\n\r\n";
    for (std::size_t k = 0; k < lines; ++k)
        mail += std::string(98, 'x') + "\r\n";
    return mail;
}

// "%.1f" MB as the language writes it.
QString Mb(long long bytes, bool german) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    QString gb = QString::fromLatin1(text);
    return german ? gb.replace(u'.', u',') : gb;
}

int Percent(long long bytes, double quotaGb) {
    return static_cast<int>(std::lround(100.0 * static_cast<double>(bytes) / (quotaGb * 1e9)));
}

} // namespace

TEST_F(AppTest, SpaceViewMarksTheLargestDomainAndTheMeterFollows) {
    SKIP_WITHOUT_DOVECOT();
    struct Row {
        QStringList languages;
        const char* meter;
        const char* after;
        const char* kept;
    } rows[] = {
        {{"en-US"},
         "%1 MB of 20 MB (%2 %)",
         "after deleting the marked: %1 MB (%2 %)",
         "\r2 mails marked, 1 kept by rules and not marked."},
        {{"de-DE"},
         "%1 MB von 20 MB (%2 %)",
         "nach dem Löschen der markierten: %1 MB (%2 %)",
         "\r2 Mails markiert, 1 durch Regeln behalten und nicht markiert."},
    };
    // The rules keep mail 4, of the largest domain.
    QString why;
    ASSERT_TRUE(WriteRulesFile(
        SharedRulesFile(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)),
        "# rule: receipts\nif header :contains \"subject\" \"receipt\" { keep; }\n", why))
        << why.toStdString();
    for (const Row& row : rows) {
        const bool german = row.languages.front().startsWith(u"de");
        SCOPED_TRACE(german ? "German" : "English");
        const std::vector<std::string> mails = {
            Mail("Shop <deals+a@mail.shop.example.co.uk>", "offer", 40'000),
            Mail("Mum <mum@family.example>", "photos", 50'000),
            Mail("news@news.shop.example.co.uk", "news", 30'000),
            Mail("Shop <billing@shop.example.co.uk>", "your receipt", 2'000),
            Mail("friend@other.example", "hello", 10),
        };
        DovecotServer server("bob", "secret", mails);
        TForm1& f = Open(row.languages);
        FillLogin(server.port(), "bob", "secret");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 5) << StatusLines().toStdString();
        long long total = 0;
        for (const std::string& mail : mails)
            total += static_cast<long long>(mail.size());

        TSpaceView& space = f.Part<TSpaceView>();
        QAction* entry = f.findChild<QAction*>(QStringLiteral("Datei_Space"));
        ASSERT_TRUE(entry && entry->isEnabled());
        // The tool bar's button opens it, as the Server menu's entry does.
        ASSERT_TRUE(space.Button->isEnabled());
        EXPECT_EQ(space.Button->text(), german ? "Speicherplatz" : "Space");
        space.Button->click();
        TSpaceDialog* dialog = space.Dialog();
        ASSERT_TRUE(dialog && dialog->isVisible());
        dialog->GroupBy->setCurrentIndex(1); // domain
        dialog->Quota->setValue(0.02);
        EXPECT_EQ(dialog->Meter->text(),
                  QString::fromUtf8(row.meter).arg(Mb(total, german)).arg(Percent(total, 0.02)));

        // The largest group first: the shop's three mails, its senders inside.
        QTreeWidgetItem* largest = dialog->Table->topLevelItem(0);
        ASSERT_TRUE(largest);
        EXPECT_EQ(largest->text(0), "example.co.uk");
        EXPECT_EQ(largest->text(1), "3");
        EXPECT_EQ(largest->childCount(), 3);
        EXPECT_FALSE(dialog->Treemap->Placed().empty());
        dialog->Table->clearSelection();
        largest->setSelected(true);
        dialog->BtnMark->click();
        EXPECT_EQ(MarkedRows(), (std::vector<int>{1, 3}));
        EXPECT_TRUE(StatusLines().endsWith(QString::fromUtf8(row.kept)))
            << StatusLines().toStdString();
        const long long marked = static_cast<long long>(mails[0].size() + mails[2].size());
        QTRY_COMPARE(largest->text(6), QStringLiteral("2"));
        EXPECT_EQ(dialog->MeterAfter->text(), QString::fromUtf8(row.after)
                                                  .arg(Mb(total - marked, german))
                                                  .arg(Percent(total - marked, 0.02)));

        const auto asked = AnswerDeletion(true);
        f.Tools.BtnDelete->click();
        EXPECT_TRUE(*asked);
        EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{2, 4, 5}));
        EXPECT_EQ(space.MailboxBytes(), total - marked);
        EXPECT_EQ(dialog->Meter->text(), QString::fromUtf8(row.meter)
                                             .arg(Mb(total - marked, german))
                                             .arg(Percent(total - marked, 0.02)));
        // The quota is the account's: the next opening finds it.
        dialog->close();
        entry->trigger();
        EXPECT_DOUBLE_EQ(dialog->Quota->value(), 0.02);
        dialog->close();
    }
}

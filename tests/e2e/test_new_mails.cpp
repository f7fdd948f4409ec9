// Mails new since the last complete listing, across sessions against a real Dovecot.
#include "AccountData.h"
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ExtraColumns.h"
#include "ListingRules.h"
#include "NewMailMarkers.h"
#include "SeenMails.h"

#include "MultiLst.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QStandardPaths>

namespace {

const QString Marker = QStringLiteral("\u2022");

// Two listings a day apart, so that each row's first sighting is told apart.
constexpr int64_t FirstListingAt = 1767261600;              // 2026-01-01 10:00 UTC
constexpr int64_t SecondListingAt = FirstListingAt + 86400; // a day later

QString Cell(const TForm1& f, int row, int column) {
    return f.mail_list->item(row)->text().section(u'|', column, column);
}

// The subjects of the rows that carry the marker, top to bottom, and their rows.
QStringList MarkedSubjects(const TForm1& f, std::vector<int>* rows = nullptr) {
    QStringList subjects;
    for (int row = 1; row < f.mail_list->count(); ++row) {
        if (Cell(f, row, NewColumn) != Marker)
            continue;
        subjects << Cell(f, row, 4);
        if (rows)
            rows->push_back(row);
    }
    return subjects;
}

int RowOfSubject(const TForm1& f, const QString& subject) {
    for (int row = 1; row < f.mail_list->count(); ++row)
        if (Cell(f, row, 4) == subject)
            return row;
    return -1;
}

QString SinceLine(int64_t at) {
    return "On the server since " +
           QDateTime::fromSecsSinceEpoch(at).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

std::string Numbered(const char* subject, int day) {
    return Mail("Anna <anna@example.org>", subject,
                "Mon, " + std::to_string(day) + " May 2000 09:00:00 +0200");
}

TEST_F(AppTest, MailsAddedBetweenSessionsAreMarkedNew) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server(
        "seen", "secret",
        {Numbered("One", 1), Numbered("Two", 2), Numbered("Three", 3),
         Mail("Lunch <lunch@example.org>", "lunch today", "Thu, 04 May 2000 09:00:00 +0200")});
    // A rule decides on an old mail and a new one, so both tooltip lines meet on one row.
    const QString rules =
        AccountRulesFile(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                         ServerText(server.port()), QStringLiteral("seen"));
    QString why;
    ASSERT_TRUE(WriteRulesFile(rules,
                               "# rule: lunch\nif header :contains \"subject\" \"lunch\" "
                               "{ discard; }\n",
                               why))
        << why.toStdString();
    TForm1& f = Open();
    ASSERT_TRUE(QFontMetrics(f.mail_list->font()).inFont(Marker.front()));
    f.Part<TNewMailMarkers>().Clock = [] { return FirstListingAt; };
    FillLogin(server.port(), "seen", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    // The first listing knows nothing older: no column, and the status bar says so.
    EXPECT_EQ(f.mail_list->SectionWidth(NewColumn), 0);
    EXPECT_TRUE(MarkedSubjects(f).isEmpty());
    EXPECT_EQ(f.Part<TNewMailMarkers>().Count->text(), "New mails from the next listing on");
    EXPECT_EQ(f.Rows().ToolTipAt(1), QString());

    // Mail Two goes; three arrive before the next session.
    f.mail_list->clearSelection();
    f.mail_list->item(RowOfSubject(f, "Two"))->setSelected(true);
    auto asked = WhenModalShown("DeleteConfirmation", [](QWidget* box) {
        box->findChild<QPushButton*>("DeleteButton")->click();
    });
    f.Tools.BtnDelete->click();
    ASSERT_TRUE(*asked);
    ASSERT_EQ(server.RemainingMessages(), (std::vector<int>{1, 3, 4}));
    server.AddMails(
        {Numbered("Five", 5),
         Mail("Lunch <lunch@example.org>", "lunch again", "Sat, 06 May 2000 09:00:00 +0200"),
         Numbered("Seven", 7)});

    f.Part<TNewMailMarkers>().Clock = [] { return SecondListingAt; };
    FillLogin(server.port(), "seen", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    ASSERT_EQ(Rows().size(), 6);
    EXPECT_GT(f.mail_list->SectionWidth(NewColumn), 0);
    EXPECT_EQ(f.mail_list->HeaderSections().value(NewColumn), "New");
    EXPECT_EQ(MarkedSubjects(f), (QStringList{"Five", "lunch again", "Seven"}));
    EXPECT_EQ(f.Part<TNewMailMarkers>().Count->text(), "3 new mails");
    EXPECT_EQ(f.Rows().ToolTipAt(RowOfSubject(f, "Five")), SinceLine(SecondListingAt));
    EXPECT_EQ(f.Rows().ToolTipAt(RowOfSubject(f, "One")), SinceLine(FirstListingAt));
    EXPECT_EQ(f.Rows().ToolTipAt(RowOfSubject(f, "lunch today")),
              "Marked by the rule lunch\n" + SinceLine(FirstListingAt));
    EXPECT_EQ(f.Rows().ToolTipAt(RowOfSubject(f, "lunch again")),
              "Marked by the rule lunch\n" + SinceLine(SecondListingAt));

    // Sorted by the column, the new ones stand together.
    f.mail_list->SortByColumn(NewColumn);
    std::vector<int> rows;
    EXPECT_EQ(MarkedSubjects(f, &rows).size(), 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.back() - rows.front(), 2);
    f.Tools.BtnDisconnect->click();
}

TEST_F(AppTest, ADamagedSeenFileIsToldAndReplaced) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("damaged", "secret", {Numbered("One", 1), Numbered("Two", 2)});
    const QString file = SeenMailsFile(AccountFolderName("damaged", "127.0.0.1", server.port()));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("inboxpruner seen mails 1\nnot a line\n");
    }
    TForm1& f = Open();
    FillLogin(server.port(), "damaged", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_TRUE(StatusLines().contains("The list of seen mails " + file + " cannot be used"))
        << StatusLines().toStdString();
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_EQ(f.mail_list->SectionWidth(NewColumn), 0);
    EXPECT_TRUE(TSeenMails::Load(QFile::encodeName(file).toStdString()).Listed());
    f.Tools.BtnDisconnect->click();

    // The replaced file serves the next listing: nothing new, and that is said.
    FillLogin(server.port(), "damaged", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_FALSE(StatusLines().contains("cannot be used")) << StatusLines().toStdString();
    EXPECT_TRUE(MarkedSubjects(f).isEmpty());
    EXPECT_EQ(f.Part<TNewMailMarkers>().Count->text(), "0 new mails");
    f.Tools.BtnDisconnect->click();
}

} // namespace

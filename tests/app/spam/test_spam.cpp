// Spam scores in the window against a real Dovecot and the user's scorers: a private spamd,
// bogofilter with the test's own word list, a scorer that hangs.
#include "AppFixture.h"

#include "ExtraColumns.h"
#include "MultiLst.h"
#include "SpamScores.h"
#include "SpamSettingsDialog.h"
#include "SpamWindowTests.h"
#include "SpamdServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// The subjects in the list's order.
QStringList Subjects(const QStringList& rows) {
    QStringList subjects;
    for (const QString& row : rows)
        subjects << Cell(row, 4);
    return subjects;
}

int Occurrences(const QString& text, const QString& part) {
    return static_cast<int>(text.count(part));
}

} // namespace

// spamd rates the GTUBE mail spam and the others ham: scores in the column, the verdict in
// the tooltip, sorting by score, "Mark spam", and a spamtest rule judging once scores are in.
TEST_F(AppTest, SpamdScoresTheListAndMarksTheSpam) {
    SKIP_WITHOUT_DOVECOT();
    if (!SpamdServer::Installed())
        GTEST_SKIP() << "spamd is not installed (Debian: spamd, spamc)";
    SpamdServer spamd;
    DovecotServer server(
        "bob", "secret",
        {Mail("anna@example.org", "Lunch", "Mon, 7 Dec 2026 10:00:00 +0000",
              "Shall we meet at noon at the usual place?\r\n"),
         Mail("offers@example.com", "Offer", "Mon, 7 Dec 2026 11:00:00 +0000", kGtube),
         Mail("carl@example.org", "Minutes", "Mon, 7 Dec 2026 12:00:00 +0000",
              "The minutes of Friday are attached below.\r\n")});
    {
        // The window reads its scorer from the settings file.
        const auto store = Store();
        store->setValue("SpamScorer", "spamc");
        store->setValue("SpamScorerPlace", QString::fromStdString(spamd.address()));
        store->setValue("SpamScorerBodyLines", 5);
        store->setValue("SpamScorerTimeout", 60);
    }
    TForm1& f = Open();
    ASSERT_TRUE(f.Part<TSpamScores>().Setting.On());
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_TRUE(SentAny("TOP 1 5"));
    ASSERT_TRUE(AwaitScores(f)) << spamd.Log();
    EXPECT_EQ(f.mail_list->HeaderSections().value(SpamColumn), "Spam");

    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(Cell(rows[1], SpamColumn), "10.0") << spamd.Log();
    for (const int ham : {0, 2})
        EXPECT_LT(Cell(rows[ham], SpamColumn).toDouble(), 5) << rows[ham].toStdString();
    const QString tip = f.Rows().ToolTipAt(2);
    EXPECT_TRUE(tip.startsWith("Spam: ")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("GTUBE")) << tip.toStdString();
    EXPECT_TRUE(f.Rows().ToolTipAt(1).startsWith("Not spam: "));
    // The header alone goes to the header window, not the body lines scored with it.
    EXPECT_EQ(f.Rows().Headers()[1].find("GTUBE"), std::string::npos);

    f.mail_list->SortByColumn(SpamColumn);
    f.mail_list->SortByColumn(SpamColumn);
    EXPECT_EQ(Subjects(Rows()).first(), "Offer") << "highest score first, descending";

    f.Part<TSpamScores>().Datei_P->trigger();
    ASSERT_EQ(MarkedRows().size(), 1u);
    EXPECT_EQ(Cell(Rows()[MarkedRows()[0] - 1], 4), "Offer");
    EXPECT_TRUE(StatusLines().endsWith("\r1 mail(s) marked as spam."));

    // A rule on the score marks the spam by itself once the score is in.
    f.BtnDisconnectClick();
    ASSERT_TRUE(WriteSpamtestRule());
    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    ASSERT_EQ(MarkedRows().size(), 1u) << StatusLines().toStdString();
    const QString marked = Rows()[MarkedRows()[0] - 1];
    EXPECT_EQ(Cell(marked, 4), "Offer");
    EXPECT_EQ(Cell(marked, RuleColumn), "rated spam");
    const QString markedTip = f.Rows().ToolTipAt(MarkedRows()[0]);
    // The rule's line comes first, the scorer's verdict after it.
    EXPECT_TRUE(markedTip.startsWith("Marked by the rule rated spam\n") &&
                markedTip.contains("\nSpam: "))
        << markedTip.toStdString();
    f.BtnDisconnectClick();
}

// A scorer that hangs is stopped after its time-out; the listing does not wait for it and the
// status tells of it once.
TEST_F(AppTest, AHangingScorerIsToldOnceAndTheListingCompletes) {
    SKIP_WITHOUT_DOVECOT();
    QTemporaryDir dir;
    const QString script = dir.filePath("hangs");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ncat >/dev/null\nsleep 60\n");
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    std::vector<std::string> mails;
    for (int i = 1; i <= 4; ++i)
        mails.push_back(
            Mail("a@example.org", "Mail " + std::to_string(i), "Mon, 7 Dec 2026 10:00:00 +0000"));
    DovecotServer server("bob", "secret", mails);
    TForm1& f = Open();
    f.Part<TSpamScores>().Setting.Kind = TScorerKind::SpamAssassin;
    f.Part<TSpamScores>().Setting.Program = script;
    f.Part<TSpamScores>().Setting.TimeoutSeconds = 1;
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    EXPECT_EQ(f.ControlState(), TForm1::StateListed);
    EXPECT_EQ(Rows().size(), 4);
    EXPECT_GT(f.Part<TSpamScores>().Outstanding(), 0) << "the listing did not wait for the scorer";
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_EQ(Occurrences(StatusLines(), "no answer within 1 s, stopped"), 1)
        << StatusLines().toStdString();
    for (const QString& row : Rows())
        EXPECT_EQ(Cell(row, SpamColumn), "-");
    EXPECT_TRUE(f.pop3.Connected()) << "the session goes on";
    f.BtnDisconnectClick();
}

// "This is spam" fetches the whole mail and hands it to the learner; the row is scored again.
TEST_F(AppTest, TrainingHandsTheWholeMailToTheLearner) {
    SKIP_WITHOUT_DOVECOT();
    if (::access("/usr/bin/bogofilter", X_OK) != 0 || ::access("/usr/bin/bogoutil", X_OK) != 0)
        GTEST_SKIP() << "bogofilter is not installed";
    QTemporaryDir words;
    DovecotServer server("bob", "secret",
                         {Mail("x@example.com", "Cheap", "Mon, 7 Dec 2026 10:00:00 +0000",
                               "Buy quokkabanana pills today.\r\n")});
    TForm1& f = Open({"de-DE"});
    f.Part<TSpamScores>().Setting.Kind = TScorerKind::Bogofilter;
    f.Part<TSpamScores>().Setting.Place = words.path();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_EQ(Cell(Rows()[0], SpamColumn), "-") << "no word list yet";
    f.mail_list->setCurrentRow(1);
    f.Part<TSpamScores>().men_spam->trigger();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_TRUE(StatusLines().contains("\rMail 1 als Spam gelernt."))
        << StatusLines().toStdString();
    EXPECT_TRUE(SentAny("TOP 1 0"));
    EXPECT_TRUE(SentAny("TOP 1 999999999")) << "fetched whole";

    // The body's word is only in the whole mail.
    QProcess dump;
    dump.start("bogoutil", {"-d", words.filePath("wordlist.db")});
    ASSERT_TRUE(dump.waitForFinished(10000));
    EXPECT_TRUE(dump.readAllStandardOutput().contains("quokkabanana"));
    EXPECT_NE(Cell(Rows()[0], SpamColumn), "-") << "scored again after learning";
    f.BtnDisconnectClick();
}

// What the dialog is given comes back from it and through the settings file unchanged.
TEST_F(AppTest, TheScorerSettingRoundTripsThroughTheDialogAndTheFile) {
    TForm1& f = Open();
    EXPECT_FALSE(f.Part<TSpamScores>().Setting.On()) << "off by default";
    const TSpamSetting settings[] = {
        {},
        {TScorerKind::SpamAssassin, "/run/spamd.sock", "", 0, 10},
        {TScorerKind::Rspamd, "127.0.0.1:11334", "/opt/bin/rspamc", 20, 5},
        {TScorerKind::Bogofilter, "/home/u/.bogofilter", "", 3, 30},
    };
    for (const TSpamSetting& setting : settings) {
        const TSpamSettingsDialog dialog(&f, setting, false);
        EXPECT_EQ(dialog.Place->isEnabled(), setting.On());
        EXPECT_TRUE(dialog.Setting() == setting);
        WriteSpamSetting(f.Settings(), dialog.Setting());
        EXPECT_TRUE(ReadSpamSetting(f.Settings()) == setting);
    }
    const auto place = [&](int index) {
        TSpamSettingsDialog dialog(&f, {}, false);
        dialog.Scorer->setCurrentIndex(index);
        return qobject_cast<QLabel*>(dialog.findChild<QFormLayout*>()->labelForField(dialog.Place))
            ->text();
    };
    EXPECT_EQ(place(1), "spamd (host:port or socket):");
    EXPECT_EQ(place(3), "Word list folder:");
}

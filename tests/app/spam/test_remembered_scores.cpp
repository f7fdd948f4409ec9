// Spam scores remembered by unique id between listings, against a real Dovecot and real
// scorers: a known mail is not sent again, another setting scores afresh, training updates
// what is remembered.
#include "AppFixture.h"

#include "AccountData.h"
#include "ExtraColumns.h"
#include "MultiLst.h"
#include "SpamScores.h"
#include "SpamWindowTests.h"
#include "SpamdServer.h"

#include <QElapsedTimer>
#include <QFile>

#include <unistd.h>

namespace {

QStringList SpamCells(const QStringList& rows) {
    QStringList cells;
    for (const QString& row : rows)
        cells << Cell(row, SpamColumn);
    return cells;
}

std::vector<std::string> ThreeMails() {
    return {Mail("anna@example.org", "Lunch", "Mon, 7 Dec 2026 10:00:00 +0000",
                 "Shall we meet at noon at the usual place?\r\n"),
            Mail("offers@example.com", "Offer", "Mon, 7 Dec 2026 11:00:00 +0000", kGtube),
            Mail("carl@example.org", "Minutes", "Mon, 7 Dec 2026 12:00:00 +0000",
                 "The minutes of Friday are attached below.\r\n")};
}

} // namespace

// The second listing takes every score from memory, the rules' spamtest included; another
// number of body lines is another setting, and every mail is scored again.
TEST_F(AppTest, KnownMailsAreNotSentToTheScorerAgain) {
    SKIP_WITHOUT_DOVECOT();
    if (!SpamdServer::Installed())
        GTEST_SKIP() << "spamd is not installed (Debian: spamd, spamc)";
    SpamdServer spamd;
    DovecotServer server("bob", "secret", ThreeMails());
    TForm1& f = Open();
    TSpamScores& spam = f.Part<TSpamScores>();
    spam.Setting.Kind = TScorerKind::SpamAssassin;
    spam.Setting.Place = QString::fromStdString(spamd.address());
    spam.Setting.BodyLines = 5;
    spam.Setting.TimeoutSeconds = 60;
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    ASSERT_TRUE(AwaitScores(f)) << spamd.Log();
    EXPECT_EQ(spam.SentToScorer(), 3);
    const QStringList first = SpamCells(Rows());
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[1], "10.0") << spamd.Log();
    const QString spamTip = f.Rows().ToolTipAt(2);
    f.BtnDisconnectClick();
    EXPECT_TRUE(
        QFile::exists(ScoreMemoryFile(AccountFolderName("bob", "127.0.0.1", server.port()))));

    // A rule on the score judges remembered scores as it judges fresh ones.
    ASSERT_TRUE(WriteSpamtestRule());
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    // Shown with the rows: nothing was outstanding at any time.
    EXPECT_EQ(spam.Outstanding(), 0);
    EXPECT_EQ(spam.SentToScorer(), 0);
    EXPECT_EQ(SpamCells(Rows()), first);
    EXPECT_EQ(f.Rows().ToolTipAt(2).section(u'\n', -2), spamTip.section(u'\n', -2));
    ASSERT_EQ(MarkedRows().size(), 1u) << StatusLines().toStdString();
    EXPECT_EQ(Cell(Rows()[MarkedRows()[0] - 1], RuleColumn), "rated spam");
    f.BtnDisconnectClick();

    spam.Setting.BodyLines = 6;
    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f)) << spamd.Log();
    EXPECT_EQ(spam.SentToScorer(), 3) << "another setting scores afresh";
    EXPECT_EQ(SpamCells(Rows())[1], "10.0");
    f.BtnDisconnectClick();
}

// A damaged file is said once; its mails are scored afresh and the file is replaced.
TEST_F(AppTest, ADamagedScoreFileIsSaidOnceAndReplaced) {
    SKIP_WITHOUT_DOVECOT();
    if (::access("/usr/bin/bogofilter", X_OK) != 0)
        GTEST_SKIP() << "bogofilter is not installed";
    QTemporaryDir words;
    DovecotServer server("bob", "secret", ThreeMails());
    const QString file = ScoreMemoryFile(AccountFolderName("bob", "127.0.0.1", server.port()));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("inboxpruner scores 1\n\x01\x02 garbage\n");
    }
    TForm1& f = Open();
    TSpamScores& spam = f.Part<TSpamScores>();
    spam.Setting.Kind = TScorerKind::Bogofilter;
    spam.Setting.Place = words.path();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_TRUE(StatusLines().contains("The remembered spam scores " +
                                       QDir::toNativeSeparators(file) + " are unusable: "))
        << StatusLines().toStdString();
    EXPECT_TRUE(StatusLines().contains("damaged at line 2")) << StatusLines().toStdString();
    EXPECT_EQ(spam.SentToScorer(), 3);
    f.BtnDisconnectClick();
    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_FALSE(StatusLines().contains("unusable")) << StatusLines().toStdString();
    // bogofilter without a word list scores nothing: no score, nothing remembered.
    EXPECT_EQ(spam.SentToScorer(), 3);
    f.BtnDisconnectClick();
}

// Training scores the mail again, and the new score is the one remembered.
TEST_F(AppTest, TrainingUpdatesTheRememberedScore) {
    SKIP_WITHOUT_DOVECOT();
    if (::access("/usr/bin/bogofilter", X_OK) != 0)
        GTEST_SKIP() << "bogofilter is not installed";
    QTemporaryDir words;
    DovecotServer server("bob", "secret",
                         {Mail("x@example.com", "Cheap", "Mon, 7 Dec 2026 10:00:00 +0000",
                               "Buy quokkabanana pills today.\r\n"),
                          Mail("y@example.com", "Cheaper", "Mon, 7 Dec 2026 11:00:00 +0000",
                               "Buy quokkabanana pills now.\r\n")});
    TForm1& f = Open();
    TSpamScores& spam = f.Part<TSpamScores>();
    spam.Setting.Kind = TScorerKind::Bogofilter;
    spam.Setting.Place = words.path();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_EQ(SpamCells(Rows()), QStringList({"-", "-"})) << "no word list yet";
    f.mail_list->setCurrentRow(1);
    spam.men_spam->trigger();
    ASSERT_TRUE(AwaitScores(f));
    const QString trained = SpamCells(Rows())[0];
    ASSERT_NE(trained, "-") << StatusLines().toStdString();
    EXPECT_EQ(spam.SentToScorer(), 3) << "two listed, one trained";
    f.BtnDisconnectClick();

    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_EQ(spam.SentToScorer(), 1) << "the trained mail is known, the other had no score";
    EXPECT_EQ(SpamCells(Rows())[0], trained);
    EXPECT_NE(SpamCells(Rows())[1], "-") << "scored with the word list now";
    // Trained again: sent again, and what comes back is what is remembered (bogofilter's
    // spamicity of so small a word list may stay where it was).
    f.mail_list->setCurrentRow(1);
    spam.men_ham->trigger();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_EQ(spam.SentToScorer(), 2);
    const QString retrained = SpamCells(Rows())[0];
    ASSERT_NE(retrained, "-");
    f.BtnDisconnectClick();

    f.BtnConnectClick();
    ASSERT_TRUE(AwaitScores(f));
    EXPECT_EQ(spam.SentToScorer(), 0);
    EXPECT_EQ(SpamCells(Rows())[0], retrained);
    f.BtnDisconnectClick();
}

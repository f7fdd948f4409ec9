// Pruning a mailbox of 50 with find against a real Dovecot: only what the user saw marked
// goes, the server keeps exactly the rest.
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ExtraColumns.h"

#include "Find.h"
#include "MultiLst.h"
#include "SenderListEntries.h"
#include "SenderLists.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <set>

namespace {

// Mail i of the box (1-based): a friend's every tenth, a junk sender's every seventh of the
// rest, a colleague's lunch note every fifth of the others, the rest plain notes.
enum class TKind { Friend, Junk, Lunch, Note };

TKind KindOf(int i) {
    if (i % 10 == 0)
        return TKind::Friend;
    if (i % 7 == 0)
        return TKind::Junk;
    if (i % 5 == 1)
        return TKind::Lunch;
    return TKind::Note;
}

std::vector<std::string> Mailbox() {
    std::vector<std::string> mails;
    for (int i = 1; i <= 50; ++i) {
        const std::string n = std::to_string(i);
        const std::string date =
            "Mon, 1 May 2000 10:00:" + std::string(i < 10 ? "0" : "") + n + " +0000";
        switch (KindOf(i)) {
        case TKind::Friend:
            mails.push_back(Mail("Frieda <frieda@pals.example>", "Lunch together? " + n, date));
            break;
        case TKind::Junk:
            mails.push_back(Mail("Deals <deals@junk.example>", "Cheap watches " + n, date));
            break;
        case TKind::Lunch:
            mails.push_back(
                Mail("Kurt <kurt@work.example>", "=?UTF-8?Q?Mittagessen_L=C3=BCNCH?= " + n, date));
            break;
        case TKind::Note:
            mails.push_back(Mail("Person " + n + " <p" + n + "@mail.example>", "Note " + n, date));
            break;
        }
    }
    return mails;
}

std::vector<int> NumbersOf(TKind kind, bool of) {
    std::vector<int> numbers;
    for (int i = 1; i <= 50; ++i) {
        if ((KindOf(i) == kind) == of)
            numbers.push_back(i);
    }
    return numbers;
}

std::set<int> MarkedNumbers(TForm1& f) {
    std::set<int> numbers;
    for (const int row : f.mail_list->MarkedRows())
        numbers.insert(f.mail_list->item(row)->text().section(u'|', 0, 0).trimmed().toInt());
    return numbers;
}

// A rules script in the data folder for one test; the fixture's folder is shared by the
// tests of a run, so the script goes again at the end.
class TRulesFile {
public:
    TRulesFile(const QString& name, const std::string& script)
        : path_(QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                    .filePath(name)) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path_.toStdString();
        file.write(script.data(), static_cast<qint64>(script.size()));
    }
    ~TRulesFile() { QFile::remove(path_); }
    std::string Text() const {
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path_.toStdString();
        return file.readAll().toStdString();
    }

private:
    QString path_;
};

// A right click on the row, as a person opens its context menu.
void OpenRowMenu(TForm1& f, int row) {
    f.mail_list->scrollToItem(f.mail_list->item(row));
    const QPoint at = f.mail_list->visualItemRect(f.mail_list->item(row)).center();
    QTest::mouseClick(f.mail_list->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, f.mail_list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.mail_list->viewport(), &menu);
}

TEST_F(AppTest, FindAndMarkAllShownDeleteOnlyWhatWasShownAndMarked) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("pruner", "secret", Mailbox());
    TForm1& f = Open({QStringLiteral("de-DE")});
    FillLogin(server.port(), "pruner", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    ASSERT_EQ(Rows().size(), 50);

    // Ctrl+F goes to the field; the decoded subject is found whatever its case.
    QTest::keyClick(f.mail_list, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), f.Part<TFind>().Field);
    f.Part<TFind>().Field->insert(QString::fromUtf8("lünch"));
    const std::vector<int> lunch = NumbersOf(TKind::Lunch, true);
    EXPECT_EQ(f.Part<TFind>().Count->text(),
              QStringLiteral("%1 von 50 angezeigt").arg(lunch.size()));

    // A range over every row, as "Mark all" marks, takes only the rows shown.
    f.Tools.BtnMark->click();
    EXPECT_EQ(MarkedNumbers(f), std::set<int>(lunch.begin(), lunch.end()));
    f.mail_list->clearSelection();
    f.Part<TFind>().BtnMarkShown->click();
    EXPECT_EQ(MarkedNumbers(f), std::set<int>(lunch.begin(), lunch.end()));

    // Cleared, every row is shown again and the marks stay.
    f.Part<TFind>().Field->clear();
    EXPECT_EQ(f.Part<TFind>().Count->text(), QString());
    int shown = 0;
    for (int row = 1; row < f.mail_list->count(); ++row)
        shown += f.mail_list->isRowHidden(row) ? 0 : 1;
    EXPECT_EQ(shown, 50);
    EXPECT_EQ(MarkedNumbers(f), std::set<int>(lunch.begin(), lunch.end()));

    auto asked = WhenModalShown("DeleteConfirmation", [](QWidget* box) {
        box->findChild<QPushButton*>("DeleteButton")->click();
    });
    f.Tools.BtnDelete->click();
    EXPECT_TRUE(*asked);
    EXPECT_EQ(server.RemainingMessages(), NumbersOf(TKind::Lunch, false)) << server.Log();
}

TEST_F(AppTest, RulesAndABlockListMarkExactlyTheirMailsAndNeverAFriend) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("pruner", "secret", Mailbox());
    // The friends' subjects hold "Lunch" too: the friends list keeps them all the same.
    const std::string script =
        WithSenderLists("# rule: lunch\nif header :contains \"subject\" \"lunch\" { discard; }\n"
                        "# rule: note two\nif header :is \"subject\" \"Note 2\" { discard; }\n",
                        {{"frieda@pals.example"}, {"junk.example"}});
    // The account's own file, as tests of the run share the data folder.
    const TRulesFile rules(
        QStringLiteral("rules-%1-pruner.sieve").arg(ServerText(server.port()).replace(u':', u'_')),
        script);

    TForm1& f = Open();
    FillLogin(server.port(), "pruner", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    std::set<int> expected = {2};
    for (const int n : NumbersOf(TKind::Junk, true))
        expected.insert(n);
    EXPECT_EQ(MarkedNumbers(f), expected);
    const int junkRow = NumbersOf(TKind::Junk, true).front();
    EXPECT_EQ(f.mail_list->item(junkRow)->text().section(u'|', 5, 5), QStringLiteral("blocked"));
    EXPECT_EQ(f.Rows().ToolTipAt(junkRow), QStringLiteral("Marked by the rule blocked"));
    EXPECT_EQ(f.Rows().ToolTipAt(10), QStringLiteral("Kept by the rule friends"));

    QString question;
    auto asked = WhenModalShown("DeleteConfirmation", [&](QWidget* box) {
        question = static_cast<QMessageBox*>(box)->text();
        box->findChild<QPushButton*>("DeleteButton")->click();
    });
    f.Tools.BtnDelete->click();
    ASSERT_TRUE(*asked);
    EXPECT_TRUE(
        question.endsWith(QStringLiteral("\n%1 of them marked by rules.").arg(expected.size())))
        << question.toStdString();
    std::vector<int> rest;
    for (int i = 1; i <= 50; ++i) {
        if (!expected.count(i))
            rest.push_back(i);
    }
    EXPECT_EQ(server.RemainingMessages(), rest) << server.Log();
}

// Only the marks the rules made count as theirs: one the user took away and gave again is the
// user's own.
TEST_F(AppTest, TheConfirmationCountsOnlyTheRulesOwnMarks) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("pruner", "secret", Mailbox());
    const TRulesFile rules(
        QStringLiteral("rules-%1-pruner.sieve").arg(ServerText(server.port()).replace(u':', u'_')),
        "if header :is \"subject\" \"Note 2\" { discard; }\n"
        "if header :is \"subject\" \"Note 3\" { discard; }\n");
    TForm1& f = Open();
    FillLogin(server.port(), "pruner", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    ASSERT_EQ(MarkedNumbers(f), (std::set<int>{2, 3}));
    f.mail_list->item(2)->setSelected(false);
    f.mail_list->item(2)->setSelected(true);
    QString question;
    auto asked = AnswerDeletion(false, &question);
    f.Tools.BtnDelete->click();
    ASSERT_TRUE(*asked);
    EXPECT_TRUE(question.endsWith(QStringLiteral("\n1 of them marked by rules.")))
        << question.toStdString();
    f.BtnDisconnectClick();
}

TEST_F(AppTest, AScriptErrorIsToldWithItsPlaceAndMarksNothing) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("pruner", "secret", Mailbox());
    const TRulesFile rules(
        QStringLiteral("rules-%1-pruner.sieve").arg(ServerText(server.port()).replace(u':', u'_')),
        "if true { discard; }\nif true { fileinto \"x\"; }\n");

    TForm1& f = Open();
    FillLogin(server.port(), "pruner", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed);
    EXPECT_TRUE(StatusLines().contains(QStringLiteral("at 2:11:"))) << StatusLines().toStdString();
    EXPECT_TRUE(StatusLines().contains(QStringLiteral("nothing is marked")));
    EXPECT_TRUE(MarkedNumbers(f).empty());

    // Nor does a sender go on the lists of a script that cannot run.
    const std::string before = rules.Text();
    OpenRowMenu(f, 7);
    f.Part<TSenderListEntries>().men_mark_sender->trigger();
    f.Menus.popmen_header->hide();
    EXPECT_TRUE(StatusLines().contains(QStringLiteral("at 2:11:"))) << StatusLines().toStdString();
    EXPECT_TRUE(StatusLines().contains(QStringLiteral("the lists were not changed")));
    EXPECT_EQ(rules.Text(), before);
    EXPECT_TRUE(MarkedNumbers(f).empty());
    f.Tools.BtnDisconnect->click();
}

TEST_F(AppTest, AlwaysKeepAndAlwaysMarkFromARowRunTheRulesAgain) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("pruner", "secret", Mailbox());
    const TRulesFile rules(
        QStringLiteral("rules-%1-pruner.sieve").arg(ServerText(server.port()).replace(u':', u'_')),
        "# rule: watches\nif header :contains \"subject\" \"watches\" { discard; }\n");
    TForm1& f = Open();
    FillLogin(server.port(), "pruner", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    const std::vector<int> junk = NumbersOf(TKind::Junk, true);
    EXPECT_EQ(MarkedNumbers(f), std::set<int>(junk.begin(), junk.end()));
    // The user's own mark, which no rule takes away.
    f.mail_list->item(2)->setSelected(true);

    OpenRowMenu(f, junk.front());
    ASSERT_TRUE(f.Menus.popmen_header->isVisible());
    EXPECT_EQ(f.mail_list->currentRow(), junk.front());
    EXPECT_EQ(f.mail_list->MarkedRows().size(), junk.size() + 1) << "a right click keeps marks";
    EXPECT_EQ(f.Part<TSenderListEntries>().men_keep_sender->text(),
              QStringLiteral("Always keep mails from deals@junk.example"));
    f.Part<TSenderListEntries>().men_keep_sender->trigger();
    f.Menus.popmen_header->hide();
    EXPECT_EQ(MarkedNumbers(f), std::set<int>{2}) << StatusLines().toStdString();
    EXPECT_EQ(ReadSenderLists(rules.Text()).friends,
              std::vector<std::string>{"deals@junk.example"});
    EXPECT_EQ(f.Rows().ToolTipAt(junk.back()), QStringLiteral("Kept by the rule friends"));
    EXPECT_EQ(f.mail_list->item(junk.back())->text().section(u'|', 5, 5),
              QStringLiteral("friends"));

    // Mark alike by its keys leaves the kept mails out and says so.
    QTest::keyClick(f.mail_list, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(MarkedNumbers(f), std::set<int>{2});
    EXPECT_TRUE(StatusLines().contains(
        QStringLiteral("0 mails marked, %1 kept by rules and not marked.").arg(junk.size())))
        << StatusLines().toStdString();

    // Nor does "Mark all shown" mark them.
    f.Part<TFind>().Field->setText(QStringLiteral("watches"));
    f.Part<TFind>().BtnMarkShown->click();
    EXPECT_EQ(MarkedNumbers(f), std::set<int>{2});
    EXPECT_TRUE(StatusLines().contains(QStringLiteral("%1 kept by rules").arg(junk.size())));
    f.Part<TFind>().Field->clear();

    OpenRowMenu(f, 1);
    EXPECT_EQ(f.Part<TSenderListEntries>().men_mark_domain->text(),
              QStringLiteral("Always mark mails from work.example"));
    f.Part<TSenderListEntries>().men_mark_domain->trigger();
    f.Menus.popmen_header->hide();
    std::set<int> expected = {2};
    for (const int n : NumbersOf(TKind::Lunch, true))
        expected.insert(n);
    EXPECT_EQ(MarkedNumbers(f), expected) << StatusLines().toStdString();
    EXPECT_EQ(f.Rows().ToolTipAt(1), QStringLiteral("Marked by the rule blocked"));
    f.Tools.BtnDisconnect->click();
    EXPECT_EQ(server.RemainingMessages().size(), 50u) << "marks alone delete nothing";
}

} // namespace

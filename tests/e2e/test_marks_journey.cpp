// Marks against a real Dovecot: with find active a stray click keeps the hidden rows' marks,
// undo brings back what a click or PageDown took, and the marks can be reviewed (show only
// marked, invert, unmark all, each undone) before Delete takes exactly them.
#include "AppFixture.h"
#include "E2eSupport.h"

#include "Find.h"
#include "MailRows.h"
#include "MarkCommands.h"
#include "MultiLst.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <set>

namespace {

constexpr int MailCount = 40;

// Every third mail is an offer, which the rules mark; the others are notes.
bool IsOffer(int i) {
    return i % 3 == 0;
}

std::vector<std::string> Mailbox() {
    std::vector<std::string> mails;
    for (int i = 1; i <= MailCount; ++i) {
        const std::string n = std::to_string(i);
        mails.push_back(IsOffer(i) ? Mail("Shop <deals@shop.example>", "Special offer " + n,
                                          "Mon, 1 May 2000 10:00:00 +0000")
                                   : Mail("Person " + n + " <p" + n + "@mail.example>", "Note " + n,
                                          "Mon, 1 May 2000 10:00:00 +0000"));
    }
    return mails;
}

std::set<int> Offers(std::set<int> plus = {}) {
    for (int i = 1; i <= MailCount; ++i) {
        if (IsOffer(i))
            plus.insert(i);
    }
    return plus;
}

std::set<int> MarkedNumbers(TForm1& f) {
    std::set<int> numbers;
    for (const int row : f.mail_list->MarkedRows())
        numbers.insert(MessageNumberOf(*f.mail_list->item(row)));
    return numbers;
}

void Click(TForm1& f, int row, Qt::KeyboardModifiers modifiers = {}) {
    f.mail_list->scrollToItem(f.mail_list->item(row));
    QTest::mouseClick(f.mail_list->viewport(), Qt::LeftButton, modifiers,
                      f.mail_list->visualItemRect(f.mail_list->item(row)).center());
}

bool EntriesEnabled(const TMarkCommands& marks) {
    return marks.Unmark->isEnabled() && marks.Invert->isEnabled() && marks.OnlyMarked->isEnabled();
}

TEST_F(AppTest, MarksSurviveAStrayClickAndUndoBringsThemBack) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("marker", "secret", Mailbox());
    // The account's own rules file, gone again at the end: tests of a run share the folder.
    const QString rules = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                              .filePath(QStringLiteral("rules-%1-marker.sieve")
                                            .arg(ServerText(server.port()).replace(u':', u'_')));
    QDir().mkpath(QFileInfo(rules).absolutePath());
    QFile script(rules);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("# rule: offers\nif header :contains \"subject\" \"offer\" { discard; }\n");
    script.close();
    const std::shared_ptr<void> removeRules(nullptr, [&](void*) { QFile::remove(rules); });

    TForm1& f = Open();
    TMarkCommands& marks = f.Part<TMarkCommands>();
    EXPECT_FALSE(EntriesEnabled(marks) || marks.Undo->isEnabled()) << "nothing listed yet";
    FillLogin(server.port(), "marker", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    ASSERT_EQ(Rows().size(), MailCount);
    EXPECT_EQ(MarkedNumbers(f), Offers());
    EXPECT_TRUE(EntriesEnabled(marks));
    EXPECT_FALSE(marks.Undo->isEnabled()) << "the rules took no mark";

    // Two notes of the user's; then find hides the offers, and a plain click on a note
    // replaces the marks of the notes only.
    Click(f, 2, Qt::ControlModifier);
    Click(f, 4, Qt::ControlModifier);
    f.Part<TFind>().Field->setText(QStringLiteral("note"));
    Click(f, 1);
    EXPECT_EQ(MarkedNumbers(f), Offers({1}));
    EXPECT_EQ(MarkedMails(f.Rows()).Count, 14) << "the hidden marks count";

    // Ctrl+Z brings back what the click took and takes its own mark.
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.Undo->isEnabled(); }));
    QTest::keyClick(f.mail_list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(MarkedNumbers(f), Offers({2, 4}));
    EXPECT_FALSE(marks.Undo->isEnabled());

    // Without find, PageDown replaces every mark; the menu entry brings them back.
    f.Part<TFind>().Field->clear();
    f.mail_list->setFocus();
    f.mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    QTest::keyClick(f.mail_list, Qt::Key_PageDown);
    EXPECT_EQ(MarkedNumbers(f).size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.Undo->isEnabled(); }));
    marks.Undo->trigger();
    EXPECT_EQ(MarkedNumbers(f), Offers({2, 4}));

    // Review before Delete: only the marked mails are shown, with find too. A mark taken
    // there leaves its row shown; invert and unmark all work on what is shown, and go back.
    marks.OnlyMarked->trigger();
    EXPECT_TRUE(marks.OnlyMarked->isChecked());
    EXPECT_EQ(f.Part<TFind>().Count->text(), QStringLiteral("15 of 40 shown"));
    f.Part<TFind>().Field->setText(QStringLiteral("offer 1"));
    EXPECT_EQ(f.Part<TFind>().Count->text(), QStringLiteral("3 of 40 shown"));
    f.Part<TFind>().Field->clear();
    Click(f, 4, Qt::ControlModifier);
    EXPECT_FALSE(f.mail_list->isRowHidden(4));
    marks.Invert->trigger();
    EXPECT_EQ(MarkedNumbers(f), std::set<int>{4});
    marks.Undo->trigger();
    EXPECT_EQ(MarkedNumbers(f), Offers({2}));
    marks.Unmark->trigger();
    EXPECT_TRUE(MarkedNumbers(f).empty());
    marks.Undo->trigger();
    EXPECT_EQ(MarkedNumbers(f), Offers({2}));

    // The rules' marks are still theirs; Delete takes exactly the marked mails.
    QString question;
    auto asked = AnswerDeletion(true, &question);
    f.Tools.BtnDelete->click();
    ASSERT_TRUE(*asked);
    EXPECT_TRUE(question.endsWith(QStringLiteral("\n13 of them marked by rules.")))
        << question.toStdString();
    std::vector<int> rest;
    for (int i = 1; i <= MailCount; ++i) {
        if (!Offers({2}).count(i))
            rest.push_back(i);
    }
    EXPECT_EQ(server.RemainingMessages(), rest) << server.Log();
    EXPECT_FALSE(EntriesEnabled(marks) || marks.Undo->isEnabled()) << "the session ended";
    // With it showing only marked ended: the mails left are all shown.
    EXPECT_FALSE(marks.OnlyMarked->isChecked());
    EXPECT_EQ(f.Part<TFind>().Count->text(), QString());
    ASSERT_EQ(Rows().size(), static_cast<int>(rest.size()));
    for (int row = 1; row < f.mail_list->count(); ++row)
        EXPECT_FALSE(f.mail_list->isRowHidden(row)) << row;
}

} // namespace

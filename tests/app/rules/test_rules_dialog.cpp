// The rules dialog from the Server menu: rows, lists and Sieve text saved into the rules file.
#include "AppFixture.h"

#include "ExtraColumns.h"
#include "FileMode.h"
#include "ListingRules.h"
#include "MultiLst.h"
#include "Parser.h"
#include "RuleRows.h"
#include "RulesDialog.h"
#include "RulesOnListing.h"
#include "SenderLists.h"

#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::string FileText(const QString& file) {
    std::string text;
    QString why;
    EXPECT_TRUE(ReadRulesFile(file, text, why)) << why.toStdString();
    return text;
}

// Opens the dialog from the menu and drives it while it is shown; closes it if still open.
void WithRulesDialog(TForm1& f, const std::function<void(TRulesDialog&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TRulesDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        driven = true;
        drive(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    f.Part<TRulesOnListing>().Datei_R->trigger();
    EXPECT_TRUE(driven);
}

void SetRow(TRulesDialog& d, int row, const QString& field, const QString& comparison,
            const QString& value, const QString& action) {
    qobject_cast<QComboBox*>(d.Table->cellWidget(row, 0))->setEditText(field);
    auto* compare = qobject_cast<QComboBox*>(d.Table->cellWidget(row, 1));
    compare->setCurrentIndex(compare->findText(comparison));
    d.Table->item(row, 2)->setText(value);
    qobject_cast<QComboBox*>(d.Table->cellWidget(row, 3))->setCurrentText(action);
}

void Click(QPushButton* button) {
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    button->click();
}

} // namespace

TEST_F(AppTest, RulesDialogSavesRowsAndListsForTheAccount) {
    TForm1& f = Open();
    f.Login.servername->setEditText(QStringLiteral("pop.example"));
    f.Login.Username->setEditText(QStringLiteral("anna"));
    const QString file =
        AccountRulesFile(DataFolder(), QStringLiteral("pop.example"), QStringLiteral("anna"));
    WithRulesDialog(f, [&](TRulesDialog& d) {
        EXPECT_TRUE(d.ForAll->isChecked()); // no file of the account's own yet
        d.ForAccount->setChecked(true);
        Click(d.AddRow);
        Click(d.AddRow);
        SetRow(d, 0, "Subject", "contains", "Sale \"50%\"", "mark");
        SetRow(d, 1, "List-Id", "matches (* ?)", "*news*", "keep");
        d.Table->setCurrentCell(1, 2);
        Click(d.RowUp);
        d.RuleName->setText("mine");

        d.Tabs->setCurrentIndex(TRulesDialog::ListsPage);
        for (const char* entry : {"<Frieda@Pals.Example>", "two words"}) {
            d.Entries[0]->setText(entry);
            Click(d.AddEntry[0]);
        }
        EXPECT_EQ(d.Error->text(), "No address or domain: two words");
        ASSERT_EQ(d.Lists[0]->count(), 1);
        EXPECT_EQ(d.Lists[0]->item(0)->text(), "frieda@pals.example");

        // Back on the rows, they are as left, in their new order.
        d.Tabs->setCurrentIndex(TRulesDialog::RulesPage);
        ASSERT_EQ(d.Table->rowCount(), 2);
        EXPECT_EQ(d.Table->item(0, 2)->text(), "*news*");
        SaveScreenshot(&d, "rules-dialog");
        d.findChild<QPushButton*>("Ok")->click();
        EXPECT_FALSE(d.isVisible());
    });
    const QDate today = QDate::currentDate();
    const TRuleSet rows{
        false,
        "mine",
        {{TRowField::Header, "List-Id", TRowComparison::Matches, "*news*", TRowAction::Keep},
         {TRowField::Subject, "", TRowComparison::Contains, "Sale \"50%\"", TRowAction::Mark}}};
    const std::chrono::sys_days day{std::chrono::year(today.year()) /
                                    static_cast<unsigned>(today.month()) /
                                    static_cast<unsigned>(today.day())};
    const std::string text = FileText(file);
    EXPECT_EQ(text, WithRuleRows(WithSenderLists("", {{"frieda@pals.example"}, {}}), rows, day));
    EXPECT_NO_THROW(ParseScript(text));
    EXPECT_FALSE(QFileInfo::exists(SharedRulesFile(DataFolder())));
    // Saved before any login, they apply to the listing of the login row's account.
    EXPECT_TRUE(f.mail_list->HeaderSections().contains("Rule"));

    // Opened again, the dialog shows the account's file.
    WithRulesDialog(f, [&](TRulesDialog& d) {
        EXPECT_TRUE(d.ForAccount->isChecked());
        EXPECT_EQ(d.Table->rowCount(), 2);
        EXPECT_EQ(d.Lists[0]->count(), 1);
    });
}

TEST_F(AppTest, RulesDialogRefusesABrokenTextAndImportsAndExports) {
    TForm1& f = Open();
    const QString shared = SharedRulesFile(DataFolder());
    QDir().mkpath(DataFolder());
    const QString imported = QDir(DataFolder()).filePath("in.sieve");
    const QString exported = QDir(DataFolder()).filePath("out.sieve");
    const std::string script = "# rule: big\nif size :over 1M { discard; }\n";
    QString why;
    ASSERT_TRUE(WriteRulesFile(imported, script, why));
    WithRulesDialog(f, [&](TRulesDialog& d) {
        EXPECT_FALSE(d.ForAccount->isEnabled()); // no account in the login row
        d.ChooseFile = [&](bool exporting) { return exporting ? exported : imported; };
        Click(d.Import);
        EXPECT_EQ(d.Script(), script);

        d.Tabs->setCurrentIndex(TRulesDialog::SievePage);
        d.SieveText->setPlainText(QString::fromStdString(script) +
                                  "if header :contains \"subject\" { discard; }\n");
        d.findChild<QPushButton*>("Ok")->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.Error->text().startsWith("Error at 3:4: ")) << d.Error->text().toStdString();
        EXPECT_EQ(d.SieveText->textCursor().blockNumber(), 2);
        EXPECT_FALSE(QFileInfo::exists(shared));
        // The rows cannot be shown for a text that does not parse.
        d.Tabs->setCurrentIndex(TRulesDialog::RulesPage);
        EXPECT_FALSE(d.Table->isEnabled());
        EXPECT_TRUE(d.RowsNote->text().startsWith("Error at 3:4: "));
        SaveScreenshot(&d, "rules-dialog-broken-text");

        d.Tabs->setCurrentIndex(TRulesDialog::SievePage);
        d.SieveText->setPlainText(QString::fromStdString(script));
        Click(d.Export);
        d.findChild<QPushButton*>("Ok")->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(FileText(shared), script);
    EXPECT_EQ(FileText(exported), script);
    // Saved, the rules apply: the list has its rule column.
    EXPECT_TRUE(f.mail_list->HeaderSections().contains("Rule"));
}

// A save on a listed mailbox judges it again at once: a new discard marks, and a rule taken
// away takes its mark back while the user's own mark stays.
TEST_F(AppTest, RulesSavedWhileListedApplyAtOnce) {
    SKIP_WITHOUT_DOVECOT();
    std::vector<std::string> mails;
    for (int n = 1; n <= 4; ++n)
        mails.push_back(Mail("s" + std::to_string(n) + "@example.org", "Mail " + std::to_string(n),
                             "Mon, 1 May 2000 10:11:12 +0200"));
    DovecotServer server("listed", "secret", mails);
    TForm1& f = Open();
    FillLogin(server.port(), "listed", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    f.mail_list->item(1)->setSelected(true);

    const auto save = [&](const QString& script) {
        WithRulesDialog(f, [&](TRulesDialog& d) {
            d.ForAll->setChecked(true);
            d.Tabs->setCurrentIndex(TRulesDialog::SievePage);
            d.SieveText->setPlainText(script);
            d.findChild<QPushButton*>("Ok")->click();
            EXPECT_FALSE(d.isVisible()) << d.Error->text().toStdString();
        });
    };
    save("# rule: three\nif header :contains \"subject\" \"Mail 3\" { discard; }\n");
    EXPECT_EQ(MarkedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(f.mail_list->item(3)->text().section(u'|', RuleColumn, RuleColumn), "three");
    save("# rule: one\nif header :contains \"subject\" \"Mail 1\" { keep; }\n");
    EXPECT_EQ(MarkedRows(), (std::vector<int>{1}));
    EXPECT_EQ(f.Rows().ToolTipAt(3), QString());
    f.BtnDisconnectClick();
}

// An account's rules add to the shared ones: the friend of rules.sieve is kept although the
// account's own script discards everything; the list names the rule in the window's language.
TEST_F(AppTest, AccountRulesAddToTheSharedFriends) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("friends", "secret",
                         {Mail("anna@pals.example", "Hello", "Mon, 1 May 2000 10:11:12 +0200"),
                          Mail("shop@sale.example", "Offer", "Mon, 1 May 2000 10:11:12 +0200")});
    TForm1& f = Open({QStringLiteral("de-DE")});
    FillLogin(server.port(), "friends", "secret");
    QString why;
    ASSERT_TRUE(WriteRulesFile(SharedRulesFile(DataFolder()),
                               WithSenderLists("", {{"anna@pals.example"}, {}}), why));
    const QString account =
        AccountRulesFile(DataFolder(), f.Login.servername->currentText().trimmed(), "friends");
    ASSERT_TRUE(WriteRulesFile(account, "# rule: alles\nif true { discard; }\n", why));
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_EQ(MarkedRows(), (std::vector<int>{2}));
    EXPECT_EQ(f.mail_list->item(1)->text().section(u'|', RuleColumn, RuleColumn), "Freunde");
    EXPECT_EQ(f.mail_list->item(2)->text().section(u'|', RuleColumn, RuleColumn), "alles");
    // Written by the program, the rules are the owner's alone.
    EXPECT_EQ(FileMode(account), 0600);
    EXPECT_EQ(FileMode(SharedRulesFile(DataFolder())), 0600);

    // An error in the account's script is told in the window's language, and nothing is
    // marked by the rules then.
    ASSERT_TRUE(WriteRulesFile(account, "if true { fileinto \"x\"; }\n", why));
    f.Part<TRulesOnListing>().RulesChanged();
    EXPECT_TRUE(StatusLines().contains(
        QStringLiteral("Regeln: Fehler in %1 bei 1:11: nicht unterstützter Befehl 'fileinto'")
            .arg(account)))
        << StatusLines().toStdString();
    EXPECT_EQ(MarkedRows(), std::vector<int>{});
    f.BtnDisconnectClick();
}

// OK on an unchanged script writes nothing: choosing "for this account" alone makes no file
// that would stand beside the shared one. Taking friends off a list asks first.
TEST_F(AppTest, RulesDialogWritesNothingUnchangedAndAsksBeforeDroppingFriends) {
    TForm1& f = Open();
    f.Login.servername->setEditText(QStringLiteral("pop.example"));
    f.Login.Username->setEditText(QStringLiteral("anna"));
    const QString shared = SharedRulesFile(DataFolder());
    const QString account =
        AccountRulesFile(DataFolder(), QStringLiteral("pop.example"), QStringLiteral("anna"));
    const std::string friends = WithSenderLists("", {{"frieda@pals.example", "pals.example"}, {}});
    QString why;
    ASSERT_TRUE(WriteRulesFile(shared, friends, why));
    WithRulesDialog(f, [&](TRulesDialog& d) {
        d.ForAccount->setChecked(true);
        d.Tabs->setCurrentIndex(TRulesDialog::ListsPage);
        d.findChild<QPushButton*>("Ok")->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_FALSE(QFileInfo::exists(account));
    EXPECT_EQ(FileText(shared), friends);

    QStringList asked;
    bool answer = false;
    const auto dropFriend = [&](TRulesDialog& d) {
        d.ConfirmDropped = [&](const QStringList& dropped) {
            asked = dropped;
            return answer;
        };
        d.Tabs->setCurrentIndex(TRulesDialog::ListsPage);
        d.Lists[0]->item(1)->setSelected(true);
        Click(d.RemoveEntry[0]);
        d.findChild<QPushButton*>("Ok")->click();
    };
    WithRulesDialog(f, [&](TRulesDialog& d) {
        EXPECT_TRUE(d.ForAll->isChecked());
        dropFriend(d);
        EXPECT_TRUE(d.isVisible()); // not saved: still open with the change
    });
    EXPECT_EQ(asked, QStringList{"pals.example"});
    EXPECT_EQ(FileText(shared), friends);
    answer = true;
    WithRulesDialog(f, [&](TRulesDialog& d) {
        dropFriend(d);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(FileText(shared), WithSenderLists("", {{"frieda@pals.example"}, {}}));
    EXPECT_EQ(FileMode(shared), 0600);
}

// Enter in the address field adds the entry and leaves the dialog open; several addresses
// pasted at once are each added, and those that are none are named and stay in the field.
TEST_F(AppTest, RulesDialogAddsOnEnterAndTakesSeveralPastedSenders) {
    TForm1& f = Open();
    WithRulesDialog(f, [&](TRulesDialog& d) {
        d.Tabs->setCurrentIndex(TRulesDialog::ListsPage);
        QLineEdit* entry = d.Entries[0];
        entry->setFocus();
        QTest::keyClicks(entry, "anna@pals.example");
        QTest::keyClick(entry, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(d.Lists[0]->count(), 1);

        QGuiApplication::clipboard()->setText(
            "b@x.example\nc.example, two words;<D@Y.example>\r\n\nnot\"this");
        entry->paste();
        QTest::keyClick(entry, Qt::Key_Enter);
        EXPECT_TRUE(d.isVisible());
        QStringList listed;
        for (int r = 0; r < d.Lists[0]->count(); ++r)
            listed << d.Lists[0]->item(r)->text();
        EXPECT_EQ(listed,
                  (QStringList{"anna@pals.example", "b@x.example", "c.example", "d@y.example"}));
        EXPECT_EQ(d.Error->text(), "No address or domain: two words, not\"this");
        EXPECT_EQ(entry->text(), "two words, not\"this");
    });
}

// Also run at scale 2, where the screen has 640 x 400 to lay it out in.
TEST_F(AppTest, RulesDialogFitsTheScreen) {
    TForm1& f = Open({"de-DE"});
    WithRulesDialog(f, [&](TRulesDialog& d) {
        const QRect screen = d.screen()->availableGeometry();
        const QRect placed = d.frameGeometry();
        EXPECT_TRUE(screen.contains(placed))
            << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height()
            << " on " << screen.width() << "x" << screen.height();
        for (QPushButton* button : d.findChildren<QPushButton*>()) {
            if (button->isVisible()) {
                const QRect placed(button->mapToGlobal(QPoint(0, 0)), button->size());
                EXPECT_TRUE(screen.contains(placed)) << button->text().toStdString();
            }
        }
    });
}

// Notes that quote a script are plain text: an imported <img> is shown, never loaded.
TEST_F(AppTest, RulesDialogShowsScriptTextPlain) {
    TForm1& f = Open();
    QDir().mkpath(DataFolder());
    const QString imported = QDir(DataFolder()).filePath("img.sieve");
    QString why;
    ASSERT_TRUE(WriteRulesFile(
        imported, "if header :is \"<img src=file:///etc/passwd>\" \"x\" { discard; }\n", why));
    WithRulesDialog(f, [&](TRulesDialog& d) {
        d.ChooseFile = [&](bool) { return imported; };
        Click(d.Import);
        d.findChild<QPushButton*>("Ok")->click();
        EXPECT_TRUE(d.isVisible());
        int quoting = 0;
        for (const QLabel* label : d.findChildren<QLabel*>()) {
            if (!label->text().contains("<img"))
                continue;
            ++quoting;
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
        }
        EXPECT_GE(quoting, 2); // the rows' note and the error at least
        EXPECT_TRUE(d.Error->text().contains("\"<img src=file:///etc/passwd>\" is no header"))
            << d.Error->text().toStdString();
    });
}

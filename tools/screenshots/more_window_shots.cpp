// Pictures of Recently deleted, the rules dialog, the OAuth2 provider dialog, the message and
// header windows and the open Server menu, in both languages.
#include "AppFixture.h"
#include "CopiesOfDeleted.h"
#include "E2eSupport.h"

#include "AccountData.h"
#include "KeptCopies.h"
#include "ListingRules.h"
#include "MarkCommands.h"
#include "MultiLst.h"
#include "OAuth2ProviderDialog.h"
#include "RuleRows.h"
#include "RulesDialog.h"
#include "RulesOnListing.h"
#include "SenderLists.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

#include <chrono>

namespace {

QString Language(bool german) {
    return german ? QStringLiteral("de") : QStringLiteral("en");
}

QStringList UiLanguages(bool german) {
    return {german ? QStringLiteral("de-DE") : QStringLiteral("en-US")};
}

// A kept copy as the deletion writes it: the mail, the time of its deletion.
std::string CopyOf(const std::string& from, const std::string& subject, const std::string& date,
                   std::size_t bodyBytes) {
    return "From: " + from + "\r\nTo: demo@example.org\r\nSubject: " + subject +
           "\r\nDate: " + date + "\r\n\r\n" + std::string(bodyBytes, 'x') + "\r\n";
}

TEST_F(AppTest, ScreenshotsOfRecentlyDeleted) {
    // Deleted in the last hours: older copies go when the main window opens.
    constexpr int64_t hour = 3600 * 1000;
    const int64_t deletedAt = QDateTime::currentMSecsSinceEpoch() - 5 * hour;
    const std::string demo =
        QFile::encodeName(KeptCopiesFolder(AccountFolderName("demo", "pop.example.org", 995)))
            .toStdString();
    const std::string anna =
        QFile::encodeName(KeptCopiesFolder(AccountFolderName("anna", "mail.example.net", 110)))
            .toStdString();
    TKeptCopies(demo).Keep(CopyOf("Alice Example <alice@example.org>", "Lunch on Friday?",
                                  "Mon, 1 Dec 2025 10:11:12 +0100", 800),
                           deletedAt);
    TKeptCopies(demo).Keep(CopyOf("newsletter@shop.example", "Our December offers",
                                  "Tue, 2 Dec 2025 08:00:00 +0100", 40000),
                           deletedAt + hour);
    TKeptCopies(anna).Keep(
        CopyOf("=?UTF-8?Q?J=C3=BCrgen_M=C3=BCller?= <juergen@example.de>",
               "=?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_K=C3=B6ln?=", "Wed, 3 Dec 2025 19:30:00 +0100", 2500),
        deletedAt + 2 * hour);
    TKeptCopies(anna).Keep(CopyOf("Bob <bob@example.org>", "Holiday pictures",
                                  "Thu, 4 Dec 2025 07:45:00 +0100", 1300000),
                           deletedAt + 3 * hour);
    for (bool german : {true, false}) {
        TForm1& f = Open(UiLanguages(german));
        int rows = 0;
        const auto shown = WhenModalShown("RecentlyDeleted", [&](QWidget* window) {
            auto* list = window->findChild<QTreeWidget*>("copy_list");
            ASSERT_TRUE(list);
            rows = list->topLevelItemCount();
            list->setCurrentItem(list->topLevelItem(1));
            SaveScreenshot(window, "recently-deleted-" + Language(german));
        });
        f.Part<TCopiesOfDeleted>().Recent->trigger();
        EXPECT_TRUE(*shown);
        EXPECT_EQ(rows, 4);
    }
}

TEST_F(AppTest, ScreenshotsOfTheRulesDialog) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString file = AccountRulesFile(folder, "pop.example.org", "demo");
    const TSenderLists lists{{"alice@example.org", "example.net"},
                             {"spam.example", "offers@shop.example"}};
    const TRuleSet rows{
        false,
        "tidy up",
        {{TRowField::Subject, "", TRowComparison::Contains, "Sale", TRowAction::Mark},
         {TRowField::Size, "", TRowComparison::Over, "5M", TRowAction::Mark},
         {TRowField::Age, "", TRowComparison::Older, "90", TRowAction::Mark},
         {TRowField::Header, "List-Id", TRowComparison::Matches, "*family*", TRowAction::Keep}}};
    const std::chrono::sys_days today{std::chrono::year(2025) / 12 / 8};
    QString why;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    ASSERT_TRUE(WriteRulesFile(file, WithRuleRows(WithSenderLists("", lists), rows, today), why))
        << why.toStdString();
    for (bool german : {true, false}) {
        TForm1& f = Open(UiLanguages(german));
        f.Login.servername->setEditText("pop.example.org");
        f.Login.Username->setEditText("demo");
        const auto shown = WhenModalShown("RulesDialog", [&](QWidget* window) {
            auto& dialog = *qobject_cast<TRulesDialog*>(window);
            EXPECT_TRUE(dialog.ForAccount->isChecked());
            EXPECT_EQ(dialog.Table->rowCount(), 4);
            SaveScreenshot(window, "rules-dialog-rows-" + Language(german));
            dialog.Tabs->setCurrentIndex(TRulesDialog::ListsPage);
            EXPECT_EQ(dialog.Lists[0]->count(), 2);
            SaveScreenshot(window, "rules-dialog-friends-" + Language(german));
            dialog.Tabs->setCurrentIndex(TRulesDialog::SievePage);
            // The text's scroll bars follow once its layout has run.
            QCoreApplication::processEvents();
            SaveScreenshot(window, "rules-dialog-sieve-" + Language(german));
        });
        f.Part<TRulesOnListing>().Datei_R->trigger();
        EXPECT_TRUE(*shown);
    }
}

// A URL that is not https: the problem takes two lines below the fields.
TEST_F(AppTest, ScreenshotsOfTheProviderDialogWithItsProblem) {
    for (bool german : {true, false}) {
        TForm1& f = Open(UiLanguages(german));
        TOAuth2ProviderDialog dialog(&f, "pop.example.org", {}, german);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.Fields[0]->setText("http://example.org/authorize");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QLabel& problem = *dialog.Problem;
        ASSERT_TRUE(problem.isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return problem.height() >= problem.heightForWidth(problem.width()) &&
                   problem.geometry().bottom() < dialog.height();
        }));
        SaveScreenshot(&dialog, "provider-dialog-problem-" + Language(german));
    }
}

// A short mail with one attachment, fetched from the server, and a header of the list.
TEST_F(AppTest, ScreenshotsOfTheMessageAndHeaderWindows) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails = {
        Mail("Alice Example <alice@example.org>", "Lunch on Friday?",
             "Mon, 1 May 2000 10:11:12 +0200"),
        MailWithAttachments("Holiday pictures",
                            "Hello Anna,\r\n\r\nhere is the plan for our trip.\r\n\r\nBernd\r\n",
                            {{"itinerary.pdf", "%PDF-1.4\r\n" + std::string(3000, 'p')}}),
    };
    DovecotServer server("demo", "demo", mails);
    for (bool german : {true, false}) {
        TForm1& f = Open(UiLanguages(german));
        FillLogin(server.port(), "demo", "demo");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 2);
        f.mail_list->setCurrentRow(2);
        int attachments = 0;
        const auto mailShown = WhenShown(messageWindow, [&] {
            attachments = messageWindow->attachment_list->count();
            SaveScreenshot(messageWindow, "message-window-" + Language(german));
        });
        f.Tools.btn_mail->click();
        EXPECT_TRUE(*mailShown);
        EXPECT_EQ(attachments, 1);
        const auto headerShown = WhenShown(headerWindow, [&] {
            EXPECT_TRUE(headerWindow->memo_header_anzeigen->toPlainText().contains("Subject:"));
            SaveScreenshot(headerWindow, "header-window-" + Language(german));
        });
        f.Tools.btn_header->click();
        EXPECT_TRUE(*headerShown);
        f.BtnDisconnectClick();
    }
}

// Saves a picture of the window with an open menu drawn where it stands on the screen: the
// offscreen platform's screen grab misplaces windows at scale factors above 1.
void SaveWithMenu(QWidget& window, QMenu& menu, const QString& name) {
    QPixmap shot = window.grab();
    ASSERT_FALSE(shot.isNull()) << name.toStdString();
    QPainter painter(&shot);
    painter.drawPixmap(window.mapFromGlobal(menu.mapToGlobal(QPoint(0, 0))), menu.grab());
    painter.end();
    const QString scale = shot.devicePixelRatio() == 1.0
                              ? QString()
                              : QStringLiteral("@%1x").arg(shot.devicePixelRatio());
    ASSERT_TRUE(QDir().mkpath(ScreenshotFolder()));
    EXPECT_TRUE(shot.save(ScreenshotFolder() + QLatin1Char('/') + name + scale + ".png"))
        << name.toStdString();
}

// The Server menu over a listed mailbox with marks, so that the marks entries are usable.
TEST_F(AppTest, ScreenshotsOfTheOpenServerMenu) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails = {
        Mail("Alice Example <alice@example.org>", "Lunch on Friday?",
             "Mon, 1 May 2000 10:11:12 +0200"),
        Mail("newsletter@shop.example", "Our May offers", "Tue, 16 May 2000 08:00:00 +0200"),
        Mail("Bob <bob@example.org>", "Holiday pictures", "Sat, 27 May 2000 19:30:00 +0200"),
    };
    DovecotServer server("demo", "demo", mails);
    for (bool german : {true, false}) {
        TForm1& f = Open(UiLanguages(german));
        FillLogin(server.port(), "demo", "demo");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 3);
        f.mail_list->item(1)->setSelected(true);
        f.mail_list->item(3)->setSelected(true);
        QCoreApplication::processEvents();
        // Marks taken away can be undone: every entry of the marks is usable.
        f.Part<TMarkCommands>().InvertMarks();
        QCoreApplication::processEvents();
        EXPECT_TRUE(f.Part<TMarkCommands>().Undo->isEnabled());
        EXPECT_EQ(MarkedRows(), std::vector<int>{2});
        const QRect title = f.Menus.MainMenu1->actionGeometry(f.Menus.Datei->menuAction());
        f.Menus.Datei->popup(f.Menus.MainMenu1->mapToGlobal(title.bottomLeft()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Menus.Datei));
        SaveScreenshot(f.Menus.Datei, "server-menu-" + Language(german));
        SaveWithMenu(f, *f.Menus.Datei, "main-server-menu-" + Language(german));
        f.Menus.Datei->hide();
        f.BtnDisconnectClick();
    }
}

} // namespace

// One whole working session, from start to close, against a real Dovecot.
#include "AppFixture.h"
#include "E2eSupport.h"
#include "viewer_test_support.h"

#include "MultiLst.h"

#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

using namespace std::string_literals;

TEST_F(AppTest, WholeJourneyFromConnectToCloseLeavesExactlyTheUnmarkedMails) {
    SKIP_WITHOUT_DOVECOT();
    const std::string attachment = "PK\x03\x04 zipped \0\xFF\xFE bytes\r\n"s;
    const std::vector<std::string> mails = {
        Mail("Anna <anna@example.org>", "One", "Mon, 01 May 2000 09:00:00 +0200"),
        Mail("Bernd <bernd@example.org>", "Two", "Tue, 02 May 2000 09:00:00 +0200"),
        MailWithAttachments("Three", "See the archive.\r\n", {{"archive.zip", attachment}}),
        Mail("Dora <dora@example.org>", "Four", "Thu, 04 May 2000 09:00:00 +0200"),
        Mail("Emil <emil@example.org>", "Five", "Fri, 05 May 2000 09:00:00 +0200"),
    };
    DovecotServer server("journey", "pass word", mails);
    QTemporaryDir saved;
    ASSERT_TRUE(saved.isValid());

    // Start, connect and list.
    TForm1& f = Open();
    FillLogin(server.port(), "journey", "pass word");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    ASSERT_EQ(Rows().size(), 5);
    EXPECT_TRUE(Rows()[3].contains("Four"));

    // Show a header.
    f.mail_list->setCurrentRow(2);
    QString header;
    auto headerShown = WhenShown(headerWindow, [&] {
        header = headerWindow->memo_header_anzeigen->toPlainText();
        headerWindow->btn_close->click();
    });
    f.Tools.btn_header->click();
    ASSERT_TRUE(*headerShown);
    EXPECT_TRUE(header.startsWith("From: Bernd <bernd@example.org>\n")) << header.toStdString();

    // Show a message and save its attachment.
    f.mail_list->setCurrentRow(3);
    messageWindow->AskSaveFileName = [&](QWidget*, const TSaveDialog& dialog) {
        return saved.filePath(dialog.FileName);
    };
    QString text;
    auto messageShown = WhenShown(messageWindow, [&] {
        text = messageWindow->memo_email_anzeigen->toPlainText();
        messageWindow->btn_save_attachments->click();
        messageWindow->btn_close->click();
    });
    f.Tools.btn_mail->click();
    ASSERT_TRUE(*messageShown);
    EXPECT_EQ(text, QStringLiteral("See the archive."));
    EXPECT_EQ(ReadFileBytes(saved.filePath("archive.zip")), attachment);
    ASSERT_EQ(f.ControlState(), TForm1::StateListed);

    // Sort by subject with a click on its caption, mark "Two" and "Four" and delete them;
    // the rows' places no longer match the message numbers.
    QHeaderView* listHeader = f.mail_list->ListHeader();
    const int subjectX = listHeader->sectionViewportPosition(4) + 5;
    QTest::mouseClick(listHeader->viewport(), Qt::LeftButton, {}, QPoint(subjectX, 5));
    ASSERT_EQ(f.mail_list->SortColumn(), 4);
    QStringList subjects;
    for (const QString& row : Rows())
        subjects << row.section(u'|', 4, 4);
    ASSERT_EQ(subjects, (QStringList{"Five", "Four", "One", "Three", "Two"}));
    SaveScreenshot(&f, "sorted-by-subject");
    f.mail_list->clearSelection();
    f.mail_list->item(2)->setSelected(true);
    f.mail_list->item(5)->setSelected(true);
    auto asked = WhenModalShown("DeleteConfirmation", [](QWidget* box) {
        box->findChild<QPushButton*>("DeleteButton")->click();
    });
    f.Tools.BtnDelete->click();
    EXPECT_TRUE(*asked);
    const std::vector<std::string> tail(Sent().end() - 3, Sent().end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DELE 4", "DELE 2", "QUIT"}));
    EXPECT_FALSE(f.pop3.Connected());
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.Tools.BtnDisconnect->isEnabled()) << "deleting has ended the session";
    f.Tools.BtnClose->click();
    EXPECT_FALSE(f.isVisible());

    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 3, 5})) << server.Log();
    EXPECT_TRUE(errorsShown.empty());
    const auto store = Store();
    EXPECT_EQ(store->value("Server1").toString(), ServerText(server.port()));
    EXPECT_EQ(store->value("User1").toString(), QStringLiteral("journey"));
    const QString storedPassword = store->value("PWD1").toString();
    EXPECT_FALSE(storedPassword.isEmpty());
    EXPECT_NE(storedPassword, QStringLiteral("pass word")) << "passwords are stored obfuscated";
    EXPECT_EQ(QFile::permissions(StoreFile()) & (QFile::ReadOther | QFile::ReadGroup), 0);
}

} // namespace

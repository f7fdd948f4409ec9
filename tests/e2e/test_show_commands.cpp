// Showing a header or a whole mail from the main window, against a real Dovecot.
#include "AppFixture.h"
#include "E2eSupport.h"
#include "viewer_test_support.h"

#include "MbxMsg.h"
#include "MultiLst.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// Bytes no text conversion survives: NUL, CR LF, bytes above 127.
const std::string kPdf = "%PDF-1.4\r\n\0\x01\x80\xFF trailer\n%%EOF"s;
const std::string kTxt = "the b text\r\nsecond line\r\n";

class ShowCommandsTest : public AppTest {
protected:
    void SetUp() override {
        SKIP_WITHOUT_DOVECOT();
        AppTest::SetUp();
        ASSERT_TRUE(files.isValid());
        mails = {Mail("Anna <anna@example.org>", "First", "Mon, 01 May 2000 09:00:00 +0200"),
                 MailWithAttachments("Report",
                                     "Hallo,\r\nGr\xFC\xDF"
                                     "e\r\n",
                                     {{"b.txt", kTxt}, {"a.pdf", kPdf}}),
                 Mail("Carl <carl@example.org>", "Third", "Wed, 03 May 2000 11:00:00 +0200",
                      "Line one\r\n\r\nLine three\r\n")};
        server = std::make_unique<DovecotServer>("bob", "secret", mails);
    }

    // Starts the program and lists the mailbox; count only when asked.
    void ConnectAndList(bool countOnly = false, const QStringList& languages = {"en-US"}) {
        Open(languages);
        FillLogin(server->port(), "bob", "secret");
        form->Login.Header_Nein->setChecked(countOnly);
        form->BtnConnectClick();
        ASSERT_EQ(form->ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        ASSERT_EQ(Rows().size(), static_cast<int>(mails.size()));
    }

    // Shows the header of row n through the tool bar; returns the memo's lines as shown.
    QStringList ShowHeader(int row) {
        form->mail_list->setCurrentRow(row);
        QStringList shown;
        auto ran = WhenShown(headerWindow, [&] {
            shown = headerWindow->memo_header_anzeigen->toPlainText().split('\n');
            headerWindow->btn_close->click();
        });
        form->Tools.btn_header->click();
        EXPECT_TRUE(*ran);
        return shown;
    }

    static QStringList Expected(const std::vector<std::string>& lines) {
        QStringList list;
        for (const std::string& line : lines)
            list << QString::fromLatin1(line);
        return list;
    }

    QTemporaryDir files;
    std::vector<std::string> mails;
    std::unique_ptr<DovecotServer> server;
};

TEST_F(ShowCommandsTest, HeaderAfterFullListingIsTheStoredHeaderText) {
    ConnectAndList();
    const std::size_t sentBefore = Sent().size();
    QStringList expected = Expected(HeaderLinesOf(mails[2]));
    expected << ""
             << "."
             << "|";
    EXPECT_EQ(ShowHeader(3), expected);
    EXPECT_EQ(Sent().size(), sentBefore) << "the header was kept by the listing";
    EXPECT_EQ(form->ControlState(), TForm1::StateListed);
}

TEST_F(ShowCommandsTest, HeaderTwiceWithACloseBetweenIsShownOnce) {
    ConnectAndList();
    const QStringList first = ShowHeader(1);
    EXPECT_EQ(first.first(), QString::fromLatin1(HeaderLinesOf(mails[0]).front()));
    EXPECT_EQ(ShowHeader(1), first);
}

TEST_F(ShowCommandsTest, MessageListsItsAttachmentsByNameAndSavesTheExactBytes) {
    ConnectAndList();
    std::vector<int> progress;
    QObject::connect(form->Bottom.ProgressBar, &QProgressBar::valueChanged,
                     [&](int value) { progress.push_back(value); });
    messageWindow->AskSaveFileName = [&](QWidget*, const TSaveDialog& dialog) {
        return files.filePath(dialog.FileName);
    };
    form->mail_list->setCurrentRow(2);
    QString memo;
    QStringList entries;
    int selected = -1;
    bool stateListedWhileOpen = false;
    auto ran = WhenShown(messageWindow, [&] {
        memo = messageWindow->memo_email_anzeigen->toPlainText();
        for (int i = 0; i < messageWindow->attachment_list->count(); ++i)
            entries << messageWindow->attachment_list->item(i)->text();
        selected = messageWindow->attachment_list->currentRow();
        stateListedWhileOpen = form->ControlState() == TForm1::StateListed;
        EXPECT_FALSE(form->Bottom.ProgressBar->isVisible());
        messageWindow->btn_save_attachments->click();
        messageWindow->btn_close->click();
    });
    form->Tools.btn_mail->click();
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(SentAny("TOP 2 999999999"));
    EXPECT_FALSE(SentAny("RETR"));
    EXPECT_EQ(memo, QString::fromUtf8("Hallo,\nGrüße"));
    EXPECT_EQ(entries, QStringList({"a.pdf", "b.txt"}));
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(stateListedWhileOpen);
    EXPECT_EQ(ReadFileBytes(files.filePath("a.pdf")), kPdf);
    EXPECT_FALSE(QFile::exists(files.filePath("b.txt")));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(form->Bottom.ProgressBar->maximum(), 100);
    ASSERT_NE(form->CurrentMsg, nullptr);
    EXPECT_EQ(form->CurrentMsg->Attachments.Count(), 2);
    EXPECT_TRUE(errorsShown.empty());
}

TEST_F(ShowCommandsTest, MessageWithoutAttachmentsSavesItsLinesWithCrLf) {
    ConnectAndList();
    const QString path = files.filePath("mail.txt");
    std::vector<TSaveDialog> asked;
    messageWindow->AskSaveFileName = [&](QWidget*, const TSaveDialog& dialog) {
        asked.push_back(dialog);
        return path;
    };
    form->mail_list->setCurrentRow(3);
    bool saveAttachmentEnabled = true;
    auto ran = WhenShown(messageWindow, [&] {
        saveAttachmentEnabled = messageWindow->btn_save_attachments->isEnabled();
        messageWindow->btn_save_email->click();
        messageWindow->close(); // by the title bar
    });
    form->Menus.men_email_anzeigen->trigger();
    ASSERT_TRUE(*ran);
    EXPECT_FALSE(saveAttachmentEnabled);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].FileName, QStringLiteral("Third.txt")) << "the subject, made safe";
    EXPECT_EQ(ReadFileBytes(path), "Line one\r\n\r\nLine three\r\n");
    EXPECT_TRUE(messageWindow->memo_email_anzeigen->toPlainText().isEmpty());
}

TEST_F(ShowCommandsTest, ViewersSpeakTheLanguageOfTheMainWindow) {
    struct Row {
        const char* language;
        const char* headerTitle;
        const char* messageTitle;
        const char* attachments;
    };
    const Row rows[] = {
        {"de-DE", "Header der e-mail  - InboxPruner -", "Inhalt der e-mail  - InboxPruner -",
         "Anhänge :"},
        {"en-GB", "Mail header  - InboxPruner -", "Contents of e-mail  - InboxPruner -",
         "Attachments :"},
    };
    for (const Row& row : rows) {
        ConnectAndList(false, {row.language});
        form->mail_list->setCurrentRow(2);
        QString headerTitle, messageTitle, attachments;
        const QString language = QString::fromLatin1(row.language).left(2);
        WhenShown(headerWindow, [&] {
            headerTitle = headerWindow->windowTitle();
            EXPECT_TRUE(SaveScreenshot(*headerWindow, "header_window_" + language));
        });
        form->Tools.btn_header->click();
        WhenShown(messageWindow, [&] {
            messageTitle = messageWindow->windowTitle();
            attachments = messageWindow->lab_anhang->text();
            EXPECT_TRUE(SaveScreenshot(*messageWindow, "message_window_" + language));
        });
        form->Tools.btn_mail->click();
        EXPECT_EQ(headerTitle, QString::fromUtf8(row.headerTitle));
        EXPECT_EQ(messageTitle, QString::fromUtf8(row.messageTitle));
        EXPECT_EQ(attachments, QString::fromUtf8(row.attachments));
        form->BtnDisconnectClick();
    }
}

} // namespace

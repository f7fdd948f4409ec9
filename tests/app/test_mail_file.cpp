// The message window saves the whole mail as the server sent it: an .eml file, owner-only.
#include "AppFixture.h"
#include "E2eSupport.h"
#include "FileMode.h"
#include "viewer_test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QToolButton>

#include <string>

namespace {

using namespace std::string_literals;

const std::string kHeader = "From: a@example.org\r\nSubject: Report\r\n"
                            "Date: Mon, 1 May 2000 10:11:12 +0200\r\n";
// A leading dot, 8-bit bytes, a NUL and a blank last line: nothing of it may change.
const std::string kMail = kHeader + "\r\nline one\r\n.dot first\r\n..two dots\r\n"
                                    "\xE4\xF6\xFC latin-1\x00 nul\r\n\r\n"s;

// The mail as POP3 carries it: each line that begins with a dot gets one more.
std::string Stuffed(const std::string& mail) {
    std::string wire;
    bool lineStart = true;
    for (const char c : mail) {
        if (lineStart && c == '.')
            wire += '.';
        wire += c;
        lineStart = c == '\n';
    }
    return wire;
}

TEST_F(AppTest, TheMailAsSentIsSavedAsEmlOwnerOnly) {
    struct Case {
        const char* ui;
        const char* button;
        const char* title;
    };
    const Case cases[] = {{"en-US", "as .eml", "Save e-mail as .eml"},
                          {"de-DE", "als .eml", "E-Mail als .eml speichern"}};
    // No folder stored at first: the home folder; then the last one, also after a restart.
    QString lastFolder = QDir::homePath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ui);
        const int size = static_cast<int>(kMail.size());
        ScriptedServer server;
        ScriptLogin(server, 1, size);
        ScriptMessage(server, 1, kHeader, size);
        server.AwaitLine(); // LIST 1
        server.Send("+OK 1 " + std::to_string(size) + "\r\n");
        server.AwaitLine(); // the whole mail
        server.Send("+OK\r\n" + Stuffed(kMail) + ".\r\n");
        ScriptQuit(server);
        server.Start();
        TForm1& f = Open({QString::fromLatin1(c.ui)});
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 1) << StatusLines().toStdString();

        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("kept.eml"));
        TSaveDialog asked;
        messageWindow->AskSaveFileName = [&](QWidget*, const TSaveDialog& dialog) {
            asked = dialog;
            return target;
        };
        auto shown = WhenShown(messageWindow, [&] {
            EXPECT_TRUE(messageWindow->btn_save_eml->isEnabled());
            EXPECT_EQ(messageWindow->btn_save_eml->text(), QString::fromUtf8(c.button));
            SaveScreenshot(messageWindow, QStringLiteral("message-window-eml-") + c.ui);
            messageWindow->btn_save_eml->click();
            messageWindow->reject();
        });
        f.Tools.btn_mail->click();
        ASSERT_TRUE(*shown);
        EXPECT_EQ(asked.Title, QString::fromUtf8(c.title));
        EXPECT_EQ(asked.FileName, QStringLiteral("Report.eml"));
        EXPECT_EQ(asked.Folder, lastFolder);
        EXPECT_EQ(ReadFileBytes(target), kMail);
        EXPECT_EQ(FileMode(target), 0600);
        // The next dialog opens where this file went.
        EXPECT_EQ(SaveFolderOf(&f).Start(), QFileInfo(dir.path()).absoluteFilePath());
        EXPECT_EQ(Store()->value("SaveFolder").toString(),
                  QFileInfo(dir.path()).absoluteFilePath());
        lastFolder = QFileInfo(dir.path()).absoluteFilePath();
        f.BtnDisconnectClick();
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    }
}

} // namespace

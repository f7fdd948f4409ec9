// A mail the server refuses to hand out: nothing is shown and the session ends cleanly.
#include "AppFixture.h"
#include "E2eSupport.h"

#include "MultiLst.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

namespace {

TEST_F(AppTest, RefusedRetrievalShowsTheServersTextAndNoWindow) {
    ScriptedServer server;
    ScriptLogin(server, 1, 700);
    ScriptMessage(server, 1, "From: anna@example.org\r\nSubject: Gone", 700);
    server.AwaitLine(); // LIST 1
    server.Send("+OK 1 700\r\n");
    server.AwaitLine(); // RETR 1
    server.Send("-ERR message 1 vanished\r\n");
    server.AwaitClientClose();
    server.Start();

    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed);
    f.mail_list->setCurrentRow(1);
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { shown = shown || messageWindow->isVisible(); });
    watch.start(1);
    f.btn_mail->click();

    EXPECT_FALSE(shown);
    EXPECT_FALSE(messageWindow->isVisible());
    EXPECT_TRUE(messageWindow->memo_email_anzeigen->toPlainText().isEmpty());
    EXPECT_EQ(f.CurrentMsg, nullptr);
    EXPECT_TRUE(StatusLines().contains("message 1 vanished")) << StatusLines().toStdString();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.ProgressBar->isVisible());
    EXPECT_FALSE(f.pop3.Connected());
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    const auto lines = server.ReceivedLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "LIST 1");
    EXPECT_EQ(lines.back(), "RETR 1");
}

TEST_F(AppTest, ConnectionLostDuringRetrievalEndsTheSessionAndShowsNothing) {
    ScriptedServer server;
    ScriptLogin(server, 1, 700);
    ScriptMessage(server, 1, "From: anna@example.org\r\nSubject: Cut", 700);
    server.AwaitLine(); // LIST 1
    server.Send("+OK 1 700\r\n");
    server.AwaitLine(); // RETR 1
    server.Send("+OK 700 octets\r\nFrom: anna@example.org\r\nSubject: Cut\r\n\r\nhalf a li");
    server.Reset();
    server.Start();

    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed);
    f.mail_list->setCurrentRow(1);
    // Without the program's event-loop guard the exception reaches the caller.
    EXPECT_THROW(f.men_email_anzeigenClick(), std::exception);
    EXPECT_FALSE(messageWindow->isVisible());
    EXPECT_EQ(f.CurrentMsg, nullptr);
    EXPECT_FALSE(f.ProgressBar->isVisible());
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.pop3.Connected());
}

} // namespace

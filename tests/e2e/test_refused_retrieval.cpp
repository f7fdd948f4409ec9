// A mail the server refuses to hand out: nothing is shown and the session ends cleanly.
#include "AppFixture.h"
#include "E2eSupport.h"

#include "MultiLst.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

namespace {

// A one-mail session up to the answer to LIST 1; the test scripts the answer to the
// TOP 1 999999999 that asks for the whole mail.
void ScriptUpToRetrieval(ScriptedServer& server, const std::string& header) {
    ScriptLogin(server, 1, 700);
    ScriptMessage(server, 1, header, 700);
    server.AwaitLine(); // LIST 1
    server.Send("+OK 1 700\r\n");
    server.AwaitLine(); // TOP 1 999999999
}

class RetrievalTest : public AppTest {
protected:
    // Connects, lists the one mail and chooses its row.
    TForm1& ListAndChooseTheMail(const ScriptedServer& server) {
        TForm1& f = Open();
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        f.mail_list->setCurrentRow(1);
        return f;
    }
    // A retrieval that fails in the transport shows nothing and ends the session.
    void ExpectTransportFailureEndsTheSession(TForm1& f) {
        ASSERT_EQ(f.ControlState(), TForm1::StateListed);
        f.men_email_anzeigenClick();
        EXPECT_EQ(errorsShown.size(), 1u);
        EXPECT_FALSE(messageWindow->isVisible());
        EXPECT_EQ(f.CurrentMsg, nullptr);
        EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_FALSE(f.pop3.Connected());
    }
};

TEST_F(RetrievalTest, RefusedRetrievalShowsTheServersTextAndNoWindow) {
    ScriptedServer server;
    ScriptUpToRetrieval(server, "From: anna@example.org\r\nSubject: Gone");
    server.Send("-ERR message 1 vanished\r\n");
    server.AwaitLine(); // RETR 1: a refused TOP may mean a server without TOP
    server.Send("-ERR message 1 vanished\r\n");
    server.AwaitClientClose();
    server.Start();

    TForm1& f = ListAndChooseTheMail(server);
    ASSERT_EQ(f.ControlState(), TForm1::StateListed);
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { shown = shown || messageWindow->isVisible(); });
    watch.start(1);
    f.Tools.btn_mail->click();

    EXPECT_FALSE(shown);
    EXPECT_FALSE(messageWindow->isVisible());
    EXPECT_TRUE(messageWindow->memo_email_anzeigen->toPlainText().isEmpty());
    EXPECT_EQ(f.CurrentMsg, nullptr);
    EXPECT_TRUE(StatusLines().contains("message 1 vanished")) << StatusLines().toStdString();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
    EXPECT_FALSE(f.pop3.Connected());
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    const auto lines = server.ReceivedLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"LIST 1", "TOP 1 999999999", "RETR 1"}));
}

TEST_F(RetrievalTest, ConnectionLostDuringRetrievalEndsTheSessionAndShowsNothing) {
    ScriptedServer server;
    ScriptUpToRetrieval(server, "From: anna@example.org\r\nSubject: Cut");
    server.Send("+OK 700 octets\r\nFrom: anna@example.org\r\nSubject: Cut\r\n\r\nhalf a li");
    server.Reset();
    server.Start();
    ExpectTransportFailureEndsTheSession(ListAndChooseTheMail(server));
}

TEST_F(RetrievalTest, MailFarLargerThanListedEndsLikeALostConnection) {
    ScriptedServer server;
    ScriptUpToRetrieval(server, "From: anna@example.org\r\nSubject: Endless");
    std::string endless = "+OK 700 octets\r\nFrom: anna@example.org\r\n\r\n";
    while (endless.size() < 3 * 1024 * 1024) // past twice 700 octets plus 1 MiB
        endless += std::string(78, 'e') + "\r\n";
    server.Send(endless);
    server.Start();
    ExpectTransportFailureEndsTheSession(ListAndChooseTheMail(server));
}

} // namespace

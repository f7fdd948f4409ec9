// Cancel and close while the window waits for a server that never answers.
#include "AppFixture.h"
#include "ConnectionSecurity.h"
#include "E2eSupport.h"
#include "SecurityChoice.h"
#include "StuckListener.h"

#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <string>
#include <vector>

namespace {

const std::string kHeader = "From: a@example.org\r\nSubject: s\r\n"
                            "Date: Mon, 1 May 2000 10:11:12 +0200\r\n";

// Clicks Cancel as soon as the given command has gone out (the wait for its answer begins).
void CancelAfterSending(TForm1& f, const std::string& command) {
    f.pop3.OnSendTextToSocket = [&f, command](TObject*, const std::string& text) {
        if (text == command + "\r\n")
            QTimer::singleShot(50, f.Tools.btn_cancel, [&f] { f.Tools.btn_cancel->click(); });
    };
}

// A session with one listed mail whose retrieval is never answered.
void ScriptSilentRetrieval(ScriptedServer& server) {
    ScriptLogin(server, 1, 100);
    ScriptMessage(server, 1, kHeader, 100);
    server.AwaitLine(); // LIST 1
    server.Send("+OK 1 100\r\n");
    server.AwaitLine(); // the mail is asked for: no answer
}

TEST_F(AppTest, CancelWhileConnectingEndsAtOnceIdle) {
    const std::string caps = "+OK\r\nUSER\r\nSTLS\r\n.\r\n";
    struct Row {
        const char* name;
        TSecurity security;
        std::vector<std::string> script; // "<" awaits a line, "<<" awaits any bytes
        bool stuckConnect = false;
    };
    const std::vector<Row> rows = {
        {"TCP connect", TSecurity::None, {}, true},
        {"greeting", TSecurity::None, {}},
        {"TLS handshake", TSecurity::Tls, {"<<"}},
        {"STLS handshake", TSecurity::StartTls, {"+OK hi\r\n", "<", caps, "<", "+OK go\r\n", "<<"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server; // says its script, then nothing
        for (const std::string& step : row.script) {
            if (step == "<")
                server.AwaitLine();
            else if (step == "<<")
                server.AwaitBytes();
            else
                server.Send(step);
        }
        server.Start();
        StuckListener stuck;
        stuck.ListenAndFill();
        TForm1& f = Open();
        FillLogin(row.stuckConnect ? stuck.port() : server.port(), "bob", "pw");
        ChooseSecurity(*f.Part<TConnectionSecurity>().Choice, row.security);
        f.pop3.ConnectTimeout = std::chrono::seconds(120);
        f.pop3.ReceiveTimeout = std::chrono::seconds(120);
        // Cancel once the wait in question has begun: the script is through, or the connect
        // has hung for a while.
        const auto start = std::chrono::steady_clock::now();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const bool waiting =
                row.stuckConnect
                    ? std::chrono::steady_clock::now() - start > std::chrono::milliseconds(200)
                    : server.WaitForScriptEnd(std::chrono::milliseconds(0));
            if (!waiting)
                return;
            poll.stop();
            EXPECT_TRUE(f.Tools.btn_cancel->isVisible() && f.Tools.btn_cancel->isEnabled());
            EXPECT_FALSE(f.Tools.BtnDisconnect->isVisible());
            f.Tools.btn_cancel->click();
        });
        poll.start(20);
        f.BtnConnectClick();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60))
            << "the cancel did not wait for the time-out";
        EXPECT_EQ(StatusLines(), "\rCancelled.\rYour connection has been terminated.");
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
        EXPECT_FALSE(f.pop3.Connected());
        EXPECT_TRUE(errorsShown.empty());
        EXPECT_FALSE(SentAny("USER"));
        EXPECT_FALSE(SentAny("PASS"));
    }
}

TEST_F(AppTest, CancelDuringRetrievalShowsNoMailWindow) {
    ScriptedServer server;
    ScriptSilentRetrieval(server);
    server.Start();
    TForm1& f = Open({"de-DE"});
    FillLogin(server.port(), "bob", "pw");
    f.pop3.ReceiveTimeout = std::chrono::seconds(120);
    f.BtnConnectClick();
    ASSERT_EQ(Rows().size(), 1);
    auto shown = WhenShown(messageWindow, [this] { messageWindow->reject(); });
    CancelAfterSending(f, "LIST 1"); // answered; the wait for the mail itself is cancelled
    f.Tools.btn_mail->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(*shown);
    EXPECT_EQ(StatusLines(),
              QString::fromUtf8("\rAbgebrochen.\rIhre Verbindung zum Server wurde getrennt."));
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_EQ(Rows().size(), 1) << "the listed rows stay";
    EXPECT_FALSE(f.CurrentMsg);
    EXPECT_TRUE(errorsShown.empty());
}

TEST_F(AppTest, ClosingDuringRetrievalClosesPromptlyAndSavesTheSettings) {
    ScriptedServer server;
    ScriptSilentRetrieval(server);
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.pop3.ReceiveTimeout = std::chrono::seconds(120);
    f.BtnConnectClick();
    auto shown = WhenShown(messageWindow, [this] { messageWindow->reject(); });
    f.pop3.OnSendTextToSocket = [&f](TObject*, const std::string& text) {
        if (text == "LIST 1\r\n") // answered; the wait for the mail itself is cut short
            QTimer::singleShot(50, &f, [&f] { f.close(); });
    };
    const auto start = std::chrono::steady_clock::now();
    f.Tools.btn_mail->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isVisible(); }, 30000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    QCoreApplication::processEvents();
    EXPECT_FALSE(*shown) << "no window pops up after the close";
    EXPECT_TRUE(errorsShown.empty());
    EXPECT_EQ(Store()->value("Server1").toString(), ServerText(server.port()));
}

TEST_F(AppTest, SecondCancelDuringAListingDropsASilentServer) {
    ScriptedServer server;
    ScriptLogin(server, 3, 300);
    ScriptMessage(server, 1, kHeader, 100);
    server.AwaitLine(); // TOP 2 0: no answer
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.pop3.ReceiveTimeout = std::chrono::seconds(120);
    f.pop3.OnSendTextToSocket = [&f](TObject*, const std::string& text) {
        if (text != "TOP 2 0\r\n")
            return;
        QTimer::singleShot(50, f.Tools.btn_cancel, [&f] {
            f.Tools.btn_cancel->click();
            // Until the message in progress is done, nothing else can start and looks so.
            EXPECT_FALSE(f.Tools.BtnConnect->isEnabled());
            EXPECT_FALSE(f.Tools.BtnDelete->isEnabled());
            EXPECT_FALSE(f.Tools.btn_mail->isEnabled());
            QTimer::singleShot(100, f.Tools.btn_cancel, [&f] { f.Tools.btn_cancel->click(); });
        });
    };
    f.BtnConnectClick();
    EXPECT_EQ(StatusLines(), "\rCancelled.\r1 of 3 e-mails are listed."
                             "\rYour connection has been terminated.");
    EXPECT_EQ(f.PanelText(0), "1 of 3 Mails");
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_TRUE(errorsShown.empty());
}

} // namespace

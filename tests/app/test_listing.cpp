// Connect and list against a real Dovecot and, for exact sequences, a scripted server.
#include "AppFixture.h"

#include "ListColumns.h"
#include "MbxPOP3.h"
#include "MultiLst.h"
#include "StuckListener.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

namespace {

const std::string kHeader1 = "From: Alice <alice@example.org>\r\nSubject: Lunch\r\n"
                             "Date: Mon, 1 May 2000 10:11:12 +0200\r\n";
const std::string kHeader2 = "From: bob@example.org\r\nSubject: Report\r\n"
                             "Date: Tue, 16 May 2000 08:00:00 +0200\r\n";

// Transport failures in the window: what happened in the window's language, the system's
// text as a detail, never the platform's name and never the reply of an earlier session.
TEST_F(AppTest, TransportFailuresAreToldByTheirCause) {
    struct Case {
        const char* language;
        bool silentServer; // else: nobody listens on the port
        QString status;
    };
    const Case cases[] = {
        {"de-DE", false,
         QString::fromUtf8("\rFehler: Keine Verbindung zum Server möglich !!!!"
                           "\r     - Der Server hat die Verbindung abgelehnt."
                           "\r       (Connection refused (111))")},
        {"en-US", false,
         "\rError: a connection to the server cannot be established !!!!"
         "\r     - The server refused the connection.\r       (Connection refused (111))"},
        {"en-US", true,
         "\rError: a connection to the server cannot be established !!!!"
         "\r     - The server did not answer within 2 seconds.\r       (Connection timed out (110))"
         "\r     - Probably the \"Security:\" choice does not fit this server and port."},
        {"de-DE", true,
         QString::fromUtf8(
             "\rFehler: Keine Verbindung zum Server möglich !!!!"
             "\r     - Der Server hat nicht innerhalb von 2 Sekunden geantwortet."
             "\r       (Connection timed out (110))"
             "\r     - Vermutlich passt die Wahl unter \"Sicherheit:\" nicht zu diesem Server und "
             "Port.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language) + (c.silentServer ? " silent" : " refused"));
        ScriptedServer server; // accepts and never answers
        server.Start();
        const StuckListener closedPort; // refuses
        TForm1& f = Open({c.language});
        FillLogin(c.silentServer ? server.port() : closedPort.port(), "bob", "secret");
        f.pop3.ReceiveTimeout = std::chrono::seconds(2);
        // An earlier session's refusal must not be taken for this attempt's reason.
        f.pop3Error(nullptr, kErrLogin, "[AUTH] Authentication failed.");
        f.BtnConnectClick();
        EXPECT_EQ(StatusLines(), c.status);
        EXPECT_FALSE(StatusLines().contains("Windows"));
        if (!c.silentServer)
            SaveScreenshot(&f, QStringLiteral("error-refused-") + c.language);
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_EQ(f.Login.servername->count(), 0);
    }
}

TEST_F(AppTest, WrongPasswordAgainstDovecot) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", {Mail("a@example.org", "One", "Mon, 1 May 2000")});
    const std::pair<const char*, QString> cases[] = {
        {"de-DE", QString::fromUtf8("\rFehler: Der Server hat den Benutzernamen oder das Passwort "
                                    "abgelehnt.\r       ([AUTH] Authentication failed.)"
                                    "\rIhre Verbindung zum Server wurde getrennt.")},
        {"en-US", "\rError: The server refused the user name or password."
                  "\r       ([AUTH] Authentication failed.)\rYour connection has been terminated."},
    };
    for (const auto& [language, status] : cases) {
        SCOPED_TRACE(language);
        TForm1& f = Open({language});
        FillLogin(server.port(), "bob", "wrong");
        f.BtnConnectClick();
        EXPECT_EQ(StatusLines(), status);
        EXPECT_EQ(f.focusWidget(), f.Login.Password) << "the password is typed again";
        EXPECT_EQ(f.Login.Password->selectedText(), "wrong");
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_FALSE(f.pop3.Connected());
        EXPECT_EQ(f.Login.servername->count(), 0) << "a refused login is not recorded";
        EXPECT_TRUE(f.Accounts.PasswordHistory().empty());
    }
}

TEST_F(AppTest, EmptyMailboxAgainstDovecot) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", {});
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    EXPECT_EQ(f.PanelText(0), "0 Mails");
    EXPECT_EQ(f.PanelText(1), "0 Byte");
    EXPECT_EQ(StatusLines(),
              "\rThere is no need to delete e-mails.\rYour connection has been terminated.");
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.pop3.Connected());
    EXPECT_EQ(Sent().back(), "QUIT");
    // The login succeeded, so the account is recorded.
    EXPECT_EQ(f.Login.servername->count(), 1);
    EXPECT_EQ(f.Accounts.PasswordHistory(), std::vector<std::string>{"secret"});
}

TEST_F(AppTest, FullListingAgainstDovecot) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails = {
        Mail("Alice <alice@example.org>", "Lunch", "Mon, 1 May 2000 10:11:12 +0200"),
        Mail("bob@example.org", "Report", "Tue, 16 May 2000 08:00:00 +0200",
             std::string(2000, 'x') + "\r\n"),
        Mail("carol@example.org", "<a href=\"http://x\">link</a>",
             "Wed, 31 May 2000 23:59:59 +0000"),
    };
    DovecotServer server("bob", "secret", mails);
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    std::vector<int> rowsWhenTopSent;
    f.pop3.OnSendTextToSocket = [&](TObject*, const std::string& text) {
        if (text.rfind("TOP ", 0) == 0)
            rowsWhenTopSent.push_back(f.mail_list->count());
    };
    f.BtnConnectClick();

    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    const auto size = [&](std::size_t i) {
        return QString::fromStdString(DisplaySize(std::to_string(mails[i].size())));
    };
    EXPECT_EQ(Rows(), (QStringList{
                          " 1 |" + size(0) + " |01 May 2000|Alice <alice@example.org>|Lunch|",
                          " 2 |" + size(1) + " |16 May 2000|bob@example.org|Report|",
                          " 3 |" + size(2) +
                              " |31 May 2000|carol@example.org|<a href=\"http://x\">link</a>|",
                      }));
    EXPECT_EQ(size(1), "2 KByte");
    // Dovecot lists PIPELINING: the three mails' commands go out in one send before any row.
    EXPECT_EQ(rowsWhenTopSent, (std::vector<int>{0}));
    ASSERT_EQ(f.Rows().Headers().size(), 3u);
    EXPECT_EQ(f.Rows().Headers()[0].back(), '|');
    EXPECT_NE(f.Rows().Headers()[0].find("Subject: Lunch\r\n"), std::string::npos);
    EXPECT_EQ(f.mail_list->currentRow(), 1);
    EXPECT_TRUE(MarkedRows().empty()) << "nothing is marked unless the user marks it";
    EXPECT_EQ(f.PanelText(0), "3 Mails");
    EXPECT_EQ(StatusLines(), "\r3 of 3 e-mails are listed.");
    EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
    EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
    EXPECT_TRUE(f.Tools.BtnDisconnect->isVisible());
    EXPECT_TRUE(f.pop3.Connected());
    EXPECT_EQ(f.Login.servername->currentText(), ServerText(server.port()));
    EXPECT_EQ(f.Login.Username->currentText(), "bob");

    f.BtnDisconnectClick();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_EQ(Rows().size(), 3) << "disconnect keeps the rows";
    EXPECT_TRUE(f.Rows().Headers().empty());
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 2, 3}));
}

TEST_F(AppTest, CountOnlyListingSendsNoTopAndNoList) {
    ScriptedServer server;
    ScriptLogin(server, 4, 123456);
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open({"de-DE"});
    // Blanks around the server name are not part of it.
    FillLogin(server.port(), "bob", "pw");
    f.Login.servername->setEditText(" " + ServerText(server.port()) + " ");
    f.Login.Header_Nein->setChecked(true);
    f.BtnConnectClick();
    EXPECT_EQ(Rows(), (QStringList{" 1 | - | - | - | - |", " 2 | - | - | - | - |",
                                   " 3 | - | - | - | - |", " 4 | - | - | - | - |"}));
    EXPECT_EQ(f.Rows().Headers(), (std::vector<std::string>(4, " ")));
    EXPECT_EQ(f.ControlState(), TForm1::StateListed);
    EXPECT_EQ(f.PanelText(0), "4 Mails");
    EXPECT_EQ(f.PanelText(1), "123 KByte");
    EXPECT_EQ(StatusLines(), "\rEs wird lediglich die Anzahl der e-mails angezeigt");
    EXPECT_EQ(f.mail_list->currentRow(), 1);
    EXPECT_EQ(f.Login.servername->currentText(), ServerText(server.port()));
    f.BtnDisconnectClick();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(server.ReceivedLines(),
              (std::vector<std::string>{"USER bob", "PASS pw", "CAPA", "STAT", "QUIT"}));
}

TEST_F(AppTest, CancelAfterMessageTwoKeepsTwoRowsInStep) {
    ScriptedServer server;
    ScriptLogin(server, 5, 5000);
    ScriptMessage(server, 1, kHeader1, 700);
    ScriptMessage(server, 2, kHeader2, 1500);
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.pop3.OnSendTextToSocket = [&](TObject*, const std::string& text) {
        // The user clicks Cancel while message 2 is being fetched.
        if (text == "TOP 2 0\r\n")
            QTimer::singleShot(0, f.Tools.btn_cancel, [&f] { f.Tools.btn_cancel->click(); });
    };
    f.BtnConnectClick();
    EXPECT_EQ(Rows(), (QStringList{" 1 |700 Byte |01 May 2000|Alice <alice@example.org>|Lunch|",
                                   " 2 |2 KByte |16 May 2000|bob@example.org|Report|"}));
    EXPECT_EQ(f.Rows().Headers().size(), 2u);
    EXPECT_EQ(f.ControlState(), TForm1::StateListed);
    EXPECT_TRUE(f.ListingStopRequested());
    EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
    EXPECT_TRUE(f.Tools.BtnDisconnect->isVisible());
    EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
    EXPECT_EQ(f.mail_list->currentRow(), 1);
    EXPECT_TRUE(f.pop3.Connected());

    f.BtnMarkClick();
    EXPECT_EQ(MarkedRows(), (std::vector<int>{1, 2}));

    f.BtnDisconnectClick();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(server.ReceivedLines(),
              (std::vector<std::string>{"USER bob", "PASS pw", "CAPA", "STAT", "TOP 1 0", "list 1",
                                        "TOP 2 0", "list 2", "QUIT"}));
}

TEST_F(AppTest, RefusedTopEndsTheListingIdle) {
    ScriptedServer server;
    ScriptLogin(server, 3, 3000);
    ScriptMessage(server, 1, kHeader1, 700);
    server.AwaitLine();
    server.Send("-ERR <img src=\"x\"> message 2 is gone\r\n");
    server.AwaitClientClose();
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(StatusLines(), "\rError: <img src=\"x\"> message 2 is gone");
    EXPECT_EQ(f.Bottom.Status->textFormat(), Qt::PlainText);
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
    EXPECT_TRUE(f.Tools.BtnDisconnect->isVisible());
    EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
    EXPECT_TRUE(errorsShown.empty());
    EXPECT_FALSE(SentAny("QUIT"));
    EXPECT_FALSE(SentAny("list 2"));
}

TEST_F(AppTest, RefusedOrUnreadableStatKeepsItsErrorAndEndsTheSession) {
    const struct {
        const char* answer;
        const char* status;
    } rows[] = {
        {"-ERR maildrop locked", "\rError: maildrop locked"},
        {"+OK 3000000000 100", "\rError: the server's mail count 3000000000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        ScriptedServer server;
        server.Send("+OK ready\r\n");
        server.AwaitLine();
        server.Send("+OK\r\n");
        server.AwaitLine();
        server.Send("+OK\r\n");
        server.AwaitLine(); // CAPA
        server.Send("-ERR unknown command\r\n");
        server.AwaitLine();
        server.Send(std::string(row.answer) + "\r\n");
        server.AwaitClientClose();
        server.Start();
        TForm1& f = Open();
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        const QString status = StatusLines();
        EXPECT_TRUE(status.startsWith(row.status)) << status.toStdString();
        EXPECT_TRUE(status.endsWith("\rYour connection has been terminated."))
            << status.toStdString();
        EXPECT_FALSE(status.contains("There is no need")) << status.toStdString();
        EXPECT_EQ(f.PanelText(0), "0 Mails");
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    }
}

TEST_F(AppTest, ServerMarkupInALoginRefusalIsShownAsText) {
    ScriptedServer server;
    server.Send("+OK ready\r\n");
    server.AwaitLine();
    server.Send("+OK\r\n");
    server.AwaitLine();
    server.Send("-ERR <a href=\"http://evil.example\">click</a><img src=x>\r\n");
    server.AwaitClientClose();
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    EXPECT_EQ(StatusLines(), "\rError: The server refused the user name or password."
                             "\r       (<a href=\"http://evil.example\">click</a><img src=x>)"
                             "\rYour connection has been terminated.");
    EXPECT_EQ(f.Bottom.Status->textFormat(), Qt::PlainText);
    for (QLabel* panel : f.Bottom.StatusPanels)
        EXPECT_EQ(panel->textFormat(), Qt::PlainText);
}

TEST_F(AppTest, ServerGoneMidListingEndsIdleAndReportsOnce) {
    ScriptedServer server;
    ScriptLogin(server, 3, 3000);
    ScriptMessage(server, 1, kHeader1, 700);
    server.AwaitLine();
    server.Reset();
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    // A transport failure ends the command and reaches the error display once.
    f.BtnConnectClick();
    ASSERT_EQ(errorsShown.size(), 1u);
    EXPECT_TRUE(errorsShown[0].startsWith("The connection to the server was lost."))
        << errorsShown[0].toStdString();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
    EXPECT_TRUE(f.Tools.BtnDisconnect->isVisible());
    EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
    EXPECT_TRUE(f.Rows().Headers().empty());
    EXPECT_FALSE(f.pop3.Connected());
    EXPECT_EQ(Rows().size(), 1);
}

} // namespace

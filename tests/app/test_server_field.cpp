// The server field: host, host:port, [IPv6-address]:port or a bare IPv6 address.
#include "AppFixture.h"

namespace {

TEST_F(AppTest, ServerFieldThatCannotBeReadStopsBeforeAnyNetworkActivity) {
    ScriptedServer server;
    server.Start();
    for (bool german : {true, false}) {
        for (const char* typed : {"127.0.0.1:0", "127.0.0.1:65536", "[::1", "pop example.org"}) {
            TForm1& f = Open({german ? "de-DE" : "en-US"});
            FillLogin(server.port(), "bob", "pw");
            f.Login.servername->setEditText(typed);
            f.BtnConnectClick();
            EXPECT_EQ(StatusLines(),
                      german ? QString::fromUtf8("\rFehler: Ungültiger Server - erlaubt sind Name, "
                                                 "Name:Port oder [IPv6-Adresse]:Port")
                             : QString("\rError: Invalid server - use name, name:port or "
                                       "[IPv6-address]:port"))
                << typed;
            EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        }
    }
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(AppTest, ServerFieldReachesTheServerByAddressAndPort) {
    ScriptedServer server;
    for (int session = 0; session < 2; ++session) {
        if (session > 0)
            server.AcceptNext();
        ScriptLogin(server, 0, 0);
        ScriptQuit(server);
    }
    server.Start();
    TForm1& f = Open();
    // Blanks around the text are not part of the server; the history keeps it as typed.
    for (const QString& typed :
         {" " + ServerText(server.port()) + "\t", ServerText(server.port(), "localhost")}) {
        FillLogin(server.port(), "bob", "pw");
        f.Login.servername->setEditText(typed);
        f.BtnConnectClick();
        EXPECT_EQ(f.Login.servername->itemText(f.Login.servername->count() - 1), typed.trimmed());
    }
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(server.Connections(), 2);
}

} // namespace

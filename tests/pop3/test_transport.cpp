// The client socket on its own, and how TMbxPOP opens it.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include <poll.h>

#include "ClientSocket.h"
#include "MbxPOP3.h"
#include "ScriptedServer.h"
#include "StuckListener.h"

namespace {

struct EventLog {
    std::vector<std::string> events;
    void Attach(TClientSocket& socket) {
        socket.OnLookup = [this](TObject*, TCustomWinSocket*) { events.push_back("lookup"); };
        socket.OnConnecting = [this](TObject*, TCustomWinSocket*) {
            events.push_back("connecting");
        };
        socket.OnConnect = [this](TObject*, TCustomWinSocket*) { events.push_back("connect"); };
        socket.OnDisconnect = [this](TObject*, TCustomWinSocket*) {
            events.push_back("disconnect");
        };
        socket.OnError = [this](TObject*, TCustomWinSocket*, TErrorEvent kind, int& code) {
            events.push_back("error " + std::to_string(kind) + " " + std::to_string(code));
        };
    }
};

std::string ErrorText(const std::function<void()>& call) {
    try {
        call();
    } catch (const ESocketError& e) {
        return e.what();
    }
    return "(no ESocketError)";
}

// Opens the socket to a server that resets the connection once the client's first line has
// arrived, and sends that line; the connection is fully open before it is torn down.
void OpenToResettingServer(ScriptedServer& server, TClientSocket& socket) {
    server.AwaitLine();
    server.Reset();
    server.Start();
    socket.SetAddress("127.0.0.1");
    socket.SetPort(server.port());
    socket.Open();
    ASSERT_EQ(socket.Socket()->SendBytes("hi\r\n", 4), 4);
}

} // namespace

TEST(ClientSocket, NoAddressIsRefusedAfterADisconnectReport) {
    TClientSocket socket;
    EventLog log;
    log.Attach(socket);
    EXPECT_EQ(ErrorText([&] { socket.Open(); }), "Keine Adresse angegeben");
    EXPECT_FALSE(socket.Active());
    EXPECT_EQ(log.events, (std::vector<std::string>{"lookup", "disconnect"}));
}

TEST(ClientSocket, RefusedConnectRaisesTheConnectError) {
    StuckListener closedPort; // bound, not listening
    TClientSocket socket;
    EventLog log;
    log.Attach(socket);
    socket.SetAddress("127.0.0.1");
    socket.SetPort(closedPort.port());
    EXPECT_EQ(ErrorText([&] { socket.Open(); }), SocketErrorText(ECONNREFUSED, "connect"));
    EXPECT_EQ(SocketErrorText(ECONNREFUSED, "connect"),
              "Windows-Socket-Fehler: Connection refused (111), auf API 'connect'");
    EXPECT_EQ(log.events, (std::vector<std::string>{"lookup", "connecting", "disconnect"}));
    EXPECT_FALSE(socket.Active());
}

TEST(ClientSocket, UnknownHostNameIsReportedAtTheLookup) {
    TClientSocket socket;
    // The empty label makes the resolver refuse the name itself, without asking any server.
    socket.SetHost("no..such-host.invalid");
    socket.SetPort(110);
    const std::string text = ErrorText([&] { socket.Open(); });
    EXPECT_NE(text.find("auf API 'getaddrinfo'"), std::string::npos) << text;
    EXPECT_FALSE(socket.Active());
}

TEST(ClientSocket, ConnectTimesOutWhileTheHookRuns) {
    StuckListener stuck;
    stuck.ListenAndFill();
    TClientSocket socket;
    socket.SetAddress("127.0.0.1");
    socket.SetPort(stuck.port());
    socket.ConnectTimeout = std::chrono::milliseconds(300);
    int hookCalls = 0;
    socket.Socket()->WaitHook = [&] { ++hookCalls; };
    EXPECT_EQ(ErrorText([&] { socket.Open(); }), SocketErrorText(ETIMEDOUT, "connect"));
    EXPECT_GT(hookCalls, 2);
    EXPECT_FALSE(socket.Active());
}

TEST(ClientSocket, ClosedPeerAndClosedSocketReadAsNothing) {
    ScriptedServer server;
    server.Send("bye\r\n");
    server.Close();
    server.Start();
    TClientSocket socket;
    EventLog log;
    log.Attach(socket);
    socket.SetHost("localhost"); // by name: each address found is tried in turn
    socket.SetPort(server.port());
    socket.Open();
    ASSERT_TRUE(socket.Active());
    ASSERT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    char buffer[64];
    std::string got;
    for (int n; (n = socket.Socket()->ReceiveBytes(buffer, sizeof buffer)) > 0;)
        got.append(buffer, size_t(n));
    EXPECT_EQ(got, "bye\r\n");
    // The peer's close is not noticed: every further receive returns 0 at once.
    EXPECT_EQ(socket.Socket()->ReceiveBytes(buffer, sizeof buffer), 0);
    EXPECT_EQ(socket.Socket()->ReceiveBytes(buffer, sizeof buffer), 0);
    EXPECT_TRUE(socket.Active());
    socket.Close();
    EXPECT_FALSE(socket.Active());
    EXPECT_EQ(socket.Socket()->SendBytes("x", 1), 0);
    EXPECT_EQ(socket.Socket()->ReceiveBytes(buffer, sizeof buffer), 0);
    socket.Close(); // closing twice reports nothing more
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"lookup", "connecting", "connect", "disconnect"}));
}

TEST(ClientSocket, EndpointCannotChangeWhileActive) {
    ScriptedServer server;
    server.Start();
    TClientSocket socket;
    socket.SetClientType(ctBlocking);
    socket.SetHost("LocalHost");
    socket.SetPort(server.port());
    socket.Open();
    ASSERT_TRUE(socket.Active());
    socket.SetHost("localhost"); // the same name in other letters is no change
    socket.SetPort(server.port());
    EXPECT_EQ(ErrorText([&] { socket.SetHost("example.org"); }), kTextChangeWhileActive);
    EXPECT_EQ(ErrorText([&] { socket.SetAddress("10.0.0.1"); }), kTextChangeWhileActive);
    EXPECT_EQ(ErrorText([&] { socket.SetPort(1); }), kTextChangeWhileActive);
    EXPECT_EQ(ErrorText([&] { socket.SetClientType(ctNonBlocking); }), kTextChangeWhileActive);
    socket.Close();
    socket.SetHost("example.org");
    EXPECT_EQ(socket.Host(), "example.org");
}

TEST(ClientSocket, ResetDuringAReceiveFiresTheErrorEventThenThrows) {
    ScriptedServer server;
    TClientSocket socket;
    EventLog log;
    log.Attach(socket);
    ASSERT_NO_FATAL_FAILURE(OpenToResettingServer(server, socket));
    char buffer[16];
    EXPECT_EQ(ErrorText([&] { socket.Socket()->ReceiveBytes(buffer, sizeof buffer); }),
              SocketErrorText(ECONNRESET, "recv"));
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"lookup", "connecting", "connect",
                                        "error 2 " + std::to_string(ECONNRESET), "disconnect"}));
    EXPECT_FALSE(socket.Active());
}

TEST(ClientSocket, ErrorHandlerMayClearTheCode) {
    ScriptedServer server;
    TClientSocket socket;
    socket.OnError = [](TObject*, TCustomWinSocket*, TErrorEvent, int& code) { code = 0; };
    ASSERT_NO_FATAL_FAILURE(OpenToResettingServer(server, socket));
    char buffer[16];
    EXPECT_EQ(socket.Socket()->ReceiveBytes(buffer, sizeof buffer), 0);
    EXPECT_FALSE(socket.Active());
}

TEST(PopConnect, HostAndPortAreMappedOntoTheSocket) {
    // Only loopback is ever reached: a port nobody listens on, and names from the hosts file.
    const StuckListener closedPort;
    const int closed = closedPort.port();
    struct Row {
        std::string host, port;
        std::string socketHost, socketAddress;
        int socketPort;
    } rows[] = {
        {"127.0.0.1", std::to_string(closed), "", "127.0.0.1", closed}, // dotted: an address
        {"localhost", std::to_string(closed), "localhost", "", closed}, // else a name
        {"localhost", "abc", "localhost", "", 110},                     // not a number: 110
        {"localhost", "70000", "localhost", "", 110},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.host + ":" + row.port);
        TMbxPOP pop;
        pop.Host = row.host;
        pop.Port = row.port;
        pop.Security = TSecurity::None;
        pop.ConnectTimeout = std::chrono::milliseconds(1); // refused at once, or given up
        int quits = 0, errors = 0;
        pop.OnQuit = [&](TObject*) { ++quits; };
        pop.OnError = [&](TObject*, int, const std::string&) { ++errors; };
        pop.Connect();
        EXPECT_EQ(pop.ClientSocket().Host(), row.socketHost);
        EXPECT_EQ(pop.ClientSocket().Address(), row.socketAddress);
        EXPECT_EQ(pop.ClientSocket().Port(), row.socketPort);
        EXPECT_TRUE(pop.Failed());
        EXPECT_FALSE(pop.Connected());
        EXPECT_FALSE(pop.OpenError().empty());
        EXPECT_EQ(errors, 0); // a failed open is flagged, not reported
        EXPECT_EQ(quits, 1);
    }
}

TEST(ClientSocket, SendOnAResetConnectionFiresTheErrorEventThenThrows) {
    ScriptedServer server;
    TClientSocket socket;
    EventLog log;
    log.Attach(socket);
    ASSERT_NO_FATAL_FAILURE(OpenToResettingServer(server, socket));
    // Wait until the reset has arrived.
    pollfd p{socket.Socket()->Handle(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 10000), 1);
    const std::string text = ErrorText([&] { socket.Socket()->SendBytes("more\r\n", 6); });
    EXPECT_TRUE(text == SocketErrorText(ECONNRESET, "send") ||
                text == SocketErrorText(EPIPE, "send"))
        << text;
    ASSERT_EQ(log.events.size(), 5u);
    EXPECT_TRUE(log.events[3] == "error 1 " + std::to_string(ECONNRESET) ||
                log.events[3] == "error 1 " + std::to_string(EPIPE))
        << log.events[3];
    EXPECT_EQ(log.events[4], "disconnect");
    EXPECT_FALSE(socket.Active());
}

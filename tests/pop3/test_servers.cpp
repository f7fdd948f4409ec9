// The two servers the tests talk to, checked with a plain socket client.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "DovecotServer.h"
#include "ScriptedServer.h"

namespace {

// A minimal blocking line client, independent of the code under test.
class LineClient {
public:
    explicit LineClient(uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(port);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~LineClient() { ::close(fd_); }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;
    bool connected() const { return connected_; }
    void send(const std::string& s) {
        ASSERT_EQ(::send(fd_, s.data(), s.size(), 0), ssize_t(s.size()));
    }
    // Reads until the text ends with `end` (or the peer closes).
    std::string readUntil(const std::string& end) {
        std::string text;
        char buffer[512];
        while (text.size() < end.size() ||
               text.compare(text.size() - end.size(), end.size(), end) != 0) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            text.append(buffer, size_t(n));
        }
        return text;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

std::string Mail(int n) {
    return "From: sender" + std::to_string(n) + "@example.org\r\nSubject: number " +
           std::to_string(n) + "\r\n\r\nbody " + std::to_string(n) + "\r\n";
}

} // namespace

TEST(ScriptedServerSmoke, PlaysTheScriptAndRecordsTheClient) {
    ScriptedServer server;
    server.Send("+OK hi\r\n");
    server.AwaitLine();
    server.Send("+OK 1 ");
    server.Send("2\r\n");
    server.AwaitClientClose();
    server.Start();

    {
        LineClient client(server.port());
        ASSERT_TRUE(client.connected());
        EXPECT_EQ(client.readUntil("\r\n"), "+OK hi\r\n");
        client.send("STAT\r\n");
        EXPECT_EQ(client.readUntil("2\r\n"), "+OK 1 2\r\n");
        client.send("QUIT\r\n");
    } // the client closes here, which ends the script
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(server.ReceivedLines(), (std::vector<std::string>{"STAT", "QUIT"}));
}

TEST(DovecotServerSmoke, ServesTheMailsInOrderAndDeletesAtQuit) {
    std::vector<std::string> mails;
    for (int n = 1; n <= 12; ++n)
        mails.push_back(Mail(n));
    std::vector<int> left;
    {
        DovecotServer server("smoke", "pw", mails);
        LineClient client(server.port());
        ASSERT_TRUE(client.connected());
        EXPECT_EQ(client.readUntil("\r\n").substr(0, 3), "+OK");
        client.send("USER smoke\r\n");
        EXPECT_EQ(client.readUntil("\r\n").substr(0, 3), "+OK");
        client.send("PASS pw\r\n");
        EXPECT_EQ(client.readUntil("\r\n").substr(0, 3), "+OK");
        for (int n : {1, 7, 12}) {
            client.send("TOP " + std::to_string(n) + " 0\r\n");
            const std::string top = client.readUntil("\r\n.\r\n");
            EXPECT_NE(top.find("Subject: number " + std::to_string(n) + "\r\n"), std::string::npos)
                << top;
        }
        client.send("DELE 3\r\n");
        EXPECT_EQ(client.readUntil("\r\n").substr(0, 3), "+OK");
        client.send("QUIT\r\n");
        EXPECT_EQ(client.readUntil("\r\n").substr(0, 3), "+OK");
        left = server.RemainingMessages();
    }
    std::vector<int> expected{1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(left, expected);
}

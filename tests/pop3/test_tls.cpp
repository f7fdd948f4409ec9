// Secure connections: TLS and STLS against Dovecot with a private CA made here, refused
// certificates, and hostile or broken servers scripted byte for byte. Whenever an attempt
// fails, no USER or PASS may have been sent.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DovecotMails.h"
#include "DovecotServer.h"
#include "MbxPOP3.h"
#include "ScriptedServer.h"
#include "StuckListener.h"
#include "TestCertificates.h"

namespace {

bool SentCredentials(const std::string& bytes) {
    return bytes.find("USER ") != std::string::npos || bytes.find("PASS ") != std::string::npos;
}

// A folder for certificates that lives as long as the test suite.
class CertificateFolder {
public:
    CertificateFolder() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/tlstest-XXXXXX";
        path_ = ::mkdtemp(pattern.data());
    }
    ~CertificateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class TlsDovecot : public ::testing::Test {
protected:
    // A skip here would not reach the tests: each skips in SetUp, the server is not started.
    static void SetUpTestSuite() {
        if (!DovecotMissing().empty())
            return;
        folder_ = new CertificateFolder;
        ca_ = new TestAuthority(folder_->path(), "Test CA");
        const TestCertificate good = ca_->Issue("localhost", {"localhost"}, {"127.0.0.1"});
        attachment_ = new std::string(AttachmentBytes());
        server_ = new DovecotServer("bob", "s3cret", {PlainMail(1), MultipartMail(2, *attachment_)},
                                    DovecotTls{good.CertFile, good.KeyFile});
    }
    void SetUp() override { SKIP_WITHOUT_DOVECOT(); }
    static void TearDownTestSuite() {
        delete server_;
        delete attachment_;
        delete ca_;
        delete folder_;
    }

    // A client for this suite's server, recording what it sends.
    void Aim(TMbxPOP& pop, TSecurity security, uint16_t port, const std::string& host) {
        pop.Host = host;
        pop.Port = std::to_string(port);
        pop.Security = security;
        pop.CaFile = ca_->CertFile();
        pop.UserId = "bob";
        pop.UserPasswd = "s3cret";
        pop.OnSendTextToSocket = [this](TObject*, const std::string& s) { sent_ += s; };
    }

    static CertificateFolder* folder_;
    static TestAuthority* ca_;
    static std::string* attachment_;
    static DovecotServer* server_;
    std::string sent_;
};

CertificateFolder* TlsDovecot::folder_ = nullptr;
TestAuthority* TlsDovecot::ca_ = nullptr;
std::string* TlsDovecot::attachment_ = nullptr;
DovecotServer* TlsDovecot::server_ = nullptr;

} // namespace

TEST_F(TlsDovecot, SessionsOverTlsAndStls) {
    struct Row {
        const char* name;
        TSecurity security;
        bool tlsPort;
        std::string host;
        TSecurity used;
    } rows[] = {
        {"implicit TLS to an address", TSecurity::Tls, true, "127.0.0.1", TSecurity::Tls},
        {"STLS to a name", TSecurity::StartTls, false, "localhost", TSecurity::StartTls},
        {"auto on the plain port takes STLS", TSecurity::Auto, false, "localhost",
         TSecurity::StartTls},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TMbxPOP pop;
        Aim(pop, row.security, row.tlsPort ? server_->tlsPort() : server_->port(), row.host);
        pop.Connect();
        ASSERT_TRUE(pop.Connected()) << pop.OpenError() << "\n" << server_->Log();
        EXPECT_EQ(pop.UsedSecurity(), row.used);
        EXPECT_EQ(pop.UsedPort(), row.tlsPort ? server_->tlsPort() : server_->port());
        EXPECT_NE(pop.TlsSummary().find("TLSv1."), std::string::npos) << pop.TlsSummary();
        EXPECT_NE(pop.TlsSummary().find("CN=localhost"), std::string::npos) << pop.TlsSummary();
        ASSERT_TRUE(pop.Login());
        pop.Stat();
        EXPECT_EQ(pop.MessageCount(), 2);
        auto msg = pop.Retrieve(2);
        ASSERT_TRUE(msg);
        ASSERT_EQ(msg->Attachments.Count(), 1);
        EXPECT_TRUE(msg->Attachments.Items(0).Data == *attachment_) << "decoded bytes differ";
        pop.Quit();
        EXPECT_FALSE(pop.Failed());
    }
}

TEST_F(TlsDovecot, AutoFindsWhatThePortSpeaks) {
    const StuckListener refusing;
    ScriptedServer silent; // accepts, never says a word
    silent.Start();
    const uint16_t plain = server_->port();
    const uint16_t tls = server_->tlsPort();
    struct Row {
        const char* name;
        uint16_t port;
        bool portGiven;
        uint16_t tlsDefault;
        TSecurity used;
        uint16_t usedPort;
        TFailureCause cause; // Other: connects
    } rows[] = {
        {"TLS port refused", refusing.port(), false, refusing.port(), TSecurity::StartTls, plain,
         TFailureCause::Other},
        {"TLS port silent", silent.port(), false, silent.port(), TSecurity::StartTls, plain,
         TFailureCause::Other},
        {"a port given and refused is the only one tried", refusing.port(), true, refusing.port(),
         TSecurity::None, 0, TFailureCause::Refused},
        {"no greeting on a port given: TLS", tls, true, 995, TSecurity::Tls, tls,
         TFailureCause::Other},
        {"plain text answers the handshake: STLS", plain, true, plain, TSecurity::StartTls, plain,
         TFailureCause::Other},
        {"silent to the greeting and the handshake", silent.port(), true, 995, TSecurity::None, 0,
         TFailureCause::Timeout},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sent_.clear();
        TMbxPOP pop;
        Aim(pop, TSecurity::Auto, row.port, "localhost");
        if (!row.portGiven)
            pop.Port.clear();
        pop.DefaultPorts = {row.tlsDefault, plain};
        // Bounds the greeting's probe and the silent handshakes; the rest answers at once.
        pop.ConnectTimeout = std::chrono::seconds(2);
        int quits = 0;
        pop.OnQuit = [&quits](TObject*) { ++quits; };
        const auto start = std::chrono::steady_clock::now();
        pop.Connect();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(7));
        if (row.cause != TFailureCause::Other) {
            EXPECT_FALSE(pop.Connected());
            EXPECT_EQ(pop.OpenCause(), row.cause) << pop.OpenError();
            EXPECT_EQ(quits, 1);
            EXPECT_FALSE(SentCredentials(sent_)) << sent_;
            continue;
        }
        ASSERT_TRUE(pop.Connected()) << pop.OpenError();
        EXPECT_EQ(quits, 0) << "the attempts before are no end of the session";
        EXPECT_EQ(pop.UsedSecurity(), row.used);
        EXPECT_EQ(pop.UsedPort(), row.usedPort);
        EXPECT_TRUE(pop.Login());
        pop.Quit();
        EXPECT_EQ(quits, 1);
    }
    EXPECT_FALSE(SentCredentials(silent.Received())) << silent.Received();
}

TEST_F(TlsDovecot, CertificatesThatCannotBeVerified) {
    const TestAuthority stranger(folder_->path(), "Stranger CA");
    const TestCertificate expired = ca_->Issue("expired", {"localhost"}, {"127.0.0.1"}, -30, -1);
    const TestCertificate elsewhere = ca_->Issue("elsewhere", {"mail.example.org"}, {});
    DovecotServer expiredServer("bob", "s3cret", {PlainMail(1)},
                                DovecotTls{expired.CertFile, expired.KeyFile});
    DovecotServer elsewhereServer("bob", "s3cret", {PlainMail(1)},
                                  DovecotTls{elsewhere.CertFile, elsewhere.KeyFile});
    struct Row {
        const char* name;
        const DovecotServer* server;
        std::string caFile;
        std::string error; // part of OpenSSL's words
    } rows[] = {
        {"an authority not trusted", server_, stranger.CertFile(), "local issuer"},
        {"expired", &expiredServer, ca_->CertFile(), "expired"},
        {"another host's name", &elsewhereServer, ca_->CertFile(), "mismatch"},
    };
    for (const Row& row : rows) {
        for (TSecurity security : {TSecurity::Tls, TSecurity::StartTls}) {
            SCOPED_TRACE(std::string(row.name) + " " + SecurityName(security));
            sent_.clear();
            const uint16_t port =
                security == TSecurity::Tls ? row.server->tlsPort() : row.server->port();
            // Refused, then trusted on request, then accepted by its stored fingerprint.
            std::vector<TCertificateInfo> asked;
            bool trust = false;
            TMbxPOP pop;
            Aim(pop, security, port, "localhost");
            pop.CaFile = row.caFile;
            pop.OnCertificateProblem = [&](const TCertificateInfo& info) {
                asked.push_back(info);
                return trust;
            };
            pop.Connect();
            EXPECT_FALSE(pop.Connected());
            EXPECT_TRUE(pop.Failed());
            EXPECT_EQ(pop.OpenCause(), TFailureCause::Certificate);
            EXPECT_NE(pop.OpenError().find(row.error), std::string::npos) << pop.OpenError();
            EXPECT_FALSE(SentCredentials(sent_)) << sent_;
            ASSERT_EQ(asked.size(), 1u);
            const TCertificateInfo info = asked[0];
            EXPECT_EQ(info.Host, "localhost");
            EXPECT_EQ(info.Port, port);
            EXPECT_NE(info.VerifyError.find(row.error), std::string::npos) << info.VerifyError;
            EXPECT_EQ(info.Fingerprint.size(), 32u * 3 - 1) << info.Fingerprint;
            EXPECT_NE(info.Issuer.find("CN="), std::string::npos);
            EXPECT_NE(info.NotAfter.find("UTC"), std::string::npos);
            EXPECT_FALSE(info.Changed);

            trust = true;
            pop.Connect();
            EXPECT_TRUE(pop.Connected()) << pop.OpenError();
            pop.Quit();

            pop.TrustedFingerprint = info.Fingerprint;
            trust = false;
            pop.Connect();
            EXPECT_TRUE(pop.Connected()) << pop.OpenError();
            EXPECT_EQ(asked.size(), 2u) << "a stored fingerprint is not asked about";
            EXPECT_TRUE(pop.Login());
            pop.Quit();

            pop.TrustedFingerprint = "00:11";
            pop.Connect();
            EXPECT_FALSE(pop.Connected());
            ASSERT_EQ(asked.size(), 3u);
            EXPECT_TRUE(asked[2].Changed);
        }
    }
}

TEST(TlsScripted, BrokenOrHostileServersGetNoCredentials) {
    const std::string caps = "+OK\r\nUSER\r\nSTLS\r\n.\r\n";
    struct Row {
        const char* name;
        TSecurity security;
        std::vector<std::string> script; // "<" awaits a line, "<<" awaits any bytes, "" closes
        TFailureCause cause;
        bool shortTimeout = false;
    };
    const std::vector<Row> rows = {
        {"CAPA without STLS",
         TSecurity::StartTls,
         {"+OK hi\r\n", "<", "+OK\r\nUSER\r\n.\r\n"},
         TFailureCause::Insecure},
        {"no encryption in auto mode",
         TSecurity::Auto,
         {"+OK hi\r\n", "<", "+OK\r\nUSER\r\n.\r\n"},
         TFailureCause::Insecure},
        {"STLS refused",
         TSecurity::StartTls,
         {"+OK hi\r\n", "<", caps, "<", "-ERR not now\r\n"},
         TFailureCause::Insecure},
        {"answer injected after +OK",
         TSecurity::StartTls,
         {"+OK hi\r\n", "<", caps, "<", "+OK go ahead\r\n+OK logged in\r\n"},
         TFailureCause::Insecure},
        {"garbage instead of a handshake",
         TSecurity::StartTls,
         {"+OK hi\r\n", "<", caps, "<", "+OK go ahead\r\n", "<<", "+OK this is no TLS\r\n"},
         TFailureCause::Tls},
        {"close in the middle of the handshake",
         TSecurity::StartTls,
         {"+OK hi\r\n", "<", caps, "<", "+OK go ahead\r\n", "<<",
          std::string("\x16\x03\x03\x00\x7a\x02", 6), ""},
         TFailureCause::Tls},
        {"no answer to the handshake",
         TSecurity::StartTls,
         {"+OK hi\r\n", "<", caps, "<", "+OK go ahead\r\n", "<<"},
         TFailureCause::Timeout,
         true},
        {"plain text on the TLS port", TSecurity::Tls, {"+OK plain\r\n"}, TFailureCause::Tls},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        for (const std::string& step : row.script) {
            if (step == "<")
                server.AwaitLine();
            else if (step == "<<")
                server.AwaitBytes();
            else if (step.empty())
                server.Close();
            else
                server.Send(step);
        }
        server.Start();
        TMbxPOP pop;
        pop.Host = "127.0.0.1";
        pop.Port = std::to_string(server.port());
        pop.Security = row.security;
        if (row.shortTimeout)
            pop.ConnectTimeout = std::chrono::milliseconds(500);
        int consentAsked = 0;
        pop.OnPlainTextConsent = [&](const std::string& host, int port) {
            EXPECT_EQ(host, "127.0.0.1");
            EXPECT_EQ(port, server.port());
            ++consentAsked;
            return false;
        };
        pop.Connect();
        EXPECT_FALSE(pop.Connected());
        EXPECT_TRUE(pop.Failed());
        EXPECT_EQ(pop.OpenCause(), row.cause) << pop.OpenError();
        EXPECT_FALSE(pop.OpenError().empty());
        EXPECT_EQ(consentAsked, row.security == TSecurity::Auto ? 1 : 0);
        if (!row.script.back().empty()) { // else the server closed first
            EXPECT_TRUE(server.WaitForClientClose());
        }
        EXPECT_FALSE(SentCredentials(server.Received())) << server.Received();
    }
}

TEST(TlsScripted, PlainTextWithConsentInAutoMode) {
    ScriptedServer server;
    server.Send("+OK hi\r\n");
    // CAPA, USER, PASS, and the CAPA after login.
    for (const char* answer :
         {"+OK\r\nUSER\r\n.\r\n", "+OK\r\n", "+OK\r\n", "+OK\r\nUSER\r\n.\r\n"}) {
        server.AwaitLine();
        server.Send(answer);
    }
    server.Start();
    TMbxPOP pop;
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.port());
    pop.OnPlainTextConsent = [](const std::string&, int) { return true; };
    pop.UserId = "bob";
    pop.UserPasswd = "pw";
    pop.Connect();
    ASSERT_TRUE(pop.Connected()) << pop.OpenError();
    EXPECT_EQ(pop.UsedSecurity(), TSecurity::None);
    EXPECT_EQ(pop.TlsSummary(), "");
    EXPECT_TRUE(pop.Login());
    EXPECT_EQ(pop.UserPasswd, "") << "no longer held once PASS went out";
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(server.ReceivedLines(),
              (std::vector<std::string>{"CAPA", "USER bob", "PASS pw", "CAPA"}));
}

// Sign-in with an OAuth2 access token: the SASL exchange byte for byte against a scripted
// server over TLS, and the provider's reason read from an error challenge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "MbxPOP3.h"
#include "OAuthSasl.h"
#include "ScriptedServer.h"
#include "TestCertificates.h"
#include "mbx_util.h"

namespace {

std::string Decoded(const std::string& base64) {
    std::string bytes;
    TBase64DecodingStream(bytes).Write(base64);
    return bytes;
}

// A private authority and a certificate for 127.0.0.1, for the whole suite.
class SaslScripted : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/sasl-XXXXXX";
        folder_ = ::mkdtemp(pattern.data());
        ca_ = std::make_unique<TestAuthority>(folder_, "SASL CA");
        cert_ = ca_->Issue("sasl", {"localhost"}, {"127.0.0.1"});
    }
    static void TearDownTestSuite() {
        ca_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    static std::string folder_;
    static std::unique_ptr<TestAuthority> ca_;
    static TestCertificate cert_;
};

std::string SaslScripted::folder_;
std::unique_ptr<TestAuthority> SaslScripted::ca_;
TestCertificate SaslScripted::cert_;

constexpr const char* kUser = "someuser@example.com";
constexpr const char* kToken = "ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg";
// The example of Google's XOAUTH2 documentation for this user and token.
constexpr const char* kGoogleExample =
    "dXNlcj1zb21ldXNlckBleGFtcGxlLmNvbQFhdXRoPUJlYXJlciB5YTI5LnZGOWRmdDRxbVRjMk52YjNSbGNrQmhkSF"
    "JoZG1semRHRXVZMjl0Q2cBAQ==";
// {"status":"invalid_token","scope":"mail"}
constexpr const char* kChallenge = "eyJzdGF0dXMiOiJpbnZhbGlkX3Rva2VuIiwic2NvcGUiOiJtYWlsIn0=";

// The mechanism is a word of the CAPA answer's SASL line, in any case.
bool Offered(const std::string& saslLine, const std::string& mechanism) {
    std::istringstream words(saslLine);
    for (std::string word; words >> word;) {
        if (word.size() == mechanism.size() &&
            std::equal(word.begin(), word.end(), mechanism.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) ==
                       std::toupper(static_cast<unsigned char>(b));
            }))
            return true;
    }
    return false;
}

} // namespace

TEST_F(SaslScripted, TwoStepExchangeAndItsRefusals) {
    struct Row {
        const char* name;
        TAuthMethod method;
        bool tls;
        std::string sasl;   // the CAPA answer's SASL line
        std::string answer; // to the initial response: "+OK", "-ERR ..." or "+ challenge"
        bool loggedIn;
        std::vector<std::string> sent; // after the CAPA before the sign-in; "*": the response
        std::string error;             // the text of error 2001
    };
    const std::vector<Row> rows = {
        {"XOAUTH2, mechanisms in any case",
         TAuthMethod::XOAuth2,
         true,
         "SASL plain xoauth2 OAUTHBEARER",
         "+OK signed in",
         true,
         {"AUTH XOAUTH2", kGoogleExample, "CAPA"},
         ""},
        {"OAUTHBEARER",
         TAuthMethod::OAuthBearer,
         true,
         "SASL OAUTHBEARER",
         "+OK",
         true,
         {"AUTH OAUTHBEARER", "*", "CAPA"},
         ""},
        {"XOAUTH2 token refused",
         TAuthMethod::XOAuth2,
         true,
         "SASL XOAUTH2",
         std::string("+ ") + kChallenge,
         false,
         {"AUTH XOAUTH2", "*", ""},
         "Der Anbieter hat das Zugangstoken abgelehnt: invalid_token (scope mail)"},
        {"OAUTHBEARER token refused",
         TAuthMethod::OAuthBearer,
         true,
         "SASL OAUTHBEARER",
         std::string("+ ") + kChallenge,
         false,
         {"AUTH OAUTHBEARER", "*", "AQ=="},
         "Der Anbieter hat das Zugangstoken abgelehnt: invalid_token (scope mail)"},
        {"challenge that is no JSON",
         TAuthMethod::XOAuth2,
         true,
         "SASL XOAUTH2",
         "+ bm8ganNvbg==",
         false,
         {"AUTH XOAUTH2", "*", ""},
         kTextChallengeUnreadable},
        {"refused without a challenge",
         TAuthMethod::XOAuth2,
         true,
         "SASL XOAUTH2",
         "-ERR [AUTH] Authentication failed.",
         false,
         {"AUTH XOAUTH2", "*"},
         "[AUTH] Authentication failed."},
        {"only the other token mechanism offered: that one",
         TAuthMethod::OAuthBearer,
         true,
         "SASL PLAIN XOAUTH2",
         "+OK",
         true,
         {"AUTH XOAUTH2", kGoogleExample, "CAPA"},
         ""},
        {"no token mechanism offered",
         TAuthMethod::OAuthBearer,
         true,
         "SASL PLAIN",
         "",
         false,
         {},
         std::string(kTextSaslNotOffered) + ": OAUTHBEARER (SASL: PLAIN)"},
        {"plain connection",
         TAuthMethod::XOAuth2,
         false,
         "SASL XOAUTH2",
         "",
         false,
         {},
         kTextSaslNeedsTls},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        if (row.tls)
            server.UseTls(cert_.CertFile, cert_.KeyFile);
        server.Send("+OK ready\r\n");
        // Like Microsoft 365, the server refuses the initial response on the AUTH line.
        server.AnswerEachLine(
            [&](const std::string& line) -> std::string {
                if (line == "CAPA")
                    return "+OK\r\nUSER\r\n" + row.sasl + "\r\n.\r\n";
                if (line.rfind("AUTH ", 0) == 0 && Offered(row.sasl, line.substr(5)))
                    return "+ \r\n";
                if (line.rfind("AUTH ", 0) == 0)
                    return "-ERR Protocol error\r\n";
                if (line == "QUIT")
                    return "+OK bye\r\n";
                if (line.empty() || line == "AQ==")
                    return "-ERR [AUTH] Authentication failed.\r\n";
                return row.answer + "\r\n";
            },
            "QUIT");
        server.Start();

        TMbxPOP pop;
        pop.Host = "127.0.0.1";
        pop.Port = std::to_string(server.port());
        pop.Security = row.tls ? TSecurity::Tls : TSecurity::None;
        pop.CaFile = ca_->CertFile();
        pop.UserId = kUser;
        pop.Auth = row.method;
        pop.AccessToken = kToken;
        std::vector<std::string> errors;
        pop.OnError = [&](TObject*, int code, const std::string& text) {
            errors.push_back(std::to_string(code) + " " + text);
        };
        pop.Connect();
        ASSERT_TRUE(pop.Connected()) << pop.OpenError();
        EXPECT_EQ(pop.Login(), row.loggedIn);
        EXPECT_EQ(pop.Connected(), row.loggedIn);
        EXPECT_EQ(pop.AccessToken, row.sent.empty() ? kToken : "") << "cleared once sent";
        EXPECT_EQ(errors, row.error.empty() ? std::vector<std::string>{}
                                            : std::vector<std::string>{"2001 " + row.error});
        pop.Quit();
        EXPECT_TRUE(server.WaitForClientClose());

        std::vector<std::string> sent = server.ReceivedLines();
        ASSERT_FALSE(!row.tls && !sent.empty()) << "nothing goes out in plain text";
        if (!row.tls)
            continue;
        ASSERT_EQ(sent.front(), "CAPA");
        sent.erase(sent.begin());
        if (row.loggedIn) {
            ASSERT_EQ(sent.back(), "QUIT");
            sent.pop_back();
        }
        ASSERT_EQ(sent.size(), row.sent.size()) << ::testing::PrintToString(sent);
        for (size_t i = 0; i < sent.size(); ++i) {
            if (row.sent[i] != "*") {
                EXPECT_EQ(sent[i], row.sent[i]);
                continue;
            }
            const std::string expected =
                row.method == TAuthMethod::XOAuth2
                    ? std::string("user=") + kUser + "\x01" + "auth=Bearer " + kToken + "\x01\x01"
                    : std::string("n,a=") + kUser + ",\x01host=127.0.0.1\x01port=" + pop.Port +
                          "\x01" + "auth=Bearer " + kToken + "\x01\x01";
            EXPECT_EQ(Decoded(sent[i]), expected);
        }
    }
}

TEST(OAuthChallenge, TheProvidersReasonOrAClearError) {
    const std::string refused = kTextTokenRefused;
    struct Row {
        const char* base64;
        std::string text;
    } rows[] = {
        // {"status":"401","schemes":"Bearer","scope":"https://mail.google.com/"}
        {"eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiQmVhcmVyIiwic2NvcGUiOiJodHRwczovL21haWwuZ29vZ2xlLmNv"
         "bS8ifQ==",
         refused + ": 401 (scope https://mail.google.com/)"},
        // {"status":400,"error":"invalid_grant","extra":{"a":[1,2]}}
        {"eyJzdGF0dXMiOjQwMCwiZXJyb3IiOiJpbnZhbGlkX2dyYW50IiwiZXh0cmEiOnsiYSI6WzEsMl19fQ==",
         refused + ": 400, invalid_grant"},
        {"eyJzY29wZSI6Im1haWwifQ==", refused + ": scope mail"}, // {"scope":"mail"}
        {"eyJzdGF0dXMiOnsibmVzdGVkIjp0cnVlfX0=", refused},      // {"status":{"nested":true}}
        {"WyJzdGF0dXMiLCI0MDEiXQ==", kTextChallengeUnreadable}, // ["status","401"]
        {"eyJzdGF0dXMiOiI0MDEi", kTextChallengeUnreadable},     // {"status":"401"
        {"not base64 at all", kTextChallengeUnreadable},
        {"", kTextChallengeUnreadable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.base64);
        EXPECT_EQ(OAuthRefusalText(ReadOAuthChallenge(row.base64)), row.text);
    }
}

// The mbxpop tool end to end against Dovecot: output, exit status, trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DovecotServer.h"
#include "OAuth2Stub.h"
#include "QuitEndings.h"
#include "ScriptedServer.h"
#include "SpamdServer.h"
#include "StuckListener.h"
#include "TestCertificates.h"
#include "UnsubscribeStub.h"

#ifdef MBXPOP_WINDOW_SETTINGS
#include <QCoreApplication>

#include "KeyringStore.h"
#include "Learn.h"
#include "OAuth2Providers.h"
#include "OAuth2TokenStore.h"
#include "SettingsStore.h"
#include "SpamSetting.h"
#endif

extern char** environ;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs mbxpop with these arguments, the password and the locale's variables in its environment;
// through wrapper (a command that runs the rest of its arguments) when given. whileRunning gets
// the process while it runs.
Result Mbxpop(const std::vector<std::string>& args, const std::string& password,
              const std::vector<std::string>& locale = {"LC_ALL=C.UTF-8"},
              const std::vector<std::string>& wrapper = {},
              const std::function<void(pid_t)>& whileRunning = {}) {
    const std::string dir = ::testing::TempDir();
    const std::string out = dir + "mbxpop-out-" + std::to_string(::getpid());
    const std::string err = dir + "mbxpop-err-" + std::to_string(::getpid());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> all = wrapper;
    all.push_back(MBXPOP_PATH);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings{"MBXPOP_PASSWORD=" + password};
    envStrings.insert(envStrings.end(), locale.begin(), locale.end());
    const auto ours = [](const std::string& e) {
        for (const char* name :
             {"MBXPOP_PASSWORD=", "LANGUAGE=", "LC_ALL=", "LC_MESSAGES=", "LANG="})
            if (e.rfind(name, 0) == 0)
                return true;
        return false;
    };
    for (char** e = environ; *e; ++e)
        if (!ours(*e))
            envStrings.push_back(*e);
    std::vector<char*> env;
    for (auto& e : envStrings)
        env.push_back(e.data());
    env.push_back(nullptr);
    pid_t pid = 0;
    Result r;
    if (::posix_spawnp(&pid, all[0].c_str(), &actions, nullptr, argv.data(), env.data()) == 0) {
        if (whileRunning)
            whileRunning(pid);
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    ::unlink(out.c_str());
    ::unlink(err.c_str());
    return r;
}

// The rows of list without their last column, the unique id, which go into ids.
std::string WithoutIds(const std::string& rows, std::set<std::string>& ids) {
    std::istringstream in(rows);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.rfind('\t');
        ids.insert(line.substr(tab + 1));
        out += line.substr(0, tab) + "\n";
    }
    return out;
}

// The header names of a request unsubscribe_stub.py recorded, in its (sorted) order.
std::string HeaderNames(const std::string& request) {
    const size_t from = request.find('{', request.find("\"headers\": {"));
    const std::string headers = request.substr(from, request.find('}', from) - from);
    static const std::regex name("\"([a-z0-9-]+)\": ");
    std::string names;
    for (auto it = std::sregex_iterator(headers.begin(), headers.end(), name);
         it != std::sregex_iterator(); ++it)
        names += (*it)[1].str() + " ";
    return names;
}

std::string Mail(int n) {
    return "From: s" + std::to_string(n) + "@example.org\r\nSubject: tool " + std::to_string(n) +
           "\r\n\r\nbody\r\n";
}

// A folder of this test's own with a private authority, and a Dovecot with TLS on its
// certificate; the folder goes with it.
class TlsToolServer {
public:
    explicit TlsToolServer(const std::string& name, const DovecotOAuth2& oauth2 = {})
        : folder_(MadeFolder(::testing::TempDir() + name + std::to_string(::getpid()))),
          ca_(folder_, "Tool CA"), cert_(ca_.Issue("tool", {"localhost"}, {"127.0.0.1"})),
          server_("tool", "pw", {Mail(1)}, DovecotTls{cert_.CertFile, cert_.KeyFile}, oauth2) {}
    ~TlsToolServer() {
        server_.Stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const TestAuthority& ca() const { return ca_; }
    const DovecotServer& server() const { return server_; }

private:
    static std::string MadeFolder(const std::string& path) {
        std::filesystem::create_directories(path);
        return path;
    }
    std::string folder_;
    TestAuthority ca_;
    TestCertificate cert_;
    DovecotServer server_;
};

} // namespace

TEST(Mbxpop, ReadsTheMailboxAndDeletesInTheOrderGiven) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("tool", "pa55 word", {Mail(1), Mail(2), Mail(3)});
    const std::string port = std::to_string(server.port());
    const std::string headerSize = std::to_string(Mail(1).find("\r\n\r\n") + 4 + 3);
    const std::string mailSize = std::to_string(Mail(1).size());

    Result stat =
        Mbxpop({"--security", "none", "--port", port, "127.0.0.1", "tool", "stat"}, "pa55 word");
    EXPECT_EQ(stat.status, 0) << stat.err;
    EXPECT_EQ(stat.out, "3 " + std::to_string(3 * Mail(1).size()) + "\n");

    Result list =
        Mbxpop({"--security", "none", "--port", port, "127.0.0.1", "tool", "list"}, "pa55 word");
    EXPECT_EQ(list.status, 0) << list.err;
    std::string expected;
    for (int n = 1; n <= 3; ++n)
        expected += std::to_string(n) + "\t" + mailSize + "\t" + headerSize + "\n";
    std::set<std::string> ids;
    EXPECT_EQ(WithoutIds(list.out, ids), expected);
    EXPECT_EQ(ids.size(), 3u) << list.out;

    // The same rows one command at a time; pipelined, several commands go out in one send.
    // --fresh: every header from the server, not from what the listing before remembered.
    for (const bool pipelined : {true, false}) {
        std::vector<std::string> args{"--fresh", "--security", "none", "--trace", "--port",
                                      port,      "127.0.0.1",  "tool", "list"};
        if (!pipelined)
            args.insert(args.begin(), "--no-pipelining");
        Result traced = Mbxpop(args, "pa55 word");
        EXPECT_EQ(traced.out, list.out);
        EXPECT_EQ(traced.err.find("sent TOP 1 0\\r\\nlist 1\\r\\nUIDL 1\\r\\nTOP 2 0") !=
                      std::string::npos,
                  pipelined)
            << traced.err;
    }

    Result header = Mbxpop(
        {"--security", "none", "--port", port, "127.0.0.1", "tool", "header", "2"}, "pa55 word");
    EXPECT_EQ(header.out, "From: s2@example.org\r\nSubject: tool 2\r\n\r\n");

    // The whole mail comes through TOP unless --retr asks for RETR; the trace tells which.
    for (const bool retr : {false, true}) {
        std::vector<std::string> args{"--trace",   "--security", "none",     "--port", port,
                                      "127.0.0.1", "tool",       "retrieve", "3"};
        if (retr)
            args.insert(args.begin(), "--retr");
        Result retrieve = Mbxpop(args, "pa55 word");
        EXPECT_EQ(retrieve.status, 0) << retrieve.err;
        EXPECT_NE(retrieve.out.find("\"subject\":\"tool 3\""), std::string::npos) << retrieve.out;
        EXPECT_EQ(retrieve.err.find("sent TOP 3 999999999\\r\\n") != std::string::npos, !retr);
        EXPECT_EQ(retrieve.err.find("sent RETR 3\\r\\n") != std::string::npos, retr);
        EXPECT_EQ(retrieve.err.find("may count it as downloaded") != std::string::npos, retr);
    }

    Result del = Mbxpop(
        {"--trace", "--security", "none", "--port", port, "127.0.0.1", "tool", "delete", "3", "1"},
        "pa55 word");
    EXPECT_EQ(del.status, 0) << del.err;
    const size_t dele3 = del.err.find("DELE 3\\r\\n"); // in one send when pipelined
    const size_t dele1 = del.err.find("DELE 1\\r\\n");
    ASSERT_NE(dele3, std::string::npos) << del.err;
    ASSERT_NE(dele1, std::string::npos) << del.err;
    EXPECT_LT(dele3, dele1);
    EXPECT_NE(del.err.find("sent PASS ****"), std::string::npos);
    EXPECT_EQ(del.err.find("pa55"), std::string::npos) << "the password leaked into the trace";
    EXPECT_NE(del.err.find("sent QUIT"), std::string::npos);
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{2}));
}

TEST(Mbxpop, DeletesByUniqueIdAndNamesTheIdsNotThere) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("tool", "pw", {Mail(1), Mail(2), Mail(3), Mail(4)});
    const std::string port = std::to_string(server.port());
    const std::vector<std::string> session{"--security", "none",      "--port",
                                           port,         "127.0.0.1", "tool"};
    const auto run = [&](std::vector<std::string> command) {
        std::vector<std::string> args = session;
        args.insert(args.end(), command.begin(), command.end());
        return Mbxpop(args, "pw");
    };
    // Each mail's id, by its number.
    const Result list = run({"list"});
    ASSERT_EQ(list.status, 0) << list.err;
    std::vector<std::string> idOf{""};
    std::istringstream rows(list.out);
    for (std::string line; std::getline(rows, line);)
        idOf.push_back(line.substr(line.rfind('\t') + 1));
    ASSERT_EQ(idOf.size(), 5u) << list.out;

    // Mail 1 goes first: the others shift down a number, their ids stay.
    const Result first = run({"delete", "1"});
    ASSERT_EQ(first.status, 0) << first.err;
    const Result byId = run({"delete", "--uid", idOf[4], "no-such-id", idOf[2]});
    EXPECT_EQ(byId.status, 2) << byId.err;
    EXPECT_EQ(byId.out, "3\t" + std::to_string(Mail(4).size()) +
                            "\ts4@example.org\ttool 4\n"
                            "1\t" +
                            std::to_string(Mail(2).size()) + "\ts2@example.org\ttool 2\n");
    EXPECT_EQ(byId.err, "mbxpop: no mail with the unique id no-such-id\n");
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{3}));

    const Result misuse = run({"delete", "--uid"});
    EXPECT_EQ(misuse.status, 64) << misuse.err;
    const Result hostile = run({"delete", "--uid", "a\x01b"});
    EXPECT_EQ(hostile.status, 64) << hostile.err;
}

namespace {

// The scripted mailbox of EndingMail(m) for each m in mails, ids "id-m", answering the whole
// mailbox's UIDL and LIST too; one command at a time.
std::function<std::string(const std::string&)> IndexedMailbox(std::vector<int> mails) {
    return [mails](const std::string& line) -> std::string {
        if (line == "CAPA")
            return "+OK\r\nTOP\r\nUIDL\r\nUSER\r\n.\r\n";
        if (line == "UIDL" || line == "LIST") {
            std::string answer = "+OK\r\n";
            for (size_t n = 1; n <= mails.size(); ++n)
                answer += std::to_string(n) + " " +
                          (line == "UIDL" ? "id-" + std::to_string(mails[n - 1])
                                          : std::to_string(EndingMail(mails[n - 1]).size())) +
                          "\r\n";
            return answer + ".\r\n";
        }
        if (line == "STAT")
            return "+OK " + std::to_string(mails.size()) + " 999\r\n";
        if (line.starts_with("TOP ") || line.starts_with("list ") || line.starts_with("UIDL ")) {
            const size_t n = std::strtoul(line.c_str() + line.find(' ') + 1, nullptr, 10);
            if (n < 1 || n > mails.size())
                return "-ERR no such mail\r\n";
            const std::string mail = EndingMail(mails[n - 1]);
            if (line[0] == 'T')
                return "+OK\r\n" + mail.substr(0, mail.find("\r\n\r\n") + 4) + ".\r\n";
            return "+OK " + std::to_string(n) + " " +
                   (line[0] == 'l' ? std::to_string(mail.size())
                                   : "id-" + std::to_string(mails[n - 1])) +
                   "\r\n";
        }
        return "+OK\r\n"; // USER, PASS, DELE, QUIT
    };
}

} // namespace

// The server drops prune's session at its first DELE; meanwhile mail 1 went elsewhere. prune
// signs in again and deletes the marked mails by their ids at their new numbers.
TEST(Mbxpop, PruneConnectsAgainWhenTheSessionDropsBeforeTheFirstDele) {
    ScriptedServer server;
    server.Send("+OK ready\r\n");
    server.AnswerEachLine(IndexedMailbox({1, 2, 3, 4}), "UIDL 4");
    server.AwaitLine(); // the first DELE
    server.Reset();
    server.AcceptNext();
    server.Send("+OK ready\r\n");
    server.AnswerEachLine(IndexedMailbox({2, 3, 4}), "QUIT");
    server.AwaitClientClose();
    server.Start();
    const std::string rules =
        ::testing::TempDir() + "prune-again-rules-" + std::to_string(::getpid());
    std::ofstream(rules) << "if header :contains \"subject\" \"mail 2\" { discard; }\n"
                            "if header :contains \"subject\" \"mail 4\" { discard; }\n";
    const Result r = Mbxpop({"--security", "none", "--port", std::to_string(server.port()),
                             "127.0.0.1", "bob", "prune", "--rules", rules, "--yes"},
                            "pw");
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("connecting again"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("2 (" + std::to_string(EndingMail(2).size() + EndingMail(4).size()) +
                         " Byte) mails deleted"),
              std::string::npos)
        << r.err;
    std::vector<std::string> deles;
    for (const std::string& line : server.ReceivedLines())
        if (line.starts_with("DELE "))
            deles.push_back(line);
    EXPECT_EQ(deles, (std::vector<std::string>{"DELE 2", "DELE 1", "DELE 3"}));
    ::unlink(rules.c_str());
}

TEST(Mbxpop, ExitStatusTellsRefusalFromFailureAndMisuse) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("tool", "right", {Mail(1)});
    const std::string port = std::to_string(server.port());

    Result wrong =
        Mbxpop({"--security", "none", "--port", port, "127.0.0.1", "tool", "stat"}, "wrong");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("2001"), std::string::npos) << wrong.err;

    Result missing = Mbxpop(
        {"--security", "none", "--port", port, "127.0.0.1", "tool", "retrieve", "7"}, "right");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("2004"), std::string::npos) << missing.err;

    Result deleteThenRefused = Mbxpop(
        {"--security", "none", "--port", port, "127.0.0.1", "tool", "delete", "1", "5"}, "right");
    EXPECT_EQ(deleteThenRefused.status, 1);
    server.Stop();
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1})) << "no QUIT after a refusal";

    Result refused =
        Mbxpop({"--security", "none", "--port", port, "127.0.0.1", "tool", "stat"}, "right");
    EXPECT_EQ(refused.status, 2); // the server is gone
    EXPECT_NE(refused.err.find("connect"), std::string::npos) << refused.err;

    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"127.0.0.1", "tool"},
             {"127.0.0.1", "tool", "frob"},
             {"127.0.0.1", "tool", "header"},
             {"127.0.0.1", "tool", "delete", "0"},
             {"--port", "x", "127.0.0.1", "tool", "stat"},
             {"--verbose", "127.0.0.1", "tool", "stat"},
             {"--score", "127.0.0.1", "tool", "stat"},
             {"--scorer", "spamc", "127.0.0.1", "tool", "list"},
             {"--score", "--scorer", "spamd", "127.0.0.1", "tool", "list"},
             {"--score", "--scorer", "spamc", "--wordlist", "/tmp", "127.0.0.1", "tool", "list"},
             {"--score", "--scorer", "spamc", "--score-lines", "-1", "127.0.0.1", "tool",
              "list"}}) {
        Result usage = Mbxpop(args, "right");
        EXPECT_EQ(usage.status, 64) << usage.err;
        EXPECT_NE(usage.err.find("usage: mbxpop"), std::string::npos);
    }
}

TEST(Mbxpop, SecurityOptionsAndExitStatus3) {
    SKIP_WITHOUT_DOVECOT();
    const TlsToolServer tool("mbxpop-tls-");
    const TestAuthority& ca = tool.ca();
    const DovecotServer& server = tool.server();
    const std::string plain = std::to_string(server.port());
    const std::string tls = std::to_string(server.tlsPort());
    struct Row {
        std::vector<std::string> options;
        int status;
        std::string traced; // a line the trace must hold
    } rows[] = {
        {{"--security", "tls", "--port", tls, "--ca-file", ca.CertFile()}, 0, "tls TLSv1."},
        {{"--security", "starttls", "--port", plain, "--ca-file", ca.CertFile()},
         0,
         "certificate sha256 "},
        {{"--port", plain, "--ca-file", ca.CertFile()}, 0, "security starttls port " + plain},
        {{"--security", "tls", "--port", tls}, 3, "certificate not trusted"},
        {{"--security", "tls", "--port", plain, "--ca-file", ca.CertFile()}, 3, "TLS"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args{"--trace"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.insert(args.end(), {"localhost", "tool", "stat"});
        SCOPED_TRACE(::testing::PrintToString(args));
        Result r = Mbxpop(args, "pw");
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.traced), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("sent USER") != std::string::npos, row.status == 0) << r.err;
        if (row.status == 0) {
            EXPECT_EQ(r.out, "1 " + std::to_string(Mail(1).size()) + "\n");
        }
    }
}

TEST(Mbxpop, SpeaksTheLocalesLanguageInTheWindowsWords) {
    SKIP_WITHOUT_DOVECOT();
    const TlsToolServer tool("mbxpop-lang-");
    const DovecotServer& server = tool.server();
    const StuckListener closed;
    const std::vector<std::string> refused{
        "--security", "none", "--port", std::to_string(closed.port()), "127.0.0.1", "tool", "stat"};
    const std::vector<std::string> untrusted{
        "--security", "tls",  "--port", std::to_string(server.tlsPort()),
        "localhost",  "tool", "stat"};
    struct Row {
        std::vector<std::string> locale;
        std::vector<std::string> args;
        int status;
        std::string said;
        std::string notSaid;
    } rows[] = {
        {{"LANG=en_US.UTF-8"},
         refused,
         2,
         "mbxpop: cannot connect to 127.0.0.1: The server refused the connection. (Connection "
         "refused (111))\n",
         "API"},
        {{"LANG=de_DE.UTF-8"},
         refused,
         2,
         "mbxpop: keine Verbindung zu 127.0.0.1: Der Server hat die Verbindung abgelehnt. "
         "(Connection refused (111))\n",
         "Windows"},
        {{"LANGUAGE=de_AT:de", "LANG=de_DE.UTF-8"}, refused, 2, "The server refused", "Der"},
        {{"LC_ALL=en_GB.UTF-8"},
         untrusted,
         3,
         "cannot connect to localhost: The server's certificate is not trusted. (The server's "
         "certificate is not trustworthy: ",
         "Zertifikat"},
        {{"LANG=de_CH.UTF-8"},
         untrusted,
         3,
         "keine Verbindung zu localhost: Dem Zertifikat des Servers wird nicht vertraut. (Das "
         "Zertifikat des Servers ist nicht vertrauenswürdig: ",
         "not trusted"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.locale) + " " + row.args[1]);
        const Result r = Mbxpop(row.args, "pw", row.locale);
        EXPECT_EQ(r.status, row.status);
        EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(row.notSaid), std::string::npos) << r.err;
    }
}

TEST(Mbxpop, SignsInWithAnAccessTokenFromTheTokenCommand) {
    const OAuth2Stub provider;
    const TlsToolServer tool("mbxpop-oauth-", DovecotOAuth2{provider.IntrospectionUrl()});
    const std::string tls = std::to_string(tool.server().tlsPort());
    const std::string plain = std::to_string(tool.server().port());
    const std::string good = provider.TokenCommand("tool");
    const std::string listed = "1\t" + std::to_string(Mail(1).size()) + "\t" +
                               std::to_string(Mail(1).find("\r\n\r\n") + 7);
    struct Row {
        const char* name;
        std::string auth, command, port;
        int status;
        std::string out, said; // said: in the trace or the messages
    } rows[] = {
        {"xoauth2", "xoauth2", good, tls, 0, listed + "\n", "sent AUTH XOAUTH2\\r\\n"},
        {"oauthbearer", "oauthbearer", good, tls, 0, listed + "\n", "sent AUTH OAUTHBEARER"},
        {"a wrong token", "xoauth2", "echo not-a-token", tls, 1, "",
         "refused: 2001 The provider refused the access token: "},
        {"an expired token", "oauthbearer", provider.TokenCommand("tool", "0"), tls, 1, "",
         "refused: 2001 The provider refused the access token: "},
        {"another user's token", "xoauth2", provider.TokenCommand("eve"), tls, 1, "",
         "refused: 2001 The provider refused the access token"},
        {"a plain connection", "xoauth2", good, plain, 1, "",
         "needs an encrypted connection; nothing was sent"},
        {"a failing token command", "xoauth2", "echo half; exit 3", tls, 1, "",
         "mbxpop: the token command failed (exit status 3)\n"},
        {"a token command without output", "oauthbearer", "true", tls, 1, "",
         "mbxpop: the token command printed no token\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string security = row.port == plain ? "none" : "tls";
        const Result r = Mbxpop({"--trace", "--security", security, "--port", row.port, "--ca-file",
                                 tool.ca().CertFile(), "--auth", row.auth, "--token-command",
                                 row.command, "localhost", "tool", "list"},
                                "pw");
        EXPECT_EQ(r.status, row.status) << r.err;
        std::set<std::string> ids;
        EXPECT_EQ(WithoutIds(r.out, ids), row.out);
        EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;
        // Never the password, never the token: the initial responses begin with
        // base64("user=tool") and base64("n,a=tool,").
        for (const char* secret :
             {"sent USER", "sent PASS", "not-a-token", "dXNlcj10b29s", "bixhPXRvb2ws"})
            EXPECT_EQ(r.err.find(secret), std::string::npos) << secret << "\n" << r.err;
    }
}

// The password is read once and goes no further: a child (here the token command, which
// runs before any connection) finds it gone from its environment.
TEST(Mbxpop, ChildrenDoNotInheritThePassword) {
    const Result r =
        Mbxpop({"--auth", "xoauth2", "--token-command",
                "env | grep -q '^MBXPOP_PASSWORD=' && exit 7; exit 3", "localhost", "tool", "list"},
               "secret");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("the token command failed (exit status 3)"), std::string::npos) << r.err;
}

// No copy, no DELE: a folder that fills up midway (a small tmpfs of a mount namespace of its
// own) leaves exactly the mails whose copies it could not take; a session that fails leaves
// every mail and no copy.
TEST(Mbxpop, KeepCopyDeletesExactlyTheMailsItCopied) {
    if (std::system("unshare --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace here for a small tmpfs";
    std::vector<std::string> mails;
    for (int n = 1; n <= 8; ++n)
        mails.push_back(Mail(n) + std::string(10000, 'x') + "\r\n.dot\r\n");
    const std::string folder = ::testing::TempDir() + "keep-" + std::to_string(::getpid());
    const std::string tmpfs = folder + "/small", out = folder + "/out";
    // Runs mbxpop on a tmpfs of 64 KiB at "small", then copies what it holds to "out".
    const std::vector<std::string> onSmallDisk{
        "unshare",
        "--mount",
        "sh",
        "-c",
        "d=$0; o=$1; shift; mount -t tmpfs -o size=64k none \"$d\" || exit 99; \"$@\"; rc=$?; "
        "cp -a \"$d\"/. \"$o\"/ && exit $rc",
        tmpfs,
        out};
    struct Row {
        const char* what;
        bool smallDisk;
        std::vector<std::string> numbers;
        int status;
        std::string said; // on stderr
    } rows[] = {
        {"enough room", false, {"8", "2", "5"}, 0, ""},
        {"full midway",
         true,
         {"1", "2", "3", "4", "5", "6", "7", "8"},
         2,
         "not deleted without a copy: mail "},
        {"refused", false, {"1", "9"}, 1, "refused: 2006"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(tmpfs);
        std::filesystem::create_directories(out);
        DovecotServer server("tool", "pw", mails);
        const std::string copies = (row.smallDisk ? tmpfs : out) + "/Deleted/acct";
        std::vector<std::string> args{"--security", "none", "--port", std::to_string(server.port()),
                                      "127.0.0.1",  "tool", "delete", "--keep-copy",
                                      copies};
        args.insert(args.end(), row.numbers.begin(), row.numbers.end());
        const Result r = Mbxpop(args, "pw", {"LC_ALL=C.UTF-8"},
                                row.smallDisk ? onSmallDisk : std::vector<std::string>{});
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;

        // Each line out names a mail deleted and its copy, now in out; the lines of four
        // columns before them name the mails to delete.
        std::set<int> copied;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            if (std::count(line.begin(), line.end(), '\t') == 3)
                continue;
            const int n = std::stoi(line);
            const std::string copy = line.substr(line.find('\t') + 1);
            ASSERT_EQ(copy.rfind(copies + "/", 0), 0u) << line;
            const std::string found = out + "/Deleted/acct/" + copy.substr(copies.size() + 1);
            EXPECT_TRUE(ReadAll(found) == mails[n - 1]) << "copy of mail " << n;
            copied.insert(n);
        }
        std::error_code none;
        const auto files =
            std::distance(std::filesystem::directory_iterator(out + "/Deleted/acct", none),
                          std::filesystem::directory_iterator());
        EXPECT_EQ(files, static_cast<long>(copied.size())) << "a copy of a mail not deleted";
        std::vector<int> remaining;
        for (int n = 1; n <= 8; ++n)
            if (!copied.count(n))
                remaining.push_back(n);
        EXPECT_EQ(server.RemainingMessages(), remaining) << server.Log();
        if (row.smallDisk) {
            EXPECT_GT(copied.size(), 0u);
            EXPECT_LT(copied.size(), 8u);
            EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(copied.size(), row.status == 0 ? row.numbers.size() : 0u);
        }
    }
    std::filesystem::remove_all(folder);
}

// QUIT's endings, for delete --keep-copy and prune --yes --keep-copy: once QUIT went out, the
// copies of the mails whose DELE the server took stay whatever came back (a clean "+OK" too),
// and mbxpop says the outcome is not known, never that nothing was deleted; a session that
// ended before QUIT removes them. What is deleted is printed first.
TEST(Mbxpop, CopiesOutliveEveryQuitThatWentOut) {
    const std::string folder = ::testing::TempDir() + "quit-" + std::to_string(::getpid());
    const std::string copies = folder + "/copies", rules = folder + "/rules.sieve";
    std::filesystem::create_directories(folder);
    std::ofstream(rules) << "# rule: one\nif header :is \"subject\" \"mail 1\" { discard; }\n"
                            "# rule: two\nif header :is \"subject\" \"mail 2\" { discard; }\n";
    const auto row = [](int n, const std::string& rule) {
        return std::to_string(n) + "\t" + std::to_string(EndingMail(n).size()) + "\tsender" +
               std::to_string(n) + "@example.org\tmail " + std::to_string(n) + rule + "\n";
    };
    const struct {
        std::vector<std::string> command;
        std::string printed;    // before the first DELE
        std::vector<int> order; // of the DELEs
    } commands[] = {
        {{"delete", "--keep-copy", copies, "2", "1"}, row(2, "") + row(1, ""), {2, 1}},
        {{"prune", "--rules", rules, "--yes", "--keep-copy", copies},
         row(1, "\tone (line 2)") + row(2, "\ttwo (line 4)"),
         {1, 2}},
    };
    std::vector<TQuitEndingRow> endings = QuitEndings();
    endings.push_back({"+OK to QUIT", TQuitEnding::Answered, true});
    for (const auto& command : commands) {
        for (const TQuitEndingRow& ending : endings) {
            SCOPED_TRACE(command.command[0] + ", " + ending.Name);
            std::filesystem::remove_all(copies);
            ScriptedServer server;
            ScriptEndingSession(server, {1, 2, 3}, ending.Ending,
                                "DELE " + std::to_string(command.order.back()));
            server.Start();
            // Ctrl+C while QUIT is answered.
            const auto interrupt = [&](pid_t pid) {
                if (ending.Ending != TQuitEnding::Cancelled)
                    return;
                const auto quitArrived = [&] {
                    const auto lines = server.ReceivedLines();
                    return std::find(lines.begin(), lines.end(), "QUIT") != lines.end();
                };
                for (int i = 0; i < 1000 && !quitArrived(); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ::kill(pid, SIGINT);
            };
            std::vector<std::string> args{"--security", "none",   "--timeout",
                                          "1",          "--port", std::to_string(server.port()),
                                          "127.0.0.1",  "bob"};
            args.insert(args.end(), command.command.begin(), command.command.end());
            const Result r = Mbxpop(args, "pw", {"LC_ALL=C.UTF-8"}, {}, interrupt);
            EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
            const int status = ending.Ending == TQuitEnding::Answered    ? 0
                               : ending.Ending == TQuitEnding::Refused   ? 1
                               : ending.Ending == TQuitEnding::Cancelled ? 130
                                                                         : 2;
            EXPECT_EQ(r.status, status) << r.err;
            ASSERT_EQ(r.out.substr(0, command.printed.size()), command.printed);
            std::error_code none;
            const long files = std::distance(std::filesystem::directory_iterator(copies, none),
                                             std::filesystem::directory_iterator());
            EXPECT_EQ(files, ending.QuitSent ? 2 : 0);
            EXPECT_EQ(r.err.find("no mail was deleted") != std::string::npos, !ending.QuitSent)
                << r.err;
            EXPECT_EQ(r.err.find("QUIT was sent but not confirmed: whether the server deleted the "
                                 "2 mails is not known; their copies are kept in " +
                                 copies + "\n") != std::string::npos,
                      ending.QuitSent && ending.Ending != TQuitEnding::Answered)
                << r.err;
            if (!ending.QuitSent)
                continue;
            // Each mail whose DELE was taken with its copy, which holds the mail.
            std::istringstream lines(r.out.substr(command.printed.size()));
            for (const int n : command.order) {
                std::string line;
                ASSERT_TRUE(std::getline(lines, line)) << r.out;
                ASSERT_EQ(line.rfind(std::to_string(n) + "\t" + copies + "/", 0), 0u) << line;
                EXPECT_EQ(ReadAll(line.substr(line.find('\t') + 1)), EndingMail(n));
            }
        }
    }
    std::filesystem::remove_all(folder);
}

// unsubscribe N: the methods printed; with --yes exactly one POST of the one-click body over
// verified https, nothing else of the user sent, a redirect not followed, http never used.
TEST(Mbxpop, UnsubscribesWithOneClickOverHttpsOnly) {
    SKIP_WITHOUT_DOVECOT();
    const std::string folder = ::testing::TempDir() + "unsubscribe" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const TestAuthority ca(folder, "List CA");
    const UnsubscribeStub list(ca.Issue("list", {"localhost"}, {"127.0.0.1"}), folder + "/log");
    const auto mail = [](const std::string& fields) {
        return "From: News <news@example.org>\r\nSubject: weekly\r\n" + fields + "\r\nbody\r\n";
    };
    const std::string post = "List-Unsubscribe-Post: List-Unsubscribe=One-Click\r\n";
    DovecotServer server(
        "tool", "pw",
        {mail("List-Unsubscribe: <mailto:off@example.org>,\r\n <" + list.Https("/ok") + ">\r\n" +
              post),
         mail("List-Unsubscribe: <" + list.Https("/redirect") + ">\r\n" + post),
         mail("List-Unsubscribe: <" + list.Https("/refuse") + ">\r\n" + post),
         mail("List-Unsubscribe: <" + list.Http("/ok") + ">, <mailto:off@example.org>\r\n" + post),
         mail("")});
    const std::vector<std::string> session{
        "--security", "none", "--port", std::to_string(server.port()), "127.0.0.1", "tool"};
    const auto run = [&](std::vector<std::string> args, bool trusted = true) {
        if (trusted)
            args.insert(args.begin(), {"--ca-file", ca.CertFile()});
        args.insert(args.begin() + (trusted ? 2 : 0), session.begin(), session.end());
        return Mbxpop(args, "pw");
    };

    const Result asked = run({"unsubscribe", "1"});
    EXPECT_EQ(asked.status, 0) << asked.err;
    EXPECT_EQ(asked.out, "mailto mailto:off@example.org\none-click " + list.Https("/ok") +
                             "\nlist news@example.org\ndkim none\n");
    EXPECT_NE(asked.err.find("--yes"), std::string::npos) << asked.err;
    EXPECT_TRUE(list.Requests().empty()) << "sent without --yes";

    const Result untrusted = run({"unsubscribe", "1", "--yes"}, false);
    EXPECT_EQ(untrusted.status, 1) << untrusted.err;
    EXPECT_NE(untrusted.err.find("certificate"), std::string::npos) << untrusted.err;
    EXPECT_TRUE(list.Requests().empty()) << "sent to a server not trusted";

    const Result done = run({"unsubscribe", "1", "--yes"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_NE(done.out.find("accepted: 200 OK"), std::string::npos) << done.out;
    auto requests = list.Requests();
    ASSERT_EQ(requests.size(), 1u);
    for (const std::string sent : {"\"scheme\": \"https\"", "\"method\": \"POST\"",
                                   "\"path\": \"/ok\"", "\"body\": \"List-Unsubscribe=One-Click\"",
                                   "\"content-type\": \"application/x-www-form-urlencoded\""})
        EXPECT_NE(requests[0].find(sent), std::string::npos) << sent << " in " << requests[0];
    // Nothing of the user: no cookie, authorization, referrer or language.
    EXPECT_EQ(HeaderNames(requests[0]), "accept-encoding accept-language connection content-length "
                                        "content-type host user-agent ")
        << requests[0];
    EXPECT_NE(requests[0].find("\"accept-language\": \"*\""), std::string::npos) << requests[0];

    const Result redirected = run({"unsubscribe", "2", "--yes"});
    EXPECT_EQ(redirected.status, 1) << redirected.err;
    EXPECT_NE(redirected.err.find("not followed: 302 /ok"), std::string::npos) << redirected.err;
    requests = list.Requests();
    ASSERT_EQ(requests.size(), 2u) << "the redirect was followed";
    EXPECT_NE(requests[1].find("\"path\": \"/redirect\""), std::string::npos);

    const Result refused = run({"unsubscribe", "3", "--yes"});
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("refused: 403 Forbidden"), std::string::npos) << refused.err;

    const Result plain = run({"unsubscribe", "4", "--yes"});
    EXPECT_EQ(plain.status, 65) << plain.err;
    EXPECT_EQ(plain.out, "http " + list.Http("/ok") +
                             "\nmailto mailto:off@example.org\nlist news@example.org\ndkim none\n");
    const Result none = run({"unsubscribe", "5", "--yes"});
    EXPECT_EQ(none.status, 65) << none.err;
    EXPECT_EQ(list.Requests().size(), 3u) << "http or a mail without the header sent something";

    for (const auto& args :
         std::vector<std::vector<std::string>>{{"unsubscribe"},
                                               {"unsubscribe", "1", "2"},
                                               {"unsubscribe", "--yes"},
                                               {"unsubscribe", "x"},
                                               {"unsubscribe", "1", "--yes", "--yes"}}) {
        const Result usage = run(args);
        EXPECT_EQ(usage.status, 64) << usage.err;
    }
    std::filesystem::remove_all(folder);
}

// --help names every option the tool takes, and the man page names every one of them.
TEST(Mbxpop, HelpAndManPageNameEveryOption) {
    const Result help = Mbxpop({"--help"}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: mbxpop", 0), 0u) << help.out;
    const std::string manPage = ReadAll(MBXPOP_MAN_PAGE);
    ASSERT_FALSE(manPage.empty());
    const auto roff = [](const std::string& option) { // "\\-\\-ca\\-file" in roff
        std::string escaped;
        for (const char c : option)
            escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        return escaped;
    };
    for (const std::string option :
         {"--port", "--security", "--ca-file", "--trace", "--retr", "--no-pipelining", "--fresh",
          "--timeout", "--auth", "--token-command", "--score", "--scorer", "--spamd", "--rspamd",
          "--wordlist", "--score-lines", "--all-accounts", "--password-command", "--help"}) {
        SCOPED_TRACE(option);
        EXPECT_NE(help.out.find(option), std::string::npos);
        EXPECT_NE(manPage.find(roff(option)), std::string::npos);
        if (option != "--help") {
            const Result bare = Mbxpop({option}, "");
            EXPECT_EQ(bare.status, 64) << "an option the parser does not know: " << bare.err;
            EXPECT_EQ(bare.err.find("unknown option"), std::string::npos) << bare.err;
        }
    }
    // The commands' own arguments, which follow the command.
    for (const std::string argument :
         {"prune", "--rules", "--dry-run", "--yes", "--keep-copy", "--uid", "space", "--by",
          "--top", "--json", "--format", "unsubscribe"}) {
        SCOPED_TRACE(argument);
        EXPECT_NE(help.out.find(argument), std::string::npos);
        EXPECT_NE(manPage.find(roff(argument)), std::string::npos);
    }
}

// space groups the mailbox by what holds the space, its sums those of the server's own LIST;
// list --format gives each mail's fields; neither lets a control through.
TEST(Mbxpop, SpaceGroupsTheMailboxAndListFormatsEachMail) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails{
        "From: Shop <Deals+x@Mail.Shop.example.co.uk>\r\nList-Id: Offers "
        "<offers.shop.example.co.uk>\r\nDate: Mon, 5 Jan 2026 10:00:00 +0100\r\nSubject: "
        "=?UTF-8?Q?Sale=1B[2J?=\r\n\r\n" +
            std::string(3000, 'x') + "\r\n",
        "From: deals@news.shop.example.co.uk\r\nDate: Sun, 2 Mar 2025 08:00:00 +0000\r\n"
        "Subject: more\r\n\r\n" +
            std::string(500, 'y') + "\r\n",
        "From: \"Mum\tat home\" <mum@family.example>\r\nSubject: hi\r\n\r\nhello\r\n"};
    DovecotServer server("tool", "pw", mails);
    const std::vector<std::string> account{
        "--security", "none", "--port", std::to_string(server.port()), "127.0.0.1", "tool"};
    const auto run = [&](const std::vector<std::string>& command) {
        std::vector<std::string> args = account;
        args.insert(args.end(), command.begin(), command.end());
        Result r = Mbxpop(args, "pw");
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string raw : {"\x1b", "\x07"})
            EXPECT_EQ(r.out.find(raw), std::string::npos) << r.out;
        return r.out;
    };
    // The sizes as the server's LIST gives them: the second column of list.
    std::vector<long long> sizes;
    std::istringstream listed(run({"list"}));
    for (std::string line; std::getline(listed, line);)
        sizes.push_back(std::stoll(line.substr(line.find('\t') + 1)));
    ASSERT_EQ(sizes.size(), 3u);
    const auto line = [](long long bytes, int mails, const std::string& rest) {
        return std::to_string(bytes) + "\t" + std::to_string(mails) + "\t" + rest + "\n";
    };
    struct Row {
        std::vector<std::string> command;
        std::string out;
    } rows[] = {
        {{"space", "--by", "domain"},
         line(sizes[0] + sizes[1], 2, "2025-03-02\t2026-01-05\texample.co.uk") +
             line(sizes[2], 1, "-\t-\tfamily.example")},
        {{"space", "--by", "domain", "--top", "1"},
         line(sizes[0] + sizes[1], 2, "2025-03-02\t2026-01-05\texample.co.uk")},
        {{"space"},
         line(sizes[0], 1, "2026-01-05\t2026-01-05\tdeals@mail.shop.example.co.uk") +
             line(sizes[1], 1, "2025-03-02\t2025-03-02\tdeals@news.shop.example.co.uk") +
             line(sizes[2], 1, "-\t-\tmum@family.example")},
        {{"space", "--by", "list", "--json"},
         "{\"bytes\":" + std::to_string(sizes[0]) +
             ",\"mails\":1,\"oldest\":\"2026-01-05\",\"newest\":\"2026-01-05\",\"group\":"
             "\"offers.shop.example.co.uk\"}\n{\"bytes\":" +
             std::to_string(sizes[1] + sizes[2]) +
             ",\"mails\":2,\"oldest\":\"2025-03-02\",\"newest\":\"2025-03-02\",\"group\":null}\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command.back());
        EXPECT_EQ(run(row.command), row.out);
    }
    std::istringstream tsv(run({"list", "--format", "tsv"}));
    std::vector<std::string> lines;
    for (std::string text; std::getline(tsv, text);)
        lines.push_back(text);
    ASSERT_EQ(lines.size(), 3u);
    const std::string first = "1\t" + std::to_string(sizes[0]) +
                              "\t2026-01-05T10:00:00+01:00\tdeals@mail.shop.example.co.uk\tShop\t"
                              "Sale\\x1B[2J\t";
    EXPECT_EQ(lines[0].substr(0, first.size()), first);
    EXPECT_EQ(lines[0].substr(lines[0].rfind('\t')), "\toffers.shop.example.co.uk");
    EXPECT_NE(lines[2].find("\tmum@family.example\tMum\\tat home\thi\t"), std::string::npos)
        << lines[2];
    const std::string json = run({"list", "--format", "json"});
    EXPECT_EQ(
        json.rfind("{\"number\":1,\"size\":" + std::to_string(sizes[0]) +
                       ",\"date\":\"2026-01-05T10:00:00+01:00\",\"address\":\"deals@mail."
                       "shop.example.co.uk\",\"name\":\"Shop\",\"subject\":\"Sale\\u001b[2J\"",
                   0),
        0u)
        << json;
    EXPECT_NE(json.find("\"date\":null"), std::string::npos);

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"space", "--by", "month"},
          {"space", "--top", "0"},
          {"list", "--format", "csv"}}) {
        std::vector<std::string> args = account;
        args.insert(args.end(), wrong.begin(), wrong.end());
        EXPECT_EQ(Mbxpop(args, "pw").status, 64);
    }
}

// prune lists what the rules mark and deletes it only with --yes; a script error sends nothing.
TEST(Mbxpop, PruneDeletesExactlyTheListedMailsOnlyWithYes) {
    const std::vector<std::string> mails{
        "From: friend@good.example\r\nSubject: offer\r\n\r\nbody\r\n",
        "From: =?UTF-8?Q?B=C3=A4r?= <bear@shop.example>\r\nSubject: =?UTF-8?Q?Gro=C3=9Fes?= "
        "offer\r\n\r\nbody\r\n",
        "From: x@other.example\r\nSubject: hello\r\n\r\nbody\r\n",
        "From: y@other.example\r\nSubject: offer\r\n\r\nbody\r\n"};
    DovecotServer server("tool", "pw", mails);
    const std::string port = std::to_string(server.port());
    const std::string rules = ::testing::TempDir() + "prune-rules-" + std::to_string(::getpid());
    const auto writeRules = [&](const std::string& text) { std::ofstream(rules) << text; };
    const auto prune = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"--trace",   "--security", "none",  "--port",  port,
                                      "127.0.0.1", "tool",       "prune", "--rules", rules};
        args.insert(args.end(), extra.begin(), extra.end());
        return Mbxpop(args, "pw");
    };
    writeRules("# rule: friends\nif address :domain \"from\" \"good.example\" { keep; }\n"
               "# rule: offers\nif header :contains \"subject\" \"OFFER\" { discard; }\n");
    const std::string listed = "2\t" + std::to_string(mails[1].size()) +
                               "\tBär <bear@shop.example>\tGroßes offer\toffers (line 4)\n"
                               "4\t" +
                               std::to_string(mails[3].size()) +
                               "\ty@other.example\toffer\toffers (line 4)\n";

    for (const std::vector<std::string>& dry :
         std::vector<std::vector<std::string>>{{"--dry-run"}, {}}) {
        const Result r = prune(dry);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, listed);
        EXPECT_EQ(r.err.find("DELE"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("2 (" + std::to_string(mails[1].size() + mails[3].size()) +
                             " Byte) mails marked, a dry run: nothing deleted"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 2, 3, 4}));

    const Result yes = prune({"--yes"});
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(yes.out, listed);
    EXPECT_NE(yes.err.find("sent QUIT"), std::string::npos) << yes.err;
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 3}));

    // Nothing left to mark: exit 0 and no DELE.
    const Result none = prune({"--yes"});
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("no mail is marked"), std::string::npos) << none.err;
    EXPECT_EQ(none.err.find("DELE"), std::string::npos) << none.err;

    const struct {
        std::string script;
        std::vector<std::string> extra;
        std::string said;
    } refusals[] = {
        {"keep;\nif header :contains \"subject\" \"x\" { fileinto \"Junk\"; }",
         {"--yes"},
         rules + ":2:37: unsupported command 'fileinto'"},
        {"keep;", {"--yes", "--dry-run"}, "not both"},
        {"keep;", {"--keep-copy", "/tmp/x"}, "--keep-copy with --yes"},
        {"keep;", {"--force"}, "prune does not take --force"},
    };
    for (const auto& row : refusals) {
        SCOPED_TRACE(row.said);
        writeRules(row.script);
        const Result r = prune(row.extra);
        EXPECT_EQ(r.status, 64);
        EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("sent"), std::string::npos) << "nothing goes out: " << r.err;
    }
    const Result missing = Mbxpop({"127.0.0.1", "tool", "prune", "--rules", rules + ".none"}, "pw");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 3}));
    ::unlink(rules.c_str());
}

// Without --rules, prune runs the window's rules of the account: the shared friends list
// protects a friend from the account's own discard. Script errors follow the locale.
TEST(Mbxpop, PruneAddsTheAccountsRulesToTheShared) {
    const std::vector<std::string> mails{
        "From: Anna <anna@pals.example>\r\nSubject: hi\r\n\r\nbody\r\n",
        "From: shop@sale.example\r\nSubject: offer\r\n\r\nbody\r\n"};
    DovecotServer server("tool", "pw", mails);
    const std::string port = std::to_string(server.port());
    const std::filesystem::path data =
        std::filesystem::path(::testing::TempDir()) / ("prune-data-" + std::to_string(::getpid()));
    const std::filesystem::path folder = data / "Fenn-Labs" / "InboxPruner";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "rules.sieve")
        << "# begin sender lists: written by the rules dialog\n# rule: friends\n"
           "if anyof (address :all :is \"from\" [\"anna@pals.example\"]) {\n    keep;\n}\n"
           "# end sender lists\n";
    const std::filesystem::path account = folder / "rules-127.0.0.1-tool.sieve";
    std::ofstream(account) << "# rule: everything\nif true { discard; }\n";
    const auto prune = [&](const std::string& locale) {
        return Mbxpop(
            {"--security", "none", "--port", port, "127.0.0.1", "tool", "prune", "--dry-run"}, "pw",
            {locale, "XDG_DATA_HOME=" + data.string()});
    };
    const Result r = prune("LC_ALL=C.UTF-8");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\t" + std::to_string(mails[1].size()) +
                         "\tshop@sale.example\toffer\teverything (line 2)\n");

    // The window's server field may hold the port: that file is the account's then.
    const std::filesystem::path withPort = folder / ("rules-127.0.0.1_" + port + "-tool.sieve");
    std::ofstream(withPort) << "if true { fileinto \"x\"; }\n";
    const struct {
        std::string locale, said;
    } errors[] = {
        {"LC_ALL=C.UTF-8", withPort.string() + ":1:11: unsupported command 'fileinto'"},
        {"LC_ALL=de_DE.UTF-8", withPort.string() + ":1:11: nicht unterstützter Befehl 'fileinto'"},
    };
    for (const auto& row : errors) {
        SCOPED_TRACE(row.locale);
        const Result e = prune(row.locale);
        EXPECT_EQ(e.status, 64);
        EXPECT_NE(e.err.find(row.said), std::string::npos) << e.err;
    }
    std::filesystem::remove_all(data);
}

// list --score: the rows of list with the scorer's columns; the body lines asked for reach it.
TEST(Mbxpop, ListsWithScoresFromSpamd) {
    if (!SpamdServer::Installed())
        GTEST_SKIP() << "spamd is not installed (Debian: spamd, spamc)";
    const std::string gtube =
        "From: s@example.org\r\nSubject: offer\r\n\r\n"
        "XJS*C4JDBQADN1.NSBN3*2IDNEN*GTUBE-STANDARD-ANTI-UBE-TEST-EMAIL*C.34X\r\n";
    DovecotServer server("tool", "pw", {gtube, Mail(2)});
    SpamdServer spamd;
    struct Row {
        std::string lines;
        std::string firstVerdict; // GTUBE is in the body: only the body lines show it
    } rows[] = {{"0", "ham"}, {"3", "spam"}};
    // The scores it remembers stay in the test's folder.
    const std::filesystem::path data =
        std::filesystem::path(::testing::TempDir()) / ("score-data-" + std::to_string(::getpid()));
    for (const Row& row : rows) {
        SCOPED_TRACE("--score-lines " + row.lines);
        const Result r = Mbxpop({"--security", "none", "--port", std::to_string(server.port()),
                                 "--score", "--scorer", "spamc", "--spamd", spamd.address(),
                                 "--score-lines", row.lines, "127.0.0.1", "tool", "list"},
                                "pw", {"LC_ALL=C.UTF-8", "XDG_DATA_HOME=" + data.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        std::istringstream out(r.out);
        std::string line;
        std::vector<std::vector<std::string>> table;
        while (std::getline(out, line)) {
            std::istringstream cells(line);
            table.emplace_back();
            for (std::string cell; std::getline(cells, cell, '\t');)
                table.back().push_back(cell);
        }
        ASSERT_EQ(table.size(), 2u) << r.out;
        EXPECT_EQ(table[0][0], "1");
        EXPECT_EQ(table[0][1], std::to_string(gtube.size()));
        ASSERT_EQ(table[0].size(), 7u) << r.out;
        EXPECT_EQ(table[0][4], row.firstVerdict) << r.out;
        EXPECT_EQ(table[0][6].rfind("GTUBE", 0) == 0, row.firstVerdict == "spam") << r.out;
        ASSERT_EQ(table[1].size(), 7u) << r.out;
        EXPECT_EQ(table[1][4], "ham") << r.out;
        EXPECT_LT(std::stod(table[1][3]), 5.0) << r.out;
    }
    std::filesystem::remove_all(data);
}

#ifdef MBXPOP_WINDOW_SETTINGS
// list --score without --scorer: the scorer set in the window, written by the window's own
// writer into a private settings folder; the command line's place wins over the setting's.
TEST(Mbxpop, ListsWithScoresFromTheWindowsScorerSetting) {
    if (::access("/usr/bin/bogofilter", X_OK) != 0)
        GTEST_SKIP() << "bogofilter is not installed";
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                      ("mbxpop-window-" + std::to_string(::getpid()));
    const std::string words = (dir / "words").string();
    std::filesystem::create_directories(words);
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    // The scores it remembers stay in the test's folder.
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    const std::string spam =
        "From: s@example.org\r\nSubject: offer\r\n\r\n"
        "XJS*C4JDBQADN1.NSBN3*2IDNEN*GTUBE-STANDARD-ANTI-UBE-TEST-EMAIL*C.34X\r\n";
    const std::string ham = "From: anna@example.org\r\nSubject: Lunch on Friday\r\n\r\n"
                            "Hi Bert, shall we meet at noon at the usual place? Anna\r\n";
    TScorerConfig trainer;
    trainer.Kind = TScorerKind::Bogofilter;
    trainer.WordListDir = words;
    for (int i = 0; i < 3; ++i)
        for (const auto& [mail, as] : {std::pair{spam, TLearnAs::Spam}, {ham, TLearnAs::Ham}})
            ASSERT_FALSE(LearnMail(trainer, as, mail).Problem);
    DovecotServer server("tool", "pw", {spam, ham});
    const std::vector<std::string> session{"--security", "none", "--port",
                                           std::to_string(server.port())};
    const TSpamSetting bogofilter{TScorerKind::Bogofilter, QString::fromStdString(words), "", 3,
                                  20};
    struct Row {
        const char* what;
        std::optional<TSpamSetting> setting; // nullopt: a damaged settings file
        std::vector<std::string> options;
        int status;
        std::string verdicts; // of the two mails; or a part of the error
    } rows[] = {
        {"the setting alone", bogofilter, {}, 0, "spam ham"},
        {"--wordlist over the setting's place",
         TSpamSetting{TScorerKind::Bogofilter, "/nonexistent/words", "", 3, 20},
         {"--wordlist", words},
         0,
         "spam ham"},
        {"no setting",
         TSpamSetting{},
         {},
         64,
         "--score needs --scorer spamc, rspamc or bogofilter, or a scorer set in the window"},
        {"a place of another scorer",
         TSpamSetting{TScorerKind::SpamAssassin, "", "", 0, 10},
         {"--wordlist", words},
         64,
         "--wordlist does not go with the window's scorer spamc"},
        {"a damaged file", std::nullopt, {}, 2, "are damaged"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string file;
        {
            TSettingsStore store;
            if (row.setting)
                WriteSpamSetting(store, *row.setting);
            store.Flush();
            file = store.FileName().toStdString();
        }
        if (!row.setting)
            std::ofstream(file) << "[General\nSpamScorer=bogofilter\n";
        std::vector<std::string> args = session;
        args.push_back("--score");
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.insert(args.end(), {"127.0.0.1", "tool", "list"});
        const Result r = Mbxpop(args, "pw");
        EXPECT_EQ(r.status, row.status) << r.err;
        if (row.status != 0) {
            EXPECT_NE(r.err.find(row.verdicts), std::string::npos) << r.err;
            if (!row.setting) {
                EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
            }
            continue;
        }
        EXPECT_EQ(r.err, "");
        std::istringstream out(r.out);
        std::string verdicts;
        for (std::string line; std::getline(out, line);) {
            std::istringstream cells(line);
            std::vector<std::string> cell;
            for (std::string c; std::getline(cells, c, '\t');)
                cell.push_back(c);
            ASSERT_EQ(cell.size(), 7u) << r.out;
            verdicts += (verdicts.empty() ? "" : " ") + cell[4];
        }
        EXPECT_EQ(verdicts, row.verdicts) << r.out;
    }
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(dir);
}

// list --score remembers the scores in the window's data folder by unique id: the second
// listing sends no mail to the scorer and prints the same; other body lines score afresh; a
// damaged file is said and replaced.
TEST(Mbxpop, ListsKnownMailsWithRememberedScores) {
    if (!SpamdServer::Installed())
        GTEST_SKIP() << "spamd is not installed (Debian: spamd, spamc)";
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                      ("mbxpop-scores-" + std::to_string(::getpid()));
    const std::string gtube =
        "From: s@example.org\r\nSubject: offer\r\n\r\n"
        "XJS*C4JDBQADN1.NSBN3*2IDNEN*GTUBE-STANDARD-ANTI-UBE-TEST-EMAIL*C.34X\r\n";
    DovecotServer server("tool", "pw", {gtube, Mail(2), Mail(3)});
    SpamdServer spamd;
    const std::string port = std::to_string(server.port());
    const auto list = [&](const std::string& lines) {
        return Mbxpop({"--security", "none", "--port", port, "--trace", "--score", "--scorer",
                       "spamc", "--spamd", spamd.address(), "--score-lines", lines, "127.0.0.1",
                       "tool", "list"},
                      "pw", {"LC_ALL=C.UTF-8", "XDG_DATA_HOME=" + (dir / "data").string()});
    };
    const Result first = list("3");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("mbxpop: 3 mail(s) sent to the scorer, 0 known\n"), std::string::npos)
        << first.err;
    EXPECT_NE(first.out.find("\tspam\t"), std::string::npos) << first.out;
    const std::filesystem::path file =
        dir / "data" / "Fenn-Labs" / "InboxPruner" / "Scores" / ("tool@127.0.0.1:" + port);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    const Result second = list("3");
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.err.find("mbxpop: 0 mail(s) sent to the scorer, 3 known\n"), std::string::npos)
        << second.err;
    EXPECT_EQ(second.out, first.out);

    const Result other = list("0");
    EXPECT_NE(other.err.find("mbxpop: 3 mail(s) sent to the scorer, 0 known\n"), std::string::npos)
        << other.err;
    EXPECT_EQ(other.out.find("\tspam\t"), std::string::npos) << "GTUBE is in the body";

    std::ofstream(file, std::ios::trunc) << "inboxpruner scores 1\n"; // cut after its first line
    const Result damaged = list("0");
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    EXPECT_NE(damaged.err.find("mbxpop: the remembered spam scores are unusable, the mails are "
                               "scored afresh: the file " +
                               file.string() + " is damaged at line 2"),
              std::string::npos)
        << damaged.err;
    EXPECT_NE(damaged.err.find("mbxpop: 3 mail(s) sent to the scorer, 0 known\n"),
              std::string::npos);
    const Result after = list("0");
    EXPECT_EQ(after.err.find("unusable"), std::string::npos) << after.err;
    EXPECT_NE(after.err.find("mbxpop: 0 mail(s) sent to the scorer, 3 known\n"), std::string::npos)
        << after.err;
    EXPECT_EQ(after.out, other.out);
    std::filesystem::remove_all(dir);
}
#endif

namespace {

// A mailbox of one mail on a scripted server, as mbxpop's sessions ask it (no CAPA, one command
// at a time); greeting and the answer to PASS as given.
void ScriptOneMail(ScriptedServer& server, const std::string& mail, const std::string& greeting,
                   const std::string& passAnswer) {
    server.Send(greeting);
    const std::string header = mail.substr(0, mail.find("\r\n\r\n") + 4);
    const std::string size = std::to_string(mail.size());
    server.AnswerEachLine(
        [=](const std::string& line) -> std::string {
            if (line.starts_with("PASS "))
                return passAnswer;
            if (line == "CAPA")
                return "-ERR\r\n";
            if (line == "STAT")
                return "+OK 1 " + size + "\r\n";
            if (line == "TOP 1 0")
                return "+OK\r\n" + header + ".\r\n";
            if (line == "TOP 1 999999999")
                return "+OK\r\n" + mail + ".\r\n";
            if (line == "list 1" || line == "LIST 1")
                return "+OK 1 " + size + "\r\n";
            return "+OK\r\n";
        },
        "QUIT");
}

} // namespace

// Nothing a server or a mail says drives the terminal: ESC, BEL and the C1 CSI (U+009B) come
// out escaped in every output, the trace included.
TEST(Mbxpop, HostileTextsReachTheTerminalEscaped) {
    const std::string mail = "From: =?UTF-8?Q?Eve=1B[2J?= <eve@x.example>\r\n"
                             "Subject: =?UTF-8?Q?=1B]0=3Bpwned=07=C2=9B2J?=\r\n"
                             "X-Raw: a\x1b[31mb\x07\r\n"
                             "\r\nbody\r\n";
    const std::string rules = ::testing::TempDir() + "hostile-rules-" + std::to_string(::getpid());
    std::ofstream(rules) << "if header :contains \"subject\" \"pwned\" { discard; }\n";
    const std::string ok = "+OK ready\r\n";
    struct Row {
        const char* what;
        std::vector<std::string> command;
        std::string greeting, passAnswer;
        int status;
        std::string out, err; // a part of each that must be there
    } rows[] = {
        {"prune's sender and subject",
         {"prune", "--rules", rules},
         ok,
         "+OK\r\n",
         0,
         "1\t" + std::to_string(mail.size()) +
             "\tEve\\x1B[2J <eve@x.example>\t\\x1B]0;pwned\\x07\\xC2\\x9B2J\tline 1\n",
         "received "},
        {"header N", {"header", "1"}, ok, "+OK\r\n", 0, "X-Raw: a\\x1B[31mb\\x07\r\n\r\n", ""},
        {"retrieve's JSON",
         {"retrieve", "1"},
         ok,
         "+OK\r\n",
         0,
         "\\u001b]0;pwned\\u0007\\u009b2J",
         ""},
        {"a refused login",
         {"stat"},
         ok,
         "-ERR [AUTH] no\x1b[2J\xc2\x9b"
         "31m way\r\n",
         1,
         "",
         "refused: 2001 [AUTH] no\\x1B[2J\\xC2\\x9B31m way\n"},
        {"a refused session",
         {"stat"},
         "-ERR busy\x1b]0;x\x07 now\r\n",
         "+OK\r\n",
         2,
         "",
         "the server refused the session: busy\\x1B]0;x\\x07 now\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedServer server;
        ScriptOneMail(server, mail, row.greeting, row.passAnswer);
        server.Start();
        std::vector<std::string> args{
            "--trace",   "--security", "none", "--port", std::to_string(server.port()),
            "127.0.0.1", "tool"};
        args.insert(args.end(), row.command.begin(), row.command.end());
        const Result r = Mbxpop(args, "pw");
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.out.find(row.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
        for (const std::string& printed : {r.out, r.err}) {
            for (const std::string raw : {"\x1b", "\x07", "\xc2\x9b"})
                EXPECT_EQ(printed.find(raw), std::string::npos)
                    << ::testing::PrintToString(printed);
        }
    }
    ::unlink(rules.c_str());
}

#ifdef MBXPOP_WINDOW_SETTINGS
// --port without --security: the mode the window remembered for host, port and user, so a TLS
// port is not first probed for a plain greeting; plain text remembered in the window is not
// taken over.
TEST(Mbxpop, UsesTheSecurityTheWindowRememberedForTheAccount) {
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                      ("mbxpop-remembered-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    const TestAuthority ca(dir.string(), "Remembered CA");
    const TestCertificate cert = ca.Issue("remembered", {"localhost"}, {"127.0.0.1"});
    struct Row {
        const char* what;
        bool tls;               // the server speaks TLS from the first byte
        std::string remembered; // the window's mode for the account
        int status;
        std::string traced;
    } rows[] = {
        {"tls on a TLS port", true, "tls", 0,
         "security mode tls, remembered by the window for this account\n"},
        {"plain text is not taken over", false, "none", 3, "security mode auto\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedServer server;
        if (row.tls)
            server.UseTls(cert.CertFile, cert.KeyFile);
        server.Send("+OK ready\r\n");
        server.AnswerEachLine(
            [](const std::string& line) -> std::string {
                if (line == "CAPA")
                    return "+OK\r\nUSER\r\n.\r\n";
                return line == "STAT" ? "+OK 0 0\r\n" : "+OK\r\n";
            },
            "QUIT");
        server.Start();
        const std::string port = std::to_string(server.port());
        // Written as the file stands: this process's settings keep the folder they first saw.
        std::filesystem::create_directories(dir / "config" / "Fenn-Labs");
        // Another user's and another port's entries of the same host come first.
        std::ofstream(dir / "config" / "Fenn-Labs" / "InboxPruner.conf")
            << "[General]\nServer1=127.0.0.1:" << port << "\nUser1=other\nSecurity1=starttls\n"
            << "Server2=127.0.0.1:1\nUser2=tool\nSecurity2=starttls\n"
            << "Server3=127.0.0.1:" << port << "\nUser3=tool\nSecurity3=" << row.remembered << "\n";
        const Result r = Mbxpop(
            {"--trace", "--port", port, "--ca-file", ca.CertFile(), "127.0.0.1", "tool", "stat"},
            "pw");
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.traced), std::string::npos) << r.err;
        if (row.status == 0) {
            EXPECT_EQ(r.out, "0 0\n");
            EXPECT_NE(r.err.find("security tls port " + port), std::string::npos) << r.err;
            EXPECT_EQ(server.Connections(), 1) << "probed for a plain greeting first";
        } else {
            EXPECT_EQ(r.err.find("sent USER"), std::string::npos) << r.err;
        }
    }
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(dir);
}
#endif

// list and prune take the headers of mails whose unique id the window's file knows from there;
// --fresh and a damaged file read them all from the server, and every way lists the same rows.
TEST(Mbxpop, ListsTheHeadersTheWindowRemembers) {
    DovecotServer server("tool", "pw", {Mail(1), Mail(2), Mail(3)});
    const std::string port = std::to_string(server.port());
    const std::filesystem::path data =
        std::filesystem::path(::testing::TempDir()) / ("memory-data-" + std::to_string(::getpid()));
    const std::filesystem::path file =
        data / "Fenn-Labs" / "InboxPruner" / "Headers" / ("tool@127.0.0.1:" + port);
    const auto list = [&](std::vector<std::string> options) {
        options.insert(options.end(), {"--trace", "--security", "none", "--port", port, "127.0.0.1",
                                       "tool", "list"});
        return Mbxpop(options, "pw", {"LC_ALL=C.UTF-8", "XDG_DATA_HOME=" + data.string()});
    };
    // Pipelined, one send may carry several commands.
    const auto tops = [](const Result& r) {
        int count = 0;
        std::istringstream trace(r.err);
        for (std::string line; std::getline(trace, line);)
            for (size_t at = line.find("TOP ");
                 line.starts_with("sent ") && at != std::string::npos;
                 at = line.find("TOP ", at + 1))
                ++count;
        return count;
    };
    const Result first = list({});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(tops(first), 3);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const Result second = list({});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(tops(second), 0);
    EXPECT_EQ(second.out, first.out);

    server.AddMails({Mail(4)});
    const Result added = list({});
    EXPECT_EQ(tops(added), 1);
    const Result fresh = list({"--fresh"});
    EXPECT_EQ(tops(fresh), 4);
    EXPECT_EQ(added.out, fresh.out);
    EXPECT_EQ(std::count(fresh.out.begin(), fresh.out.end(), '\n'), 4);
    // What --fresh kept serves the next listing.
    const Result afterFresh = list({});
    EXPECT_EQ(tops(afterFresh), 0);
    EXPECT_EQ(afterFresh.out, fresh.out);

    std::ofstream(file, std::ios::binary | std::ios::trunc) << "damaged";
    const Result damaged = list({});
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    EXPECT_EQ(tops(damaged), 4);
    EXPECT_EQ(damaged.out, fresh.out);
    EXPECT_NE(damaged.err.find("mbxpop: the remembered headers " + file.string()),
              std::string::npos)
        << damaged.err;
    // Replaced: the next listing takes every header from it again, and says nothing.
    const Result after = list({});
    EXPECT_EQ(tops(after), 0);
    EXPECT_EQ(after.err.find("remembered headers"), std::string::npos);
    std::filesystem::remove_all(data);
}

#ifdef MBXPOP_WINDOW_SETTINGS
// --all-accounts prune --yes: every account of the window with its password from the keyring,
// each line led by its account; a refused account is told and the other pruned with copies;
// --password-command then serves the account the keyring has no password for.
TEST(MbxpopAllAccounts, PrunesEveryAccountWithItsPasswordFromTheKeyring) {
    if (!std::getenv("INBOXPRUNER_TEST_KEYRING"))
        GTEST_SKIP() << "needs a private keyring: ctest runs it as mbxpop_all_accounts";
    const std::vector<std::string> mails{
        "From: shop@sale.example\r\nSubject: offer\r\n\r\nbody\r\n",
        "From: anna@pals.example\r\nSubject: hi\r\n\r\nbody\r\n",
        "From: news@sale.example\r\nSubject: big offer\r\n\r\nbody\r\n"};
    DovecotServer anna("anna", "pw-a", mails), bert("bert", "pw-b", mails);
    const std::string annaServer = "127.0.0.1:" + std::to_string(anna.port());
    const std::string bertServer = "127.0.0.1:" + std::to_string(bert.port());
    const std::filesystem::path data = std::getenv("XDG_DATA_HOME");
    const std::filesystem::path folder = data / "Fenn-Labs" / "InboxPruner";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "rules.sieve")
        << "# rule: offers\nif header :contains \"subject\" \"offer\" { discard; }\n";
    {
        TSettingsStore settings;
        int k = 1;
        for (const std::string& server : {annaServer, bertServer}) {
            settings.WriteString(NumberedKey("Server", k), QString::fromStdString(server));
            settings.WriteString(NumberedKey("User", k), k == 1 ? "anna" : "bert");
            settings.WriteString(NumberedKey("Security", k++), "none");
        }
    }
    int argc = 1;
    char name[] = "test_mbxpop";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    TKeyringStore keyring;
    keyring.Write(QString::fromStdString(annaServer), "anna", "pw-a");
    keyring.Write(QString::fromStdString(bertServer), "bert", "wrong");
    keyring.WaitForJobs(30000);
    ASSERT_EQ(keyring.Pending(), 0);

    const std::string annaLead = "anna@" + annaServer + "\t";
    const std::string bertLead = "bert@" + bertServer + "\t";
    // The rows prune prints for the marked mails, then the copies kept of them.
    const auto pruned = [&](const std::string& lead, const std::string& line,
                            const std::string& account) {
        const std::filesystem::path dir = folder / "Deleted" / account;
        std::set<std::filesystem::path> kept;
        if (std::filesystem::exists(dir))
            for (const auto& entry : std::filesystem::directory_iterator(dir))
                kept.insert(entry.path());
        std::string out = lead + "1\t" + std::to_string(mails[0].size()) +
                          "\tshop@sale.example\toffer\toffers (" + line + " 2)\n" + lead + "3\t" +
                          std::to_string(mails[2].size()) +
                          "\tnews@sale.example\tbig offer\toffers (" + line + " 2)\n";
        int n = 1;
        for (const auto& copy : kept) {
            out += lead + std::to_string(n) + "\t" + copy.string() + "\n";
            n += 2;
        }
        EXPECT_EQ(kept.size(), 2u);
        return out;
    };
    const Result first = Mbxpop({"--all-accounts", "prune", "--yes"}, "");
    EXPECT_EQ(first.status, 1) << first.err;
    EXPECT_EQ(first.out, pruned(annaLead, "line", "anna@" + annaServer));
    EXPECT_NE(first.err.find(bertLead + "mbxpop: refused: "), std::string::npos) << first.err;
    EXPECT_NE(first.err.find("mbxpop: 1 account(s) failed of 2: bert@" + bertServer + "\n"),
              std::string::npos)
        << first.err;
    std::istringstream errLines(first.err);
    for (std::string line; std::getline(errLines, line);)
        EXPECT_TRUE(line.starts_with(annaLead) || line.starts_with(bertLead) ||
                    line.starts_with("mbxpop: 1 account(s)"))
            << line;
    EXPECT_EQ(anna.RemainingMessages(), (std::vector<int>{2}));
    EXPECT_EQ(bert.RemainingMessages(), (std::vector<int>{1, 2, 3}));
    const auto copies = [&](const std::string& account) {
        const std::filesystem::path dir = folder / "Deleted" / account;
        return std::filesystem::exists(dir)
                   ? std::distance(std::filesystem::directory_iterator(dir),
                                   std::filesystem::directory_iterator())
                   : 0;
    };
    EXPECT_EQ(copies("anna@" + annaServer), 2);

    keyring.Remove(QString::fromStdString(bertServer), "bert");
    keyring.WaitForJobs(30000);
    const Result second = Mbxpop({"--all-accounts", "--password-command",
                                  "test \"$MBXPOP_ACCOUNT\" = bert@" + bertServer + " && echo pw-b",
                                  "prune", "--yes"},
                                 "", {"LC_ALL=de_DE.UTF-8"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, pruned(bertLead, "Zeile", "bert@" + bertServer));
    EXPECT_EQ(bert.RemainingMessages(), (std::vector<int>{2}));
    EXPECT_EQ(anna.RemainingMessages(), (std::vector<int>{2}));
}

// --all-accounts for an account that signs in with OAuth2 in the window: the refresh token the
// window keeps in the keyring is refreshed at the provider and the account listed with
// XOAUTH2; a refused or missing refresh token sends the user to the window, in both
// languages; --token-command still wins.
TEST(MbxpopAllAccounts, ListsAnOAuth2AccountWithTheWindowsRefreshToken) {
    if (!std::getenv("INBOXPRUNER_TEST_KEYRING"))
        GTEST_SKIP() << "needs a private keyring: ctest runs it as mbxpop_all_accounts";
    const OAuth2Stub provider;
    const TlsToolServer tool("mbxpop-all-oauth-", DovecotOAuth2{provider.IntrospectionUrl()});
    const std::string server = "localhost:" + std::to_string(tool.server().tlsPort());
    const QString url = QString::fromStdString(provider.Url());
    const TOAuth2Provider entered{url + "/authorize", url + "/token", "tests", {}, "mail"};
    {
        TSettingsStore settings;
        // The only account: another test of this run may have left more.
        for (int k = 2; k <= MaxRememberedAccounts; ++k)
            settings.DeleteValue(NumberedKey("Server", k));
        settings.WriteString(NumberedKey("Server", 1), QString::fromStdString(server));
        settings.WriteString(NumberedKey("User", 1), "tool");
        settings.WriteString(NumberedKey("Security", 1), "tls");
        settings.WriteString(NumberedKey("SignIn", 1), "oauth2");
        SaveOAuth2Provider(settings, "localhost", entered);
    }
    // A sign-in as the window makes it: the refresh token is the second line.
    std::string refresh;
    {
        FILE* signIn = ::popen(provider.TokenCommand("tool").c_str(), "r");
        ASSERT_NE(signIn, nullptr);
        char line[512];
        for (int n = 0; n < 2 && std::fgets(line, sizeof line, signIn); ++n)
            refresh = line;
        ASSERT_EQ(::pclose(signIn), 0);
        refresh.erase(refresh.find_last_not_of("\r\n") + 1);
        ASSERT_FALSE(refresh.empty());
    }
    int argc = 1;
    char name[] = "test_mbxpop";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    TKeyringStore keyring;
    const QString entry = TOAuth2TokenStore::KeyringServer(OAuth2Issuer(entered));
    const auto keep = [&](const std::string& token) {
        keyring.Write(entry, "tool", QString::fromStdString(token));
        keyring.WaitForJobs(30000);
        ASSERT_EQ(keyring.Pending(), 0);
    };
    keep(refresh);

    const std::string lead = "tool@" + server + "\t";
    const std::vector<std::string> caFile{"--ca-file", tool.ca().CertFile()};
    const auto run = [&](std::vector<std::string> args, const char* locale = "LC_ALL=C.UTF-8") {
        args.insert(args.begin(), caFile.begin(), caFile.end());
        args.insert(args.begin(), "--all-accounts");
        return Mbxpop(args, "", {locale});
    };
    const std::string listed = lead + "1\t" + std::to_string(Mail(1).size()) + "\t";
    const Result refreshed = run({"--trace", "list"});
    EXPECT_EQ(refreshed.status, 0) << refreshed.err;
    EXPECT_TRUE(refreshed.out.starts_with(listed)) << refreshed.out;
    EXPECT_NE(refreshed.err.find("sent AUTH XOAUTH2\\r\\n"), std::string::npos) << refreshed.err;
    EXPECT_EQ(refreshed.err.find(refresh), std::string::npos) << "the token stays secret";

    keep("revoked-long-ago");
    const Result refused = run({"list"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find(lead + "mbxpop: the provider refuses the refresh token: sign in "
                                      "once in the main window\n"),
              std::string::npos)
        << refused.err;

    keyring.Remove(entry, "tool");
    keyring.WaitForJobs(30000);
    const Result missing = run({"list"}, "LC_ALL=de_DE.UTF-8");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(lead + "mbxpop: kein Erneuerungstoken im Schlüsselbund: bitte "
                                      "einmal im Hauptfenster anmelden\n"),
              std::string::npos)
        << missing.err;

    const Result command = run({"--token-command", provider.TokenCommand("tool"), "list"});
    EXPECT_EQ(command.status, 0) << command.err;
    EXPECT_TRUE(command.out.starts_with(listed)) << command.out;

    TSettingsStore settings;
    settings.DeleteValue(NumberedKey("SignIn", 1));
}
#endif

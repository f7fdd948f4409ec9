// The mbxpop tool end to end against Dovecot: output, exit status, trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DovecotServer.h"
#include "SpamdServer.h"
#include "StuckListener.h"
#include "TestCertificates.h"

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

// Runs mbxpop with these arguments, the password and the locale's variables in its environment.
Result Mbxpop(const std::vector<std::string>& args, const std::string& password,
              const std::vector<std::string>& locale = {"LC_ALL=C.UTF-8"}) {
    const std::string dir = ::testing::TempDir();
    const std::string out = dir + "mbxpop-out-" + std::to_string(::getpid());
    const std::string err = dir + "mbxpop-err-" + std::to_string(::getpid());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> all{MBXPOP_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings{"MBXPOP_PASSWORD=" + password};
    envStrings.insert(envStrings.end(), locale.begin(), locale.end());
    const auto ours = [](const std::string& e) {
        for (const char* name : {"MBXPOP_PASSWORD=", "LANGUAGE=", "LC_ALL=", "LC_MESSAGES=", "LANG="})
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
    if (::posix_spawn(&pid, MBXPOP_PATH, &actions, nullptr, argv.data(), env.data()) == 0) {
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

std::string Mail(int n) {
    return "From: s" + std::to_string(n) + "@example.org\r\nSubject: tool " + std::to_string(n) +
           "\r\n\r\nbody\r\n";
}

// A folder of this test's own with a private authority, and a Dovecot with TLS on its
// certificate; the folder goes with it.
class TlsToolServer {
public:
    explicit TlsToolServer(const std::string& name)
        : folder_(MadeFolder(::testing::TempDir() + name + std::to_string(::getpid()))),
          ca_(folder_, "Tool CA"), cert_(ca_.Issue("tool", {"localhost"}, {"127.0.0.1"})),
          server_("tool", "pw", {Mail(1)}, DovecotTls{cert_.CertFile, cert_.KeyFile}) {}
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
    EXPECT_EQ(list.out, expected);

    // The same rows one command at a time; pipelined, several commands go out in one send.
    for (const bool pipelined : {true, false}) {
        std::vector<std::string> args{"--security", "none",      "--trace", "--port",
                                      port,         "127.0.0.1", "tool",    "list"};
        if (!pipelined)
            args.insert(args.begin(), "--no-pipelining");
        Result traced = Mbxpop(args, "pa55 word");
        EXPECT_EQ(traced.out, expected);
        EXPECT_EQ(traced.err.find("sent TOP 1 0\\r\\nlist 1\\r\\nTOP 2 0") != std::string::npos,
                  pipelined)
            << traced.err;
    }

    Result header = Mbxpop(
        {"--security", "none", "--port", port, "127.0.0.1", "tool", "header", "2"}, "pa55 word");
    EXPECT_EQ(header.out, "From: s2@example.org\r\nSubject: tool 2\r\n\r\n.\r\n");

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

TEST(Mbxpop, ExitStatusTellsRefusalFromFailureAndMisuse) {
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

    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"127.0.0.1", "tool"},
                                               {"127.0.0.1", "tool", "frob"},
                                               {"127.0.0.1", "tool", "header"},
                                               {"127.0.0.1", "tool", "delete", "0"},
                                               {"--port", "x", "127.0.0.1", "tool", "stat"},
                                               {"--verbose", "127.0.0.1", "tool", "stat"},
                                               {"--score", "127.0.0.1", "tool", "stat"},
                                               {"--score", "127.0.0.1", "tool", "list"},
                                               {"--scorer", "spamc", "127.0.0.1", "tool", "list"},
                                               {"--score", "--scorer", "spamd", "127.0.0.1",
                                                "tool", "list"},
                                               {"--score", "--scorer", "spamc", "--wordlist",
                                                "/tmp", "127.0.0.1", "tool", "list"},
                                               {"--score", "--scorer", "spamc", "--score-lines",
                                                "-1", "127.0.0.1", "tool", "list"}}) {
        Result usage = Mbxpop(args, "right");
        EXPECT_EQ(usage.status, 64) << usage.err;
        EXPECT_NE(usage.err.find("usage: mbxpop"), std::string::npos);
    }
}

TEST(Mbxpop, SecurityOptionsAndExitStatus3) {
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
    const TlsToolServer tool("mbxpop-lang-");
    const DovecotServer& server = tool.server();
    const StuckListener closed;
    const std::vector<std::string> refused{"--security", "none", "--port",
                                           std::to_string(closed.port()), "127.0.0.1", "tool",
                                           "stat"};
    const std::vector<std::string> untrusted{"--security", "tls", "--port",
                                             std::to_string(server.tlsPort()), "localhost", "tool",
                                             "stat"};
    struct Row {
        std::vector<std::string> locale;
        std::vector<std::string> args;
        int status;
        std::string said;
        std::string notSaid;
    } rows[] = {
        {{"LANG=en_US.UTF-8"}, refused, 2,
         "mbxpop: cannot connect to 127.0.0.1: The server refused the connection. (Connection "
         "refused (111))\n",
         "API"},
        {{"LANG=de_DE.UTF-8"}, refused, 2,
         "mbxpop: keine Verbindung zu 127.0.0.1: Der Server hat die Verbindung abgelehnt. "
         "(Connection refused (111))\n",
         "Windows"},
        {{"LANGUAGE=de_AT:de", "LANG=de_DE.UTF-8"}, refused, 2, "The server refused", "Der"},
        {{"LC_ALL=en_GB.UTF-8"}, untrusted, 3,
         "cannot connect to localhost: The server's certificate is not trusted. (The server's "
         "certificate is not trustworthy: ",
         "Zertifikat"},
        {{"LANG=de_CH.UTF-8"}, untrusted, 3,
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

// --help names every option the tool takes, and the man page names every one of them.
TEST(Mbxpop, HelpAndManPageNameEveryOption) {
    const Result help = Mbxpop({"--help"}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: mbxpop", 0), 0u) << help.out;
    const std::string manPage = ReadAll(MBXPOP_MAN_PAGE);
    ASSERT_FALSE(manPage.empty());
    for (const std::string option :
         {"--port", "--security", "--ca-file", "--trace", "--retr", "--no-pipelining", "--score",
          "--scorer", "--spamd", "--rspamd", "--wordlist", "--score-lines", "--help"}) {
        SCOPED_TRACE(option);
        EXPECT_NE(help.out.find(option), std::string::npos);
        std::string roff; // "\-\-ca\-file" in roff
        for (const char c : option)
            roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manPage.find(roff), std::string::npos);
        if (option != "--help") {
            const Result bare = Mbxpop({option}, "");
            EXPECT_EQ(bare.status, 64) << "an option the parser does not know: " << bare.err;
            EXPECT_EQ(bare.err.find("unknown option"), std::string::npos) << bare.err;
        }
    }
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
    for (const Row& row : rows) {
        SCOPED_TRACE("--score-lines " + row.lines);
        const Result r = Mbxpop({"--security", "none", "--port", std::to_string(server.port()),
                                 "--score", "--scorer", "spamc", "--spamd", spamd.address(),
                                 "--score-lines", row.lines, "127.0.0.1", "tool", "list"},
                                "pw");
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
}

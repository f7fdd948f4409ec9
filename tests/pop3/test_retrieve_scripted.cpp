// Retrieval against a scripted server: progress, dot-unstuffing, the temporary file.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <sys/resource.h>

#include "SessionFixture.h"

namespace {

// A RETR answer (status line, a small mail, terminator) cut so that the receives bring the
// received total to exactly the given sizes.
std::vector<std::string> RetrPieces(const std::vector<size_t>& totals) {
    const std::string head = "+OK\r\nSubject: progress\r\n\r\n";
    const std::string end = ".\r\n";
    std::string filler;
    size_t left = totals.back() - head.size() - end.size();
    while (left > 62) {
        filler += std::string(60, 'x') + "\r\n";
        left -= 62;
    }
    filler += std::string(left - 2, 'y') + "\r\n";
    const std::string all = head + filler + end;
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t total : totals) {
        pieces.push_back(all.substr(from, total - from));
        from = total;
    }
    return pieces;
}

} // namespace

using Retrieval = SessionTest;

TEST_F(Retrieval, ProgressEventsFollowTheReceivedShare) {
    struct Row {
        std::string name;
        int32_t listed;
        uint16_t step;
        std::vector<size_t> totals;
        std::vector<uint16_t> expected;
    };
    const std::vector<Row> rows = {
        // The first receive computes nothing; 800 and 1200 of 1000 give 80 and 120, and no
        // final 100 follows because the last percentage was already above it.
        {"worked example", 1000, 10, {400, 800, 1200}, {80, 120}},
        {"single receive", 1000, 10, {300}, {100}},
        {"step 0 fires every chunk", 1000, 0, {100, 200, 300, 400}, {20, 30, 40, 100}},
        // One event per chunk, and the threshold moves one step per event.
        {"catching up after a jump", 100, 10, {50, 400, 410, 420}, {400, 410, 420}},
        // 100.5 rounds to 100, 101.5 to 102.
        {"halves go to even", 200, 10, {100, 201, 203}, {100, 102}},
        {"listed size 0", 0, 10, {100, 200}, {100}},
    };
    server.Send("+OK ready\r\n");
    for (const Row& row : rows) {
        server.AwaitLine();
        server.Send("+OK 1 " + std::to_string(row.listed) + "\r\n");
        server.AwaitLine();
        for (const auto& piece : RetrPieces(row.totals))
            server.Send(piece);
    }
    StartAndConnect();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        progress.clear();
        pop.RetrieveProgressStep = row.step;
        auto msg = pop.Retrieve(1);
        ASSERT_NE(msg, nullptr);
        EXPECT_EQ(progress, row.expected);
        EXPECT_EQ(msg->Size, row.listed);
        EXPECT_EQ(msg->Subject, "progress");
    }
    EXPECT_EQ(ServerHeard().size(), 2 * rows.size());
}

TEST_F(Retrieval, DotStuffingIsUndoneAndFramingLinesAreDropped) {
    server.Send("+OK ready\r\n");
    server.AwaitLine();
    server.Send("-ERR no LIST today\r\n"); // not judged: the size defaults to 100
    server.AwaitLine();
    // A NUL byte is part of the mail: it ends neither the line nor the mail.
    using namespace std::string_literals;
    server.Send("+OK message follows\r\nSubject: dots\r\n\r\n..hidden\r\n..\r\n...\r\npl\0ain\r\n"
                "last\r\n.\r\n"s);
    StartAndConnect();
    std::vector<std::string> order;
    pop.OnBeforeRetrieve = [&](TObject* s, TMsgNumber n) {
        EXPECT_EQ(s, &pop);
        order.push_back("before " + std::to_string(n));
    };
    pop.OnAfterRetrieve = [&](TObject*) { order.push_back("after"); };
    auto msg = pop.Retrieve(4);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->Size, 100);
    EXPECT_EQ(msg->Subject, "dots");
    EXPECT_EQ(msg->Text, (std::vector<std::string>{".hidden", ".", "..", "pl ain", "last"}));
    EXPECT_EQ(order, (std::vector<std::string>{"before 4", "after"}));
    EXPECT_EQ(ServerHeard(), (std::vector<std::string>{"LIST 4", "TOP 4 999999999"}));
}

TEST_F(Retrieval, HeaderOnlyUsesTopAndFetchesTheUidlWhenAsked) {
    server.Send("+OK ready\r\n");
    server.AwaitLine();
    server.Send("+OK 2 640\r\n");
    server.AwaitLine();
    server.Send("+OK\r\nSubject: only the head\r\n\r\n.\r\n");
    server.AwaitLine();
    server.Send("+OK 2 abc-123\r\n");
    StartAndConnect();
    pop.GetUIDLsOnRetrieve = true;
    auto msg = pop.RetrieveMsg(2, true);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->Subject, "only the head");
    EXPECT_EQ(msg->UIDL, "abc-123");
    EXPECT_EQ(msg->Size, 640);
    EXPECT_EQ(ServerHeard(), (std::vector<std::string>{"LIST 2", "TOP 2 0", "UIDL 2"}));
}

TEST_F(Retrieval, TheTemporaryFileIsOwnerOnlyWhileItExists) {
    server.Send("+OK ready\r\n");
    server.AwaitLine();
    server.Send("+OK 1 1000\r\n");
    server.AwaitLine();
    const auto parts = RetrPieces({400, 800});
    server.Send(parts[0]);
    server.Send(parts[1]);
    StartAndConnect();
    std::vector<std::string> seenFiles;
    pop.OnRetrieveProgress = [&](TObject*, uint16_t) {
        for (const auto& name : tmp.Files()) {
            seenFiles.push_back(name);
            const auto perms = std::filesystem::status(tmp.path() + "/" + name).permissions();
            EXPECT_EQ(perms &
                          (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
                      std::filesystem::perms::none);
        }
    };
    ASSERT_NE(pop.Retrieve(1), nullptr);
    ASSERT_EQ(seenFiles.size(), 2u); // progress 80, then the final 100
    EXPECT_EQ(seenFiles[0].substr(0, 3), "mbx");
    // The fixture checks at the end that the folder is empty again.
}

TEST(RetrievalFailure, TheErrorNamesWhatFailedAndWhyNeverTheMailsBytes) {
    struct Row {
        std::string name;
        size_t mailLines;
        rlim_t fileLimit; // RLIM_INFINITY: none
        int code;
        std::string text;
    };
    const std::vector<Row> rows = {
        {"connection reset mid-mail", 3, RLIM_INFINITY, ECONNRESET,
         SocketErrorText(ECONNRESET, "recv")},
        {"temporary file cannot grow", 4000, 64 * 1024, EFBIG,
         std::string("cannot write the temporary file: ") + std::strerror(EFBIG)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PrivateTempDir tmp;
        ScriptedServer server;
        server.Send("+OK ready\r\n");
        server.AwaitLine();
        server.Send("+OK 1 500000\r\n");
        server.AwaitLine();
        std::string mail = "+OK\r\nSubject: secret\r\n\r\n";
        for (size_t i = 0; i < row.mailLines; ++i)
            mail += "SECRET line " + std::to_string(i) + std::string(60, 's') + "\r\n";
        server.Send(mail);
        server.Pause(std::chrono::milliseconds(200)); // the mail's bytes are read first
        server.Reset();
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        std::vector<std::string> errors;
        pop.OnError = [&](TObject*, int code, const std::string& text) {
            errors.push_back(std::to_string(code) + " " + text);
        };
        pop.Connect();
        // A file size limit is what a full disk looks like to write(); the signal is not wanted.
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = row.fileLimit;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        std::string thrown;
        try {
            pop.Retrieve(1);
        } catch (const ESocketError& e) {
            thrown = e.what();
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        EXPECT_EQ(thrown, row.text);
        EXPECT_EQ(errors, std::vector<std::string>{std::to_string(row.code) + " " + row.text});
        EXPECT_FALSE(pop.Connected());
        EXPECT_TRUE(tmp.Files().empty());
    }
}

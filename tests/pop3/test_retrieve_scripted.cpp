// Retrieval against a scripted server: progress, dot-unstuffing, the temporary file.
#include <gtest/gtest.h>

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

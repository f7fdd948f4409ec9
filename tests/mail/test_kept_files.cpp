// The files kept between sessions: the folder of copies and its retention, the seen ids.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "KeptCopies.h"
#include "SeenMails.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kDay = 24 * 60 * 60 * 1000;
constexpr int64_t kNow = 1'800'000'000'000; // 2027-01-15

// A fresh folder for one test, gone with it.
struct Folder {
    Folder() {
        std::string pattern = fs::temp_directory_path().string() + "/kept-XXXXXX";
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(path))
            names.push_back(fs::relative(e.path(), path).string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string path;
};

} // namespace

// Only copies this program wrote go, and only the old ones; the rest of the folder stays.
TEST(KeptCopies, RetentionRemovesOldCopiesOnly) {
    const Folder folder;
    TKeptCopies copies(folder.path + "/acct");
    const std::string mail = "Subject: s\r\n\r\nbody\r\n";
    const std::string old = fs::path(copies.Keep(mail, kNow - 31 * kDay)).filename();
    const std::string older = fs::path(copies.Keep(mail, kNow - 400 * kDay)).filename();
    const std::string young = fs::path(copies.Keep(mail, kNow - 29 * kDay)).filename();
    const std::string lookalike = old.substr(0, 26) + "zzzzzzzz.eml"; // not a hash
    const std::vector<std::string> foreign = {"notes.txt", lookalike, "20200101T000000.000Z.eml",
                                              "20260231T000000.000Z-0001-0000abcd.eml"};
    for (const std::string& name : foreign)
        std::ofstream(folder.path + "/acct/" + name) << "x";
    fs::create_directory(folder.path + "/acct/" + older.substr(0, 25) + "-00000000.eml");

    EXPECT_EQ(copies.List().size(), 3u);
    EXPECT_EQ(copies.RemoveOlderThan(kKeptCopyDays, kNow), 2u);
    const auto left = copies.List();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(fs::path(left[0].File).filename(), young);
    EXPECT_EQ(left[0].DeletedAt, kNow - 29 * kDay);
    EXPECT_EQ(left[0].Header, "Subject: s\r\n\r\n");
    EXPECT_EQ(left[0].Size, mail.size());
    EXPECT_EQ(folder.Names().size(), 1 + 1 + foreign.size() + 1) << "foreign files went too";
    EXPECT_EQ(copies.RemoveOlderThan(0, kNow), 1u);
    EXPECT_EQ(TKeptCopies(folder.path + "/none").RemoveOlderThan(0, kNow), 0u);
}

TEST(SeenMails, DamagedFilesAreClearErrors) {
    const Folder folder;
    const std::string file = folder.path + "/seen";
    const std::string first = "inboxpruner seen mails 1\n";
    struct Row {
        std::string content;
        std::string error;
    } rows[] = {
        {"", "is not a list of seen mails"},
        {"something else\n", "is not a list of seen mails"},
        {first + "12 abc\nx abc2\n", "is damaged at line 3"},
        {first + "12\n", "is damaged at line 2"},
        {first + "-5 abc\n", "is damaged at line 2"},
        {first + "12 abc\n13 abc\n", "is damaged at line 3"},
        // The program writes the ids in order: another order is no file of its own.
        {first + "12 abd\n13 abc\n", "is damaged at line 3"},
        {first + "12 a\x7f" + "b\n", "is damaged at line 2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content);
        std::ofstream(file, std::ios::binary) << row.content;
        try {
            TSeenMails::Load(file);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "the file " + file + " " + row.error);
        }
    }
    std::ofstream(file, std::ios::binary) << first + "12 abc\n";
    EXPECT_TRUE(TSeenMails::Load(file).Listed());
    EXPECT_FALSE(TSeenMails::Load(folder.path + "/missing").Listed());
}

// A listing keeps the first sighting of every id it names, in order, once each, and forgets the
// ids it no longer names; what it saves is read back as written.
TEST(SeenMails, NoteKeepsKnownIdsAddsNewOnesAndDropsTheGone) {
    const Folder folder;
    const std::string file = folder.path + "/seen";
    TSeenMails seen;
    seen.Note({"m", "c", "x"}, 100);
    const auto second = seen.Note({"x", "a", "", "m", "q", "a", "b"}, 200);
    const std::vector<std::pair<bool, int64_t>> told = {
        {false, 100}, {true, 200}, {false, 0}, {false, 100}, {true, 200}, {true, 200}, {true, 200}};
    ASSERT_EQ(second.size(), told.size());
    for (std::size_t i = 0; i < told.size(); ++i) {
        EXPECT_EQ(second[i].New, told[i].first) << i;
        EXPECT_EQ(second[i].Since, told[i].second) << i;
    }
    seen.Save(file);
    std::ifstream in(file);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written, "inboxpruner seen mails 1\n200 a\n200 b\n100 m\n200 q\n100 x\n");
    const TSeenMails again = TSeenMails::Load(file);
    EXPECT_TRUE(again.Sight("c", 300).New) << "c was not listed the second time";
    EXPECT_EQ(again.Sight("m", 300).Since, 100);
}

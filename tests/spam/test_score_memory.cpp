// The scores remembered by unique id and scorer setting, and their file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "ScoreMemory.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
    Folder() {
        std::string pattern = fs::temp_directory_path().string() + "/scores-XXXXXX";
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

std::string Key(const std::string& address = "127.0.0.1:783", uint32_t lines = 0) {
    TScorerConfig config;
    config.Address = address;
    return ScoreSettingKey(config, lines);
}

TSpamScore Spam() {
    TSpamScore s;
    s.Score = 1000.1234567890123;
    s.Threshold = 5;
    s.IsSpam = true;
    s.Normalised = 10;
    s.Rules = {{"GTUBE", 1000}, {"odd name=with%blank\xC3\xA4", -0.1}};
    return s;
}

TSpamScore Bogo() {
    TSpamScore s;
    s.Score = 0.520001;
    s.Normalised = 5.20001;
    return s;
}

void ExpectSame(const TSpamScore& a, const TSpamScore& b) {
    EXPECT_EQ(a.Score, b.Score);
    EXPECT_EQ(a.Threshold, b.Threshold);
    EXPECT_EQ(a.IsSpam, b.IsSpam);
    EXPECT_EQ(a.Normalised, b.Normalised);
    ASSERT_EQ(a.Rules.size(), b.Rules.size());
    for (size_t i = 0; i < a.Rules.size(); ++i) {
        EXPECT_EQ(a.Rules[i].Name, b.Rules[i].Name);
        EXPECT_EQ(a.Rules[i].Points, b.Rules[i].Points);
    }
}

} // namespace

TEST(ScoreMemory, RoundTripsEveryPartOfAScore) {
    const Folder folder;
    const std::string path = folder.path + "/Scores/acct";
    TScoreMemory memory = TScoreMemory::Load(path, Key());
    EXPECT_EQ(memory.Count(), 0u);
    memory.Remember("a", Spam());
    memory.Remember("b", Bogo());
    memory.Listed("a");
    memory.Listed("b");
    memory.Save(path, true);
    const TScoreMemory loaded = TScoreMemory::Load(path, Key());
    EXPECT_TRUE(loaded.Problem().empty()) << loaded.Problem();
    ASSERT_NE(loaded.Find("a"), nullptr);
    ASSERT_NE(loaded.Find("b"), nullptr);
    EXPECT_EQ(loaded.Find("c"), nullptr);
    ExpectSame(*loaded.Find("a"), Spam());
    ExpectSame(*loaded.Find("b"), Bogo());

    struct stat file {};
    struct stat dir {};
    ASSERT_EQ(::stat(path.c_str(), &file), 0);
    ASSERT_EQ(::stat((folder.path + "/Scores").c_str(), &dir), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);
}

// Another scorer, place, program or number of body lines scores afresh; the time-out does not.
TEST(ScoreMemory, AnotherSettingRemembersNothing) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    TScoreMemory memory = TScoreMemory::Load(path, Key());
    memory.Remember("a", Spam());
    memory.Save(path, false);
    EXPECT_EQ(TScoreMemory::Load(path, Key()).Count(), 1u);
    EXPECT_EQ(TScoreMemory::Load(path, Key("127.0.0.1:784")).Count(), 0u);
    EXPECT_EQ(TScoreMemory::Load(path, Key("127.0.0.1:783", 5)).Count(), 0u);
    TScorerConfig other;
    other.Address = "127.0.0.1:783";
    other.Kind = TScorerKind::Rspamd;
    EXPECT_EQ(TScoreMemory::Load(path, ScoreSettingKey(other, 0)).Count(), 0u);
    other.Kind = TScorerKind::SpamAssassin;
    other.Program = "/opt/spamc";
    EXPECT_EQ(TScoreMemory::Load(path, ScoreSettingKey(other, 0)).Count(), 0u);
    other.Program.clear();
    other.Timeout = std::chrono::seconds(99);
    EXPECT_EQ(TScoreMemory::Load(path, ScoreSettingKey(other, 0)).Count(), 1u);
    // A setting with a line break in it stays one line of the file.
    TScoreMemory odd = TScoreMemory::Load(path, Key("/tmp/sock\nscores"));
    odd.Remember("b", Bogo());
    odd.Save(path, false);
    EXPECT_EQ(TScoreMemory::Load(path, Key("/tmp/sock\nscores")).Count(), 1u);
    EXPECT_EQ(TScoreMemory::Load(path, Key("/tmp/sock")).Count(), 0u);
}

TEST(ScoreMemory, CompleteListingKeepsOnlyListedIds) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    TScoreMemory memory = TScoreMemory::Load(path, Key());
    memory.Remember("a", Spam());
    memory.Remember("b", Bogo());
    memory.Save(path, false);
    TScoreMemory next = TScoreMemory::Load(path, Key());
    next.Listed("b");
    next.Save(path, false);
    EXPECT_EQ(TScoreMemory::Load(path, Key()).Count(), 2u) << "a stopped listing forgets none";
    next.Save(path, true);
    const TScoreMemory last = TScoreMemory::Load(path, Key());
    EXPECT_EQ(last.Count(), 1u);
    EXPECT_NE(last.Find("b"), nullptr);
}

// Training's new score replaces the remembered one.
TEST(ScoreMemory, RememberReplaces) {
    TScoreMemory memory;
    memory.Remember("a", Bogo());
    memory.Remember("a", Spam());
    ASSERT_NE(memory.Find("a"), nullptr);
    EXPECT_TRUE(memory.Find("a")->IsSpam);
    TSpamScore nan = Bogo();
    nan.Score = std::nan("");
    memory.Remember("n", nan);
    memory.Remember("has blank", Bogo());
    memory.Remember(std::string(71, 'x'), Bogo());
    EXPECT_EQ(memory.Count(), 1u);
}

TEST(ScoreMemory, DamagedFilesSayWhereAndRememberNothing) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    // The first two lines as the program writes them for no mail.
    TScoreMemory::Load(path, Key()).Save(path, true);
    std::string head;
    {
        std::ifstream in(path, std::ios::binary);
        head.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_TRUE(head.starts_with("inboxpruner scores 1\nsetting ")) << head;
    const std::string good = "a 1 5 ham 2\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"garbage\n", "line 1"},
        {"inboxpruner scores 1\n", "line 2"},
        {head + good + "b 1 5 ham\n", "line 4"},
        {head + good + "b x 5 ham 2\n", "line 4"},
        {head + good + "b 1 5 maybe 2\n", "line 4"},
        {head + good + "b 1 5 ham 11\n", "line 4"},
        {head + good + "b 1 5 ham nan\n", "line 4"},
        {head + good + "b 1 5 ham 2 RULE\n", "line 4"},
        {head + good + "b 1 5 ham 2 RU%4=1\n", "line 4"},
        {head + good + "b 1 5 ham 2 =1\n", "line 4"},
        {head + good + "a 1 5 ham 2\n", "line 4"},
        {head + good + " 1 5 ham 2\n", "line 4"},
        {head + good + std::string(71, 'i') + " 1 5 ham 2\n", "line 4"},
        {head + good + "b\x01 1 5 ham 2\n", "line 4"},
    };
    for (const auto& [bytes, where] : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        const TScoreMemory memory = TScoreMemory::Load(path, Key());
        EXPECT_NE(memory.Problem().find(path + " is damaged at " + where), std::string::npos)
            << bytes << ": " << memory.Problem();
        EXPECT_EQ(memory.Find("a"), nullptr) << bytes;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << head + good;
    EXPECT_TRUE(TScoreMemory::Load(path, Key()).Problem().empty());
    EXPECT_NE(TScoreMemory::Load(path, Key()).Find("a"), nullptr);
}

TEST(ScoreMemory, UnreadableFileThrows) {
    const Folder folder;
    fs::create_directory(folder.path + "/acct");
    EXPECT_THROW(TScoreMemory::Load(folder.path + "/acct", Key()), std::system_error);
}

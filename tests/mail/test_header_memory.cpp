// The headers remembered by unique id from one listing to the next, and their file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <zstd.h>

#include "HeaderMemory.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "as-sent=0 lines=0";

struct Folder {
    Folder() {
        std::string pattern = fs::temp_directory_path().string() + "/headers-XXXXXX";
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every byte value, CR LF, folded lines, 8-bit: headers as servers send them.
std::string OddHeader(int i) {
    std::string header = "Received: from a\r\n\tby b; " + std::to_string(i) + "\r\n";
    header += "Subject: =?utf-8?q?Gr=C3=BC=C3=9Fe?= \xC3\xA4\xFF\x80\r\n";
    for (int c = 0; c < 256; ++c)
        header.push_back(static_cast<char>(c));
    header += "\r\nX-Bare-LF: yes\n\r\n";
    return header;
}

// A file with three mails noted in a complete listing.
std::string SavedThree(const Folder& folder) {
    const std::string path = folder.path + "/acct";
    THeaderMemory memory = THeaderMemory::Load(path, kKey);
    memory.Note(1, "id-one", OddHeader(1));
    memory.Note(2, "id-two", OddHeader(2));
    memory.Note(3, "id-three", OddHeader(3));
    memory.Save(path, true);
    return path;
}

} // namespace

TEST(HeaderMemory, NoFileIsNone) {
    const Folder folder;
    const THeaderMemory memory = THeaderMemory::Load(folder.path + "/none", kKey);
    EXPECT_EQ(memory.State(), THeaderMemory::TState::None);
    EXPECT_EQ(memory.Count(), 0u);
    EXPECT_TRUE(memory.LastListing().empty());
}

TEST(HeaderMemory, RoundTripIsByteForByte) {
    const Folder folder;
    const std::string path = SavedThree(folder);
    THeaderMemory memory = THeaderMemory::Load(path, kKey);
    ASSERT_EQ(memory.State(), THeaderMemory::TState::Loaded) << memory.Problem();
    EXPECT_EQ(memory.Count(), 3u);
    EXPECT_TRUE(memory.Knows("id-two"));
    EXPECT_FALSE(memory.Knows("id-four"));
    EXPECT_EQ(memory.Take("id-three"), OddHeader(3));
    EXPECT_EQ(memory.Take("id-one"), OddHeader(1));
    // Taken once: the row keeps it from then on.
    EXPECT_EQ(memory.Take("id-one"), std::nullopt);
    EXPECT_FALSE(memory.Knows("id-one"));
    EXPECT_EQ(memory.Count(), 1u);
    const std::vector<std::pair<TMsgNumber, std::string>> listing = {
        {1, "id-one"}, {2, "id-two"}, {3, "id-three"}};
    EXPECT_EQ(memory.LastListing(), listing);
}

// A complete listing keeps only the mails it noted; a stopped one also keeps those it did not
// reach, without calling them part of its listing.
TEST(HeaderMemory, CompleteDropsWhatIncompleteKeeps) {
    const Folder folder;
    const std::string path = SavedThree(folder);
    {
        THeaderMemory memory = THeaderMemory::Load(path, kKey);
        memory.Note(1, "id-two", *memory.Take("id-two")); // id-one was deleted: numbers shift
        memory.Save(path, false);
    }
    THeaderMemory partial = THeaderMemory::Load(path, kKey);
    ASSERT_EQ(partial.State(), THeaderMemory::TState::Loaded) << partial.Problem();
    EXPECT_EQ(partial.Count(), 3u);
    EXPECT_EQ(partial.LastListing(),
              (std::vector<std::pair<TMsgNumber, std::string>>{{1, "id-two"}}));
    EXPECT_EQ(partial.Take("id-one"), OddHeader(1));
    EXPECT_EQ(partial.Take("id-two"), OddHeader(2));

    partial.Note(1, "id-two", OddHeader(2));
    partial.Note(2, "id-new", "Subject: new\r\n\r\n");
    partial.Save(path, true);
    THeaderMemory complete = THeaderMemory::Load(path, kKey);
    EXPECT_EQ(complete.Count(), 2u);
    EXPECT_FALSE(complete.Knows("id-one"));
    EXPECT_FALSE(complete.Knows("id-three"));
    EXPECT_EQ(complete.Take("id-new"), "Subject: new\r\n\r\n");
}

// Once every remembered header is out, the memory still answers and saves what was noted.
TEST(HeaderMemory, EverythingTakenStillSaves) {
    const Folder folder;
    const std::string path = SavedThree(folder);
    {
        THeaderMemory memory = THeaderMemory::Load(path, kKey);
        for (const auto& [n, id] : {std::pair{1u, "id-one"}, {2u, "id-two"}, {3u, "id-three"}})
            memory.Note(n, id, *memory.Take(id));
        EXPECT_EQ(memory.Count(), 0u);
        EXPECT_FALSE(memory.Knows("id-two"));
        EXPECT_EQ(memory.Take("id-two"), std::nullopt);
        memory.Save(path, false);
    }
    THeaderMemory again = THeaderMemory::Load(path, kKey);
    ASSERT_EQ(again.State(), THeaderMemory::TState::Loaded) << again.Problem();
    EXPECT_EQ(again.Count(), 3u);
    EXPECT_EQ(again.Take("id-three"), OddHeader(3));
}

// Work done ahead on each remembered header finds its mail again: Take tells the place the
// header had when it was visited, whatever order the listing takes them in.
TEST(HeaderMemory, TakeTellsThePlaceEachHeaderWasVisitedAt) {
    const Folder folder;
    THeaderMemory memory = THeaderMemory::Load(SavedThree(folder), kKey);
    ASSERT_EQ(memory.RememberedCount(), 3u);
    std::vector<std::string> visited(3);
    memory.ForEachRemembered([&](std::size_t place, std::string_view header) {
        ASSERT_LT(place, visited.size());
        EXPECT_TRUE(visited[place].empty()) << "place " << place << " visited twice";
        visited[place] = std::string(header);
    });
    for (const char* id : {"id-two", "id-three", "id-one"}) {
        std::size_t place = 99;
        const std::optional<std::string> header = memory.Take(id, &place);
        ASSERT_TRUE(header) << id;
        ASSERT_LT(place, visited.size()) << id;
        EXPECT_EQ(visited[place], *header) << id;
    }
}

// Ids no file can hold, or given twice by a hostile server, are simply not remembered.
TEST(HeaderMemory, UnusableIdsAreNotRemembered) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    THeaderMemory memory = THeaderMemory::Load(path, kKey);
    memory.Note(1, "", "Subject: a\r\n\r\n");
    memory.Note(2, "has space", "Subject: b\r\n\r\n");
    memory.Note(3, std::string(71, 'x'), "Subject: c\r\n\r\n");
    memory.Note(4, std::string(70, 'y'), "Subject: d\r\n\r\n");
    memory.Note(5, "twice", "Subject: e\r\n\r\n");
    // More than one compressed piece between the two, and mails after them.
    const std::string big = "Subject: " + std::string(5000, 'g') + "\r\n\r\n";
    for (TMsgNumber n = 6; n < 406; ++n)
        memory.Note(n, "g" + std::to_string(n), big);
    memory.Note(406, "twice", "Subject: f\r\n\r\n");
    memory.Note(407, "last", "Subject: h\r\n\r\n");
    memory.Save(path, true);
    THeaderMemory loaded = THeaderMemory::Load(path, kKey);
    ASSERT_EQ(loaded.State(), THeaderMemory::TState::Loaded) << loaded.Problem();
    EXPECT_EQ(loaded.Count(), 403u);
    const auto& listed = loaded.LastListing();
    ASSERT_EQ(listed.size(), 403u);
    EXPECT_EQ(listed[1], (std::pair<TMsgNumber, std::string>{5, "twice"}));
    EXPECT_EQ(listed.back(), (std::pair<TMsgNumber, std::string>{407, "last"}));
    EXPECT_EQ(loaded.Take(std::string(70, 'y')), "Subject: d\r\n\r\n");
    EXPECT_EQ(loaded.Take("twice"), "Subject: e\r\n\r\n");
    EXPECT_EQ(loaded.Take("g405"), big);
    EXPECT_EQ(loaded.Take("last"), "Subject: h\r\n\r\n");
}

TEST(HeaderMemory, AnotherKeyIsForeign) {
    const Folder folder;
    const std::string path = SavedThree(folder);
    const THeaderMemory memory = THeaderMemory::Load(path, "as-sent=1 lines=0");
    EXPECT_EQ(memory.State(), THeaderMemory::TState::Foreign);
    EXPECT_EQ(memory.Count(), 0u);
    EXPECT_TRUE(memory.Problem().empty());
    Write(path, "inboxpruner headers 2\nkey " + std::string(kKey) + "\nraw 0\n");
    EXPECT_EQ(THeaderMemory::Load(path, kKey).State(), THeaderMemory::TState::Foreign);
}

TEST(HeaderMemory, EmptyListingRoundTrips) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    THeaderMemory memory = THeaderMemory::Load(path, kKey);
    memory.Save(path, true);
    const THeaderMemory loaded = THeaderMemory::Load(path, kKey);
    EXPECT_EQ(loaded.State(), THeaderMemory::TState::Loaded) << loaded.Problem();
    EXPECT_EQ(loaded.Count(), 0u);
}

TEST(HeaderMemory, DamagedFilesSayWhy) {
    const Folder folder;
    const std::string path = SavedThree(folder);
    const std::string good = Bytes(path);
    const size_t frame = good.find("\nraw ");
    ASSERT_NE(frame, std::string::npos);
    const size_t body = good.find('\n', frame + 1) + 1;

    struct TCase {
        const char* Name;
        std::string Bytes;
        const char* Says;
    };
    std::string flipped = good;
    flipped[body + (good.size() - body) / 2] ^= 0x10;
    std::string lastFlipped = good;
    lastFlipped.back() ^= 0x01; // the checksum itself
    std::string claimsMore = good;
    claimsMore.replace(frame, body - frame, "\nraw 999999\n");
    const std::vector<TCase> cases = {
        {"truncated", good.substr(0, good.size() - 7), "damaged"},
        {"frame cut off", good.substr(0, body), "less than it claims"},
        {"bit flipped", flipped, "damaged"},
        {"checksum flipped", lastFlipped, "damaged"},
        {"claims more", claimsMore, "less than it claims"},
        {"garbage", std::string("\x28\xB5\x2F\xFD garbage\0\xff", 14), "not a memory of headers"},
        {"other magic", "GIF89a\nkey x\n", "not a memory of headers"},
        {"no raw line", "inboxpruner headers 1\nkey " + std::string(kKey) + "\n", "beginning"},
        {"trailing bytes", good + "x", "damaged"},
    };
    for (const TCase& c : cases) {
        Write(path, c.Bytes);
        const THeaderMemory memory = THeaderMemory::Load(path, kKey);
        EXPECT_EQ(memory.State(), THeaderMemory::TState::Damaged) << c.Name;
        EXPECT_NE(memory.Problem().find(c.Says), std::string::npos)
            << c.Name << ": " << memory.Problem();
        EXPECT_NE(memory.Problem().find(path), std::string::npos) << c.Name;
        EXPECT_EQ(memory.Count(), 0u) << c.Name;
        EXPECT_FALSE(memory.Knows("id-one")) << c.Name;
    }
}

TEST(HeaderMemory, FileAndFolderAreOwnerOnly) {
    const Folder folder;
    const std::string path = folder.path + "/Headers/acct";
    THeaderMemory memory = THeaderMemory::Load(path, kKey);
    memory.Note(1, "a", "Subject: a\r\n\r\n");
    memory.Save(path, true);
    struct stat file {};
    struct stat dir {};
    ASSERT_EQ(::stat(path.c_str(), &file), 0);
    ASSERT_EQ(::stat((folder.path + "/Headers").c_str(), &dir), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);
}

TEST(HeaderMemory, UnreadableFileThrows) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    fs::create_directory(path); // exists, and no file to read
    EXPECT_THROW(THeaderMemory::Load(path, kKey), std::system_error);
}

namespace {

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

std::string Record(uint32_t number, const std::string& id, const std::string& header) {
    std::string r;
    PutU32(r, number);
    r.push_back(static_cast<char>(id.size()));
    PutU32(r, static_cast<uint32_t>(header.size()));
    return r + id + header;
}

// A well-made file around records that are not: its checksum is right.
std::string FileOf(const std::string& records) {
    ZSTD_CCtx* c = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1);
    std::string frame(ZSTD_compressBound(records.size()), '\0');
    const size_t n = ZSTD_compress2(c, frame.data(), frame.size(), records.data(), records.size());
    ZSTD_freeCCtx(c);
    frame.resize(n);
    return "inboxpruner headers 1\nkey " + std::string(kKey) + "\nraw " +
           std::to_string(records.size()) + "\n" + frame;
}

} // namespace

TEST(HeaderMemory, DamagedRecordsSayWhy) {
    const Folder folder;
    const std::string path = folder.path + "/acct";
    const std::string good = Record(1, "a", "Subject: a\r\n\r\n");
    Write(path, FileOf(good + Record(2, "b", "Subject: b\r\n\r\n")));
    ASSERT_EQ(THeaderMemory::Load(path, kKey).State(), THeaderMemory::TState::Loaded);

    std::string pastEnd = Record(2, "b", "Subject: b\r\n\r\n");
    pastEnd[5] = 100; // its header claims more bytes than follow
    const std::vector<std::pair<std::string, const char*>> cases = {
        {good + pastEnd, "runs past the end"},
        {good + good.substr(0, 5), "runs past the end"},
        {good + Record(2, "", "x"), "unique id"},
        {good + Record(2, std::string(71, 'i'), "x"), "unique id"},
        {good + Record(2, "b\x01", "x"), "unique id"},
        {good + Record(2, "b c", "x"), "unique id"},
        {good + Record(2, "a", "x"), "twice"},
        {good + Record(2, "b", std::string(THeaderMemory::MaxHeaderBytes + 1, 'h')), "longer"},
    };
    for (const auto& [records, says] : cases) {
        Write(path, FileOf(records));
        const THeaderMemory memory = THeaderMemory::Load(path, kKey);
        EXPECT_EQ(memory.State(), THeaderMemory::TState::Damaged) << says;
        EXPECT_NE(memory.Problem().find(says), std::string::npos) << memory.Problem();
        EXPECT_FALSE(memory.Knows("a")) << says;
    }
}

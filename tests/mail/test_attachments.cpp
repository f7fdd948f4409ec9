#include "MbxMsg.h"
#include "UUDecode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SaveToFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("inbox-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

} // namespace

TEST(AttachedFiles, AddNamesItemsAndKeepsOrder) {
    TAttachedFiles files;
    EXPECT_EQ(files.Count(), 0);
    const struct {
        const char* name;
        const char* fileName;
        const char* contentType;
    } rows[] = {
        {"C:\\mail\\report.PDF", "report.PDF", "application/pdf"},
        {"D:pic.png", "pic.png", "image/png"},
        {"dir/sub/notes.txt", "notes.txt", "text/plain"},
        {"", "", "application/octet-stream"},
        {"archive", "archive", "application/octet-stream"},
    };
    for (const auto& r : rows) {
        TAttachedFile& item = files.Add(r.name);
        EXPECT_EQ(item.FileName, r.fileName);
        EXPECT_EQ(item.PathName, r.name);
        EXPECT_EQ(item.ContentType, r.contentType);
        EXPECT_TRUE(item.Data.empty());
        EXPECT_TRUE(item.EncodedLines.empty());
    }
    ASSERT_EQ(files.Count(), 5);
    // References handed out by Add stay valid while more items are added.
    TAttachedFile& first = files.Items(0);
    for (int i = 0; i < 100; ++i)
        files.Add("more.bin");
    EXPECT_EQ(&first, &files.Items(0));
    EXPECT_EQ(files.Items(2).FileName, "notes.txt");
    EXPECT_THROW(files.Items(105), std::out_of_range);
}

TEST_F(SaveToFileTest, WritesExactlyTheBytesAndOverwrites) {
    TAttachedFile file;
    file.Data = std::string("a\0b\r\n\xFF", 6);
    const fs::path target = dir_ / "out.bin";
    {
        std::ofstream old(target, std::ios::binary);
        old << "older and longer content";
    }
    file.SaveToFile(target.string());
    EXPECT_EQ(readFile(target), file.Data);

    TAttachedFile empty;
    empty.SaveToFile(target.string());
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(SaveToFileTest, FileThatCannotBeCreated) {
    TAttachedFile file;
    file.Data = "data";
    const std::string target = (dir_ / "missing-dir" / "x.bin").string();
    try {
        file.SaveToFile(target);
        FAIL() << "SaveToFile must throw";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Datei " + target + " kann nicht erstellt werden");
    }
    EXPECT_FALSE(fs::exists(target));
}

TEST(FindUUBegin, Table) {
    const std::string name70(70, 'n');
    const struct {
        std::string line;
        bool found;
        std::string name;
    } rows[] = {
        {"begin 644 a.zip", true, "a.zip"},
        {"BeGiN 600 x y ", true, "x y "},
        {"begin 776 x", true, "x"},
        {"begin 777 x", false, ""},
        {"begin 000 x", false, ""},
        {"begin 644 ", false, ""},  // not longer than 10 characters
        {"begin 644 x", true, "x"}, // eleven characters
        {"begin-644-x", true, "x"}, // characters 6 and 10 are not checked
        {"begin abc x", false, ""},
        {"begin 644 " + name70, true, name70.substr(0, 64)},
        {"begins 644 x", false, ""},
        {"  begin 644 x", false, ""},
    };
    for (const auto& r : rows) {
        const std::vector<std::string> lines{"text", r.line, "begin 644 later.bin"};
        size_t index = 99;
        std::string name;
        ASSERT_TRUE(FindUUBegin(MailLines(lines), 0, index, name)) << r.line;
        EXPECT_EQ(index, r.found ? 1u : 2u) << r.line;
        EXPECT_EQ(name, r.found ? r.name : "later.bin") << r.line;
    }
    size_t index = 0;
    std::string name;
    EXPECT_FALSE(FindUUBegin(MailLines(std::vector<std::string>{"a", "b"}), 0, index, name));
    EXPECT_FALSE(
        FindUUBegin(MailLines(std::vector<std::string>{"begin 644 x", "b"}), 1, index, name));
}

TEST(UUDecodeLines, LinesAndStops) {
    const struct {
        const char* what;
        std::vector<std::string> lines;
        std::string data;
    } rows[] = {
        {"ordinary", {"begin 644 x", "#86)C", "`", "#86)C"}, "abc"},
        {"end stops", {"begin 644 x", "#86)C", "end", "#86)C"}, "abc"},
        {"empty lines give nothing", {"begin 644 x", "", "#86)C", ""}, "abc"},
        {"blank counts as zero", {"begin 644 x", "#86) "}, "ab@"},
        {"count beyond the characters pads with zero bits",
         {"begin", "%86)C"},
         std::string("abc\0\0", 5)},
        {"characters beyond the count are ignored", {"begin", "!86)C"}, "a"},
        {"zero count", {"begin", "`86)C"}, ""},
        {"short line with 45 counts reads zeros",
         {"begin", "M86)C"},
         std::string("abc") + std::string(42, '\0')},
    };
    for (const auto& r : rows) {
        std::string data = "";
        UUDecodeLines(MailLines(r.lines), data);
        EXPECT_EQ(data, r.data) << r.what;
    }
}

TEST(UUDecodeLines, ForeignCharacterRaisesOopsKeepingEarlierBytes) {
    for (const char* bad : {"#86)c", "#~~~~", "x86)C", "\x7F"}) {
        std::string data;
        try {
            UUDecodeLines(MailLines(std::vector<std::string>{"begin", "#86)C", bad, "#86)C"}),
                          data);
            FAIL() << bad;
        } catch (const EUUDecodeError& e) {
            EXPECT_STREQ(e.what(), "Oops...");
        }
        EXPECT_EQ(data, "abc") << bad;
    }
}

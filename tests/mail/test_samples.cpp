#include "Charset.h"
#include "MailText.h"
#include "MbxMIME.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::unique_ptr<TMbxMsg> parseSample(const std::string& name) {
    std::ifstream in(fs::path(MAIL_DATA_DIR) / name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto msg = std::make_unique<TMbxMsg>();
    msg->RawMail = MailLines(content);
    msg->Parse();
    return msg;
}

} // namespace

// Every sample mail, fuzzer finds and damaged ones included, parses without an error.
TEST(Samples, EveryFileParses) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(MAIL_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".eml")
            continue;
        ++files;
        std::unique_ptr<TMbxMsg> msg;
        ASSERT_NO_THROW(msg = parseSample(name)) << name;
        // Every text handed out is UTF-8, names from uuencode begin lines included.
        for (const std::string& line : msg->Text)
            EXPECT_TRUE(IsValidUtf8(line)) << name;
        for (int i = 0; i < msg->Attachments.Count(); ++i)
            EXPECT_TRUE(IsValidUtf8(msg->Attachments.Items(i).FileName)) << name;
    }
    EXPECT_GE(files, 3);
}

// The protocol fuzzer's kept inputs (seeds and the inputs of mended findings), played again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "SessionFixture.h"
#include "SessionPlayer.h"

TEST(SessionReplay, KeptFuzzInputsKeepEveryRule) {
    const std::filesystem::path folder = POP3_SESSIONS_DIR;
    int played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string script{std::istreambuf_iterator<char>(in), {}};
        PrivateTempDir tmp;
        EXPECT_EQ(PlayServerSession(script), "");
        ++played;
    }
    EXPECT_GT(played, 0);
}

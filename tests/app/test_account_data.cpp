// The account's file name: the window's folder names and the core's file names are one.
#include <gtest/gtest.h>

#include "AccountData.h"
#include "AccountFile.h"
#include "ByteText.h"

#include <string>
#include <vector>

namespace {

struct TAccount {
    std::string User, Host;
    int Port;
    std::string Name;
};

} // namespace

TEST(AccountFile, FolderAndFileNamesAgreeOnHostileNames) {
    const std::vector<TAccount> accounts = {
        {"anna", "mail.example.net", 110, "anna@mail.example.net:110"},
        {"../../etc", "h", 995, "_._.._etc@h:995"},
        {".", ".", 1, "_@.:1"},
        {"..", "x", 2, "_.@x:2"},
        {"a/b\\c",
         "d\x01"
         "e\x7f",
         3, "a_b_c@d_e_:3"},
        {std::string("nul\0in", 6), "tab\there", 4, "nul_in@tab_here:4"},
        {"line\r\nbreak", "h", 5, "line__break@h:5"},
        {"b\xe4r\x9b\xff", "h\xc3\xa4", 6, "b\xe4r\x9b\xff@h\xc3\xa4:6"}, // 8-bit stays
        {"", "", 0, "@:0"},
    };
    for (const TAccount& a : accounts) {
        const std::string file = AccountFileName(a.User, a.Host, a.Port);
        EXPECT_EQ(file, a.Name);
        EXPECT_EQ(ToBytes(AccountFolderName(a.User, a.Host, a.Port)), file) << a.Name;
        EXPECT_EQ(AccountFolderName(a.User, a.Host, a.Port).size(),
                  static_cast<qsizetype>(file.size()));
    }
}

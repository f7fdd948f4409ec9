#include "PasswordObfuscation.h"
#include "SettingsStore.h"

#include "FileMode.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes)
        s.push_back(static_cast<char>(c));
    return s;
}

TEST(PasswordObfuscation, OneCharacterIsItsCodePlusTheStartValue) {
    EXPECT_EQ(VerschleierPW("a", PasswordStartValue), Bytes({'a' + 59}));
    EXPECT_EQ(VerschleierPW("a", 0), "a");
    EXPECT_EQ(VerschleierPW("", PasswordStartValue), "");
    EXPECT_EQ(KlartextPW("", PasswordStartValue), "");
}

TEST(PasswordObfuscation, EachStoredCharacterDependsOnItsPredecessor) {
    const std::string stored = VerschleierPW("aab", PasswordStartValue);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored, Bytes({'a' + 59, 'a' + 'a', 'b' + 'a'}));
    EXPECT_NE(stored[0], stored[1]);
}

TEST(PasswordObfuscation, SumsAbove255WrapAroundAndRestoringUndoesIt) {
    const std::string plain = Bytes({250, 200, 0x7f});
    const std::string stored = VerschleierPW(plain, PasswordStartValue);
    EXPECT_EQ(stored, Bytes({(250 + 59) % 256, (200 + 250) % 256, (0x7f + 200) % 256}));
    EXPECT_EQ(KlartextPW(stored, PasswordStartValue), plain);
}

TEST(PasswordObfuscation, RoundTripsEveryByteValue) {
    std::string all;
    for (int c = 255; c >= 0; --c)
        all.push_back(static_cast<char>(c));
    for (const std::string& plain : {all, std::string("secret"), std::string("z"), std::string()})
        EXPECT_EQ(KlartextPW(VerschleierPW(plain, PasswordStartValue), PasswordStartValue), plain);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    QString FileText() const {
        QFile file(dir_.path() + "/Fenn-Labs/InboxPruner.conf");
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }
    QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, StoredFormWithAZeroByteComesBackWhole) {
    // 200 + 56 = 256: the second stored character is a zero.
    const std::string plain = Bytes({200, 56, 'x'});
    const std::string stored = VerschleierPW(plain, PasswordStartValue);
    ASSERT_EQ(stored[1], '\0');
    {
        TSettingsStore store;
        store.WriteBytes("PWD1", stored);
    }
    TSettingsStore store;
    EXPECT_EQ(store.ReadBytes("PWD1"), stored);
    EXPECT_EQ(KlartextPW(store.ReadBytes("PWD1"), PasswordStartValue), plain);
}

TEST_F(SettingsStoreTest, SevenBitPasswordsKeepTheirStoredFormAsText) {
    const std::string stored = VerschleierPW("abc", PasswordStartValue);
    {
        TSettingsStore store;
        store.WriteBytes("PWD1", stored);
        store.WriteBytes("PWD2", VerschleierPW("zz", PasswordStartValue));
    }
    // 'a' + 59 = 0x9c, 'b' + 'a' = 0xc3, 'c' + 'b' = 0xc5: written as text, not as bytes.
    EXPECT_TRUE(FileText().contains(QStringLiteral("PWD1=\u009c\u00c3\u00c5")));
    EXPECT_FALSE(FileText().contains(QStringLiteral("ByteArray")));
    TSettingsStore store;
    EXPECT_EQ(KlartextPW(store.ReadBytes("PWD1"), PasswordStartValue), "abc");
    EXPECT_EQ(KlartextPW(store.ReadBytes("PWD2"), PasswordStartValue), "zz");
}

TEST_F(SettingsStoreTest, IntegersFallBackToTheirDefault) {
    {
        TSettingsStore store;
        store.WriteInteger("XPos", 17);
        store.WriteString("YPos", "twelve");
        store.WriteString("Width", "");
    }
    TSettingsStore store;
    EXPECT_EQ(store.ReadInteger("XPos", 283), 17);
    EXPECT_EQ(store.ReadInteger("YPos", 185), 185);
    EXPECT_EQ(store.ReadInteger("Width", 458), 458);
    EXPECT_EQ(store.ReadInteger("Height", 452), 452);
    EXPECT_EQ(store.ReadString("User1"), QString());
}

TEST_F(SettingsStoreTest, FileIsReadableByItsOwnerOnly) {
    TSettingsStore store;
    store.WriteString("User1", "bob");
    store.Flush();
    EXPECT_EQ(FileMode(store.FileName()), 0600);
    // A file left too open by something else is closed down at the next save.
    QFile::setPermissions(store.FileName(), QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadOther | QFile::ReadGroup);
    store.WriteString("User2", "eve");
    store.Flush();
    EXPECT_EQ(FileMode(store.FileName()), 0600);
}

} // namespace

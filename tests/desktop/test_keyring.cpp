// Remembered passwords with a real keyring. The "Keyring" tests run beside a private GNOME
// keyring, "LockedKeyring" beside a locked one, "NoKeyring" with no session bus at all (see
// this folder's CMakeLists.txt).
#include "AppFixture.h"
#include "KeyringEntry.h"
#include "RememberedPasswords.h"

#include "KeyringStore.h"
#include "PasswordObfuscation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <optional>

namespace {

constexpr int Patience = 30000;

QString Obfuscated(const std::string& password) {
    return QString::fromLatin1(VerschleierPW(password, PasswordStartValue));
}

class Keyring : public AppTest {};
class LockedKeyring : public AppTest {};
class NoKeyring : public AppTest {};

TEST_F(Keyring, StoreWritesReadsBackAndRemoves) {
    TKeyringStore store;
    int written = 0;
    QObject::connect(
        &store, &TKeyringStore::WriteFinished,
        [&](const QString&, const QString&, TKeyringStore::Result r, const QString& error) {
            EXPECT_EQ(r, TKeyringStore::Result::Done) << error.toStdString();
            ++written;
        });
    // A user name may itself hold "@"; the server part keeps keys apart.
    store.Write("pop.example", "anna@example.org", QString::fromUtf8("pässwort"));
    store.Write("example.org", "anna", "other");
    ASSERT_TRUE(QTest::qWaitFor([&] { return written == 2; }, Patience));
    EXPECT_EQ(KeyringEntry("pop.example", "anna@example.org"), QString::fromUtf8("pässwort"));
    EXPECT_EQ(KeyringEntry("example.org", "anna"), "other");

    store.Remove("pop.example", "anna@example.org");
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.Pending() == 0; }, Patience));
    EXPECT_EQ(KeyringEntry("pop.example", "anna@example.org"), std::nullopt);
    EXPECT_EQ(KeyringEntry("example.org", "anna"), "other");
}

// The file's passwords move into the keyring one by one, at each account's next login.
TEST_F(Keyring, FilePasswordMovesAtLoginAndComesBackFromTheKeyring) {
    ScriptedServer server;
    ScriptEmptySessions(server, 1);
    server.Start();
    const QString local = ServerText(server.port());
    SaveAccounts({{local.toStdString(), "anna", "a1"}, {local.toStdString(), "bert", "b1"}});
    TForm1& f = Open();
    ASSERT_NE(f.Part<TRememberedPasswords>().Keyring, nullptr);
    EXPECT_TRUE(f.Part<TRememberedPasswords>().Remember->isChecked());

    FillLogin(server.port(), "bert", "b1");
    f.BtnConnectClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Store()->contains("PWD2"); }, Patience));
    EXPECT_EQ(Store()->value("PWD1").toString(), Obfuscated("a1")) << "not logged in yet";
    EXPECT_EQ(KeyringEntry(local, "bert"), "b1");
    EXPECT_EQ(KeyringEntry(local, "anna"), std::nullopt);
    f.close();
    EXPECT_FALSE(Store()->contains("PWD2"));
    EXPECT_EQ(Store()->value("PWD1").toString(), Obfuscated("a1"));

    // At the next start the newest account's password arrives from the keyring.
    TForm1& again = Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return again.Login.Password->text() == "b1"; }, Patience));
    EXPECT_EQ(again.Accounts.PasswordHistory(), (std::vector<std::string>{"a1", "b1"}));
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}

// Unchecked: the login's password is kept nowhere, and the earlier copies go.
TEST_F(Keyring, RememberUncheckedRemovesEveryCopy) {
    ScriptedServer server;
    ScriptEmptySessions(server, 2);
    server.Start();
    const QString local = ServerText(server.port());
    SaveAccounts({{local.toStdString(), "carl", "c1"}});
    TForm1& f = Open();
    FillLogin(server.port(), "carl", "c1");
    f.BtnConnectClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Store()->contains("PWD1"); }, Patience));
    ASSERT_EQ(KeyringEntry(local, "carl"), "c1");

    f.Part<TRememberedPasswords>().Remember->setChecked(false);
    FillLogin(server.port(), "carl", "c2");
    f.BtnConnectClick();
    EXPECT_EQ(f.Accounts.PasswordHistory(), (std::vector<std::string>{""}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return f.Part<TRememberedPasswords>().Keyring->Pending() == 0; }, Patience));
    EXPECT_EQ(KeyringEntry(local, "carl"), std::nullopt);
    f.close();
    EXPECT_FALSE(Store()->contains("PWD1"));
    EXPECT_EQ(Store()->value("RememberPWD").toString(), "0");

    TForm1& again = Open();
    EXPECT_FALSE(again.Part<TRememberedPasswords>().Remember->isChecked());
    EXPECT_EQ(again.Login.Username->currentText(), "carl");
    EXPECT_EQ(again.Login.Password->text(), "");
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}

// A keyring that refuses the write: the password stays in the file, said once.
TEST_F(LockedKeyring, FailedWriteKeepsTheFilePasswordAndSaysSoOnce) {
    ScriptedServer server;
    ScriptEmptySessions(server, 2);
    server.Start();
    SaveAccounts({{ServerText(server.port()).toStdString(), "dora", "d1"}});
    TForm1& f = Open();
    ASSERT_NE(f.Part<TRememberedPasswords>().Keyring, nullptr)
        << "the locked keyring's service runs";
    const QString notice = Tr(Texts::KeyringWriteFailed, false).section(" (", 0, 0);
    for (const char* password : {"d1", "d2"}) {
        FillLogin(server.port(), "dora", password);
        f.BtnConnectClick();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return f.Part<TRememberedPasswords>().Keyring->Pending() == 0; }, Patience));
        EXPECT_EQ(StatusLines().count(notice), password == std::string("d1") ? 1 : 0)
            << StatusLines().toStdString();
        EXPECT_EQ(Store()->value("PWD1").toString(), Obfuscated("d1"));
    }
    f.close();
    EXPECT_EQ(Store()->value("PWD1").toString(), Obfuscated("d2"));
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}

// Without a keyring service the settings file keeps the passwords, as it always did.
TEST_F(NoKeyring, TheSettingsFileKeepsRememberedPasswords) {
    ScriptedServer server;
    ScriptEmptySessions(server, 2);
    server.Start();
    TForm1& f = Open();
    EXPECT_EQ(f.Part<TRememberedPasswords>().Keyring, nullptr);
    for (const bool remember : {true, false}) {
        f.Part<TRememberedPasswords>().Remember->setChecked(remember);
        FillLogin(server.port(), remember ? "eva" : "fritz", "e1");
        f.BtnConnectClick();
    }
    f.close();
    EXPECT_EQ(Store()->value("PWD1").toString(), Obfuscated("e1"));
    EXPECT_EQ(Store()->value("User2").toString(), "fritz");
    EXPECT_FALSE(Store()->contains("PWD2"));
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}

} // namespace

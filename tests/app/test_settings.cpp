// The account history and the settings store as the window uses them.
#include "AppFixture.h"

#include "FileMode.h"

#include "MultiLst.h"
#include "PasswordObfuscation.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

namespace {

TEST_F(AppTest, HistoryMovesAnAccountUsedAgainAndDropsTheOldest) {
    ScriptedServer server;
    const std::string local = ServerText(server.port()).toStdString();
    SaveAccounts({{local, "anna", "a1"}, {"localhost", "anna", "a2"}, {local, "bert", "b1"}});
    ScriptEmptySessions(server, 10);
    server.Start();
    TForm1& f = Open();

    // The same server and user again: moved to the end with the new password, not doubled.
    FillLogin(server.port(), "anna", "new-a1");
    f.BtnConnectClick();
    EXPECT_EQ(Items(f.Login.servername),
              (QStringList{"localhost", ServerText(server.port()), ServerText(server.port())}));
    EXPECT_EQ(Items(f.Login.Username), (QStringList{"anna", "bert", "anna"}));
    EXPECT_EQ(f.Accounts.PasswordHistory(), (std::vector<std::string>{"a2", "b1", "new-a1"}));

    // Eight more accounts make eleven: the oldest one goes.
    for (int k = 1; k <= 8; ++k) {
        FillLogin(server.port(), QStringLiteral("user%1").arg(k), QStringLiteral("pw%1").arg(k));
        f.BtnConnectClick();
    }
    ASSERT_EQ(f.Login.servername->count(), 10);
    EXPECT_EQ(f.Login.Username->count(), 10);
    EXPECT_EQ(f.Accounts.PasswordHistory().size(), 10u);
    EXPECT_EQ(f.Login.Username->itemText(0), "bert") << "the localhost entry was the oldest";
    EXPECT_EQ(f.Login.Username->itemText(9), "user8");
    EXPECT_EQ(f.Accounts.PasswordHistory().back(), "pw8");

    // Choosing an account fills the fields from the same entry.
    f.servernameClick(1);
    EXPECT_EQ(f.Login.Username->currentText(), "anna");
    EXPECT_EQ(f.Login.Password->text(), "new-a1");

    // A tenth login as the newest account again changes nothing but the order.
    FillLogin(server.port(), "user8", "pw8");
    f.BtnConnectClick();
    EXPECT_EQ(f.Login.servername->count(), 10);
    EXPECT_EQ(f.Login.Username->itemText(9), "user8");
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}

TEST_F(AppTest, ClosingWritesTheHistoryAndRemovesSurplusNumbers) {
    SaveAccounts({{"s1", "u1", "p1"},
                  {"s2", "u2", "p2"},
                  {"s3", "u3", "p3"},
                  {"s4", "u4", "p4"},
                  {"s5", "u5", "p5"}});
    TForm1& f = Open();
    ASSERT_EQ(f.Login.servername->count(), 5);
    // The history now holds three accounts, newest last.
    for (int i = 4; i >= 3; --i)
        f.Accounts.Remove(i);
    f.Accounts.SetPassword(2, std::string("\xC8\x38z", 3)); // stored form holds a zero byte
    f.close();

    auto store = Store();
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(store->value(QStringLiteral("User%1").arg(k)).toString(),
                  QStringLiteral("u%1").arg(k));
        EXPECT_EQ(store->value(QStringLiteral("Server%1").arg(k)).toString(),
                  QStringLiteral("s%1").arg(k));
    }
    for (const char* name : {"User4", "Server4", "PWD4", "User5", "Server5", "PWD5", "User11"})
        EXPECT_FALSE(store->contains(name)) << name;
    EXPECT_EQ(store->value("PWD1").toString(),
              QString::fromLatin1(VerschleierPW("p1", PasswordStartValue)));
    EXPECT_EQ(FileMode(StoreFile()), 0600);

    TForm1& again = Open();
    EXPECT_EQ(Items(again.Login.servername), (QStringList{"s1", "s2", "s3"}));
    EXPECT_EQ(Items(again.Login.Username), (QStringList{"u1", "u2", "u3"}));
    EXPECT_EQ(again.Accounts.PasswordHistory(),
              (std::vector<std::string>{"p1", "p2", std::string("\xC8\x38z", 3)}));
    EXPECT_EQ(again.Login.Password->text(), QString::fromLatin1("\xC8\x38z"));
}

TEST_F(AppTest, TenAccountsDeleteNothing) {
    std::vector<std::array<std::string, 3>> ten;
    for (int k = 1; k <= 10; ++k)
        ten.push_back({"s" + std::to_string(k), "u" + std::to_string(k), "p"});
    SaveAccounts(ten);
    Store()->setValue("User11", "left by hand");
    TForm1& f = Open();
    EXPECT_EQ(f.Login.servername->count(), 10);
    f.close();
    EXPECT_EQ(Store()->value("User11").toString(), "left by hand");
    EXPECT_EQ(Store()->value("User10").toString(), "u10");
}

TEST_F(AppTest, GeometryAndColumnWidthsAreReadAndWrittenOnResize) {
    {
        auto store = Store();
        store->setValue("XPos", "40");
        store->setValue("YPos", "50");
        store->setValue("Width", "700");
        store->setValue("Height", "not a number");
        store->setValue("Sec1", "30");
        store->setValue("Sec4", "140");
    }
    TForm1& f = Open();
    EXPECT_EQ(f.pos(), QPoint(40, 50));
    EXPECT_EQ(f.width(), 700);
    EXPECT_EQ(f.height(), 452);
    EXPECT_EQ(f.mail_list->ListWidth(), 691);
    EXPECT_EQ(f.mail_list->SectionWidth(0), 30);
    EXPECT_EQ(f.mail_list->SectionWidth(3), 140);
    EXPECT_EQ(f.mail_list->SectionWidth(1), 75);

    f.mail_list->SetSectionWidth(2, 99);
    f.resize(640, 500);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Store()->value("Width").toString() == QString("640"); }, 5000));
    auto store = Store();
    EXPECT_EQ(store->value("Height").toString(), "500");
    EXPECT_EQ(store->value("XPos").toString(), "40");
    EXPECT_EQ(store->value("Sec3").toString(), "99");
    EXPECT_EQ(store->value("Sec1").toString(), "30");
    EXPECT_EQ(FileMode(StoreFile()), 0600);
}

TEST_F(AppTest, DamagedSettingsFileIsReportedOnceAndDefaultsApply) {
    QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
    QFile file(StoreFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General\nXPos=40\n");
    file.close();
    TForm1& f = Open({"de-DE"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return errorsShown.size() == std::size_t{1}; }, 5000));
    EXPECT_TRUE(errorsShown[0].startsWith(QString::fromUtf8("Die Einstellungen in ") + StoreFile()))
        << errorsShown[0].toStdString();
    EXPECT_EQ(f.pos(), QPoint(283, 185));
    EXPECT_EQ(f.Login.servername->count(), 0);
}

TEST_F(AppTest, IntactSettingsFileIsNotReported) {
    SaveAccounts({{"s1", "u1", "p1"}});
    TForm1& f = Open();
    QCoreApplication::processEvents();
    EXPECT_TRUE(errorsShown.empty());
    EXPECT_EQ(f.Login.servername->count(), 1);
}

} // namespace

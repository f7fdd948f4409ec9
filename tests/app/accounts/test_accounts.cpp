// The accounts window against two Dovecot users: one refused, one listed; Prune takes exactly
// the rules' marks in both, with copies; a timed check tells the desktop on a private session
// bus (the test serves org.freedesktop.Notifications itself) the mails new to the main
// window's listings, in both languages; a spam column where a scorer is set.
#include "../spam/SpamWindowTests.h"
#include "AppFixture.h"

#include "AccountChecks.h"
#include "AccountData.h"
#include "AccountHistory.h"
#include "Accounts.h"
#include "AccountsWindow.h"
#include "QuotaMeter.h"
#include "SettingsStore.h"
#include "SpamSetting.h"
#include "SpamdServer.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

constexpr int Patience = 30000;
enum { ColState = 2, ColMails = 3, ColQuota = 5, ColNew = 6, ColMarked = 7, ColSpam = 8 };

class TNoticeCatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList Bodies;
public slots:
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        Bodies << body;
        return static_cast<uint>(Bodies.size());
    }
};

std::string Cell(const TAccounts& accounts, int row, int column) {
    const QTableWidgetItem* item = accounts.Window->Table->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

// The window's rules, in its data folder as mbxpop finds it: offers are marked.
bool WriteRules() {
    const QString data =
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Fenn-Labs/InboxPruner");
    QFile rules(data + QStringLiteral("/rules.sieve"));
    return QDir().mkpath(data) && rules.open(QIODevice::WriteOnly) &&
           rules.write("# rule: offers\nif header :contains \"subject\" \"offer\" { discard; "
                       "}\n") > 0;
}

int RowOf(const TAccounts& accounts, const char* user) {
    const auto& rows = accounts.Checks->Rows();
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row].User == QLatin1String(user))
            return static_cast<int>(row);
    return -1;
}

int FilesIn(const QString& folder) {
    return static_cast<int>(QDir(folder).entryList(QDir::Files).size());
}

} // namespace

TEST_F(AppTest, AccountsWindowChecksPrunesAndNotifies) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "needs a session bus: ctest runs it as accounts_window";
    TNoticeCatcher catcher;
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &catcher,
                                   QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    const std::vector<std::string> mails{
        Mail("shop@sale.example", "offer", "Mon, 7 Dec 2026 10:00:00 +0000"),
        Mail("anna@pals.example", "hi", "Mon, 7 Dec 2026 11:00:00 +0000"),
        Mail("news@sale.example", "big offer", "Mon, 7 Dec 2026 12:00:00 +0000")};
    DovecotServer anna("anna", "pw-a", mails), bert("bert", "pw-b", mails);
    SaveAccounts({{ServerText(anna.port()).toStdString(), "anna", "pw-a"},
                  {ServerText(bert.port()).toStdString(), "bert", "wrong"}});
    TForm1& f = Open();
    ASSERT_TRUE(WriteRules());

    // Anna's quota as the space view keeps it: 1,000 bytes.
    f.Settings().WriteString(QuotaSettingName(AccountFolderName("anna", "127.0.0.1", anna.port())),
                             QStringLiteral("0.000001"));

    auto& accounts = f.Part<TAccounts>();
    accounts.Checks->Tool = QStringLiteral(MBXPOP_PATH);
    accounts.Show();
    ASSERT_EQ(accounts.Window->Table->rowCount(), 2);
    EXPECT_FALSE(accounts.Window->CheckEvery->isChecked());
    EXPECT_FALSE(accounts.Window->PruneAfterCheck->isChecked());
    EXPECT_EQ(accounts.Window->Minutes->minimum(), 10);
    QTest::mouseClick(accounts.Window->CheckButton, Qt::LeftButton);
    // In the background: the main window takes input meanwhile.
    EXPECT_TRUE(accounts.Checks->Busy());
    EXPECT_EQ(f.ControlState(), TFrame::StateIdle);
    EXPECT_TRUE(f.Login.servername->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !accounts.Checks->Busy(); }, Patience));
    EXPECT_EQ(Cell(accounts, 0, ColState), "done");
    EXPECT_EQ(Cell(accounts, 0, ColMails), "3");
    EXPECT_TRUE(Cell(accounts, 0, ColMarked).starts_with("2 (")) << Cell(accounts, 0, ColMarked);
    // The share of the quota: three small mails of a little over 100 bytes each.
    const std::string share = Cell(accounts, 0, ColQuota);
    ASSERT_TRUE(share.ends_with(" %")) << share;
    EXPECT_GT(std::stoi(share), 20) << share;
    EXPECT_LT(std::stoi(share), 100) << share;
    EXPECT_NE(Cell(accounts, 1, ColState).find("Authentication failed"), std::string::npos)
        << Cell(accounts, 1, ColState);
    EXPECT_EQ(Cell(accounts, 1, ColMails), "");
    // The main window listed neither: new is unknown. No scorer set: no spam count.
    EXPECT_EQ(Cell(accounts, 0, ColNew), "");
    EXPECT_EQ(Cell(accounts, 0, ColSpam), "");
    EXPECT_FALSE(SentAny("DELE"));

    // The right password, then both rows chosen and pruned after one confirmation.
    f.History().SetPassword(1, "pw-b");
    accounts.Show();
    QTest::mouseClick(accounts.Window->CheckButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !accounts.Checks->Busy(); }, Patience));
    EXPECT_EQ(Cell(accounts, 1, ColState), "done");
    QString asked;
    accounts.Confirm = [&](const QString& text) {
        asked = text;
        return true;
    };
    accounts.Window->Table->selectAll();
    QTest::mouseClick(accounts.Window->PruneButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !accounts.Checks->Busy(); }, Patience));
    for (const auto* server : {&anna, &bert}) {
        SCOPED_TRACE(server->user());
        const QString account =
            QString::fromStdString(server->user()) + u'@' + ServerText(server->port());
        EXPECT_TRUE(asked.contains(account + ": 2 mails (")) << asked.toStdString();
        EXPECT_EQ(server->RemainingMessages(), (std::vector<int>{2}));
        EXPECT_EQ(FilesIn(KeptCopiesFolder(
                      AccountFolderName(server->user(), "127.0.0.1", server->port()))),
                  2);
    }
    EXPECT_EQ(Cell(accounts, 0, ColMails), "1");

    // Open: the chosen account into the login row, listed there.
    accounts.Window->Table->selectRow(0);
    QTest::mouseClick(accounts.Window->OpenButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.ControlState() == TFrame::StateListed; }, Patience));
    EXPECT_EQ(f.ServerText(), ServerText(anna.port()));
    EXPECT_EQ(f.UserText(), "anna");
    EXPECT_EQ(Rows().size(), 1);

    // A timed check: one mail new to the main window's listing of anna, which the rules mark,
    // told to the desktop; the seen file is only read.
    QFile seen(SeenMailsFile(AccountFolderName("anna", "127.0.0.1", anna.port())));
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    const QByteArray seenBefore = seen.readAll();
    seen.close();
    anna.AddMails({mails[0]});
    accounts.TimedCheck();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !catcher.Bodies.isEmpty(); }, Patience));
    EXPECT_TRUE(
        catcher.Bodies.last().startsWith("1 new mail(s) in 1 account(s); the rules marked 1 ("))
        << catcher.Bodies.last().toStdString();
    // Opened last, anna is the newest account now.
    EXPECT_EQ(Cell(accounts, RowOf(accounts, "anna"), ColNew), "1");
    EXPECT_EQ(Cell(accounts, RowOf(accounts, "bert"), ColNew), "");
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    EXPECT_EQ(seen.readAll(), seenBefore);
    seen.close();

    // In German, pruning after the check.
    TForm1& g = Open({QStringLiteral("de-DE")});
    auto& konten = g.Part<TAccounts>();
    konten.Checks->Tool = QStringLiteral(MBXPOP_PATH);
    konten.Window->PruneAfterCheck->setChecked(true);
    // The main window kept no password for anna when it opened her account.
    g.History().SetPassword(static_cast<int>(g.History().UserHistory().indexOf("anna")), "pw-a");
    konten.TimedCheck();
    ASSERT_TRUE(QTest::qWaitFor([&] { return catcher.Bodies.size() == 2; }, Patience));
    EXPECT_TRUE(catcher.Bodies.last().startsWith("0 neue e-mail(s) in 0 Konto/Konten; nach den "
                                                 "Regeln gelöscht: 1 ("))
        << catcher.Bodies.last().toStdString();
    EXPECT_EQ(Cell(konten, RowOf(konten, "anna"), ColState), "fertig");
    EXPECT_EQ(anna.RemainingMessages(), (std::vector<int>{2}));
}

// With the window's scorer set, a check counts what it calls spam; a second check takes the
// scores it remembered by unique id, with the scorer gone.
TEST_F(AppTest, AccountsWindowCountsSpamWhereAScorerIsSet) {
    SKIP_WITHOUT_DOVECOT();
    if (!SpamdServer::Installed())
        GTEST_SKIP() << "spamd is not installed (Debian: spamd, spamc)";
    auto spamd = std::make_unique<SpamdServer>();
    DovecotServer carl(
        "carl", "pw-c",
        {Mail("anna@pals.example", "Lunch", "Mon, 7 Dec 2026 10:00:00 +0000",
              "Shall we meet at noon at the usual place?\r\n"),
         Mail("offers@sale.example", "Offer", "Mon, 7 Dec 2026 11:00:00 +0000", kGtube)});
    SaveAccounts({{ServerText(carl.port()).toStdString(), "carl", "pw-c"}});
    TForm1& f = Open({QStringLiteral("de-DE")});
    TSpamSetting setting;
    setting.Kind = TScorerKind::SpamAssassin;
    setting.Place = QString::fromStdString(spamd->address());
    setting.BodyLines = 5;
    setting.TimeoutSeconds = 60;
    WriteSpamSetting(f.Settings(), setting);
    ASSERT_TRUE(WriteRules());
    // mbxpop reads the scorer from the window's settings file, where the test keeps it.
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME",
            QFileInfo(QFileInfo(Store()->fileName()).path()).path().toLocal8Bit());
    auto& accounts = f.Part<TAccounts>();
    accounts.Checks->Tool = QStringLiteral(MBXPOP_PATH);
    accounts.Show();
    EXPECT_EQ(accounts.Window->Table->horizontalHeaderItem(ColSpam)->text(), "Spam");
    for (const char* check : {"scored by spamd", "from the remembered scores"}) {
        SCOPED_TRACE(check);
        QTest::mouseClick(accounts.Window->CheckButton, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !accounts.Checks->Busy(); }, 2 * Patience));
        EXPECT_EQ(Cell(accounts, 0, ColState), "fertig");
        EXPECT_EQ(Cell(accounts, 0, ColSpam), "1") << (spamd ? spamd->Log() : std::string());
        EXPECT_EQ(accounts.Window->Table->item(0, ColSpam)->toolTip(), "");
        spamd.reset();
    }
    qputenv("XDG_CONFIG_HOME", config);
}

#include "test_accounts.moc"

#include "AppFixture.h"

#include "AccountData.h"

#include <QDir>

#include "ConnectionSecurity.h"
#include "ErrorMessage.h"
#include "MultiLst.h"
#include "PasswordObfuscation.h"
#include "SecurityChoice.h"
#include "ServerAddress.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

void AppTest::SetUp() {
    ASSERT_TRUE(configDir_.isValid());
    // The window never reaches the user's own keyring from a test: only a private one that
    // tests/desktop/with-private-keyring starts (and marks) is used.
    if (!qEnvironmentVariableIsSet("INBOXPRUNER_TEST_KEYRING"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/inboxpruner-test-bus");
    // Kept copies and seen ids go to the private folder too.
    qputenv("XDG_DATA_HOME", configDir_.filePath(QStringLiteral("data")).toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configDir_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir_.path());
    SetErrorDisplay([this](QWidget*, const QString& text) { errorsShown.push_back(text); });
}

void AppTest::TearDown() {
    if (form)
        form->close();
    form.reset();
    SetErrorDisplay({});
}

TForm1& AppTest::Open(const QStringList& uiLanguages) {
    if (form)
        form->close();
    form.reset();
    sent_.clear();
    form = std::make_unique<TForm1>();
    about = new TAboutBox(form.get());
    headerWindow = new TForm2(form.get());
    messageWindow = new TForm3(form.get());
    form->SetWindows(about, headerWindow, messageWindow);
    form->UiLanguages = [uiLanguages] { return uiLanguages; };
    form->pop3.ReceiveTimeout = std::chrono::seconds(10);
    form->pop3.ConnectTimeout = std::chrono::seconds(10);
    // One send may carry several pipelined commands.
    form->pop3.OnSendTextToSocket = [this](TObject*, const std::string& text) {
        for (size_t from = 0, eol; (eol = text.find("\r\n", from)) != std::string::npos;
             from = eol + 2)
            sent_.push_back(text.substr(from, eol - from));
    };
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return *form;
}

void AppTest::FillLogin(uint16_t port, const QString& user, const QString& password,
                        const QString& host) {
    form->Login.servername->setEditText(host.isEmpty() ? QString() : ServerText(port, host));
    form->Login.Username->setEditText(user);
    form->Login.Password->setText(password);
    // The test servers speak plain text unless a test says otherwise.
    ChooseSecurity(*form->Part<TConnectionSecurity>().Choice, TSecurity::None);
}

QString ServerText(uint16_t port, const QString& host) {
    return QString::fromStdString(JoinHostPort(host.toStdString(), port));
}

QStringList AppTest::Rows() const {
    QStringList rows;
    for (int i = 1; i < form->mail_list->count(); ++i)
        rows << form->mail_list->item(i)->text();
    return rows;
}

std::vector<int> AppTest::MarkedRows() const {
    std::vector<int> marked;
    for (int i = 0; i < form->mail_list->count(); ++i) {
        if (form->mail_list->item(i)->isSelected())
            marked.push_back(i);
    }
    return marked;
}

bool AppTest::SentAny(const std::string& prefix) const {
    for (const std::string& line : sent_) {
        if (line.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

QString AppTest::StatusLines() const {
    QString text = form->StatusText();
    text.replace(u'\n', u'\r');
    return text;
}

std::unique_ptr<QSettings> AppTest::Store() const {
    return std::make_unique<QSettings>(QStringLiteral("Fenn-Labs"), QStringLiteral("InboxPruner"));
}

QString AppTest::StoreFile() const {
    return configDir_.path() + "/Fenn-Labs/InboxPruner.conf";
}

void AppTest::SaveAccounts(const std::vector<std::array<std::string, 3>>& accounts) {
    TSettingsStore store;
    int k = 0;
    for (const auto& [server, user, password] : accounts) {
        ++k;
        store.WriteString(QStringLiteral("Server%1").arg(k), QString::fromStdString(server));
        store.WriteString(QStringLiteral("User%1").arg(k), QString::fromStdString(user));
        store.WriteBytes(QStringLiteral("PWD%1").arg(k),
                         VerschleierPW(password, PasswordStartValue));
    }
}

std::string Mail(const std::string& from, const std::string& subject, const std::string& date,
                 const std::string& body) {
    return "From: " + from + "\r\nTo: demo@example.org\r\nSubject: " + subject +
           "\r\nDate: " + date + "\r\nMessage-ID: <" +
           std::to_string(std::hash<std::string>{}(subject)) + "@example.org>\r\n\r\n" + body;
}

std::vector<std::string> FiveMails() {
    std::vector<std::string> mails;
    for (int n = 1; n <= 5; ++n)
        mails.push_back(Mail("sender" + std::to_string(n) + "@example.org",
                             "Mail number " + std::to_string(n),
                             "Mon, 1 May 2000 10:11:1" + std::to_string(n) + " +0200"));
    return mails;
}

QStringList CopiesOf(uint16_t port) {
    return QDir(KeptCopiesFolder(AccountFolderName("bob", "127.0.0.1", port)))
        .entryList(QDir::Files);
}

void ScriptLogin(ScriptedServer& server, int count, int size) {
    server.Send("+OK POP3 ready\r\n");
    server.AwaitLine();
    server.Send("+OK\r\n");
    server.AwaitLine();
    server.Send("+OK logged in\r\n");
    server.AwaitLine(); // CAPA, which this server does not know
    server.Send("-ERR unknown command\r\n");
    server.AwaitLine();
    server.Send("+OK " + std::to_string(count) + " " + std::to_string(size) + "\r\n");
}

void ScriptMessage(ScriptedServer& server, int n, const std::string& header, int size) {
    server.AwaitLine();
    server.Send("+OK\r\n" + header + "\r\n.\r\n");
    server.AwaitLine();
    server.Send("+OK " + std::to_string(n) + " " + std::to_string(size) + "\r\n");
}

void ScriptEmptySessions(ScriptedServer& server, int sessions) {
    for (int i = 0; i < sessions; ++i) {
        if (i > 0)
            server.AcceptNext();
        ScriptLogin(server, 0, 0);
        server.AwaitLine(); // QUIT
        server.Send("+OK bye\r\n");
    }
}

void ScriptQuit(ScriptedServer& server) {
    server.AwaitLine();
    server.Send("+OK bye\r\n");
    server.Close();
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QWidget* FocusOf(TForm1& f) {
    QWidget* focus = f.focusWidget();
    if (focus && qobject_cast<QComboBox*>(focus->parentWidget()))
        return focus->parentWidget();
    return focus;
}

// OAuth2 sign-in from the window against Dovecot's oauth2 passdb and the loopback provider,
// the refresh tokens in a private keyring (see this folder's CMakeLists.txt).
#include "AppFixture.h"
#include "E2eSupport.h"
#include "KeyringEntry.h"

#include "ConnectionSecurity.h"
#include "KeyringStore.h"
#include "OAuth2ProviderDialog.h"
#include "OAuth2Providers.h"
#include "OAuth2Redirect.h"
#include "OAuth2SignIn.h"
#include "OAuth2Stub.h"
#include "OAuth2TokenStore.h"
#include "SecurityChoice.h"
#include "SignInChoice.h"
#include "SignInTexts.h"
#include "TestCertificates.h"
#include "TrustDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int Patience = 30000;

// Stands in for the user's browser: follows the authorization URL to the provider, which
// sends it on to the program's loopback redirect.
struct TestBrowser {
    QNetworkAccessManager network;
    int visits = 0;
    // Instead of following the URL (a user who does not sign in).
    std::function<void()> instead;
    // Before following it.
    std::function<void()> before;
    std::function<void(const QUrl&)> Opener() {
        return [this](const QUrl& url) {
            ++visits;
            if (instead) {
                instead();
                return;
            }
            if (before)
                before();
            QNetworkRequest request(url);
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                 QNetworkRequest::NoLessSafeRedirectPolicy);
            QNetworkReply* reply = network.get(request);
            QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
        };
    }
};

std::optional<QString> KeyringToken(const QString& issuer, const QString& user) {
    return KeyringEntry(TOAuth2TokenStore::KeyringServer(issuer), user);
}

void PostToProvider(const std::string& url, const QByteArray& form) {
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    QNetworkReply* reply = network.post(request, form);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, Patience));
    EXPECT_EQ(reply->error(), QNetworkReply::NoError);
    delete reply;
}

void Revoke(const std::string& providerUrl, const QString& token) {
    PostToProvider(providerUrl + "/revoke", "token=" + QUrl::toPercentEncoding(token));
}

// Connections to the listener of a running sign-in, as any local process could open them.
struct LocalClients {
    quint16 port;
    std::vector<std::unique_ptr<QTcpSocket>> sockets;

    QTcpSocket& Open() {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QHostAddress::LocalHost, port);
        return *sockets.back();
    }
    // Those the listener has not closed; -1 while some are still connecting.
    int StillOpen() const {
        int open = 0;
        for (const auto& socket : sockets) {
            if (socket->state() == QAbstractSocket::ConnectingState ||
                socket->state() == QAbstractSocket::HostLookupState)
                return -1;
            open += socket->state() == QAbstractSocket::ConnectedState;
        }
        return open;
    }
};

// The stub's record of the last /authorize query and /token form.
QJsonObject Seen(const OAuth2Stub& provider) {
    QNetworkAccessManager network;
    QNetworkReply* reply =
        network.get(QNetworkRequest(QUrl(QString::fromStdString(provider.Url() + "/seen"))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, Patience));
    const QJsonObject seen = QJsonDocument::fromJson(reply->readAll()).object();
    delete reply;
    return seen;
}

QString SeenValue(const OAuth2Stub& provider, const char* request, const char* name) {
    return Seen(provider).value(request).toObject().value(name).toString();
}

class OAuth2SignIn : public AppTest {
protected:
    // The access token of the last AUTH XOAUTH2, from its initial response.
    std::string SentToken() const {
        std::string token;
        for (const std::string& line : Sent()) {
            const std::string decoded =
                QByteArray::fromBase64(QByteArray::fromStdString(line)).toStdString();
            const auto at = decoded.find("auth=Bearer ");
            if (at != std::string::npos)
                token = decoded.substr(at + 12, decoded.find('\x01', at) - at - 12);
        }
        return token;
    }

    // The window with the login row for OAuth2 over TLS; with scopes, the stub's provider
    // entered for 127.0.0.1.
    TForm1& OpenSignedInWindow(const OAuth2Stub& provider, uint16_t port,
                               std::optional<QString> scopes = QStringLiteral("mail")) {
        TForm1& f = Open();
        f.Part<TOAuth2SignIn>().OpenBrowser = browser.Opener();
        const QString url = QString::fromStdString(provider.Url());
        if (scopes)
            SaveOAuth2Provider(f.Settings(), "127.0.0.1",
                               {url + "/authorize", url + "/token", "tests", {}, *scopes});
        FillLogin(port, "bob", {});
        ChooseSecurity(*f.Part<TConnectionSecurity>().Choice, TSecurity::Tls);
        ChooseSignIn(*f.Part<TOAuth2SignIn>().Choice, TSignIn::OAuth2);
        return f;
    }

    // A certificate for 127.0.0.1 from a test authority, the same for the whole test.
    const TestCertificate& Certificate() {
        if (!certificate) {
            EXPECT_TRUE(folder.isValid());
            ca.emplace(folder.path().toStdString(), "Test CA");
            certificate = ca->Issue("localhost", {"localhost"}, {"127.0.0.1"});
        }
        return *certificate;
    }

    // A Dovecot over TLS whose tokens the stub checks, one mail for bob.
    std::unique_ptr<DovecotServer> StartDovecot(const OAuth2Stub& provider) {
        return std::make_unique<DovecotServer>(
            "bob", "unused",
            std::vector<std::string>{Mail("a@example.org", "Token", "Mon, 1 May 2000")},
            DovecotTls{Certificate().CertFile, Certificate().KeyFile},
            DovecotOAuth2{provider.IntrospectionUrl()});
    }

    // Connects, trusting the test certificate when asked.
    void Connect(TForm1& f) {
        auto trust = WhenModalShown("TrustDialog", [](QWidget* window) {
            qobject_cast<TTrustDialog*>(window)->btn_trust->click();
        });
        f.BtnConnectClick();
    }

    QTemporaryDir folder;
    std::optional<TestAuthority> ca;
    std::optional<TestCertificate> certificate;

    TestBrowser browser;
};

TEST_F(OAuth2SignIn, SignsInRefreshesAndSignsInAgainWhenRefused) {
    SKIP_WITHOUT_DOVECOT();
    const OAuth2Stub provider;
    const auto server = StartDovecot(provider);
    TForm1* f = &OpenSignedInWindow(provider, server->tlsPort());
    EXPECT_FALSE(f->Login.Password->isEnabled()) << "no password with OAuth2";
    const QString issuer = QString::fromStdString(provider.Url());
    const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(7200);

    struct Step {
        const char* name;
        std::function<void()> before;
        int visits;    // the browser's visits so far
        bool newToken; // another access token than the step before
        bool refused;  // the server refuses the login
    } steps[] = {
        {"the first sign-in opens the browser", [] {}, 1, true, false},
        {"a token still good is used again", [] {}, 1, false, false},
        {"an access token revoked before its time is refused and dropped",
         [&] { Revoke(provider.Url(), QString::fromStdString(SentToken())); }, 1, false, true},
        {"after the refusal a refresh without the browser", [] {}, 1, true, false},
        {"an expired token is refreshed without the browser",
         [&] { f->Part<TOAuth2SignIn>().Clock = [later] { return later; }; }, 1, true, false},
        {"a revoked refresh token asks for a new sign-in",
         [&] {
             Revoke(provider.Url(), KeyringToken(issuer, "bob").value_or("none"));
             f->Part<TOAuth2SignIn>().Clock = [later] { return later.addSecs(7200); };
         },
         2, true, false},
        {"a new start refreshes with the keyring's token",
         [&] {
             f->WriteToIniFile();
             f = &Open();
             f->Part<TOAuth2SignIn>().OpenBrowser = browser.Opener();
             f->Part<TOAuth2SignIn>().Clock = [later] { return later.addSecs(7200); };
         },
         2, true, false},
    };
    std::string lastToken;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.before();
        Connect(*f);
        EXPECT_EQ(browser.visits, step.visits);
        EXPECT_FALSE(SentAny("PASS"));
        EXPECT_EQ(SentToken() != lastToken, step.newToken);
        lastToken = SentToken();
        if (step.refused) {
            // The provider's reason, and what the next connect does.
            EXPECT_EQ(f->ControlState(), TForm1::StateIdle);
            for (const QString& said : {Tr(Texts::TokenLoginRefused, false),
                                        QStringLiteral("(The provider refused the access token: "),
                                        Tr(Texts::TokenDroppedRefresh, false)})
                EXPECT_TRUE(StatusLines().contains(said)) << StatusLines().toStdString();
            continue;
        }
        ASSERT_EQ(f->ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        EXPECT_EQ(Rows().size(), 1);
        EXPECT_EQ(f->Accounts.SignIn(f->Login.servername->count() - 1), TSignIn::OAuth2);
        f->BtnDisconnectClick();
    }

    // The refresh token is in the keyring, not in the settings file; the account remembers
    // its way of signing in.
    f->WriteToIniFile();
    const std::optional<QString> kept = KeyringToken(issuer, "bob");
    ASSERT_TRUE(kept.has_value());
    QFile settings(StoreFile());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray file = settings.readAll();
    EXPECT_FALSE(file.contains(kept->toUtf8()));
    EXPECT_TRUE(file.contains("SignIn1=oauth2")) << file.toStdString();
}

// While the browser is on its way, any local process can reach the loopback listener: a
// request with another state, a line without end, a crowd of idle connections. The wait goes
// on, the listener holds little, and the real redirect still signs in, with a code holding a
// "+" (sent as %2B) and a lifetime given as text.
TEST_F(OAuth2SignIn, TheListenerHoldsAgainstOtherLocalProcesses) {
    SKIP_WITHOUT_DOVECOT();
    const OAuth2Stub provider;
    PostToProvider(provider.Url() + "/quirks", "code_suffix=%2B%2F&expires_as_text=1");
    const auto server = StartDovecot(provider);
    TForm1& f = OpenSignedInWindow(provider, server->tlsPort());
    constexpr int Cap = TOAuth2Redirect::MaxConnections;
    bool attacked = false;
    browser.before = [&] {
        const TOAuth2Redirect* listener = f.Part<TOAuth2SignIn>().findChild<TOAuth2Redirect*>();
        ASSERT_NE(listener, nullptr);
        LocalClients clients{listener->Port(), {}};

        QTcpSocket& forged = clients.Open();
        forged.write("GET /?code=forged&state=guessed HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray answer;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                answer += forged.readAll();
                return forged.state() == QAbstractSocket::UnconnectedState;
            },
            Patience));
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 400 ")) << answer.toStdString();

        QTcpSocket& endless = clients.Open();
        endless.write(QByteArray(1 << 20, 'a'));
        qint64 peak = 0;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                peak = std::max(peak, listener->BufferedBytes());
                return endless.state() == QAbstractSocket::UnconnectedState;
            },
            Patience))
            << "a connection without a line end is dropped";
        EXPECT_LE(peak, TOAuth2Redirect::MaxRequestLine);

        // In batches that fit the kernel's queue of connections not yet accepted: beyond
        // it, a client may believe itself connected that the listener never sees.
        clients.sockets.clear();
        for (int batch = 0; batch < 10; ++batch) {
            for (int i = 0; i < 20; ++i)
                clients.Open();
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    const int open = clients.StillOpen();
                    return open >= 0 && open <= Cap && listener->OpenConnections() <= Cap;
                },
                Patience))
                << clients.StillOpen() << " idle connections held";
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return clients.StillOpen() == 0; }, Patience))
            << "idle connections are closed after a while";
        EXPECT_EQ(listener->OpenConnections(), 0);

        // A full house when the browser comes: it pushes out the oldest.
        clients.sockets.clear();
        for (int i = 0; i < Cap + 4; ++i)
            clients.Open();
        EXPECT_TRUE(QTest::qWaitFor([&] { return clients.StillOpen() == Cap; }, Patience));
        attacked = true;
    };
    Connect(f);
    EXPECT_TRUE(attacked);
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_TRUE(SeenValue(provider, "token", "code").endsWith("+/"));
    f.BtnDisconnectClick();

    // The lifetime was read: once it is past, the next connect refreshes.
    f.Part<TOAuth2SignIn>().Clock = [] { return QDateTime::currentDateTimeUtc().addSecs(7200); };
    browser.before = nullptr;
    Connect(f);
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_EQ(browser.visits, 1);
    EXPECT_EQ(SeenValue(provider, "token", "grant_type"), "refresh_token");
    f.BtnDisconnectClick();
}

// The dialog's problem may take two lines (German): the dialog grows to show them.
TEST_F(OAuth2SignIn, TheProviderDialogShowsItsWholeProblem) {
    for (const bool german : {true, false}) {
        SCOPED_TRACE(german ? "German" : "English");
        TOAuth2ProviderDialog dialog(nullptr, "127.0.0.1", {}, german);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.Fields[0]->setText("http://example.org/authorize");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QLabel& problem = *dialog.Problem;
        ASSERT_TRUE(problem.isVisible());
        EXPECT_EQ(problem.textFormat(), Qt::PlainText);
        EXPECT_GT(problem.heightForWidth(problem.width()), problem.fontMetrics().lineSpacing())
            << "more than one line";
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return problem.height() >= problem.heightForWidth(problem.width()) &&
                       problem.geometry().bottom() < dialog.height();
            },
            Patience))
            << problem.height() << " of " << problem.heightForWidth(problem.width());
    }
}

TEST_F(OAuth2SignIn, TheProviderDialogTakesOnlyUsableEntriesAndTheSignInUsesThem) {
    SKIP_WITHOUT_DOVECOT();
    const OAuth2Stub provider;
    const auto server = StartDovecot(provider);
    TForm1* f = &OpenSignedInWindow(provider, server->tlsPort(), std::nullopt);
    Connect(*f);
    EXPECT_TRUE(StatusLines().contains(Tr(Texts::NoProvider, false)));
    EXPECT_EQ(browser.visits, 0);

    const QString url = QString::fromStdString(provider.Url());
    const QString authorize = url + "/authorize", token = url + "/token";
    struct Entry {
        QString authorize, token, client;
        const char* problem; // a part of the dialog's message; nullptr: taken
    } entries[] = {
        {"", token, "mine", "Authorization URL must begin with https://"},
        {"http://example.org/authorize", token, "mine", "Authorization URL must begin"},
        {authorize, "http://example.org/token", "mine", "Token URL must begin"},
        {authorize, token, " ", "The client ID is missing."},
        {authorize, token, "mine", nullptr},
    };
    bool shown = false;
    const auto fill = [&](QWidget* window) {
        shown = true;
        auto* dialog = qobject_cast<TOAuth2ProviderDialog*>(window);
        for (const Entry& entry : entries) {
            SCOPED_TRACE(entry.authorize.toStdString() + " " + entry.token.toStdString());
            const std::array<QString, 5> values{entry.authorize, entry.token, entry.client, "",
                                                "mail  offline"};
            for (std::size_t i = 0; i < values.size(); ++i)
                dialog->Fields[i]->setText(values[i]);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            if (!entry.problem)
                break;
            EXPECT_TRUE(dialog->Problem->isVisible());
            EXPECT_TRUE(dialog->Problem->text().contains(entry.problem))
                << dialog->Problem->text().toStdString();
            EXPECT_FALSE(OAuth2ProviderFor(f->Settings(), "127.0.0.1").has_value());
        }
    };
    {
        auto edit = WhenModalShown("OAuth2ProviderDialog", fill);
        f->Part<TOAuth2SignIn>().ProviderEntry->trigger();
    }
    ASSERT_TRUE(shown);
    Connect(*f);
    ASSERT_EQ(f->ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_EQ(SeenValue(provider, "authorize", "client_id"), "mine");
    EXPECT_EQ(SeenValue(provider, "authorize", "scope"), "mail offline");
    EXPECT_EQ(SeenValue(provider, "token", "client_id"), "mine");
    f->BtnDisconnectClick();

    // After a restart the refresh goes out as that client.
    f->WriteToIniFile();
    f = &Open();
    f->Part<TOAuth2SignIn>().OpenBrowser = browser.Opener();
    Connect(*f);
    ASSERT_EQ(f->ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_EQ(browser.visits, 1);
    EXPECT_EQ(SeenValue(provider, "token", "grant_type"), "refresh_token");
    EXPECT_EQ(SeenValue(provider, "token", "client_id"), "mine");
    f->BtnDisconnectClick();
}

// Refusals before any token reaches the server: the cause in the window, nothing sent.
TEST_F(OAuth2SignIn, RefusalsBeforeTheTokenSayWhyAndSendNothing) {
    const OAuth2Stub provider;
    ScriptedServer noSasl;
    noSasl.UseTls(Certificate().CertFile, Certificate().KeyFile);
    noSasl.Send("+OK ready\r\n");
    noSasl.AnswerEachLine(
        [](const std::string& line) {
            return line == "CAPA"   ? std::string("+OK\r\nTOP\r\nUSER\r\nUIDL\r\n.\r\n")
                   : line == "QUIT" ? std::string("+OK\r\n")
                                    : std::string("-ERR no\r\n");
        },
        "QUIT");
    noSasl.Start();
    struct Row {
        const char* name;
        QString scopes;
        uint16_t port;
        QString said;
    } rows[] = {
        {"a scope the provider does not grant", "calendar", 1,
         Tr(Texts::SignInFailed, false).arg("invalid_scope: the scope does not open the mailbox")},
        {"no SASL in the CAPA answer", "mail", noSasl.port(),
         "The server does not offer this sign-in: XOAUTH2 (SASL: -)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TForm1& f = OpenSignedInWindow(provider, row.port, row.scopes);
        Connect(f);
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_TRUE(StatusLines().contains(row.said)) << StatusLines().toStdString();
        for (const char* command : {"USER", "PASS", "AUTH"})
            EXPECT_FALSE(SentAny(command)) << command;
    }
}

// Run outside the private keyring's session: no Secret Service at all.
class OAuth2SignInNoKeyring : public OAuth2SignIn {};

TEST_F(OAuth2SignInNoKeyring, TheWindowSaysTheSignInLastsUntilTheProgramEnds) {
    SKIP_WITHOUT_DOVECOT();
    const OAuth2Stub provider;
    const auto server = StartDovecot(provider);
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        TForm1& f = OpenSignedInWindow(provider, server->tlsPort());
        Connect(f);
        ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        EXPECT_EQ(browser.visits, start) << "a sign-in in the browser at each start";
        EXPECT_TRUE(StatusLines().contains(Tr(Texts::SignInNotKept, false)))
            << StatusLines().toStdString();
        f.BtnDisconnectClick();
        f.WriteToIniFile();
    }
}

TEST_F(OAuth2SignIn, CancelEndsTheWaitForTheBrowser) {
    const OAuth2Stub provider;
    TForm1& f = OpenSignedInWindow(provider, 1);
    bool waited = false;
    browser.instead = [&] {
        QTimer::singleShot(0, &f, [&] {
            waited = StatusLines().contains(Tr(Texts::WaitingForBrowser, false)) &&
                     f.Tools.btn_cancel->isVisible();
            f.Tools.btn_cancel->click();
        });
    };
    f.BtnConnectClick();
    EXPECT_EQ(browser.visits, 1);
    EXPECT_TRUE(waited) << StatusLines().toStdString();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_TRUE(StatusLines().contains("Cancelled.")) << StatusLines().toStdString();
    EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
}

} // namespace

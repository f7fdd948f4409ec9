// OAuth2 sign-in from the window against Dovecot's oauth2 passdb and the loopback provider,
// the refresh tokens in a private keyring (see this folder's CMakeLists.txt).
#include "AppFixture.h"
#include "E2eSupport.h"
#include "KeyringEntry.h"

#include "KeyringStore.h"
#include "OAuth2Providers.h"
#include "OAuth2Stub.h"
#include "OAuth2TokenStore.h"
#include "SecurityChoice.h"
#include "SignInChoice.h"
#include "SignInTexts.h"
#include "TestCertificates.h"
#include "TrustDialog.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>

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
    std::function<void(const QUrl&)> Opener() {
        return [this](const QUrl& url) {
            ++visits;
            if (instead) {
                instead();
                return;
            }
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

void Revoke(const std::string& providerUrl, const QString& token) {
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QString::fromStdString(providerUrl + "/revoke")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    QNetworkReply* reply = network.post(request, "token=" + QUrl::toPercentEncoding(token));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, Patience));
    EXPECT_EQ(reply->error(), QNetworkReply::NoError);
    delete reply;
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

    TForm1& OpenSignedInWindow(const OAuth2Stub& provider, uint16_t port) {
        TForm1& f = Open();
        f.OpenBrowser = browser.Opener();
        const QString url = QString::fromStdString(provider.Url());
        SaveOAuth2Provider(f.Settings, "127.0.0.1",
                           {url + "/authorize", url + "/token", "tests", {}, "mail"});
        FillLogin(port, "bob", {});
        ChooseSecurity(*f.Sicherheit, TSecurity::Tls);
        ChooseSignIn(*f.Anmeldung, TSignIn::OAuth2);
        return f;
    }

    TestBrowser browser;
};

TEST_F(OAuth2SignIn, SignsInRefreshesAndSignsInAgainWhenRefused) {
    SKIP_WITHOUT_DOVECOT();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const TestAuthority ca(folder.path().toStdString(), "Test CA");
    const TestCertificate certificate = ca.Issue("localhost", {"localhost"}, {"127.0.0.1"});
    const OAuth2Stub provider;
    DovecotServer server("bob", "unused", {Mail("a@example.org", "Token", "Mon, 1 May 2000")},
                         DovecotTls{certificate.CertFile, certificate.KeyFile},
                         DovecotOAuth2{provider.IntrospectionUrl()});
    TForm1* f = &OpenSignedInWindow(provider, server.tlsPort());
    EXPECT_FALSE(f->Password->isEnabled()) << "no password with OAuth2";
    const QString issuer = QString::fromStdString(provider.Url());
    const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(7200);

    struct Step {
        const char* name;
        std::function<void()> before;
        int visits;    // the browser's visits so far
        bool newToken; // another access token than the step before
    } steps[] = {
        {"the first sign-in opens the browser", [] {}, 1, true},
        {"a token still good is used again", [] {}, 1, false},
        {"an expired token is refreshed without the browser",
         [&] { f->SignInClock = [later] { return later; }; }, 1, true},
        {"a revoked refresh token asks for a new sign-in",
         [&] {
             Revoke(provider.Url(), KeyringToken(issuer, "bob").value_or("none"));
             f->SignInClock = [later] { return later.addSecs(7200); };
         },
         2, true},
        {"a new start refreshes with the keyring's token",
         [&] {
             f->WriteToIniFile();
             f = &Open();
             f->OpenBrowser = browser.Opener();
             f->SignInClock = [later] { return later.addSecs(7200); };
         },
         2, true},
    };
    std::string lastToken;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.before();
        auto trust = WhenModalShown("TrustDialog", [](QWidget* window) {
            qobject_cast<TTrustDialog*>(window)->btn_trust->click();
        });
        f->BtnConnectClick();
        ASSERT_EQ(f->ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        EXPECT_EQ(Rows().size(), 1);
        EXPECT_EQ(browser.visits, step.visits);
        EXPECT_FALSE(SentAny("PASS"));
        EXPECT_EQ(SentToken() != lastToken, step.newToken);
        lastToken = SentToken();
        EXPECT_EQ(f->Accounts.SignIn(f->servername->count() - 1), TSignIn::OAuth2);
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

TEST_F(OAuth2SignIn, CancelEndsTheWaitForTheBrowser) {
    const OAuth2Stub provider;
    TForm1& f = OpenSignedInWindow(provider, 1);
    bool waited = false;
    browser.instead = [&] {
        QTimer::singleShot(0, &f, [&] {
            waited = StatusLines().contains(Tr(Texts::WaitingForBrowser, false)) &&
                     f.btn_cancel->isVisible();
            f.btn_cancel->click();
        });
    };
    f.BtnConnectClick();
    EXPECT_EQ(browser.visits, 1);
    EXPECT_TRUE(waited) << StatusLines().toStdString();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_TRUE(StatusLines().contains("Cancelled.")) << StatusLines().toStdString();
    EXPECT_FALSE(f.btn_cancel->isVisible());
}

} // namespace

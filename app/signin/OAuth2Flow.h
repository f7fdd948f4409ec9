#pragma once

#include "OAuth2Providers.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QEventLoop;
class QNetworkAccessManager;
class QNetworkReply;
class TOAuth2Redirect;

// What a provider hands out for a user. Refresh is empty when it gave none.
struct TOAuth2Tokens {
    QString Access;
    QString Refresh;
    QDateTime Expires; // UTC; invalid when the provider did not say
};

// Getting tokens from a provider: the authorization code flow with PKCE (S256) and a
// loopback redirect (RFC 8252, RFC 7636), and the refresh grant. Each call waits in a local
// event loop, so the window stays responsive and Cancel can end the wait.
class TOAuth2Flow : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Done,
        Cancelled,
        Refused,  // the provider refused the grant (a revoked or expired refresh token)
        TimedOut, // the browser did not come back within ListenTime
        Failed,
    };
    struct Outcome {
        Result Status = Result::Failed;
        TOAuth2Tokens Tokens;
        QString Error; // the cause, for the status line
    };

    explicit TOAuth2Flow(QObject* parent = nullptr);

    // Opens the authorization URL (the window: the system browser); without it SignIn fails.
    std::function<void(const QUrl&)> OpenBrowser;
    // How long the loopback listener waits for the browser to come back.
    std::chrono::milliseconds ListenTime = std::chrono::minutes(5);
    // How long one connection to the listener may take to send its request.
    std::chrono::milliseconds RequestTime = std::chrono::seconds(5);
    // The page the browser shows once the sign-in came back.
    QString DonePage;

    // Signs user in through the browser and exchanges the code for tokens.
    Outcome SignIn(const TOAuth2Provider& provider, const QString& user);
    // A new access token for the refresh token.
    Outcome Refresh(const TOAuth2Provider& provider, const QString& refreshToken);
    // Ends the running call as cancelled; nothing when none runs.
    void Cancel();
    bool Running() const { return loop_ != nullptr; }

private:
    Outcome Wait();
    void Finish(Outcome outcome);
    void PostToken(const TOAuth2Provider& provider, QList<std::pair<QString, QString>> form,
                   const QString& keptRefresh);

    QNetworkAccessManager* network_;
    QEventLoop* loop_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    // Kept until the next sign-in, so that the browser still gets its page after the wait.
    TOAuth2Redirect* redirect_ = nullptr;
    std::optional<Outcome> outcome_;
};

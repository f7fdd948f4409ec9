#pragma once

#include "Component.h"
#include "OAuth2Renewal.h"

#include <QDateTime>
#include <QObject>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QUrl;
class TFrame;
class TOAuth2Flow;
class TOAuth2TokenStore;
class TRememberedPasswords;

// The sign-in choice of the login row, and the OAuth2 sign-in: the access token that takes
// the password's place, from this run, from a refresh, or from a sign-in in the browser; a
// token the server refused is dropped. The provider of a server is edited from the Server menu.
class TOAuth2SignIn : public QObject, public TComponent {
    Q_OBJECT
public:
    // passwords: whether the tokens may go to the keyring, and where notices about it wait.
    TOAuth2SignIn(TFrame& frame, TRememberedPasswords& passwords);

    void LanguageChanged(bool germanUI) override;
    void AccountChosen(int account) override;
    bool PasswordNeeded() const override;
    // The access token into the session when OAuth2 is chosen; false (with the reason in the
    // status label) when there is none.
    bool SignIn() override;
    // The account's way of signing in; with OAuth2 no password is kept for it.
    void LoggedIn() override;
    // With OAuth2 the access token that went out is dropped, and the status says what the
    // next connect does.
    bool LoginRefused() override;
    // A sign-in waiting for the browser or the provider ends.
    void Cancel() override;

    // Edits the OAuth2 provider of the server in the login row.
    void ProviderClick();
    // An account's access token for the accounts window, never through the browser: this
    // run's while it lasts, else a refresh with the keyring's refresh token (a refused one is
    // forgotten, as at a sign-in).
    TOAuth2Renewal AccessTokenWithoutBrowser(const QString& host, const QString& user);

    QLabel* Caption;
    QComboBox* Choice; // password, or OAuth2 in the browser
    QAction* ProviderEntry;
    // Opens the authorization URL; the system browser unless a test puts its own.
    std::function<void(const QUrl&)> OpenBrowser;
    // The time an access token's expiry is measured against (UTC).
    std::function<QDateTime()> Clock;

private:
    bool SignsInWithOAuth2() const;
    TOAuth2TokenStore& Tokens();

    TFrame& frame_;
    TRememberedPasswords& passwords_;
    TOAuth2Flow* flow_;
    TOAuth2TokenStore* tokens_ = nullptr; // made at the first OAuth2 sign-in
    bool notKeptShown_ = false;
};

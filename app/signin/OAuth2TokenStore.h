#pragma once

#include "OAuth2Flow.h"

#include <QHash>
#include <QObject>
#include <QString>

class TKeyringStore;

// The tokens of the users signed in with OAuth2, per issuer and user. Access tokens live in
// memory only; refresh tokens also in the keyring, never in the settings file. Without a
// keyring they last until the program ends.
class TOAuth2TokenStore : public QObject {
    Q_OBJECT
public:
    // With a keyring when useKeyring (a Secret Service ran at start).
    TOAuth2TokenStore(bool useKeyring, QObject* parent = nullptr);

    bool KeepsRefreshTokens() const { return keyring_ != nullptr; }
    // The tokens known for the user: this run's, else the refresh token from the keyring
    // (waits for it). Empty tokens when there are none.
    TOAuth2Tokens Find(const QString& issuer, const QString& user);
    // Keeps the tokens; the keyring's refresh token is replaced, waiting for the keyring.
    // The keyring's error text when it could not take the token, else empty.
    QString Keep(const QString& issuer, const QString& user, const TOAuth2Tokens& tokens);
    // Drops the user's access token (the server refused it) and keeps the refresh token;
    // true when there is one, so the next sign-in can be a refresh.
    bool DropAccess(const QString& issuer, const QString& user);
    // Forgets the user's tokens (the provider refused them), the keyring's copy too (waits).
    void Forget(const QString& issuer, const QString& user);
    // The name under which the keyring holds the issuer's refresh tokens (the user beside it).
    static QString KeyringServer(const QString& issuer);

private:
    TKeyringStore* keyring_ = nullptr;
    QHash<QString, TOAuth2Tokens> tokens_;
};

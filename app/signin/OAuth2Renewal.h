#pragma once

#include "OAuth2Flow.h"

#include <QDateTime>
#include <QString>

#include <functional>

class TOAuth2TokenStore;

// An access token without the browser: the one the store holds while it lasts, else one the
// provider hands out for the user's refresh token. Only a sign-in in the window can help
// when there is no refresh token or the provider refuses it.
struct TOAuth2Renewal {
    enum class TStatus { Done, NoRefreshToken, Refused, Cancelled, Failed };
    TStatus Status = TStatus::Failed;
    QString Access;
    QString Error; // Failed: the provider's or the network's words
    bool Refreshed = false;
    QString NotStored; // refreshed, but the keyring did not take the new refresh token: why
};

// The tokens a refresh brings are kept in the store (a new refresh token in the keyring);
// a refused refresh token is left where it is, for the caller to forget. beforeRefresh (may
// be empty) runs before the provider is asked; false ends the renewal as cancelled.
TOAuth2Renewal RenewAccessToken(TOAuth2TokenStore& store, TOAuth2Flow& flow,
                                const TOAuth2Provider& provider, const QString& user,
                                const QDateTime& now,
                                const std::function<bool()>& beforeRefresh = {});

#include "OAuth2Renewal.h"

#include "OAuth2TokenStore.h"

namespace {

// An access token this close to its end is renewed before it goes out.
constexpr int ExpiryMarginSeconds = 60;

} // namespace

TOAuth2Renewal RenewAccessToken(TOAuth2TokenStore& store, TOAuth2Flow& flow,
                                const TOAuth2Provider& provider, const QString& user,
                                const QDateTime& now, const std::function<bool()>& beforeRefresh) {
    using TStatus = TOAuth2Renewal::TStatus;
    const QString issuer = OAuth2Issuer(provider);
    const TOAuth2Tokens known = store.Find(issuer, user);
    if (!known.Access.isEmpty() &&
        (!known.Expires.isValid() || now < known.Expires.addSecs(-ExpiryMarginSeconds)))
        return {TStatus::Done, known.Access, {}, false, {}};
    if (known.Refresh.isEmpty())
        return {TStatus::NoRefreshToken, {}, {}, false, {}};
    if (beforeRefresh && !beforeRefresh())
        return {TStatus::Cancelled, {}, {}, false, {}};
    const TOAuth2Flow::Outcome refresh = flow.Refresh(provider, known.Refresh);
    switch (refresh.Status) {
    case TOAuth2Flow::Result::Done:
        break;
    case TOAuth2Flow::Result::Refused:
        return {TStatus::Refused, {}, refresh.Error, false, {}};
    case TOAuth2Flow::Result::Cancelled:
        return {TStatus::Cancelled, {}, {}, false, {}};
    default:
        return {TStatus::Failed, {}, refresh.Error, false, {}};
    }
    // Tokens the provider just handed out are good, whatever the clock says.
    const QString notStored = store.Keep(issuer, user, refresh.Tokens);
    return {TStatus::Done, refresh.Tokens.Access, {}, true, notStored};
}

#include "OAuth2Providers.h"

#include "SettingsStore.h"

#include <QUrl>

#include <array>

namespace {

struct TKnownProvider {
    std::array<const char*, 3> Hosts;
    TOAuth2Provider Provider;
};

// The client ids come from the build (the CMake options of app/CMakeLists.txt).
const TKnownProvider& Microsoft() {
    static const TKnownProvider known{
        {"outlook.office365.com", "pop-mail.outlook.com", nullptr},
        {QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/authorize"),
         QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/token"),
         QStringLiteral(INBOX_MICROSOFT_CLIENT_ID), QString(),
         QStringLiteral("https://outlook.office.com/POP.AccessAsUser.All offline_access")}};
    return known;
}

const TKnownProvider& Google() {
    static const TKnownProvider known{
        {"pop.gmail.com", nullptr, nullptr},
        {QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth"),
         QStringLiteral("https://oauth2.googleapis.com/token"),
         QStringLiteral(INBOX_GOOGLE_CLIENT_ID), QStringLiteral(INBOX_GOOGLE_CLIENT_SECRET),
         QStringLiteral("https://mail.google.com/")}};
    return known;
}

QString Key(const QString& host, const char* field) {
    return QStringLiteral("OAuth2/") + host.toLower() + u'/' + QLatin1String(field);
}

} // namespace

std::optional<TOAuth2Provider> KnownOAuth2Provider(const QString& host) {
    for (const TKnownProvider* known : {&Microsoft(), &Google()}) {
        for (const char* name : known->Hosts) {
            if (name && host.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return known->Provider;
        }
    }
    return std::nullopt;
}

std::optional<TOAuth2Provider> OAuth2ProviderFor(const TSettingsStore& settings,
                                                 const QString& host) {
    TOAuth2Provider entered{
        settings.ReadString(Key(host, "AuthorizeUrl")), settings.ReadString(Key(host, "TokenUrl")),
        settings.ReadString(Key(host, "ClientId")), settings.ReadString(Key(host, "ClientSecret")),
        settings.ReadString(Key(host, "Scopes"))};
    if (!entered.AuthorizeUrl.isEmpty() && !entered.TokenUrl.isEmpty())
        return entered;
    return KnownOAuth2Provider(host);
}

void SaveOAuth2Provider(TSettingsStore& settings, const QString& host,
                        const TOAuth2Provider& provider) {
    settings.WriteString(Key(host, "AuthorizeUrl"), provider.AuthorizeUrl);
    settings.WriteString(Key(host, "TokenUrl"), provider.TokenUrl);
    settings.WriteString(Key(host, "ClientId"), provider.ClientId);
    settings.WriteString(Key(host, "ClientSecret"), provider.ClientSecret);
    settings.WriteString(Key(host, "Scopes"), provider.Scopes);
    settings.Flush();
}

QString OAuth2Issuer(const TOAuth2Provider& provider) {
    return QUrl(provider.TokenUrl)
        .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                  QUrl::RemoveUserInfo)
        .toString();
}

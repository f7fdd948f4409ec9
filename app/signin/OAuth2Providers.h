#pragma once

#include <QString>

#include <optional>

class TSettingsStore;

// Where an OAuth2 sign-in happens: the provider's two endpoints and the client the program
// signs in as. An installed program cannot keep a secret; Google still wants its installed-app
// secret sent, Microsoft's public clients have none.
struct TOAuth2Provider {
    QString AuthorizeUrl;
    QString TokenUrl;
    QString ClientId;
    QString ClientSecret;
    QString Scopes; // separated by blanks, as the scope parameter takes them

    bool operator==(const TOAuth2Provider&) const = default;
};

// The provider known for a POP3 server name (Microsoft's and Google's servers); nothing for
// other servers. Its client id is the one the program was built with, maybe empty.
std::optional<TOAuth2Provider> KnownOAuth2Provider(const QString& host);

// The provider of a server: the one the user entered for it, else the known one.
std::optional<TOAuth2Provider> OAuth2ProviderFor(const TSettingsStore& settings,
                                                 const QString& host);
// Keeps the user's provider for the server ("OAuth2/<host>/..." in the settings file).
void SaveOAuth2Provider(TSettingsStore& settings, const QString& host,
                        const TOAuth2Provider& provider);

// The key under which a user's tokens of this provider are kept: its token endpoint's origin.
QString OAuth2Issuer(const TOAuth2Provider& provider);

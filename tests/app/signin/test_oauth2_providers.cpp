// Which OAuth2 provider a server gets: the known ones by server name, the user's entry first.
#include "OAuth2Providers.h"
#include "SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(OAuth2Providers, ServerNamesPickTheProviderAndTheUsersEntryComesFirst) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    TSettingsStore settings;
    const TOAuth2Provider own{"http://127.0.0.1:1/auth", "http://127.0.0.1:1/token", "mine", "",
                              "mail"};
    SaveOAuth2Provider(settings, "pop.gmail.com", own);

    struct Row {
        const char* host;
        const char* authorize; // "" for no provider
        const char* scopes;
    } rows[] = {
        {"outlook.office365.com", "https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
         "https://outlook.office.com/POP.AccessAsUser.All offline_access"},
        {"POP-Mail.Outlook.com", "https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
         "https://outlook.office.com/POP.AccessAsUser.All offline_access"},
        {"pop.gmail.com", "http://127.0.0.1:1/auth", "mail"},
        {"pop.example.org", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.host);
        const auto provider = OAuth2ProviderFor(settings, row.host);
        ASSERT_EQ(provider.has_value(), *row.authorize != '\0');
        if (provider) {
            EXPECT_EQ(provider->AuthorizeUrl, row.authorize);
            EXPECT_EQ(provider->Scopes, row.scopes);
        }
    }
    EXPECT_EQ(KnownOAuth2Provider("pop.gmail.com")->TokenUrl,
              "https://oauth2.googleapis.com/token");
    EXPECT_EQ(OAuth2Issuer(own), "http://127.0.0.1:1");
}

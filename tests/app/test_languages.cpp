#include "LanguageTexts.h"
#include "UiLanguage.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(LanguageChoice, FirstUiLanguageDecides) {
    const std::pair<QStringList, bool> cases[] = {
        {{"de-DE"}, true},     {{"de-CH", "de"}, true},
        {{"de"}, true},        {{"de_DE"}, true},
        {{"de-AT"}, false},    {{"de-LU"}, false},
        {{"en", "de"}, false}, {{"en-US", "de-DE"}, false},
        {{"fr-CH"}, false},    {{"C"}, false},
        {{}, false},
    };
    for (const auto& [languages, german] : cases)
        EXPECT_EQ(IsGermanUiLanguage(languages), german) << languages.join(',').toStdString();
}

// The tools read the environment as Qt does for the window: LANGUAGE first, then the locale.
TEST(LanguageChoice, EnvironmentGivesTheToolsTheirFirstUiLanguage) {
    using Env = std::map<std::string, std::string>;
    const std::pair<Env, std::string> cases[] = {
        {{{"LANG", "de_DE.UTF-8"}}, "de_DE"},
        {{{"LANG", "de_CH.UTF-8@euro"}, {"LC_MESSAGES", ""}}, "de_CH"},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, "en_US"},
        {{{"LANG", "en_GB.UTF-8"}, {"LC_ALL", "de_DE.UTF-8"}}, "de_DE"},
        {{{"LANGUAGE", "en:de"}, {"LC_ALL", "de_DE.UTF-8"}}, "en"},
        {{{"LANGUAGE", "de_AT:de"}}, "de_AT"},
        {{{"LANGUAGE", ""}, {"LANG", "C"}}, "C"},
        {{}, ""},
    };
    for (const auto& [env, first] : cases) {
        const std::string found = FirstUiLanguage([&env](const char* name) -> const char* {
            const auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(found, first);
        EXPECT_EQ(IsGermanLanguageTag(found), IsGermanUiLanguage({QString::fromStdString(found)}));
    }
}

TEST(LanguageTexts, IntroductionsHaveTheirLinesAndIndents) {
    const QStringList german = IntroductionLines(true);
    ASSERT_EQ(german.size(), 20);
    EXPECT_EQ(german[0], QStringLiteral("Vielen Dank, daß Sie InboxPruner verwenden !"));
    EXPECT_TRUE(german[1].isEmpty());
    EXPECT_EQ(german[16], QString(50, u' ') + "'The Programmer'");
    EXPECT_TRUE(german[17].isEmpty() && german[18].isEmpty());
    EXPECT_EQ(german[19], QStringLiteral("Deutschland, Januar 2000"));

    const QStringList english = IntroductionLines(false);
    ASSERT_EQ(english.size(), 19);
    EXPECT_EQ(english[5], QStringLiteral("contents. To do so, simply click with you right mous "
                                         "button on an e-mail that you want to"));
    EXPECT_EQ(english[16], QString(75, u' ') + "'The Programmer'");
    EXPECT_EQ(english[18], QStringLiteral("Germany, January 2000"));
    for (const QStringList& memo : {german, english}) {
        for (const QString& line : memo)
            EXPECT_FALSE(line.endsWith(u' ')) << line.toStdString();
    }
}

} // namespace

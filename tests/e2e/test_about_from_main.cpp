// The about box opened from the main window speaks the language the main window chose.
#include "AppFixture.h"
#include "E2eSupport.h"
#include "viewer_test_support.h"

#include "HyperLink.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <vector>

namespace {

TEST_F(AppTest, AboutBoxFromTheMainWindowShowsTheReleaseInItsLanguage) {
    const std::pair<const char*, const char*> rows[] = {{"de-DE", "28. Mai 2000"},
                                                        {"en-US", "02 May 2000"}};
    for (const auto& [language, release] : rows) {
        TForm1& f = Open({QString::fromLatin1(language)});
        std::vector<QUrl> opened;
        about->HyperLink2->OpenUrl = [&](const QUrl& url) { opened.push_back(url); };
        QString shownRelease;
        auto ran = WhenShown(about, [&] {
            shownRelease = about->Comments->text();
            about->HyperLink2->setFocus();
            QTest::keyClick(about->HyperLink2, Qt::Key_Return);
            EXPECT_TRUE(
                SaveScreenshot(*about, "about_box_" + QString::fromLatin1(language).left(2)));
        });
        f.Tools.BtnInfo->click();
        ASSERT_TRUE(*ran) << language;
        EXPECT_EQ(shownRelease, QString::fromLatin1(release)) << language;
        ASSERT_EQ(opened.size(), 1u) << language;
        EXPECT_EQ(opened[0].toString(), QStringLiteral("https://fenn-labs.example"));
    }
}

} // namespace

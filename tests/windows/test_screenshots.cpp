// Pictures of the three windows in both languages, for a reviewer to look at.
#include "Header.h"
#include "MbxMsg.h"
#include "ProgramLanguage.h"
#include "email.h"
#include "info.h"
#include "viewer_test_support.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(Screenshots, ViewerWindowsAndAboutBoxInBothLanguages) {
    TMbxMsg msg;
    msg.Text = {"Hallo Anna,",
                "",
                "anbei der Bericht und die Zahlen.",
                "",
                "Viele Gr\xFC\xDF"
                "e",
                "Bernd"};
    msg.Attachments.Add("b.txt").Data = "b";
    msg.Attachments.Add("a.pdf").Data = "a";
    const std::string header = "Return-Path: <bernd@example.org>\r\n"
                               "From: Bernd <bernd@example.org>\r\n"
                               "To: anna@example.net\r\n"
                               "Subject: Bericht\r\n"
                               "Date: Tue, 02 May 2000 10:00:00 +0200\r\n\r\n.\r\n|";
    for (const bool german : {true, false}) {
        const QString language = german ? QStringLiteral("de") : QStringLiteral("en");
        SetProgramGermanUI(german);

        TForm2 headerWindow;
        headerWindow.SetGermanUISource([german] { return german; });
        headerWindow.AddHeaderText(header);
        headerWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&headerWindow));
        EXPECT_TRUE(SaveScreenshot(headerWindow, "header_window_" + language));

        TForm3 messageWindow;
        messageWindow.SetGermanUISource([german] { return german; });
        messageWindow.ShowMessageOf(msg);
        messageWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&messageWindow));
        EXPECT_TRUE(SaveScreenshot(messageWindow, "message_window_" + language));

        TAboutBox about;
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_TRUE(SaveScreenshot(about, "about_box_" + language));
    }
    SetProgramGermanUI(false);
}

} // namespace

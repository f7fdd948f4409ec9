// The viewers' captions and the about box's release text follow the language anew at each
// showing; the main window's texts are checked with the main window.
#include "Header.h"
#include "MbxMsg.h"
#include "TextTable.h"
#include "email.h"
#include "info.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TEST(WindowTexts, FollowTheLanguageAtEachShowing) {
    TForm2 header;
    TMbxMsg mail;
    mail.Text = {"Hello"};
    mail.Attachments.Add("a.pdf").Data = "%PDF-1.4";
    TForm3 message;
    message.SetCurrentMsgSource([&] { return &mail; });
    TAboutBox about;
    const std::vector<TextInBothLanguages> texts = {
        {"header window", [&] { return header.windowTitle(); },
         "Header der e-mail  - InboxPruner -", "Mail header  - InboxPruner -"},
        {"header btn_close", [&] { return header.btn_close->text(); }, "Schließen", "Close"},
        {"message window", [&] { return message.windowTitle(); },
         "Inhalt der e-mail  - InboxPruner -", "Contents of e-mail  - InboxPruner -"},
        {"lab_anhang", [&] { return message.lab_anhang->text(); }, "Anhänge :", "Attachments :"},
        {"save_email", [&] { return message.save_email->text(); }, "Speichere E-Mail",
         "Save e-mail"},
        {"save_attachment", [&] { return message.save_attachment->text(); }, "Speichere Anhang",
         "Save attachment"},
        {"close_window", [&] { return message.close_window->text(); }, "Schließen", "Close"},
        {"about Comments", [&] { return about.Comments->text(); }, "28. Mai 2000", "02 May 2000"},
    };
    for (const bool german : {true, false}) {
        header.SetGermanUI(german);
        message.SetGermanUI(german);
        about.SetGermanUI(german);
        message.ShowMessageOf(mail);
        for (QWidget* window : {static_cast<QWidget*>(&header), static_cast<QWidget*>(&message),
                                static_cast<QWidget*>(&about)}) {
            window->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        }
        ExpectTexts(texts, german);
        header.close();
        message.close();
        about.close();
    }
}

} // namespace

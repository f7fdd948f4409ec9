// The interface language: chosen once, at the first showing of the main window.
#include "Application.h"
#include "ErrorMessage.h"
#include "Header.h"
#include "Main.h"
#include "MainFit.h"
#include "MultiLst.h"
#include "email.h"
#include "info.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

void TForm1::LanguageSelect() {
    SetFocusByRule();
    FGermanUI = IsGermanUiLanguage(UiLanguages ? UiLanguages() : QStringList());
    // Before any text is set: Qt's own texts (dialogs, buttons, key names) speak it too.
    UseQtTexts(GermanUI());
    ShareLanguage();
    ApplyLanguageTexts();

    // The introduction of the language fills the client area until the first connect.
    info_fenster->setVisible(GermanUI());
    info_fenster_eng->setVisible(!GermanUI());

    QStringList captions;
    for (const TText& caption : Texts::ListHeaderCaptions)
        captions << Tr(caption, GermanUI());
    mail_list->SetHeaderSections(captions);

    // Told once the window is up, in the language just chosen.
    if (FSettings.LoadFailed()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                ShowErrorMessage(this,
                                 Tr(Texts::SettingsDamaged, GermanUI()).arg(FSettings.FileName()));
            },
            Qt::QueuedConnection);
    }
}

void TForm1::ShareLanguage() {
    if (Windows.AboutBox)
        Windows.AboutBox->SetGermanUI(GermanUI());
    if (Windows.HeaderWindow)
        Windows.HeaderWindow->SetGermanUI(GermanUI());
    if (Windows.MessageWindow)
        Windows.MessageWindow->SetGermanUI(GermanUI());
}

void TForm1::ApplyLanguageTexts() {
    const auto tr = [this](const TText& text) { return Tr(text, GermanUI()); };
    Login.Header_Nein->setText(tr(Texts::HeaderNeinCaption));
    Tools.BtnConnect->setToolTip(tr(Texts::TipConnect));
    Tools.BtnDisconnect->setToolTip(tr(Texts::TipDisconnect));
    Tools.BtnDelete->setToolTip(tr(Texts::TipDelete));
    Tools.BtnMark->setToolTip(tr(Texts::TipMark));
    Tools.BtnInfo->setToolTip(tr(Texts::TipInfo));
    Tools.BtnClose->setToolTip(tr(Texts::TipClose));
    Login.Label3->setText(tr(Texts::PasswordLabel));
    Menus.men_header_anzeigen->setText(tr(Texts::MenuShowHeader));
    Menus.men_email_anzeigen->setText(tr(Texts::MenuShowMail));
    Menus.Datei->setTitle(tr(Texts::MenuServer));
    Menus.Datei_C->setText(tr(Texts::MenuConnect));
    Menus.Datei_D->setText(tr(Texts::MenuDisconnect));
    Menus.Datei_L->setText(tr(Texts::MenuDelete));
    Menus.Datei_M->setText(tr(Texts::MenuMarkAll));
    Menus.Datei_H->setText(tr(Texts::MenuHeaderTextsAsSent));
    Menus.Datei_Close->setText(tr(Texts::MenuClose));
    Menus.help_men->setTitle(tr(Texts::MenuHelp));
    Menus.help_I->setText(tr(Texts::MenuAbout));
    Tools.BtnConnect->setText(tr(Texts::CaptionConnect));
    Tools.BtnDisconnect->setText(tr(Texts::CaptionDisconnect));
    Tools.BtnDelete->setText(tr(Texts::CaptionDelete));
    Tools.BtnMark->setText(tr(Texts::CaptionMark));
    Tools.BtnClose->setText(tr(Texts::CaptionClose));
    Tools.btn_cancel->setText(tr(Texts::CaptionCancel));
    for (const TToolBar::TAdded& added : Tools.Added) {
        added.Button->setText(tr(added.Caption));
        added.Button->setToolTip(tr(added.Tip));
    }
    Parts.ForEach([this](TComponent& part) { part.LanguageChanged(GermanUI()); });
    TWindowFit(*this).Captions();
}

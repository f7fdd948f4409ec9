// The interface language: chosen once, at the first showing of the main window.
#include "Application.h"
#include "ErrorMessage.h"
#include "Header.h"
#include "Main.h"
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
    if (FAboutBox)
        FAboutBox->SetGermanUI(GermanUI());
    if (FHeaderWindow)
        FHeaderWindow->SetGermanUI(GermanUI());
    if (FMessageWindow)
        FMessageWindow->SetGermanUI(GermanUI());
}

void TForm1::ApplyLanguageTexts() {
    const auto tr = [this](const TText& text) { return Tr(text, GermanUI()); };
    Header_Nein->setText(tr(Texts::HeaderNeinCaption));
    BtnConnect->setToolTip(tr(Texts::TipConnect));
    BtnDisconnect->setToolTip(tr(Texts::TipDisconnect));
    BtnDelete->setToolTip(tr(Texts::TipDelete));
    BtnMark->setToolTip(tr(Texts::TipMark));
    BtnInfo->setToolTip(tr(Texts::TipInfo));
    BtnClose->setToolTip(tr(Texts::TipClose));
    Label3->setText(tr(Texts::PasswordLabel));
    men_header_anzeigen->setText(tr(Texts::MenuShowHeader));
    men_email_anzeigen->setText(tr(Texts::MenuShowMail));
    Datei->setTitle(tr(Texts::MenuServer));
    Datei_C->setText(tr(Texts::MenuConnect));
    Datei_D->setText(tr(Texts::MenuDisconnect));
    Datei_L->setText(tr(Texts::MenuDelete));
    Datei_M->setText(tr(Texts::MenuMarkAll));
    Datei_H->setText(tr(Texts::MenuHeaderTextsAsSent));
    Datei_Close->setText(tr(Texts::MenuClose));
    help_men->setTitle(tr(Texts::MenuHelp));
    help_I->setText(tr(Texts::MenuAbout));
    BtnConnect->setText(tr(Texts::CaptionConnect));
    BtnDisconnect->setText(tr(Texts::CaptionDisconnect));
    BtnDelete->setText(tr(Texts::CaptionDelete));
    BtnMark->setText(tr(Texts::CaptionMark));
    BtnClose->setText(tr(Texts::CaptionClose));
    btn_cancel->setText(tr(Texts::CaptionCancel));
    Parts.ForEach([this](TComponent& part) { part.LanguageChanged(GermanUI()); });
    FitCaptions();
}

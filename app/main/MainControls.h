#pragma once

#include "HintPointer.h"
#include "TextPair.h"

#include <QPoint>
#include <QString>

#include <array>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QStatusBar;
class QToolButton;
class QObject;
class QWidget;
class TForm1;
class TAboutBox;
class TBusyAnimation;
class TForm2;
class TForm3;

// The main window's controls by where they sit, top to bottom (MainControls.cpp builds them).

struct TToolBar {
    QWidget* Panel1;
    QToolButton* BtnConnect;
    QToolButton* BtnDisconnect;
    QToolButton* btn_cancel; // stands in BtnDisconnect's place while a command waits
    QToolButton* BtnDelete;
    QToolButton* BtnMark;
    QToolButton* btn_header;
    QToolButton* btn_mail;
    // What components added after btn_mail (AddToolButton), with their texts.
    struct TAdded {
        QToolButton* Button;
        TText Caption;
        TText Tip;
        TText Hint;
    };
    std::vector<TAdded> Added;
    QFrame* Bevel1;
    QToolButton* BtnInfo;
    QToolButton* BtnClose;
    TBusyAnimation* Status_avi;
};

struct TLoginRow {
    QLabel* Label1;
    QComboBox* servername;
    QLabel* label2;
    QComboBox* Username;
    QLabel* Label3;
    QLineEdit* Password;
    QCheckBox* Header_Nein;
    // What components added: options after Header_Nein, and choices (caption and field) on
    // the line below.
    std::vector<QCheckBox*> Options;
    std::vector<std::pair<QLabel*, QComboBox*>> Choices;
};

struct TMenus {
    QMenuBar* MainMenu1;
    QMenu* Datei; // the Server menu
    QAction* Datei_C;
    QAction* Datei_D;
    QAction* Datei_L;
    QAction* Datei_M;
    QAction* Datei_H; // the list's header texts as the server sent them (checkable)
    QAction* Datei_E;
    QAction* Datei_Close;
    QMenu* help_men;
    QAction* help_I;
    QMenu* popmen_header; // the list's context menu
    QAction* men_header_anzeigen;
    QAction* men_email_anzeigen;
};

// Below the list: the status label, the progress bar and the status bar with its panels.
struct TBottom {
    QLabel* Status;
    QProgressBar* ProgressBar;
    QStatusBar* Status_leiste;
    std::array<QLabel*, 3> StatusPanels{};
};

// The about, header and message windows, made after the main window.
struct TOtherWindows {
    TAboutBox* AboutBox = nullptr;
    TForm2* HeaderWindow = nullptr;
    TForm3* MessageWindow = nullptr;
};

// The hints of the controls, shown in the status bar's panel 2 while the pointer is over one.
class TControlHints {
public:
    explicit TControlHints(TForm1& form) : form_(form) {}
    // The text of a hint for the control, in the window's language; empty for none.
    QString For(const QObject* control) const;
    // Shows the control's hint once the pointer (now at pointer) really moved; true when the
    // control has one.
    bool Show(const QObject* control, QPoint pointer);
    // The pointer is now at pointer; true when it really moved.
    bool MovedTo(QPoint pointer) { return pointer_.MovedTo(pointer); }

private:
    TForm1& form_;
    THintPointer pointer_;
};

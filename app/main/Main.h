#pragma once

#include "AccountHistory.h"
#include "Components.h"
#include "ExtraColumns.h"
#include "Frame.h"
#include "LanguageTexts.h"
#include "MainCommands.h"
#include "MainControls.h"
#include "MainFit.h"
#include "MbxMsg.h"
#include "MbxPOP3.h"
#include "SettingsStore.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPlainTextEdit;
class TMarksCountLine;
class TMultiList;

// The main window, the frame of the program: tool bar, login row, message list, status texts,
// menus, the one POP3 session and the commands on it. Each capability beyond these is a
// component (Component.h) made in MakeComponents; the window hands it what it needs (Frame.h)
// and calls its hooks, and never knows its members. Handlers are public so that tests drive
// them as the controls do.
//
// One class over the files of this folder:
//   Main.cpp          construction, wiring of controls to handlers, window events, status
//   MainControls.cpp  building the controls (MainControls.h), the login row's places for
//                     components' controls; MainFit.cpp fitting them to their captions
//   MainFrame.cpp     the components made, and what the window offers them
//   MainCommands.cpp  the command machinery: running with Cancel, control states, close
//   MainConnect.cpp   connect and log in (BtnConnectClick), the account history's update
//   MainListing.cpp   listing the mailbox after the login, with the components' answers
//   MainDelete.cpp    delete, mark all, disconnect (MainReconnect.cpp: after a lost session)
//   MainShow.cpp      show the header or the whole mail of a row
//   MainErrors.cpp    how failures reach the status label and the error display
//   MainSettings.cpp  the settings file: history, geometry, column widths
//   MainLanguage.cpp  the interface language and the texts of the controls
//   MainColumns.cpp   the list's columns after the subject: captions and widths
class TForm1 : public QMainWindow, public TFrame {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // What the window offers its components (Frame.h; MainFrame.cpp).
    QMainWindow& Window() override { return *this; }
    TMbxPOP& Session() override { return pop3; }
    TMailRows& Rows() override { return *FRows; }
    TSettingsStore& Settings() override { return FSettings; }
    TAccountHistory& History() override { return Accounts; }
    bool GermanUI() const override { return FGermanUI; }
    int ControlState() const override { return Commands.State; }
    bool CommandRunning() const override { return Commands.Running > 0; }
    bool Aborted() const override { return Commands.Aborted; }
    // The choice applies from the next listing on; rows already listed keep their texts.
    bool HeaderTextsAsSent() const override;
    void StatusClear() override;
    void StatusAppend(const QString& message) override;
    // Replaces the status line of a message by another; false when it is not shown.
    bool StatusReplace(const TText& line, const QString& by);
    void StatusAppendMarks(const QString& message) override;
    void ShowStatus() override;
    QMenu& ServerMenu() override { return *Menus.Datei; }
    QAction* ServerEnd() override { return Menus.Datei_E; }
    QAction* ServerOptions() override { return Menus.Datei_H; }
    QMenu& RowMenu() override { return *Menus.popmen_header; }
    QToolButton& AddToolButton(const char* name, TToolGlyph glyph, const TText& caption,
                               const TText& tip, const TText& hint) override;
    QStatusBar& StatusBar() override { return *Bottom.Status_leiste; }
    QBoxLayout& BelowList() override { return *FBelowList; }
    void ShowColumn(TExtraColumn column, bool shown) override;
    void SetColumnLook(TExtraColumn column, const TText& caption, const char* widest) override;
    bool ColumnShown(TExtraColumn column) const override { return ExtraColumns.Shown(column); }
    QString ServerText() const override;
    QString UserText() const override;
    QCheckBox& AddLoginOption(const char* name, int width) override;
    TLoginChoice AddLoginChoice(const char* captionName, const char* name, int width) override;
    void PasswordNeedChanged() override;
    void OfferPassword(const QString& server, const QString& user,
                       const QString& password) override;
    QString AccountFolder() const override;
    void ConnectAndList() override;
    void OpenAccount(int account) override;
    std::unique_ptr<TMbxMsg> FetchWholeMail(int number) override;
    void ShowMail(std::unique_ptr<TMbxMsg> msg) override;
    // A component, for tests and tools that drive it directly.
    template <class T> T& Part() const { return Parts.Get<T>(); }

    // The about, header and message windows, created after this one; the main window tells
    // them its language and hands the message window the current mail.
    void SetWindows(TAboutBox* aboutBox, TForm2* headerWindow, TForm3* messageWindow);

    // Controls, top to bottom (MainControls.h).
    TToolBar Tools;
    TLoginRow Login;
    QPlainTextEdit* info_fenster;
    QPlainTextEdit* info_fenster_eng;
    TMultiList* mail_list;
    TBottom Bottom;
    TMenus Menus;
    TMbxPOP pop3;

    // State.
    bool FGermanUI = false; // chosen once, at the first showing (MainLanguage.cpp)
    TSettingsStore FSettings;
    // The accounts of earlier logins, shown by servername and Username, with their passwords.
    TAccountHistory Accounts;
    int MailCount = 0;
    std::string MailboxSizeText;
    std::unique_ptr<TMbxMsg> CurrentMsg;
    // Where the language choice reads the user's UI languages, first preferred first.
    std::function<QStringList()> UiLanguages;

    // Window events (Main.cpp, MainLanguage.cpp).
    void FormCreate();
    void LanguageSelect();
    void FormClose();
    void FormResize();
    void FormMouseMove();
    // Enter in a login field or the option starts a connect; true when the key was used.
    bool FormKeyDown(int key);
    // Delete in the list deletes the marked mails, in the listed state only.
    bool mail_listKeyDown(int key);
    void servernameClick(int index);
    void UsernameClick(int index);

    // Commands (MainConnect.cpp, MainDelete.cpp, MainShow.cpp, MainCommands.cpp).
    void BtnConnectClick();
    void BtnDisconnectClick();
    void BtnDeleteClick();
    void BtnMarkClick();
    void btn_cancelClick();
    void men_header_anzeigenClick();
    void men_email_anzeigenClick();
    void BtnInfoClick();
    void BtnCloseClick();

    // POP3 events (MainErrors.cpp).
    void pop3Error(TObject* Sender, int Error, const std::string& Msg);
    void pop3RetrieveProgress(TObject* Sender, uint16_t Percent);

    // The command machinery (MainCommands.cpp).
    void btn_aktivieren(int State);
    // Cancel asked the listing to stop after the message in progress.
    bool ListingStopRequested() const { return Commands.CancelRequested; }
    // Stops whatever waits for the server at once: the connection is dropped (no QUIT, so
    // nothing is deleted) and the running command ends as cancelled.
    void AbortExchange();

    // Settings (MainSettings.cpp).
    void GetFromIniFile();
    void WriteToIniFile();
    // The window's place, size and column widths; while maximised only that it is, so that
    // the place and size before it stay for the next start.
    void WriteGeometry();

    // The status label: commands clear it and append messages, each beginning with "\r",
    // which is shown as a line break (Main.cpp).
    using TFrame::StatusAppendText;
    QString StatusText() const;
    void SetPanelText(int panel, const QString& text);
    QString PanelText(int panel) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TCommandScope;
    friend class TListingRun;
    friend class TWindowDeletion;
    // Delete acts on listed rows, in the listed state or after the session ended.
    bool DeleteAtHand() const;

    // Building (MainControls.cpp, Main.cpp).
    void BuildControls();
    void BuildToolBar();
    void BuildLoginRow();
    // The login takes the password field's text: no component signs in otherwise.
    bool PasswordNeeded();
    void BuildMenus();
    void ConfigureMailList();
    void Wire();

    // The columns after the subject that the listing shows (MainColumns.cpp): their captions
    // in the window's language, and a width for those shown, 0 for the others.
    void ShowExtraColumns();
    TExtraColumns ExtraColumns;

    void SetFocusByRule();
    void ChooseAccount(int index, QComboBox* other);
    // Panel 2 shows how many mails are marked and their size while no hint is shown.
    void ShowMarkedSummary();

    // The command machinery (MainCommands.cpp).
    // Runs a command's exchange with the server and says how it ended: a dropped connection
    // after AbortExchange ends it as cancelled, a transport failure as failed with its cause.
    TCommandOutcome RunExchange(const std::function<void()>& exchange);
    // After AbortExchange: the rows listed so far stay, the session is gone.
    void EndCancelled();
    // btn_cancel stands in BtnDisconnect's place while a command waits for the server.
    void ShowCancelButton(bool shown);
    // Back to the listed state when the command keeps the session (stateIfConnected) and it
    // is still open, else the session ends and the window goes idle.
    void Recover(int stateIfConnected);
    // A close while a command runs waits for its end; true when the close must wait.
    bool DeferClose();

    // Connect and list (MainConnect.cpp, MainListing.cpp): the commands of the same names.
    friend class TWindowConnect;
    friend class TWindowListing;
    // Every header (full) or only the count of mails.
    void RunListing(bool full);
    // The whole mail of a listed row, as the message window shows it; null when the
    // exchange ended otherwise (the status says how).
    std::unique_ptr<TMbxMsg> FetchWholeMail(TCommandScope& scope, int number);
    // The components, made once the controls are (MainFrame.cpp).
    void MakeComponents();
    std::unique_ptr<TMailRows> FRows; // made with the list
    QBoxLayout* FBelowList = nullptr;
    // A status line counting marks follows them (StatusAppendMarks).
    TMarksCountLine* MarksLine = nullptr;
    TComponents Parts;

    // QUIT and back to idle; false when refused. A broken connection throws (MainDelete.cpp).
    bool QuitSession();

    // Language and layout (MainLanguage.cpp, MainFit.cpp).
    void ApplyLanguageTexts();
    // The about, header and message windows speak the window's language.
    void ShareLanguage();
    friend class TWindowFit;
    TFitState Fit;

    TCommandState Commands;
    bool FLanguageChosen = false;
    friend class TControlHints;
    TControlHints Hints{*this};

    TOtherWindows Windows; // (SetWindows)
};

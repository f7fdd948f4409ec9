#pragma once

#include "AccountHistory.h"
#include "Components.h"
#include "ExtraColumns.h"
#include "Frame.h"
#include "HintPointer.h"
#include "LanguageTexts.h"
#include "MainCommands.h"
#include "MbxMsg.h"
#include "MbxPOP3.h"
#include "SettingsStore.h"

#include <QDateTime>
#include <QMainWindow>
#include <QSet>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TDeletionProgress;
struct TMailRowData;
struct TMarkedMails;
class QAction;
class QBoxLayout;
class QItemSelection;
class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;
class QToolButton;
class TAboutBox;
class TBusyAnimation;
class TForm2;
class TForm3;
class TMarksCountLine;
class TMultiList;

// The main window: tool bar, login row, message list, status texts, menus, and the one POP3
// session. Handlers are public so that tests drive them as the controls do.
//
// One class over the files of this folder:
//   Main.cpp            construction, wiring of controls to handlers, window events, status
//   MainCommands.cpp    the command machinery: running with Cancel, control states, close
//   MainConnect.cpp     connect and log in (BtnConnectClick), the account history's update
//   MainListing.cpp     listing the mailbox after the login
//   MainDelete.cpp      delete the marked mails, mark all, disconnect
//   MainShow.cpp        show the header or the whole mail of a row
//   MainErrors.cpp      how failures reach the status label and the error display
//   MainSettings.cpp    the settings file: history, geometry, column widths
//   MainLanguage.cpp    the interface language and the texts of the controls
//   MainControls.cpp    building the controls, the login row's places for components'
//                       controls; MainFit.cpp fitting them to their captions
//   MainHeaderTexts.cpp the choice of decoded or sent header texts
//   MainColumns.cpp     the list's columns after the subject: captions and widths
//   MainStatus.cpp      the listing's status line replaced by its result
class TForm1 : public QMainWindow, public TFrame {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // What the window offers its components (Frame.h; MainFrame.cpp).
    QMainWindow& Window() override { return *this; }
    TMbxPOP& Session() override { return pop3; }
    TMailRows& Rows() override { return *FRows; }
    const TMailRows& Rows() const { return *FRows; }
    TSettingsStore& Settings() override { return FSettings; }
    TAccountHistory& History() override { return Accounts; }
    bool GermanUI() const override { return FGermanUI; }
    int ControlState() const override { return FState; }
    bool CommandRunning() const override { return FRunningCommands > 0; }
    bool Aborted() const override { return FAborted; }
    bool HeaderTextsAsSent() const override { return FHeaderTextsAsSent; }
    void StatusClear() override;
    void StatusAppend(const QString& message) override;
    bool StatusReplace(const TText& line, const QString& by) override;
    void StatusAppendMarks(const QString& message) override;
    void ShowStatus() override;
    QMenu& ServerMenu() override { return *Datei; }
    QAction* ServerEnd() override { return Datei_E; }
    QAction* ServerOptions() override { return Datei_H; }
    QMenu& RowMenu() override { return *popmen_header; }
    QStatusBar& StatusBar() override { return *Status_leiste; }
    QBoxLayout& BelowList() override { return *FBelowList; }
    void ShowColumn(TExtraColumn column, bool shown) override;
    void SetColumnLook(TExtraColumn column, const TText& caption, const char* widest) override;
    bool ColumnShown(TExtraColumn column) const override { return ExtraColumns.Shown(column); }
    // Marking many rows (MainAlike.cpp).
    QString ServerText() const override;
    QString UserText() const override;
    QCheckBox& AddLoginOption(const char* name, int width) override;
    TLoginChoice AddLoginChoice(const char* captionName, const char* name, int width) override;
    void PasswordNeedChanged() override;
    void OfferPassword(const QString& server, const QString& user,
                       const QString& password) override;
    QString AccountFolder() const override;
    std::unique_ptr<TMbxMsg> FetchWholeMail(int number) override;
    void ShowMail(std::unique_ptr<TMbxMsg> msg) override;
    // A component, for tests and tools that drive it directly.
    template <class T> T& Part() const { return Parts.Get<T>(); }

    // The about, header and message windows, created after this one; the main window tells
    // them its language and hands the message window the current mail.
    void SetWindows(TAboutBox* aboutBox, TForm2* headerWindow, TForm3* messageWindow);

    // Controls, top to bottom (MainControls.cpp).
    QWidget* Panel1;
    QToolButton* BtnConnect;
    QToolButton* BtnDisconnect;
    QToolButton* btn_cancel;
    QToolButton* BtnDelete;
    QToolButton* BtnMark;
    QToolButton* btn_header;
    QToolButton* btn_mail;
    QFrame* Bevel1;
    QToolButton* BtnInfo;
    QToolButton* BtnClose;
    QLabel* Label1;
    QComboBox* servername;
    QLabel* label2;
    QComboBox* Username;
    QLabel* Label3;
    QLineEdit* Password;
    QCheckBox* Header_Nein;
    TBusyAnimation* Status_avi;
    QPlainTextEdit* info_fenster;
    QPlainTextEdit* info_fenster_eng;
    TMultiList* mail_list;
    QLabel* Status;
    QProgressBar* ProgressBar;
    QStatusBar* Status_leiste;
    std::array<QLabel*, 3> StatusPanels{};

    QMenuBar* MainMenu1;
    QMenu* Datei;
    QAction* Datei_C;
    QAction* Datei_D;
    QAction* Datei_L;
    QAction* Datei_M;
    QAction* Datei_H; // the list's header texts as the server sent them (checkable)
    QAction* Datei_E;
    QAction* Datei_Close;
    QMenu* help_men;
    QAction* help_I;
    QMenu* popmen_header;
    QAction* men_header_anzeigen;
    QAction* men_email_anzeigen;
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
    // Switches the list between decoded and sent header texts for the next listing.
    void Datei_HClick();
    // The list shows the header texts as the server sent them instead of decoded
    // (MainHeaderTexts.cpp).
    void SetHeaderTextsAsSent(bool asSent);

    // POP3 events (MainErrors.cpp).
    void pop3Error(TObject* Sender, int Error, const std::string& Msg);
    void pop3RetrieveProgress(TObject* Sender, uint16_t Percent);

    // The command machinery (MainCommands.cpp).
    void btn_aktivieren(int State);
    // Cancel asked the listing to stop after the message in progress.
    bool ListingStopRequested() const { return CancelRequested; }
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

    // The text of a hint for the control, in the window's language; empty for none.
    QString HintFor(const QObject* control) const;
    // Shows the control's hint once the pointer (now at pointer) really moved; true when the
    // control has one.
    bool ShowHintFor(const QObject* control, QPoint pointer);

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

    // Building (MainControls.cpp, Main.cpp).
    void BuildControls();
    void BuildToolBar();
    void BuildLoginRow();
    // What components added to the login row (MainControls.cpp): options after Header_Nein,
    // and choices (caption and field) on the line below.
    std::vector<QCheckBox*> FLoginOptions;
    std::vector<std::pair<QLabel*, QComboBox*>> FLoginChoices;
    // The login takes the password field's text: no component signs in otherwise (MainFrame.cpp).
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
    // A listing stopped by Cancel: how many of the mails it listed.
    void EndStoppedListing();
    // In place of the line of the running listing: how many mails it listed.
    void ReportListed();
    // btn_cancel stands in BtnDisconnect's place while a command waits for the server.
    void ShowCancelButton(bool shown);
    // Back to the listed state when the command keeps the session (stateIfConnected) and it
    // is still open, else the session ends and the window goes idle.
    void Recover(int stateIfConnected);
    // A close while a command runs waits for its end; true when the close must wait.
    bool DeferClose();

    // Connect and list (MainConnect.cpp, MainListing.cpp).
    void ShowListInPlaceOfIntroduction();
    // The exchange of a connect: the components sign in, then connect and list.
    void SignInAndList();
    void ConnectAndList();
    void RecordAccount();
    void RunFullListing();
    void RunCountOnlyListing();
    void BringListInStep();
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
    void FinishFullListing();
    void EndAfterError();

    // Delete and disconnect (MainDelete.cpp).
    // QUIT and back to idle; false when the server refused QUIT. A broken connection throws.
    bool QuitSession();
    // DELE for the numbers (or a component's deletion of them), then QUIT.
    void DeleteNumbers(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked);
    void RemoveDeletedRows(const std::vector<TMsgNumber>& deleted);
    // After the DELEs of numbers (marked: their count and size): QUIT, the rows and panels;
    // true when the server took QUIT, so the mails are gone.
    bool FinishDeletion(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& numbers,
                        const TMarkedMails& marked);
    // The progress bar and panel while deleting: the copies fetched, then the DELEs taken
    // (the last one: mail n).
    void ShowDeletionProgress(TMsgNumber n, const TDeletionProgress& progress);
    // No +OK to QUIT: once QUIT went out, outcome unknown, copies kept; before, none deleted.
    void TellDeletionEnd();
    // The deletion running: the mails whose DELE the server took, and how many have a copy.
    std::vector<TMsgNumber> FDeleAccepted;
    std::size_t FCopiesOfAccepted = 0;

    // Failures (MainErrors.cpp).
    // The connect-failure lines for a cause, the layer's text and the wait that ran out.
    void ReportConnectFailure(TFailureCause cause, const std::string& why,
                              std::chrono::milliseconds waited);
    // A connect that found no usable server: what a component told, or why it failed.
    void ReportOpenFailure();
    // The status lines for a transport failure that ended a command.
    void ReportTransportFailure(const TCommandOutcome& outcome);

    // Language and layout (MainLanguage.cpp, MainFit.cpp).
    void ApplyLanguageTexts();
    // The about, header and message windows speak the window's language.
    void ShareLanguage();
    // Controls grow to their captions in the chosen language; the minimum size follows.
    void FitCaptions();
    // The window at least as wide as the status bar's panels need for their texts (after
    // each change of them) and as the list's columns need.
    void FitWidth();
    int FCaptionsWidth = 0;
    bool FStatusBarWatched = false;
    // The window wholly on its screen, smaller if the screen is.
    void KeepOnScreen();

    // Written by the command machinery only.
    int FState = StateIdle;
    int FRunningCommands = 0;
    bool FAborted = false;        // set by AbortExchange until the next command starts
    bool CancelRequested = false; // Cancel during a listing: stop between two messages
    bool FListingRunning = false;
    bool FCloseRequested = false;

    bool FLanguageChosen = false;
    bool FHeaderTextsAsSent = false;
    THintPointer FHintPointer;

    TAboutBox* FAboutBox = nullptr;
    TForm2* FHeaderWindow = nullptr;
    TForm3* FMessageWindow = nullptr;
};

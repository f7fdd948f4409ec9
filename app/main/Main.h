#pragma once

#include "AccountHistory.h"
#include "Components.h"
#include "ExtraColumns.h"
#include "Frame.h"
#include "HintPointer.h"
#include "KeyringStore.h"
#include "LanguageTexts.h"
#include "Learn.h"
#include "ListingRules.h"
#include "ListingScores.h"
#include "MainCommands.h"
#include "MbxMsg.h"
#include "MbxPOP3.h"
#include "Security.h"
#include "SettingsStore.h"
#include "SpamSetting.h"
#include "TrustedCertificates.h"

#include <QDateTime>
#include <QMainWindow>
#include <QSet>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TDeletionProgress;
struct TMailRowData;
struct TMarkedMails;
struct TAlikeRows;
enum class TAlike;
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
class QUrl;
class TAboutBox;
class TBusyAnimation;
class TForm2;
class TForm3;
class TMarksCountLine;
class TMultiList;
class TOAuth2Flow;
class TOAuth2TokenStore;
class TSecurityIndicator;
struct TCertificateInfo;

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
//   MainSecurity.cpp    the security choice and the questions asked while connecting
//   MainSettings.cpp    the settings file: history, geometry, column widths
//   MainPasswords.cpp   remembered passwords (keyring or settings file)
//   MainLanguage.cpp    the interface language and the texts of the controls
//   MainControls.cpp    building the controls; MainFit.cpp fitting them to their captions
//   MainHeaderTexts.cpp the choice of decoded or sent header texts
//   MainSignIn.cpp      the sign-in choice; OAuth2 tokens from the browser or a refresh;
//                       a token the server refused is dropped
//   MainRules.cpp       the rules run on the listed headers
//   MainColumns.cpp     the list's columns after the subject: captions and widths
//   MainSpam.cpp        spam scores from the user's scorer: setting, column, marking, training
//   MainAlike.cpp       mark alike and the sender lists from a row's context menu
//   MainStatus.cpp      the listing's status line replaced by its result
//   MainRulesDialog.cpp the rules dialog: its menu entry, and the list judged again after it
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
    bool GermanUI() const override { return FGermanUI; }
    int ControlState() const override { return FState; }
    bool CommandRunning() const override { return FRunningCommands > 0; }
    bool HeaderTextsAsSent() const override { return FHeaderTextsAsSent; }
    void StatusClear() override;
    void StatusAppend(const QString& message) override;
    bool StatusReplace(const TText& line, const QString& by) override;
    void StatusAppendMarks(const QString& message) override;
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
    std::function<bool(int number)> KeptByRules() const override;
    void MarkRows(const TAlikeRows& rows) override;
    QString ServerText() const override;
    QString UserText() const override;
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
    // Remember the password of the next login (in the keyring, or else the settings file).
    QCheckBox* Passwort_merken;
    QLabel* Label4;
    QComboBox* Sicherheit; // how the connection is protected
    QLabel* Label5;
    QComboBox* Anmeldung; // password, or OAuth2 in the browser (MainSignIn.cpp)
    TBusyAnimation* Status_avi;
    QPlainTextEdit* info_fenster;
    QPlainTextEdit* info_fenster_eng;
    TMultiList* mail_list;
    QLabel* Status;
    QProgressBar* ProgressBar;
    QStatusBar* Status_leiste;
    std::array<QLabel*, 3> StatusPanels{};
    TSecurityIndicator* Status_sicherheit;

    QMenuBar* MainMenu1;
    QMenu* Datei;
    QAction* Datei_C;
    QAction* Datei_D;
    QAction* Datei_L;
    QAction* Datei_M;
    QAction* Datei_H; // the list's header texts as the server sent them (checkable)
    QAction* Datei_O; // the OAuth2 provider of the server in the login row
    QAction* Datei_E;
    QAction* Datei_Close;
    QMenu* help_men;
    QAction* help_I;
    QMenu* popmen_header;
    QAction* men_header_anzeigen;
    QAction* men_email_anzeigen;
    // Mark alike and the sender lists, in popmen_header (MainAlike.cpp).
    QAction* men_alike_sender;
    QAction* men_alike_domain;
    QAction* men_alike_subject;
    QAction* men_alike_larger;
    QAction* men_alike_older;
    QAction* men_keep_sender;
    QAction* men_mark_sender;
    QAction* men_keep_domain;
    QAction* men_mark_domain;
    // Marks the shown rows alike to the current one, adding to the marks there are; rows the
    // rules keep are left out.
    void MarkAlike(TAlike kind);
    // The current row's sender (or its domain) onto the friends (keep) or the blocked list of
    // the rules script; then the rules run again.
    void AlwaysFrom(bool keep, bool domain);
    // The rules read again and run over the listed rows: new discards are marked, marks the
    // rules made and no longer make go (MainRules.cpp).
    void RerunListingRules();

    TMbxPOP pop3;

    // State.
    bool FGermanUI = false; // chosen once, at the first showing (MainLanguage.cpp)
    TSettingsStore FSettings;
    TTrustedCertificates TrustedCertificates{FSettings};
    // The accounts of earlier logins, shown by servername and Username, with their passwords.
    TAccountHistory Accounts;
    // Where remembered passwords live when a keyring service ran at start; null: the file.
    TKeyringStore* Keyring = nullptr;
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
    // The rules dialog (MainRulesDialog.cpp), from its entry in the Server menu; once it has
    // saved them, the rules are read again so that they apply.
    QAction* Datei_R = nullptr;
    void Datei_RClick();
    void RulesChanged();
    void BuildRulesDialogEntry();
    void ApplyRulesDialogTexts();
    // The list shows the header texts as the server sent them instead of decoded
    // (MainHeaderTexts.cpp).
    void SetHeaderTextsAsSent(bool asSent);

    // Spam scores from the user's own scorer (MainSpam.cpp): its setting and dialog, scores
    // while listing into the Spam column and the rules, marking the spam, training the scorer.
    QAction* Datei_S; // the scorer setting's dialog
    QAction* Datei_P; // mark the mails the scorer rates as spam
    QAction* men_spam;
    QAction* men_ham;
    TSpamSetting SpamSetting;
    void Datei_SClick();
    void Datei_PClick();
    // The current row's mail, fetched whole, trained as spam or not; its row scored again.
    void LearnCurrentMail(TLearnAs as);
    // Mails the scorer has not answered yet in this session.
    int SpamScoresOutstanding() const { return FListingScores.Outstanding(); }
    // Training runs handed to the learner and not yet told.
    int LearningRuns() const { return FLearningRuns; }

    // OAuth2 sign-in (MainSignIn.cpp).
    // Opens the authorization URL; the system browser unless a test puts its own.
    std::function<void(const QUrl&)> OpenBrowser;
    // The time an access token's expiry is measured against (UTC).
    std::function<QDateTime()> SignInClock;
    bool SignsInWithOAuth2() const;
    // Edits the OAuth2 provider of the server in the login row.
    void Datei_OClick();

    // POP3 events (MainErrors.cpp, MainSecurity.cpp).
    void pop3Error(TObject* Sender, int Error, const std::string& Msg);
    void pop3RetrieveProgress(TObject* Sender, uint16_t Percent);
    // A certificate that cannot be verified: true when the user trusts it for this server.
    bool pop3CertificateProblem(const TCertificateInfo& Certificate);
    // Automatic mode, no encryption offered: true when the user consents to plain text.
    bool pop3PlainTextConsent(const std::string& Host, int Port);

    // The command machinery (MainCommands.cpp).
    void btn_aktivieren(int State);
    // Cancel asked the listing to stop after the message in progress.
    bool ListingStopRequested() const { return CancelRequested; }
    // Stops whatever waits for the server at once: the connection is dropped (no QUIT, so
    // nothing is deleted) and the running command ends as cancelled.
    void AbortExchange();

    // Settings (MainSettings.cpp, MainPasswords.cpp).
    void GetFromIniFile();
    void WriteToIniFile();
    // The window's place, size and column widths; while maximised only that it is, so that
    // the place and size before it stay for the next start.
    void WriteGeometry();
    // True when account i's password is kept in the keyring rather than the file.
    bool PasswordInKeyring(int account) const;

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
    void BuildMenus();
    void ConfigureMailList();
    void Wire();

    // The columns after the subject that the listing shows (MainColumns.cpp): their captions
    // in the window's language, and a width for those shown, 0 for the others.
    void ShowExtraColumns();
    TExtraColumns ExtraColumns;

    // Rules on listing (MainRules.cpp): the script read at connect; the row cell of a
    // listed mail (empty when none decided); marking what the rules discarded among the newest
    // rows. The rules' user is the session's, or the login row's while none is open; the rules
    // dialog edits its rules.
    QString RulesUser() const;
    void LoadListingRules();
    // The rule column and any error of the script read.
    void ShowListingRules(const TListingRules::TLoad& load);
    std::string RuleCell(int number, const std::string& header, long long octets);
    void MarkRuleDecisions(int newRows);
    // The decision kept for the row's mail shown (once: a row with a tooltip is done);
    // a discard goes into discarded.
    void ShowRuleDecision(int row, QItemSelection& discarded);
    // After the rules judged the row's mail again (before: what they decided until then): its
    // cell, tooltip and the rules' own mark follow; the user's marks stay.
    void ShowChangedDecision(int row, TRuleAction before, QItemSelection& mark,
                             QItemSelection& unmark);
    int MarkedByRules() const;
    // A mark the rules made and that was taken away is theirs no more: marked again, it is the
    // user's.
    void WireRuleMarks();
    TListingRules ListingRules;
    QSet<int> FRuleMarked; // numbers of the mails the rules marked
    QSet<int> FRuleTaken;  // rules' marks the user took away; an undo gives them back

    // Spam scores (MainSpam.cpp).
    void BuildSpamEntries();
    void ApplySpamTexts();
    // At each connect: a scorer for the session when one is set, and its column.
    void StartSpamScoring();
    // Training needs the listed state; going idle ends the session's scorer, killing what
    // is in flight.
    void SpamSessionState(int state);
    // A listed mail (TOP n N) goes to the scorer; gives its header for the row.
    std::string ScoreListed(TMsgNumber number, const std::string& listed);
    void TakeSpamScores();
    // The scores in whose row is in the list now.
    void ShowWaitingScores();
    void ShowSpamScore(int row, const TScoreResult& result);
    void JudgeWithSpamScore(int row, const TSpamScore& score);
    void LearnedMail(int number, TLearnAs as, const TLearnOutcome& outcome);
    std::unique_ptr<TSpamScorer> FScorer;
    TListingScores FListingScores;
    std::atomic<bool> FScoresPosted{false};
    bool FScorerProblemShown = false;
    int FLearningRuns = 0;
    std::vector<std::future<void>> FLearning; // joined before the scorer goes
    // Mark alike (MainAlike.cpp).
    void BuildAlikeMenu();
    void ApplyAlikeTexts();
    // The listed header of a message number, empty for none.
    std::string_view HeaderOf(int number) const;
    std::string CurrentSender() const;
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
    // Aborted: the connection was dropped on purpose during the running command.
    bool Aborted() const { return FAborted; }
    // A close while a command runs waits for its end; true when the close must wait.
    bool DeferClose();

    // Connect and list (MainConnect.cpp, MainListing.cpp).
    void ShowListInPlaceOfIntroduction();
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
    // The status lines for a transport failure that ended a command.
    void ReportTransportFailure(const TCommandOutcome& outcome);

    // Security (MainSecurity.cpp).
    void WireSecurity();
    void ApplySecurityTexts();
    // Host, port, mode and trusted fingerprint from the login row into pop3; false (with
    // the reason in the status label) when the server field cannot be read.
    bool PrepareSecurity();
    // A connect that found no usable server: what the user declined, or why it failed.
    void ReportOpenFailure();
    void ShowSessionSecurity();

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

    // Remembered passwords (MainPasswords.cpp).
    void BuildRememberOption();
    void ChoosePasswordStore();
    void LoadPasswordOptions();
    void SavePasswordOptions();
    void RememberPassword();
    void KeyringPasswordRead(const QString& server, const QString& user,
                             TKeyringStore::Result result, const QString& password,
                             const QString& error);
    void KeyringPasswordWritten(const QString& server, const QString& user,
                                TKeyringStore::Result result, const QString& error);
    void KeyringNotice(bool& shown, const TText& text, const QString& error);
    // A notice about the keyring for the status, shown once no command runs.
    void QueueKeyringNotice(const QString& notice);
    void ShowKeyringNotices();

    // OAuth2 sign-in (MainSignIn.cpp).
    void WireSignIn();
    void ApplySignInTexts();
    void ChooseAccountSignIn(int account);
    // The exchange of a connect: the sign-in's token (when OAuth2), then connect and list.
    void SignInAndList();
    // The access token into pop3 when OAuth2 is chosen; false (with the reason in the status
    // label) when there is none.
    bool PrepareSignIn();
    // After a refused login: with OAuth2 the access token that went out is dropped, and the
    // status says what the next connect does. False for a password login.
    bool SignInRefused();
    // After a login: the account's way of signing in, and its password if that was used.
    void RememberSignIn();
    // Cancel: a sign-in waiting for the browser or the provider ends.
    void StopSignInWait();

    // Written by the command machinery only.
    int FState = StateIdle;
    int FRunningCommands = 0;
    bool FAborted = false;        // set by AbortExchange until the next command starts
    bool CancelRequested = false; // Cancel during a listing: stop between two messages
    bool FListingRunning = false;
    bool FCloseRequested = false;

    bool FLanguageChosen = false;
    bool FHeaderTextsAsSent = false;
    // Accounts ("server\nuser") whose password is in the keyring.
    QSet<QString> FKeyringAccounts;
    QStringList FKeyringNotices;
    bool FKeyringWriteFailShown = false;
    bool FKeyringUnusableShown = false;
    // The user declined a certificate or plain text during the current connect.
    bool FSecurityDeclined = false;
    THintPointer FHintPointer;
    TOAuth2Flow* FSignInFlow = nullptr;
    TOAuth2TokenStore* FTokens = nullptr; // made at the first OAuth2 sign-in
    bool FSignInNotKeptShown = false;

    TAboutBox* FAboutBox = nullptr;
    TForm2* FHeaderWindow = nullptr;
    TForm3* FMessageWindow = nullptr;
};

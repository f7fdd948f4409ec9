#pragma once

#include "ExtraColumns.h"
#include "LanguageTexts.h"

#include <QString>

#include <functional>
#include <memory>

class QAction;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QStatusBar;
class QToolButton;
class TAccountHistory;
class TCommandScope;
class TMailRows;
class TMbxMsg;
class TMbxPOP;
class TSettingsStore;
enum class TToolGlyph;

// What the main window offers its components: the session, the listed rows, the settings,
// the status, the places where a component adds its controls, and the window's state. A
// component is handed this at construction and keeps it for its life (the window outlives
// its components).
class TFrame {
public:
    // The three control states.
    enum { StateIdle = 0, StateBusy = 1, StateListed = 2 };

    virtual ~TFrame() = default;

    virtual QMainWindow& Window() = 0;
    virtual TMbxPOP& Session() = 0;
    virtual TMailRows& Rows() = 0;
    virtual TSettingsStore& Settings() = 0;
    // The accounts of earlier logins, as the login row shows them.
    virtual TAccountHistory& History() = 0;

    virtual bool GermanUI() const = 0;
    virtual int ControlState() const = 0;
    // A command runs now (they nest through the event processing of POP3 waits).
    virtual bool CommandRunning() const = 0;
    // Cancel dropped the connection during the running command.
    virtual bool Aborted() const = 0;
    // The list shows the header texts as the server sent them instead of decoded.
    virtual bool HeaderTextsAsSent() const = 0;

    // The status label: messages begin with "\r", shown as a line break.
    virtual void StatusClear() = 0;
    virtual void StatusAppend(const QString& message) = 0;
    void StatusAppendText(const TText& text) { StatusAppend(Tr(text, GermanUI())); }
    // A line counting marks: rewritten as the marks change, until the status tells of
    // something else.
    virtual void StatusAppendMarks(const QString& message) = 0;
    // The status label shown (it is hidden until the first connect).
    virtual void ShowStatus() = 0;

    // Where components add their controls: the Server menu (entries go before `ServerEnd`),
    // the list's context menu, the status bar and the row below the list.
    virtual QMenu& ServerMenu() = 0;
    virtual QAction* ServerEnd() = 0;
    // The first of the Server menu's options: the marks' entries go before it, the copies'
    // right after it.
    virtual QAction* ServerOptions() = 0;
    virtual QMenu& RowMenu() = 0;
    // A button in the tool bar, after the window's own mail buttons and those added before it.
    // The window gives it its caption, tooltip and hint in its language and fits it to them;
    // the component wires it and sets when it is enabled.
    virtual QToolButton& AddToolButton(const char* name, TToolGlyph glyph, const TText& caption,
                                       const TText& tip, const TText& hint) = 0;
    virtual QStatusBar& StatusBar() = 0;
    virtual QBoxLayout& BelowList() = 0;
    // An extra column is shown or hidden; its caption and width follow.
    virtual void ShowColumn(TExtraColumn column, bool shown) = 0;
    // The column's caption and the widest cell it usually shows (UTF-8), set once.
    virtual void SetColumnLook(TExtraColumn column, const TText& caption, const char* widest) = 0;
    virtual bool ColumnShown(TExtraColumn column) const = 0;

    // The login row's server (trimmed) and user as typed.
    virtual QString ServerText() const = 0;
    virtual QString UserText() const = 0;
    // The login row's places for the controls of components, each after those already there:
    // an option on the line of the row's own option, a choice (a caption and its field) on the
    // line below. The row places them, takes them into its keyboard order, lets Enter in them
    // connect and fits them to their captions.
    virtual QCheckBox& AddLoginOption(const char* name, int width) = 0;
    struct TLoginChoice {
        QLabel& Caption;
        QComboBox& Field;
    };
    virtual TLoginChoice AddLoginChoice(const char* captionName, const char* name, int width) = 0;
    // A component's answer to PasswordNeeded changed: the password field follows.
    virtual void PasswordNeedChanged() = 0;
    // A remembered password that came late goes into the empty password field, while idle,
    // when the login row shows its account.
    virtual void OfferPassword(const QString& server, const QString& user,
                               const QString& password) = 0;
    // What Connect does: connect, log in and list, when idle.
    virtual void ConnectAndList() = 0;
    // Account i of the history into the login row, then connected and listed, when idle.
    virtual void OpenAccount(int account) = 0;
    // The session's account folder name below the data folder.
    virtual QString AccountFolder() const = 0;

    // The whole mail of a listed row, fetched as a command of its own with Cancel (the
    // control state afterwards: listed); null when the exchange ended otherwise (the status
    // says how).
    virtual std::unique_ptr<TMbxMsg> FetchWholeMail(int number) = 0;
    // Shows a mail in the message window, as the current mail (its attachments can be saved).
    virtual void ShowMail(std::unique_ptr<TMbxMsg> msg) = 0;
};

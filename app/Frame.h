#pragma once

#include "ExtraColumns.h"
#include "LanguageTexts.h"

#include <QString>

#include <functional>
#include <memory>

class QAction;
class QBoxLayout;
class QMainWindow;
class QMenu;
class QStatusBar;
class TCommandScope;
class TMailRows;
class TMbxMsg;
class TMbxPOP;
class TSettingsStore;
struct TAlikeRows;

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

    virtual bool GermanUI() const = 0;
    virtual int ControlState() const = 0;
    // A command runs now (they nest through the event processing of POP3 waits).
    virtual bool CommandRunning() const = 0;
    // The list shows the header texts as the server sent them instead of decoded.
    virtual bool HeaderTextsAsSent() const = 0;

    // The status label: messages begin with "\r", shown as a line break.
    virtual void StatusClear() = 0;
    virtual void StatusAppend(const QString& message) = 0;
    void StatusAppendText(const TText& text) { StatusAppend(Tr(text, GermanUI())); }
    // Replaces the status line of a message by another; false when it is not shown.
    virtual bool StatusReplace(const TText& line, const QString& by) = 0;
    // A line counting marks: rewritten as the marks change, until the status tells of
    // something else.
    virtual void StatusAppendMarks(const QString& message) = 0;

    // Where components add their controls: the Server menu (entries go before `ServerEnd`),
    // the list's context menu, the status bar and the row below the list.
    virtual QMenu& ServerMenu() = 0;
    virtual QAction* ServerEnd() = 0;
    // The first of the Server menu's options: the marks' entries go before it, the copies'
    // right after it.
    virtual QAction* ServerOptions() = 0;
    virtual QMenu& RowMenu() = 0;
    virtual QStatusBar& StatusBar() = 0;
    virtual QBoxLayout& BelowList() = 0;
    // An extra column is shown or hidden; its caption and width follow.
    virtual void ShowColumn(TExtraColumn column, bool shown) = 0;
    // The column's caption and the widest cell it usually shows (UTF-8), set once.
    virtual void SetColumnLook(TExtraColumn column, const TText& caption, const char* widest) = 0;
    virtual bool ColumnShown(TExtraColumn column) const = 0;

    // Commands that mark many rows leave out the mails the rules keep, and say how many they
    // marked (and left out) in a status line counting marks.
    virtual std::function<bool(int number)> KeptByRules() const = 0;
    virtual void MarkRows(const TAlikeRows& rows) = 0;

    // The login row's server (trimmed) and user as typed.
    virtual QString ServerText() const = 0;
    virtual QString UserText() const = 0;
    // The session's account folder name below the data folder.
    virtual QString AccountFolder() const = 0;

    // The whole mail of a listed row, fetched as a command of its own with Cancel (the
    // control state afterwards: listed); null when the exchange ended otherwise (the status
    // says how).
    virtual std::unique_ptr<TMbxMsg> FetchWholeMail(int number) = 0;
    // Shows a mail in the message window, as the current mail (its attachments can be saved).
    virtual void ShowMail(std::unique_ptr<TMbxMsg> msg) = 0;
};

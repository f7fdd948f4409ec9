#pragma once

#include "ExtraColumns.h"
#include "KeptCopyPass.h"
#include "MailRows.h"
#include "MbxPOP3.h"
#include "RowColumns.h"

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A capability beyond the window's own commands is a component: it hooks into the window
// through these calls, each of which does nothing unless the component overrides it. The
// window calls every component in the order they were made.

// A mail the listing has read: its number, size (-1 when unknown), unique id (empty when the
// server gave none), the header its row is made from, and the answer as it arrived (or as it
// was remembered), before any component took from it.
struct TListedMail {
    int Number = 0;
    long long Octets = -1;
    std::string_view Id;
    std::string_view Header;
    std::string_view Arrived;
};

// What the components say of a listed mail before its row goes into the list: each writes its
// own column's cell and its own part of the tooltip, and may ask for the row to be marked.
struct TMailAnswer {
    explicit TMailAnswer(TMailRowData& row) : Row(row) {}
    TMailRowData& Row;                                 // the row's sort keys and data
    std::array<std::string, ExtraColumnCount> Cells{}; // by TExtraColumn, UTF-8
    std::array<QString, RowTipPartCount> Tips{};       // by TRowTip
    bool Mark = false;
};

// How a listing begins: every header (full) or only the count of mails.
struct TListingStart {
    bool Full = true;
    // The server lists unique ids (UIDL among its capabilities).
    bool WithIds = false;
};

// A deletion the window runs: a component that carries out the DELEs itself reports through it.
class TDeletionRun {
public:
    virtual ~TDeletionRun() = default;
    // The server took DELE n.
    virtual void Accepted(TMsgNumber n) = 0;
    // How far it is (last: the mail whose DELE was taken last, 0 for none yet).
    virtual void Progress(TMsgNumber last, const TDeletionProgress& progress) = 0;
    // Copies were kept of this many mails whose DELE the server took.
    virtual void CopiesKept(std::size_t copies) = 0;
    // The number mail n of this session was listed with: they differ when the session is not
    // the listing's (Delete reconnected after the server dropped it).
    virtual TMsgNumber ListedNumberOf(TMsgNumber n) const { return n; }
    // The connection was dropped on purpose (Cancel): nothing more is to be done.
    virtual bool Aborted() const = 0;
    // QUIT, the rows of the deleted mails and the status: true when the server took QUIT.
    virtual bool Finish(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& deleted,
                        const TMarkedMails& mails) = 0;
};

class TComponent {
public:
    virtual ~TComponent() = default;

    // The window's language, at the first showing and whenever it changes.
    virtual void LanguageChanged(bool germanUI) { (void)germanUI; }
    // The control state (idle, busy, listed) after each change.
    virtual void StateChanged(int state) { (void)state; }
    // The settings file was read at start, the account history with it: the component's
    // values come out.
    virtual void ReadSettings() {}
    // The settings file is about to be written: the component's values go in.
    virtual void WriteSettings() {}
    // Account i's password is kept by the component, so the settings file goes without it.
    virtual bool KeepsPasswordOf(int account) const {
        (void)account;
        return false;
    }
    // The last running command ended (commands nest).
    virtual void CommandsEnded() {}

    // The login row chose account i of the history.
    virtual void AccountChosen(int account) { (void)account; }
    // A login needs the password field's text: false when the component signs in otherwise.
    virtual bool PasswordNeeded() const { return true; }
    // Before a connect, once the login row is read: false stops it (the status says why).
    virtual bool PrepareConnect() { return true; }
    // Inside the connect's exchange (busy, Cancel at hand), before the connection opens: false
    // stops it (the status says why, unless Cancel ended it).
    virtual bool SignIn() { return true; }
    // The connection could not be opened: true when the component told the user why.
    virtual bool OpenFailed() { return false; }
    // The connection is open; the login comes next.
    virtual void Opened() {}
    // The server took the login.
    virtual void LoggedIn() {}
    // The server refused the login: true when the component told the user what comes next.
    virtual bool LoginRefused() { return false; }
    // Cancel: whatever the component waits for ends.
    virtual void Cancel() {}

    // Every row went: a connect begins.
    virtual void RowsCleared() {}
    // After STAT, before the first mail is listed.
    virtual void ListingBegins(const TListingStart& start) { (void)start; }
    // Asked once a full listing with unique ids begins: headers an earlier listing kept, to
    // take instead of asking the server (null: none, the listing asks for every mail as it
    // always did). The first component to give them wins.
    virtual const TMbxPOP::TRemembered* RememberedHeaders() { return nullptr; }
    // Of the component that gave them: a row's columns made ahead of the listing from the
    // remembered header just taken for mail id (valid until the next call); nullopt when none
    // were made.
    virtual std::optional<TRowColumnsView> PreparedColumns(std::string_view id) {
        (void)id;
        return std::nullopt;
    }
    // The answer as it arrived (TOP n L): a component that asked for body lines takes them off,
    // leaving the header.
    virtual void MailArrived(int number, std::string& listed) {
        (void)number;
        (void)listed;
    }
    virtual void MailListed(const TListedMail& mail, TMailAnswer& answer) {
        (void)mail;
        (void)answer;
    }
    // A batch of listed rows is now in the list.
    virtual void RowsListed() {}
    // The listing ended: complete, or stopped by Cancel (false).
    virtual void ListingEnded(bool complete) { (void)complete; }

    // The marked mails as the confirmation of Delete counts them.
    virtual void CountMarked(TMarkedMails& marked) { (void)marked; }
    // What the confirmation of Delete says besides (empty: nothing).
    virtual QString DeletionNote() const { return {}; }
    // Carries out the DELEs of the marked mails itself (highest number first), reporting to
    // run, and returns true; false leaves them to the window.
    virtual bool DeleteMails(const std::vector<TMsgNumber>& numbers, TDeletionRun& run) {
        (void)numbers;
        (void)run;
        return false;
    }
    // The server took QUIT after these mails' DELE: their rows are gone.
    virtual void RowsRemoved(const std::vector<TMsgNumber>& numbers) { (void)numbers; }
    // QUIT went out after the DELE of these mails, and its answer did not come: true when the
    // component noted them for the next listing.
    virtual bool DeletionUnconfirmed(const std::vector<TMsgNumber>& numbers) {
        (void)numbers;
        return false;
    }
};

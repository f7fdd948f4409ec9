// The command machinery: every command that talks to the server runs in a TCommandScope and
// its exchange through RunExchange; Cancel, the control states and a close that waits for the
// running command are here too.
#include "MainCommands.h"

#include "BusyAnimation.h"
#include "ErrorMessage.h"
#include "FailureTexts.h"
#include "Main.h"
#include "MainErrors.h"
#include "MultiLst.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include <exception>

namespace {

// How long a close waits for a listing to reach the end of the message in progress.
constexpr int CloseGraceMs = 2000;

constexpr TText CancelledByUser{"\rAbgebrochen.", "\rCancelled."};

} // namespace

TCommandScope::TCommandScope(TForm1& form, int stateIfConnected)
    : form_(form), stateIfConnected_(stateIfConnected),
      uncaughtAtStart_(std::uncaught_exceptions()) {
    if (form_.Commands.Running == 0)
        form_.Commands.Aborted = false;
    ++form_.Commands.Running;
}

TCommandScope::~TCommandScope() {
    --form_.Commands.Running;
    if (std::uncaught_exceptions() > uncaughtAtStart_)
        form_.Recover(stateIfConnected_);
    if (form_.Commands.Running == 0)
        form_.Parts.ForEach([](TComponent& part) { part.CommandsEnded(); });
    if (form_.Commands.Running == 0 && form_.Commands.CloseRequested)
        QMetaObject::invokeMethod(&form_, &QWidget::close, Qt::QueuedConnection);
    if (failureText_)
        ShowErrorMessage(QApplication::activeWindow(), *failureText_);
}

void TCommandScope::Fail(const TCommandOutcome& failure) {
    if (failure.Transport)
        ReportTransportFailure(form_, failure);
    form_.Recover(stateIfConnected_);
    failureText_ =
        FailureDisplayText(failure, form_.GermanUI(), TimeoutSeconds(form_.pop3.ReceiveTimeout));
}

TListingRun::TListingRun(TForm1& form) : form_(form) {
    form_.Commands.ListingRunning = true;
    form_.Commands.CancelRequested = false;
}

TListingRun::~TListingRun() {
    form_.Commands.ListingRunning = false;
}

TCommandOutcome TForm1::RunExchange(const std::function<void()>& exchange) {
    try {
        exchange();
    } catch (const std::exception&) {
        // Dropping the connection makes the exchange fail somewhere; that is the cancel.
        if (!Commands.Aborted)
            return TCommandOutcome::FromCurrentException();
    } catch (...) {
        if (!Commands.Aborted)
            throw;
    }
    return Commands.Aborted ? TCommandOutcome::Cancelled() : TCommandOutcome{};
}

void TForm1::EndCancelled() {
    const int listed = std::max(mail_list->count() - 1, 0);
    StatusClear();
    StatusAppend(Tr(CancelledByUser, GermanUI()));
    if (MailCount > 0 && listed < MailCount) {
        SetPanelText(0, Tr(Texts::ListedOfPanel, GermanUI()).arg(listed).arg(MailCount));
        StatusAppend(Tr(Texts::ListedOf, GermanUI()).arg(listed).arg(MailCount));
    }
    StatusAppendText(Texts::Terminated);
    ShowCancelButton(false);
    QuitSession();
}

void TForm1::ShowCancelButton(bool shown) {
    Tools.btn_cancel->setVisible(shown);
    Tools.BtnDisconnect->setVisible(!shown);
}

void TForm1::Recover(int stateIfConnected) {
    Bottom.ProgressBar->hide();
    ShowCancelButton(false);
    if (stateIfConnected == StateListed && pop3.Connected()) {
        btn_aktivieren(StateListed);
        return;
    }
    Commands.SessionLost = !pop3.Connected();
    try {
        pop3.Quit();
    } catch (...) {
        // The failure on its way to the user says what went wrong; a second one adds nothing.
    }
    FRows->SetHeadersAside();
    btn_aktivieren(StateIdle);
    SetFocusByRule();
}

void TForm1::btn_aktivieren(int State) {
    Commands.State = State;
    const bool idle = State == StateIdle;
    const bool busy = State == StateBusy;
    const bool listed = State == StateListed;
    for (QObject* control :
         {static_cast<QObject*>(Tools.BtnConnect), static_cast<QObject*>(Menus.Datei_C)})
        control->setProperty("enabled", idle);
    for (QObject* control : std::initializer_list<QObject*>{
             Tools.BtnDisconnect, Menus.Datei_D, Tools.BtnMark, Menus.Datei_M, Tools.btn_header,
             Menus.men_header_anzeigen, Tools.btn_mail, Menus.men_email_anzeigen})
        control->setProperty("enabled", listed);
    // The rows of a session that ended without QUIT can still be deleted: Delete connects again.
    for (QObject* control :
         {static_cast<QObject*>(Tools.BtnDelete), static_cast<QObject*>(Menus.Datei_L)})
        control->setProperty("enabled",
                             listed || (idle && Commands.SessionLost && FRows->Count() > 0));
    for (QObject* control : std::initializer_list<QObject*>{Tools.BtnInfo, Menus.help_I,
                                                            Tools.BtnClose, Menus.Datei_Close})
        control->setProperty("enabled", !busy);
    for (QWidget* field :
         std::initializer_list<QWidget*>{Login.servername, Login.Username, Login.Header_Nein})
        field->setEnabled(idle);
    for (QWidget* option : Login.Options)
        option->setEnabled(idle);
    for (const auto& choice : Login.Choices)
        choice.second->setEnabled(idle);
    Login.Password->setEnabled(idle && PasswordNeeded());
    Tools.Status_avi->SetActive(busy);
    // Marks made while a command runs would not be the ones it acts on.
    mail_list->SetLocked(busy);
    Parts.ForEach([State](TComponent& part) { part.StateChanged(State); });
}

void TForm1::btn_cancelClick() {
    // A listing stops between two messages and keeps its session; a second click, or any
    // other wait (connect, login, retrieval, deletion), drops the connection at once.
    if (Commands.ListingRunning && !Commands.CancelRequested) {
        Commands.CancelRequested = true;
        return;
    }
    AbortExchange();
}

void TForm1::AbortExchange() {
    if (Commands.Running == 0)
        return;
    Commands.Aborted = true;
    Commands.CancelRequested = true;
    Parts.ForEach([](TComponent& part) { part.Cancel(); });
    // Closing from inside the wait's event hook: the socket layer sees the closed state when
    // the hook returns and the waiting call gives up.
    if (TClientWinSocket* socket = pop3.ClientSocket().Socket())
        socket->Close();
}

bool TForm1::DeferClose() {
    if (Commands.Running == 0) {
        Commands.CloseRequested = false;
        return false;
    }
    // Never QUIT from inside a running exchange: stop what runs, close when it returned. A
    // listing stops after the message in progress and the session ends with QUIT; a server
    // that keeps the window waiting longer than that is dropped.
    Commands.CloseRequested = true;
    if (Commands.ListingRunning && !Commands.CancelRequested) {
        Commands.CancelRequested = true;
        QTimer::singleShot(CloseGraceMs, this, [this] {
            if (Commands.CloseRequested)
                AbortExchange();
        });
    } else {
        AbortExchange();
    }
    return true;
}

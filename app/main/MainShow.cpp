// Show the header or the whole mail of the chosen row.
#include "Header.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"
#include "email.h"

#include <QProgressBar>

void TForm1::men_header_anzeigenClick() {
    if (!Windows.HeaderWindow)
        return;
    // The header was kept by the listing, in message order; nothing is sent to the server.
    const int number = CurrentMessageNumber(*mail_list);
    if (number >= 1 && number - 1 < static_cast<int>(FRows->Headers().size()))
        Windows.HeaderWindow->AddHeaderText(FRows->Headers()[static_cast<std::size_t>(number - 1)]);
    Windows.HeaderWindow->exec();
}

void TForm1::men_email_anzeigenClick() {
    const int number = CurrentMessageNumber(*mail_list);
    if (!Windows.MessageWindow || ControlState() != StateListed || number < 1)
        return;
    TCommandScope scope(*this, StateListed);
    std::unique_ptr<TMbxMsg> msg = FetchWholeMail(scope, number);
    if (!msg)
        return;
    CurrentMsg = std::move(msg);
    Windows.MessageWindow->ShowMessageOf(*CurrentMsg);
    Windows.MessageWindow->exec();
}

std::unique_ptr<TMbxMsg> TForm1::FetchWholeMail(TCommandScope& scope, int number) {
    Bottom.ProgressBar->setMaximum(100);
    Bottom.ProgressBar->setValue(0);
    Bottom.ProgressBar->show();
    // Busy while the mail comes in, so no other command runs inside this exchange.
    btn_aktivieren(StateBusy);
    ShowCancelButton(true);
    std::unique_ptr<TMbxMsg> msg;
    // The mail as it came stays with it, for the message window to save as .eml.
    pop3.KeepRawMail = true;
    const TCommandOutcome outcome =
        RunExchange([&] { msg = pop3.Retrieve(static_cast<TMsgNumber>(number)); });
    pop3.KeepRawMail = false;
    if (outcome.IsCancelled()) {
        // The session is gone and the window says so; no mail window pops up.
        EndCancelled();
        return nullptr;
    }
    if (outcome.IsFailed()) {
        scope.Fail(outcome);
        return nullptr;
    }
    Bottom.ProgressBar->hide();
    ShowCancelButton(false);
    if (!msg) {
        // Refused: the server's text is shown and the session is already closed.
        StatusAppendText(Texts::Terminated);
        QuitSession();
        return nullptr;
    }
    if (pop3.LastRetrievalUsedRetr())
        StatusAppendText(Texts::FetchedWithRetr);
    btn_aktivieren(StateListed);
    return msg;
}

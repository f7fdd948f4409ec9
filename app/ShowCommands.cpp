// Show the header or the whole mail of the chosen row.
#include "CommandScope.h"
#include "Header.h"
#include "Main.h"
#include "MultiLst.h"
#include "email.h"

#include <QProgressBar>

void TForm1::men_header_anzeigenClick() {
    if (!FHeaderWindow)
        return;
    // The header was kept by the listing; nothing is sent to the server.
    const int row = mail_list->currentRow();
    if (row >= 1 && row - 1 < static_cast<int>(HeaderTexts.size()))
        FHeaderWindow->AddHeaderText(HeaderTexts[static_cast<std::size_t>(row - 1)]);
    FHeaderWindow->exec();
}

void TForm1::men_email_anzeigenClick() {
    const int row = mail_list->currentRow();
    if (!FMessageWindow || FState != StateListed || row < 1)
        return;
    TCommandScope scope(*this, StateListed);
    ProgressBar->setMaximum(100);
    ProgressBar->setValue(0);
    ProgressBar->show();
    // Busy while the mail comes in, so no other command runs inside this exchange.
    btn_aktivieren(StateBusy);
    std::unique_ptr<TMbxMsg> msg = pop3.Retrieve(static_cast<uint16_t>(row));
    ProgressBar->hide();
    if (!msg) {
        // Refused: the server's text is shown and the session is already closed.
        StatusAppendText(Texts::Terminated);
        BtnDisconnectClick();
        return;
    }
    CurrentMsg = std::move(msg);
    if (pop3.LastRetrievalUsedRetr())
        StatusAppendText(Texts::FetchedWithRetr);
    btn_aktivieren(StateListed);
    FMessageWindow->ShowMessageOf(*CurrentMsg);
    FMessageWindow->exec();
}

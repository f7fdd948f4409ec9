// Delete the marked mails, mark all, disconnect and cancel a listing.
#include "CommandScope.h"
#include "Main.h"
#include "MultiLst.h"

#include <QProgressBar>
#include <QToolButton>

#include <memory>

void TForm1::BtnDeleteClick() {
    if (FState != StateListed)
        return;
    TCommandScope scope(*this, StateIdle);
    btn_aktivieren(StateBusy);
    // From the last row up, so removing a row never shifts one still to be visited.
    for (int n = mail_list->count() - 1; n >= 1; --n) {
        if (!mail_list->item(n)->isSelected())
            continue;
        const int errorsBefore = FReportedErrors;
        pop3.DeleteMsg(static_cast<uint16_t>(n));
        if (FReportedErrors != errorsBefore) {
            // The session was closed without QUIT, so nothing at all was deleted.
            StatusAppendText(Texts::Terminated);
            BtnDisconnectClick();
            return;
        }
        if (n - 1 < static_cast<int>(HeaderTexts.size()))
            HeaderTexts.erase(HeaderTexts.begin() + (n - 1));
        std::unique_ptr<QListWidgetItem> deleted(mail_list->takeItem(n));
        SetPanelText(2, Tr(Texts::DeletingMail, GermanUI) + QString::number(n));
    }
    StatusAppendText(Texts::Terminated);
    const int errorsBefore = FReportedErrors;
    BtnDisconnectClick();
    if (FReportedErrors != errorsBefore) {
        // A refused QUIT: the server need not have carried out the deletions.
        StatusAppendText(Texts::Terminated);
        return;
    }
    StatusClear();
    StatusAppendText(Texts::AllDeleted);
    StatusAppendText(Texts::Terminated);
}

void TForm1::BtnMarkClick() {
    for (int row = 1; row < mail_list->count(); ++row)
        mail_list->item(row)->setSelected(true);
}

void TForm1::BtnDisconnectClick() {
    TCommandScope scope(*this, StateIdle);
    ProgressBar->hide();
    ProgressBar->setValue(0);
    btn_aktivieren(StateBusy);
    pop3.Quit();
    HeaderTexts.clear();
    btn_aktivieren(StateIdle);
    SetFocusByRule();
}

void TForm1::btn_cancelClick() {
    btn_cancel->hide();
    BtnDisconnect->show();
    ProgressBar->hide();
    ProgressBar->setValue(0);
    ProgressBar->setMaximum(100);
    btn_aktivieren(StateListed);
    CancelRequested = true;
}

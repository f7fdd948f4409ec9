// List the mailbox after the login: every mail's header and size, or only their count.
#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MbxMIME.h"
#include "MultiLst.h"

#include <QElapsedTimer>
#include <QProgressBar>

#include <algorithm>
#include <vector>

namespace {

// Adds the waiting rows. The list numbers rows from 1 once its spacer is in, and it marks the
// first row when the spacer arrives; a mark here must come from the user, never by itself.
// Gives the numbers of the mails the components asked to be marked.
std::vector<int> AddBatch(TMultiList* list, TMailRowBatch& batch) {
    const bool hadSpacer = list->count() > 0;
    std::vector<int> marked = batch.AddTo(*list);
    list->CheckSpacer();
    if (!hadSpacer)
        list->clearSelection();
    list->setVisible(true);
    return marked;
}

// Rows go to the list at most this often while a listing runs, so that painting and the
// list's layout cost per batch rather than per mail.
constexpr qint64 BatchIntervalMs = 100;

// The number column grows to show the largest number whole.
void FitNumberColumn(TMultiList* list, int largestNumber) {
    if (largestNumber <= 0)
        return;
    const int needed = NumberColumnWidth(*list, largestNumber);
    if (list->SectionWidth(0) >= needed)
        return;
    list->SetSectionWidth(0, needed);
    if (TMultiListHeader* header = list->ListHeader())
        header->SetSectionWidth(0, needed);
    list->viewport()->update();
}

} // namespace

void TForm1::RunCountOnlyListing() {
    ProgressBar->show();
    ProgressBar->setFocus();
    StatusAppendText(Texts::CountOnlyListing);
    TMailRowBatch batch;
    for (int n = 1; n <= MailCount; ++n) {
        batch.Add(QStringLiteral(" %1 | - | - | - | - |").arg(n), MailRowData(n, -1, {}));
        FRows->AddHeader(" ");
    }
    FitNumberColumn(mail_list, batch.LargestNumber());
    AddBatch(mail_list, batch);
    ShowCancelButton(false);
    btn_aktivieren(StateListed);
    // The first row becomes current without being marked: Delete removes marked mails only.
    mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    ProgressBar->hide();
}

void TForm1::RunFullListing() {
    ProgressBar->show();
    ProgressBar->setFocus();
    ProgressBar->setMaximum(MailCount);
    StatusAppendText(Texts::FullListing);
    const TListingRun running(*this);

    // Rows come in order as their answers arrive; with pipelining several mails are in flight.
    // They reach the list in batches; a sorted list sorts each batch in, so the interval grows
    // with what that costs.
    TMailRowBatch batch;
    TMsgNumber lastListed = 0;
    qint64 intervalMs = 0;
    QElapsedTimer sinceBatch;
    sinceBatch.start();
    const auto addBatch = [&] {
        if (batch.Size() == 0)
            return;
        QElapsedTimer adding;
        adding.start();
        FitNumberColumn(mail_list, batch.LargestNumber());
        FRows->Mark(TNumberRuns::Of(AddBatch(mail_list, batch)));
        Parts.ForEach([](TComponent& part) { part.RowsListed(); });
        ProgressBar->setValue(static_cast<int>(lastListed));
        intervalMs = std::max(BatchIntervalMs, 4 * adding.elapsed());
        sinceBatch.restart();
    };
    TMbxPOP::TPassEnd end = TMbxPOP::TPassEnd::Complete;
    const auto row = [&](TMsgNumber n, const std::string& listed, const std::string& size,
                         const std::string& id) {
        std::string header = listed;
        Parts.ForEach([&](TComponent& part) { part.MailArrived(static_cast<int>(n), header); });
        FRows->AddHeader(header + "|");
        int32_t octets = -1;
        const bool sized = ParseInt32(Trim(size), octets);
        TMailRowData data = MailRowData(static_cast<int>(n), sized ? octets : -1, header);
        TMailAnswer answer(data);
        const TListedMail mail{static_cast<int>(n), sized ? octets : -1, id, header};
        Parts.ForEach([&](TComponent& part) { part.MailListed(mail, answer); });
        batch.Add(FromMailText(" " + std::to_string(n) + " |" + DisplaySize(size) + " |" +
                               filter(header, GermanUI(), HeaderTextsAsSent()) +
                               ExtraColumns.Cells(answer.Cells)),
                  answer.Row, answer.Tips, answer.Mark);
        lastListed = n;
        if (sinceBatch.elapsed() >= intervalMs)
            addBatch();
    };
    const auto stop = [this] { return ListingStopRequested(); };
    try {
        const auto count = static_cast<TMsgNumber>(MailCount);
        const bool withIds = pop3.Capabilities().Known && pop3.Capabilities().Uidl;
        end = withIds ? pop3.ListMailsWithIds(count, row, stop)
                      : pop3.ListMails(
                            count,
                            [&](TMsgNumber n, const std::string& header, const std::string& size) {
                                row(n, header, size, {});
                            },
                            stop);
    } catch (...) {
        // The rows read before the failure or the cancel stay listed.
        addBatch();
        throw;
    }
    addBatch();
    switch (end) {
    case TMbxPOP::TPassEnd::Complete:
        Parts.ForEach([](TComponent& part) { part.ListingEnded(true); });
        FinishFullListing();
        break;
    case TMbxPOP::TPassEnd::Cancelled:
        BringListInStep();
        ProgressBar->hide();
        ProgressBar->setValue(0);
        ProgressBar->setMaximum(100);
        ShowCancelButton(false);
        btn_aktivieren(StateListed);
        EndStoppedListing();
        Parts.ForEach([](TComponent& part) { part.ListingEnded(false); });
        mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        break;
    case TMbxPOP::TPassEnd::SessionEnded:
        EndAfterError();
        break;
    }
}

void TForm1::FinishFullListing() {
    ReportListed();
    ProgressBar->hide();
    ShowCancelButton(false);
    btn_aktivieren(StateListed);
    mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
}

// Rows and kept headers must match one to one after a stop between messages.
void TForm1::BringListInStep() {
    const auto headerCount = static_cast<int>(FRows->Headers().size());
    std::vector<int> surplus;
    for (int row = headerCount + 1; row < mail_list->count(); ++row)
        surplus.push_back(row);
    mail_list->RemoveRows(surplus);
    FRows->KeepHeaders(static_cast<std::size_t>(FRows->Count()));
}

// A refused command ends the listing: the server's text stays, the session is closed.
void TForm1::EndAfterError() {
    ShowCancelButton(false);
    QuitSession();
}

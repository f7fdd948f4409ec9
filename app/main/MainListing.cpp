// List the mailbox after the login: every mail's header and size, or only their count.
#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MbxMIME.h"
#include "MultiLst.h"
#include "RowColumns.h"

#include <QElapsedTimer>
#include <QProgressBar>

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

namespace {

// Adds the waiting rows. The list numbers rows from 1 once its spacer is in, and it marks the
// first row when the spacer arrives; a mark here must come from the user, never by itself.
// Gives the numbers of the mails the components asked to be marked.
std::vector<int> AddBatch(TMailRows& rows, TMailRowBatch& batch) {
    TMultiList* list = &rows.List();
    const bool hadSpacer = list->count() > 0;
    std::vector<int> marked = batch.AddTo(rows);
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

// A row's text: " n |size |", its date, sender and subject cells, and the cells of the columns
// after them, all put together in UTF-8 and made a QString in one go.
QString RowText(TMsgNumber n, const std::string& size, std::string_view cells,
                const std::string& extraCells) {
    const std::string sizeText = DisplaySize(size);
    char number[16];
    const auto numberEnd = std::to_chars(number, number + sizeof number, n).ptr;
    std::string text;
    text.reserve(static_cast<std::size_t>(numberEnd - number) + sizeText.size() + 5 + cells.size() +
                 extraCells.size());
    text.append(" ")
        .append(number, numberEnd)
        .append(" |")
        .append(sizeText)
        .append(" |")
        .append(cells)
        .append(extraCells);
    return FromMailText(text);
}

} // namespace

// A listing of the mailbox after the login, as a command of the window: every mail's header
// and size, or only their count.
class TWindowListing {
public:
    explicit TWindowListing(TForm1& form) : form_(form) {}
    void RunFull();
    void RunCountOnly();

private:
    void Finish();
    // Rows and kept headers must match one to one after a stop between messages.
    void BringInStep();
    // A refused command ends the listing: the server's text stays, the session is closed.
    void EndAfterError();
    // A listing stopped by Cancel: how many of the mails it listed.
    void EndStopped();
    // In place of the line of the running listing: how many mails it listed.
    void ReportListed();

    TForm1& form_;
};

void TForm1::RunListing(bool full) {
    TWindowListing listing(*this);
    if (full)
        listing.RunFull();
    else
        listing.RunCountOnly();
}

void TWindowListing::RunCountOnly() {
    form_.Bottom.ProgressBar->show();
    form_.Bottom.ProgressBar->setFocus();
    form_.StatusAppendText(Texts::CountOnlyListing);
    form_.FRows->Reserve(form_.MailCount);
    TMailRowBatch batch;
    for (int n = 1; n <= form_.MailCount; ++n) {
        batch.Add(QStringLiteral(" %1 | - | - | - | - |").arg(n), MailRowData(n, -1, std::nullopt));
        form_.FRows->AddHeader(" ");
    }
    FitNumberColumn(form_.mail_list, batch.LargestNumber());
    AddBatch(*form_.FRows, batch);
    form_.ShowCancelButton(false);
    form_.btn_aktivieren(form_.StateListed);
    // The first row becomes current without being marked: Delete removes marked mails only.
    form_.mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    form_.Bottom.ProgressBar->hide();
}

void TWindowListing::RunFull() {
    form_.Bottom.ProgressBar->show();
    form_.Bottom.ProgressBar->setFocus();
    form_.Bottom.ProgressBar->setMaximum(form_.MailCount);
    form_.StatusAppendText(Texts::FullListing);
    form_.FRows->Reserve(form_.MailCount);
    const TListingRun running(form_);

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
        FitNumberColumn(form_.mail_list, batch.LargestNumber());
        form_.FRows->Mark(TNumberRuns::Of(AddBatch(*form_.FRows, batch)));
        form_.Parts.ForEach([](TComponent& part) { part.RowsListed(); });
        form_.Bottom.ProgressBar->setValue(static_cast<int>(lastListed));
        intervalMs = std::max(BatchIntervalMs, 4 * adding.elapsed());
        sinceBatch.restart();
    };
    TMbxPOP::TPassEnd end = TMbxPOP::TPassEnd::Complete;
    TComponent* rememberer = nullptr; // the component whose remembered headers are taken
    const auto row = [&](TMsgNumber n, const std::string& listed, const std::string& size,
                         const std::string& id) {
        // The header kept beside the row ends with "|"; its room is there from the start, so
        // that no row's header is copied twice.
        std::string header;
        header.reserve(listed.size() + 1);
        header.assign(listed);
        form_.Parts.ForEach(
            [&](TComponent& part) { part.MailArrived(static_cast<int>(n), header); });
        int32_t sized = -1;
        const long long octets = ParseInt32(Trim(size), sized) ? sized : -1;
        // Made ahead from the remembered text: they hold while no component changed it.
        std::optional<TRowColumnsView> columns;
        if (rememberer && header == listed)
            columns = rememberer->PreparedColumns(id);
        TRowColumns made;
        if (!columns) {
            made = RowColumnsOf(header, form_.GermanUI(), form_.HeaderTextsAsSent());
            columns = TRowColumnsView{made.Cells, made.DateMs};
        }
        TMailRowData data = MailRowData(static_cast<int>(n), octets, columns->DateMs);
        TMailAnswer answer(data);
        const TListedMail mail{static_cast<int>(n), octets, id, header, listed};
        form_.Parts.ForEach([&](TComponent& part) { part.MailListed(mail, answer); });
        batch.Add(RowText(n, size, columns->Cells, form_.ExtraColumns.Cells(answer.Cells)),
                  answer.Row, std::move(answer.Tips), answer.Mark);
        header.push_back('|');
        // A component that cut the answer down leaves room every kept header would carry.
        if (header.capacity() > header.size() + header.size() / 4)
            header.shrink_to_fit();
        form_.FRows->AddHeader(std::move(header), id);
        lastListed = n;
        if (sinceBatch.elapsed() >= intervalMs)
            addBatch();
    };
    const auto stop = [this] { return form_.ListingStopRequested(); };
    try {
        const auto count = static_cast<TMsgNumber>(form_.MailCount);
        const bool withIds = form_.pop3.Capabilities().Known && form_.pop3.Capabilities().Uidl;
        const TMbxPOP::TRemembered* remembered = nullptr;
        if (withIds)
            form_.Parts.ForEach([&](TComponent& part) {
                if (remembered)
                    return;
                remembered = part.RememberedHeaders();
                if (remembered)
                    rememberer = &part;
            });
        if (remembered) {
            // Two answers name every mail; only the headers not remembered are asked for.
            std::vector<TIndexedMail> mails;
            end = form_.pop3.ListMailbox(mails);
            if (end == TMbxPOP::TPassEnd::Complete)
                end = form_.pop3.ListMailsRemembering(mails, *remembered, row, stop);
        } else {
            end = withIds ? form_.pop3.ListMailsWithIds(count, row, stop)
                          : form_.pop3.ListMails(
                                count,
                                [&](TMsgNumber n, const std::string& header,
                                    const std::string& size) { row(n, header, size, {}); },
                                stop);
        }
    } catch (...) {
        // The rows read before the failure or the cancel stay listed.
        addBatch();
        throw;
    }
    addBatch();
    switch (end) {
    case TMbxPOP::TPassEnd::Complete:
        form_.Parts.ForEach([](TComponent& part) { part.ListingEnded(true); });
        Finish();
        break;
    case TMbxPOP::TPassEnd::Cancelled:
        BringInStep();
        form_.Bottom.ProgressBar->hide();
        form_.Bottom.ProgressBar->setValue(0);
        form_.Bottom.ProgressBar->setMaximum(100);
        form_.ShowCancelButton(false);
        form_.btn_aktivieren(form_.StateListed);
        EndStopped();
        form_.Parts.ForEach([](TComponent& part) { part.ListingEnded(false); });
        form_.mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        break;
    case TMbxPOP::TPassEnd::SessionEnded:
        EndAfterError();
        break;
    }
}

void TWindowListing::Finish() {
    ReportListed();
    form_.Bottom.ProgressBar->hide();
    form_.ShowCancelButton(false);
    form_.btn_aktivieren(form_.StateListed);
    form_.mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
}

// Rows and kept headers must match one to one after a stop between messages.
void TWindowListing::BringInStep() {
    const auto headerCount = static_cast<int>(form_.FRows->Headers().size());
    std::vector<int> surplus;
    for (int row = headerCount + 1; row < form_.mail_list->count(); ++row)
        surplus.push_back(row);
    form_.mail_list->RemoveRows(surplus);
    form_.FRows->KeepHeaders(static_cast<std::size_t>(form_.FRows->Count()));
}

// A refused command ends the listing: the server's text stays, the session is closed.
void TWindowListing::EndAfterError() {
    form_.ShowCancelButton(false);
    form_.QuitSession();
}

void TWindowListing::EndStopped() {
    const int listed = form_.mail_list->count() - 1;
    form_.SetPanelText(0,
                       Tr(Texts::ListedOfPanel, form_.GermanUI()).arg(listed).arg(form_.MailCount));
    ReportListed();
}

void TWindowListing::ReportListed() {
    const QString listed = Tr(Texts::ListedOf, form_.GermanUI())
                               .arg(std::max(form_.mail_list->count() - 1, 0))
                               .arg(form_.MailCount);
    if (!form_.StatusReplace(Texts::FullListing, listed))
        form_.StatusAppend(listed);
}

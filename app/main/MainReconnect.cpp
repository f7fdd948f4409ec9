// Delete after the server ended the listing's session: the same account again, the marked
// mails found by unique id or by size and header, those still there deleted, then QUIT. The
// rows and their marks stay meanwhile; no listing is made.
#include "ByteText.h"
#include "DeletionTexts.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MainDeletion.h"
#include "MarkedMails.h"
#include "ServerNumbers.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>

namespace {

// What the rows knew of each marked mail when it was listed.
std::vector<TListedMark> ListedMarks(const TMailRows& rows,
                                     const std::vector<TMsgNumber>& numbers) {
    std::unordered_map<int, int> rowOf;
    for (const int row : rows.RowsOf(std::vector<int>(numbers.begin(), numbers.end())))
        rowOf.emplace(rows.NumberAt(row), row);
    std::vector<TListedMark> marks;
    for (const TMsgNumber n : numbers) {
        const auto row = rowOf.find(static_cast<int>(n));
        const long long octets = row == rowOf.end() ? -1 : rows.OctetsAt(row->second);
        // An unknown size (a count-only listing) matches no mail: only an id finds it then.
        marks.push_back(
            {n, octets < 0 ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(octets),
             row == rowOf.end() ? std::string() : rows.IdAt(row->second),
             std::string(rows.ListedHeaderOf(static_cast<int>(n)))});
    }
    return marks;
}

// "Mail n: sender – subject" as the mail's row shows them.
QString ChangedMailLine(const TListedMark& mark, bool germanUI, bool asSent) {
    const QStringList cells =
        QString::fromUtf8(filter(mark.Header, germanUI, asSent)).split(QLatin1Char('|'));
    return Tr(DeletionTexts::ChangedMail, germanUI)
        .arg(mark.Number)
        .arg(cells.value(1).trimmed(), cells.value(2).trimmed());
}

} // namespace

void TWindowDeletion::RunInNewSession(const std::vector<TMsgNumber>& numbers) {
    const std::vector<TListedMark> marks = ListedMarks(*form_.FRows, numbers);
    form_.StatusClear();
    form_.StatusAppendText(DeletionTexts::ConnectingAgain);
    const auto giveUp = [this](const TText& why) {
        form_.StatusAppendText(why);
        form_.ShowCancelButton(false);
        form_.QuitSession();
        // Nothing was deleted: the rows wait for another try, as after the lost session.
        form_.Commands.SessionLost = true;
        form_.btn_aktivieren(TFrame::StateIdle);
        form_.ShowMarkedSummary();
    };
    if (!ConnectAgain(form_)) {
        if (!form_.Aborted())
            giveUp(DeletionTexts::NotConnectedAgain);
        return;
    }
    form_.MailCount = static_cast<int>(form_.pop3.MessageCount());
    form_.MailboxSizeText = form_.pop3.MailboxSize();
    TMarksNow now;
    const TMbxPOP::TPassEnd found = FindMarkedMails(form_.pop3, marks, now);
    if (form_.Aborted())
        return;
    if (found != TMbxPOP::TPassEnd::Complete) {
        // The server's error is in the status.
        giveUp(Texts::NoneDeleted);
        return;
    }
    const auto tellWhatWasLeft = [&] {
        if (!now.Gone.empty())
            form_.StatusAppend(
                Tr(DeletionTexts::GoneAlready, form_.GermanUI()).arg(now.Gone.size()));
        if (now.Changed.empty())
            return;
        form_.StatusAppendText(DeletionTexts::ChangedNotDeleted);
        for (const TListedMark& mark : now.Changed)
            form_.StatusAppend(ChangedMailLine(mark, form_.GermanUI(), form_.HeaderTextsAsSent()));
    };
    if (now.Found.empty()) {
        form_.StatusClear();
        form_.StatusAppendText(Texts::NoneDeleted);
        tellWhatWasLeft();
        form_.StatusAppendText(Texts::Terminated);
        form_.ShowCancelButton(false);
        form_.QuitSession();
        form_.ShowMarkedSummary();
        return;
    }
    FoundAgain(now);
    std::unordered_map<TMsgNumber, uint64_t> sizeOf;
    for (const TListedMark& mark : marks)
        sizeOf.emplace(mark.Number, mark.Size);
    TMarkedMails foundMails;
    for (const TMarksNow::TFound& mail : now.Found) {
        const uint64_t size = sizeOf[mail.Listed];
        ++foundMails.Count;
        foundMails.SizeKnown = foundMails.SizeKnown && size <= kMaxMailSize;
        foundMails.Octets += size <= kMaxMailSize ? static_cast<long long>(size) : 0;
    }
    std::vector<TMsgNumber> numbersNow = now.NumbersNow();
    std::sort(numbersNow.rbegin(), numbersNow.rend());
    Run(numbersNow, foundMails);
    if (form_.Aborted())
        return;
    if (!now.Gone.empty() || !now.Changed.empty()) {
        form_.StatusReplace(Texts::AllDeleted,
                            Tr(DeletionTexts::SomeDeleted, form_.GermanUI()).arg(now.Found.size()));
        tellWhatWasLeft();
    }
}

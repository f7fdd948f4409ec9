#include "NewMailMarkers.h"

#include "AccountData.h"
#include "DeletionTexts.h"
#include "Frame.h"
#include "MbxPOP3.h"
#include "SeenTexts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStatusBar>

#include <exception>
#include <system_error>

namespace {

// U+2022 BULLET: in every font the list may use, and plain beside the numbers.
constexpr const char* NewMarker = "\xE2\x80\xA2";

QString LocalTime(int64_t secondsSince1970) {
    return QDateTime::fromSecsSinceEpoch(secondsSince1970)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

} // namespace

TNewMailMarkers::TNewMailMarkers(TFrame& frame)
    : Count(new QLabel(&frame.StatusBar())),
      Clock([] { return QDateTime::currentSecsSinceEpoch(); }), frame_(frame) {
    Count->setObjectName(QStringLiteral("StatusNew"));
    Count->setTextFormat(Qt::PlainText);
    Count->setFrameShape(QFrame::Panel);
    Count->setFrameShadow(QFrame::Sunken);
    Count->hide();
    // After the count and size of all mails, before the marked ones.
    frame.StatusBar().insertWidget(2, Count);
    frame.SetColumnLook(NewColumn, SeenTexts::Column, "\u2022");
}

void TNewMailMarkers::RowsCleared() {
    // The count belonged to the rows that went.
    ForgetCount();
}

void TNewMailMarkers::ListingBegins(const TListingStart& start) {
    frame_.ShowColumn(NewColumn, false);
    ForgetCount();
    // A count-only listing learns no ids, and a server that does not list UIDL among its
    // capabilities is listed with the very commands it always was; the file stays as it is.
    listing_ = start.Full && start.WithIds;
    tip_.clear(); // the language may have changed
    // The ids of an earlier listing name the mails of another session.
    markers_ = TSeenMarkers();
    loading_ = {};
    if (!listing_)
        return;
    // A big mailbox's seen file takes a while to read: it is read on another core while the
    // server answers, which comes before the first row needs it.
    loadingFile_ = SeenMailsFile(frame_.AccountFolder());
    loading_ = std::async(std::launch::async,
                          [path = QFile::encodeName(loadingFile_).toStdString(), now = Clock()] {
                              TSeenMarkers markers;
                              std::string problem = markers.Begin(path, now);
                              return std::make_pair(std::move(markers), std::move(problem));
                          });
}

TSeenMarkers& TNewMailMarkers::Markers() {
    if (!loading_.valid())
        return markers_;
    auto [markers, problem] = loading_.get();
    markers_ = std::move(markers);
    if (!problem.empty())
        frame_.StatusAppend(Tr(SeenTexts::FileUnusable, frame_.GermanUI())
                                .arg(QDir::toNativeSeparators(loadingFile_),
                                     QString::fromLocal8Bit(problem.c_str())));
    return markers_;
}

void TNewMailMarkers::MailListed(const TListedMail& mail, TMailAnswer& answer) {
    if (!listing_)
        return;
    // The first answer tells whether the server has ids; no row is in the list yet, so the
    // column can still come.
    TSeenMarkers& markers = Markers();
    if (markers.Taken() == 0 && markers.Recorded() && !mail.Id.empty())
        frame_.ShowColumn(NewColumn, true);
    const TSeenMails::TSighting sighting = markers.Take(std::string(mail.Id));
    if (!frame_.ColumnShown(NewColumn) || sighting.Since == 0)
        return;
    answer.Row.SeenSince = sighting.Since;
    answer.Row.New = sighting.New;
    if (sighting.Since != tipSince_ || tip_.isEmpty()) {
        tipSince_ = sighting.Since;
        tip_ = Tr(SeenTexts::OnServerSince, frame_.GermanUI()).arg(LocalTime(sighting.Since));
    }
    answer.Tips[static_cast<int>(TRowTip::Seen)] = tip_;
    if (sighting.New)
        answer.Cells[NewColumn - FirstExtraColumn] = NewMarker;
}

void TNewMailMarkers::ListingEnded(bool complete) {
    if (!listing_)
        return;
    listing_ = false;
    TSeenMarkers& markers = Markers();
    if (!complete) {
        // Saving a part would forget the mails not listed, and those listed would lose
        // their marker next time.
        if (frame_.ColumnShown(NewColumn))
            frame_.StatusAppendText(SeenTexts::StayNew);
        return;
    }
    // A server without ids lists as it always did.
    if (markers.WithIds() == 0)
        return;
    if (markers.WithIds() < markers.Taken()) {
        frame_.StatusAppendText(SeenTexts::IdsMissing);
        return;
    }
    ShowUnconfirmedDeletions();
    const bool recorded = markers.Recorded();
    try {
        markers.Save();
    } catch (const std::exception& e) {
        frame_.StatusAppend(
            Tr(SeenTexts::NotSaved, frame_.GermanUI()).arg(QString::fromLocal8Bit(e.what())));
    }
    counted_ = recorded;
    if (counted_) {
        ShowCount();
    } else {
        Count->setText(Tr(SeenTexts::FirstListing, frame_.GermanUI()));
        Count->show();
    }
}

void TNewMailMarkers::RowsRemoved(const std::vector<TMsgNumber>&) {
    ShowCount();
}

void TNewMailMarkers::ForgetCount() {
    Count->clear();
    Count->hide();
    counted_ = false;
}

void TNewMailMarkers::ShowCount() {
    if (!counted_)
        return;
    const TMailRows& rows = frame_.Rows();
    int count = 0;
    for (int row = 1; row <= rows.Count(); ++row)
        count += rows.NewAt(row) ? 1 : 0;
    Count->setText(count == 1 ? Tr(SeenTexts::NewOne, frame_.GermanUI())
                              : Tr(SeenTexts::NewMany, frame_.GermanUI()).arg(count));
    Count->show();
}

bool TNewMailMarkers::DeletionUnconfirmed(const std::vector<TMsgNumber>& numbers) {
    std::vector<std::string> ids;
    for (const TMsgNumber n : numbers)
        if (std::string id = Markers().IdOf(static_cast<int>(n)); !id.empty())
            ids.push_back(std::move(id));
    if (ids.empty())
        return false;
    try {
        Markers().NoteUnconfirmed(ids);
    } catch (const std::system_error& e) {
        frame_.StatusAppend(Tr(DeletionTexts::UnconfirmedNotNoted, frame_.GermanUI())
                                .arg(QString::fromLocal8Bit(e.what())));
        return false;
    }
    return true;
}

void TNewMailMarkers::ShowUnconfirmedDeletions() {
    const auto told = Markers().TakeUnconfirmed();
    if (!told)
        return;
    const bool german = frame_.GermanUI();
    if (told->Listed.empty()) {
        frame_.StatusAppend(Tr(DeletionTexts::UnconfirmedAllGone, german).arg(told->Noted));
        return;
    }
    // A line of numbers, not a page of them.
    constexpr std::size_t MaxNumbers = 20;
    QStringList numbers;
    for (std::size_t i = 0; i < told->Listed.size() && i < MaxNumbers; ++i)
        numbers << QString::number(told->Listed[i]);
    if (told->Listed.size() > MaxNumbers)
        numbers << QStringLiteral("…");
    frame_.StatusAppend(Tr(DeletionTexts::UnconfirmedSomeLeft, german)
                            .arg(told->Noted)
                            .arg(told->Gone)
                            .arg(numbers.join(QStringLiteral(", "))));
}

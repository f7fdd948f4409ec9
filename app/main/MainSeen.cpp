// Mails new since the last complete listing: with unique ids from the server, the account's
// seen file says which listed mails were not there the time before. They get a marker in the
// "New" column, every row with an id the time it was first listed in its tooltip, and the
// status bar counts them.
#include "AccountData.h"
#include "ExtraColumns.h"
#include "KeptCopyTexts.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"
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

void TForm1::BuildSeenMarkers() {
    StatusNew = new QLabel(Status_leiste);
    StatusNew->setObjectName(QStringLiteral("StatusNew"));
    StatusNew->setTextFormat(Qt::PlainText);
    StatusNew->setFrameShape(QFrame::Panel);
    StatusNew->setFrameShadow(QFrame::Sunken);
    StatusNew->hide();
    // After the count and size of all mails, before the marked ones.
    Status_leiste->insertWidget(2, StatusNew);
    SeenClock = [] { return QDateTime::currentSecsSinceEpoch(); };
}

void TForm1::BeginSeenMarkers(bool fullListing) {
    ExtraColumns.SetShown(NewColumn, false);
    ShowExtraColumns();
    ForgetNewCount();
    // A count-only listing learns no ids, and a server that does not list UIDL among its
    // capabilities is listed with the very commands it always was; the file stays as it is.
    FSeenListing = fullListing && pop3.Capabilities().Known && pop3.Capabilities().Uidl;
    // The ids of an earlier listing name the mails of another session.
    SeenMarkers = TSeenMarkers();
    if (!FSeenListing)
        return;
    const QString file = SeenMailsFile(AccountFolder());
    const std::string problem =
        SeenMarkers.Begin(QFile::encodeName(file).toStdString(), SeenClock());
    if (!problem.empty())
        StatusAppend(
            Tr(SeenTexts::FileUnusable, GermanUI)
                .arg(QDir::toNativeSeparators(file), QString::fromLocal8Bit(problem.c_str())));
}

std::string TForm1::SeenCell(const std::string& id, TMailRowData& row) {
    if (!FSeenListing)
        return {};
    // The first answer tells whether the server has ids; no row is in the list yet, so the
    // column can still come.
    if (SeenMarkers.Taken() == 0 && SeenMarkers.Recorded() && !id.empty()) {
        ExtraColumns.SetShown(NewColumn, true);
        ShowExtraColumns();
    }
    const TSeenMails::TSighting sighting = SeenMarkers.Take(id);
    if (!ExtraColumns.Shown(NewColumn) || sighting.Since == 0)
        return {};
    row.SeenSince = sighting.Since;
    row.New = sighting.New;
    row.SeenTip = Tr(SeenTexts::OnServerSince, GermanUI).arg(LocalTime(sighting.Since));
    return sighting.New ? NewMarker : "";
}

void TForm1::EndSeenMarkers(bool complete) {
    if (!FSeenListing)
        return;
    FSeenListing = false;
    if (!complete) {
        // Saving a part would forget the mails not listed, and those listed would lose
        // their marker next time.
        if (ExtraColumns.Shown(NewColumn))
            StatusAppendText(SeenTexts::StayNew);
        return;
    }
    // A server without ids lists as it always did.
    if (SeenMarkers.WithIds() == 0)
        return;
    if (SeenMarkers.WithIds() < SeenMarkers.Taken()) {
        StatusAppendText(SeenTexts::IdsMissing);
        return;
    }
    ShowUnconfirmedDeletions();
    const bool recorded = SeenMarkers.Recorded();
    try {
        SeenMarkers.Save();
    } catch (const std::exception& e) {
        StatusAppend(Tr(SeenTexts::NotSaved, GermanUI).arg(QString::fromLocal8Bit(e.what())));
    }
    FSeenCounted = recorded;
    if (FSeenCounted) {
        ShowNewCount();
    } else {
        StatusNew->setText(Tr(SeenTexts::FirstListing, GermanUI));
        StatusNew->show();
    }
}

void TForm1::ForgetNewCount() {
    StatusNew->clear();
    StatusNew->hide();
    FSeenCounted = false;
}

void TForm1::ShowNewCount() {
    if (!FSeenCounted)
        return;
    int count = 0;
    for (int row = 1; row < mail_list->count(); ++row)
        count += IsNewRow(*mail_list->item(row)) ? 1 : 0;
    StatusNew->setText(count == 1 ? Tr(SeenTexts::NewOne, GermanUI)
                                  : Tr(SeenTexts::NewMany, GermanUI).arg(count));
    StatusNew->show();
}

bool TForm1::NoteUnconfirmedDeletions(const std::vector<TMsgNumber>& numbers) {
    std::vector<std::string> ids;
    for (const TMsgNumber n : numbers)
        if (std::string id = SeenMarkers.IdOf(static_cast<int>(n)); !id.empty())
            ids.push_back(std::move(id));
    if (ids.empty())
        return false;
    try {
        SeenMarkers.NoteUnconfirmed(ids);
    } catch (const std::system_error& e) {
        StatusAppend(
            Tr(CopyTexts::UnconfirmedNotNoted, GermanUI).arg(QString::fromLocal8Bit(e.what())));
        return false;
    }
    return true;
}

void TForm1::ShowUnconfirmedDeletions() {
    const auto told = SeenMarkers.TakeUnconfirmed();
    if (!told)
        return;
    if (told->Listed.empty()) {
        StatusAppend(Tr(CopyTexts::UnconfirmedAllGone, GermanUI).arg(told->Noted));
        return;
    }
    // A line of numbers, not a page of them.
    constexpr std::size_t MaxNumbers = 20;
    QStringList numbers;
    for (std::size_t i = 0; i < told->Listed.size() && i < MaxNumbers; ++i)
        numbers << QString::number(told->Listed[i]);
    if (told->Listed.size() > MaxNumbers)
        numbers << QStringLiteral("…");
    StatusAppend(Tr(CopyTexts::UnconfirmedSomeLeft, GermanUI)
                     .arg(told->Noted)
                     .arg(told->Gone)
                     .arg(numbers.join(QStringLiteral(", "))));
}

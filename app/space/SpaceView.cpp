#include "SpaceView.h"

#include "Find.h"
#include "Frame.h"
#include "Glyphs.h"
#include "ListUnsubscribe.h"
#include "MailRows.h"
#include "MarkAlike.h"
#include "MarkAlikeEntries.h"
#include "MbxPOP3.h"
#include "MultiLst.h"
#include "QuotaMeter.h"
#include "SaveDialog.h"
#include "SettingsStore.h"
#include "SpaceCsv.h"
#include "SpaceDialog.h"
#include "SpaceTexts.h"
#include "SpaceTreemap.h"
#include "Unsubscribe.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <fstream>

TAlikeRows GroupRows(const TMultiList& list, const std::vector<int>& numbers,
                     const std::function<bool(int number)>& kept) {
    // A flag per message number: 100,000 rows asked in turn.
    std::vector<char> in;
    for (const int number : numbers) {
        if (number >= static_cast<int>(in.size()))
            in.resize(static_cast<std::size_t>(number) + 1, 0);
        in[static_cast<std::size_t>(number)] = 1;
    }
    return MarkableRows(
        list,
        [&list, &in](int row) {
            const auto number = static_cast<std::size_t>(MessageNumberOf(*list.item(row)));
            return number < in.size() && in[number];
        },
        kept);
}

TSpaceView::TSpaceView(TFrame& frame, TMarkAlikeEntries& alike, TFind& find,
                       TUnsubscribe& unsubscribe)
    : frame_(frame), alike_(alike), find_(find), unsubscribe_(unsubscribe) {
    Entry = new QAction(&frame.Window());
    Entry->setObjectName(QStringLiteral("Datei_Space"));
    Entry->setEnabled(false);
    frame.ServerMenu().insertAction(frame.ServerEnd(), Entry);
    connect(Entry, &QAction::triggered, this, &TSpaceView::Open);
    Button = &frame.AddToolButton("BtnSpace", TToolGlyph::Space, SpaceTexts::Button,
                                  SpaceTexts::ButtonTip, SpaceTexts::ButtonHint);
    Button->setEnabled(false);
    connect(Button, &QToolButton::clicked, Entry, &QAction::trigger);
    connect(frame.Rows().List().selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TSpaceView::MarksChanged);
}

void TSpaceView::LanguageChanged(bool germanUI) {
    Entry->setText(Tr(SpaceTexts::Entry, germanUI));
    if (dialog_) {
        dialog_->SetLanguage(germanUI);
        ShowMeter();
    }
}

void TSpaceView::StateChanged(int state) {
    const bool open =
        state == TFrame::StateListed ||
        (state == TFrame::StateIdle && (!index_.Mails().empty() || !listedSince_.empty()));
    Entry->setEnabled(open);
    Button->setEnabled(open);
    if (dialog_) {
        const bool listed = state == TFrame::StateListed;
        dialog_->BtnMark->setEnabled(listed);
        dialog_->BtnShow->setEnabled(listed);
        dialog_->BtnShowAll->setEnabled(listed);
    }
}

void TSpaceView::RowsCleared() {
    index_.Clear();
    listedSince_.clear();
    statBytes_ = 0;
    listed_ = false;
    find_.ShowGroup(std::nullopt);
    Regroup();
}

void TSpaceView::ListingBegins(const TListingStart& start) {
    listed_ = start.Full;
    const std::string& size = frame_.Session().MailboxSize();
    statBytes_ = size.empty() || size.size() > 18 ||
                         size.find_first_not_of("0123456789") != std::string::npos
                     ? 0
                     : std::stoll(size);
}

void TSpaceView::MailListed(const TListedMail& mail, TMailAnswer&) {
    if (listed_)
        listedSince_.emplace_back(mail.Number, mail.Octets);
}

void TSpaceView::ListingEnded(bool) {
    Regroup();
}

void TSpaceView::TakeListed() {
    const TMailRows& rows = frame_.Rows();
    for (const auto& [number, octets] : listedSince_)
        index_.Add(number, octets, rows.ListedHeaderOf(number));
    listedSince_.clear();
}

void TSpaceView::RowsRemoved(const std::vector<TMsgNumber>& numbers) {
    std::vector<int> gone(numbers.begin(), numbers.end());
    TakeListed();
    const long long before = index_.Bytes();
    index_.Remove(gone);
    statBytes_ = std::max(0LL, statBytes_ - (before - index_.Bytes()));
    Regroup();
}

QString TSpaceView::QuotaName() const {
    return QuotaSettingName(frame_.AccountFolder());
}

void TSpaceView::Open() {
    if (!dialog_) {
        dialog_ = new TSpaceDialog(&frame_.Window());
        connect(dialog_->GroupBy, &QComboBox::currentIndexChanged, this, &TSpaceView::Regroup);
        connect(dialog_, &TSpaceDialog::MarkChosen, this, &TSpaceView::MarkChosen);
        connect(dialog_->BtnShow, &QPushButton::clicked, this, &TSpaceView::ShowChosen);
        connect(dialog_->BtnUnsubscribe, &QPushButton::clicked, this,
                &TSpaceView::UnsubscribeChosen);
        connect(dialog_->BtnShowAll, &QPushButton::clicked, this,
                [this] { find_.ShowGroup(std::nullopt); });
        connect(dialog_->BtnExport, &QPushButton::clicked, this, [this] {
            const QString path = QFileDialog::getSaveFileName(
                dialog_, Tr(SpaceTexts::ExportTitle, frame_.GermanUI()),
                SaveFolderOf(dialog_).Start(), Tr(SpaceTexts::ExportFilter, frame_.GermanUI()));
            if (!path.isEmpty() && ExportTo(path))
                SaveFolderOf(dialog_).Used(path);
        });
        connect(dialog_->Quota, &QDoubleSpinBox::valueChanged, this, &TSpaceView::QuotaChanged);
        dialog_->SetLanguage(frame_.GermanUI());
        StateChanged(frame_.ControlState());
    }
    // The account's quota, as entered last time.
    const QSignalBlocker quiet(dialog_->Quota);
    dialog_->Quota->setValue(frame_.Settings().ReadString(QuotaName()).toDouble());
    Regroup();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void TSpaceView::QuotaChanged(double gb) {
    if (gb > 0)
        frame_.Settings().WriteString(QuotaName(), QString::number(gb, 'g', 10));
    else
        frame_.Settings().DeleteValue(QuotaName());
    ShowMeter();
}

void TSpaceView::Regroup() {
    if (!dialog_)
        return;
    TakeListed();
    groups_ = GroupMails(index_, dialog_->Grouping());
    const TMailRows& rows = frame_.Rows();
    const TNumberRuns marked = rows.Marked();
    ::CountMarked(groups_, index_, [&marked](int number) { return marked.Contains(number); });
    dialog_->ShowGroups(&groups_, index_.Bytes());
    ShowMeter();
}

// Marks change in bursts (a range, an undo): the figures follow once the burst is over.
void TSpaceView::MarksChanged() {
    if (!dialog_ || !dialog_->isVisible() || marksQueued_)
        return;
    marksQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        marksQueued_ = false;
        if (!dialog_)
            return;
        const TNumberRuns marked = frame_.Rows().Marked();
        ::CountMarked(groups_, index_, [&marked](int number) { return marked.Contains(number); });
        dialog_->ShowMarked();
        ShowMeter();
    });
}

void TSpaceView::ShowMeter() {
    if (!dialog_)
        return;
    const bool german = frame_.GermanUI();
    const double quota = dialog_->Quota->value();
    dialog_->Meter->setText(QuotaLine(statBytes_, quota, german));
    dialog_->MeterAfter->setText(
        QuotaAfterLine(statBytes_, MarkedMails(frame_.Rows()).Octets, quota, german));
}

TNumberRuns TSpaceView::NumbersOf(const std::vector<const TSpaceGroup*>& groups) const {
    std::vector<int> numbers;
    for (const TSpaceGroup* group : groups) {
        const std::vector<int> in = NumbersIn(index_, group->By, group->Id);
        numbers.insert(numbers.end(), in.begin(), in.end());
    }
    return TNumberRuns::Of(std::move(numbers));
}

void TSpaceView::MarkChosen() {
    if (!dialog_ || frame_.ControlState() != TFrame::StateListed)
        return;
    const std::vector<int> numbers = NumbersOf(dialog_->ChosenGroups()).Numbers();
    if (numbers.empty())
        return;
    frame_.StatusClear();
    alike_.MarkRows(GroupRows(frame_.Rows().List(), numbers, alike_.KeptByRules()));
}

void TSpaceView::ShowChosen() {
    if (!dialog_ || frame_.ControlState() != TFrame::StateListed)
        return;
    const auto chosen = dialog_->ChosenGroups();
    find_.ShowGroup(chosen.empty() ? std::nullopt : std::optional(NumbersOf(chosen)));
}

void TSpaceView::UnsubscribeChosen() {
    if (!dialog_ || frame_.ControlState() != TFrame::StateListed)
        return;
    const std::vector<int> numbers = NumbersOf(dialog_->ChosenGroups()).Numbers();
    const TMailRows& rows = frame_.Rows();
    for (auto n = numbers.rbegin(); n != numbers.rend(); ++n)
        if (UnsubscribeOffer(rows.HeaderOf(*n)).Any()) {
            unsubscribe_.UnsubscribeFrom(*n);
            return;
        }
    frame_.StatusClear();
    frame_.StatusAppendText(SpaceTexts::NoUnsubscribe);
}

bool TSpaceView::ExportTo(const QString& path) {
    TakeListed();
    const TNumberRuns marked = frame_.Rows().Marked();
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    if (out)
        WriteSpaceCsv(
            index_, [&marked](int number) { return marked.Contains(number); }, out);
    out.close();
    const bool german = frame_.GermanUI();
    frame_.StatusClear();
    if (!out) {
        frame_.StatusAppend(
            Tr(SpaceTexts::ExportFailed, german)
                .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    frame_.StatusAppend(Tr(SpaceTexts::Exported, german)
                            .arg(index_.Mails().size())
                            .arg(QDir::toNativeSeparators(path)));
    return true;
}

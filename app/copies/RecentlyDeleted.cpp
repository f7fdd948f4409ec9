#include "RecentlyDeleted.h"

#include "AtomicFile.h"
#include "ByteText.h"
#include "ErrorMessage.h"
#include "KeptCopyTexts.h"
#include "LanguageTexts.h"
#include "ListColumns.h"
#include "MbxMsg.h"
#include "WindowPlacement.h"
#include "email.h"

#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

enum { ColDeleted, ColDate, ColSender, ColSubject, ColSize, ColAccount };
constexpr int MailIndexRole = Qt::UserRole;   // the row's entry in mails_
constexpr int SortKeyRole = Qt::UserRole + 1; // times and sizes sort as numbers
// Sender and subject at first at most this many average characters wide.
constexpr int TextColumnChars = 48;

// Times and sizes sort by their values, a mail without a date first; the texts alphabetically
// without regard to case.
class TDeletedRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : ColDeleted;
        const QVariant mine = data(column, SortKeyRole);
        const QVariant theirs = other.data(column, SortKeyRole);
        if (column == ColDate || column == ColDeleted || column == ColSize) {
            if (mine.isValid() != theirs.isValid())
                return !mine.isValid();
            return mine.toLongLong() < theirs.toLongLong();
        }
        const int order = text(column).compare(other.text(column), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : text(column) < other.text(column);
    }
};

QString LocalTime(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(
        QStringLiteral("yyyy-MM-dd hh:mm"));
}

std::unique_ptr<TMbxMsg> ParsedMail(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = in.readAll();
    auto msg = std::make_unique<TMbxMsg>();
    msg->RawMail = MailLines(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    msg->Size = static_cast<int32_t>(std::min<qint64>(bytes.size(), INT32_MAX));
    // The message window can save it again as it came.
    msg->ClearRawMailAfterParse = false;
    msg->Parse();
    return msg;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const TText& text, bool german) {
    auto* button = new QPushButton(Tr(text, german), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

TRecentlyDeleted::TRecentlyDeleted(QString root, bool germanUI,
                                   std::function<void(std::unique_ptr<TMbxMsg>)> show,
                                   QWidget* parent)
    : QDialog(parent), root_(std::move(root)), germanUI_(germanUI), show_(std::move(show)) {
    setObjectName(QStringLiteral("RecentlyDeleted"));
    setWindowTitle(Tr(CopyTexts::RecentTitle, germanUI_));
    search_field = new QLineEdit(this);
    search_field->setObjectName(QStringLiteral("search_field"));
    search_field->setPlaceholderText(Tr(CopyTexts::RecentSearch, germanUI_));
    search_field->setClearButtonEnabled(true);
    copy_list = new QTreeWidget(this);
    copy_list->setObjectName(QStringLiteral("copy_list"));
    copy_list->setRootIsDecorated(false);
    copy_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    copy_list->setUniformRowHeights(true);
    QStringList captions;
    for (const TText& caption : CopyTexts::RecentColumns)
        captions << Tr(caption, germanUI_);
    copy_list->setHeaderLabels(captions);
    copy_list->header()->setSortIndicator(ColDeleted, Qt::DescendingOrder);
    copy_list->setSortingEnabled(true);
    totals = new QLabel(this);
    totals->setObjectName(QStringLiteral("totals"));
    note = new QLabel(Tr(CopyTexts::RecentNote, germanUI_), this);
    note->setWordWrap(true);
    btn_open = MakeButton(this, "btn_open", CopyTexts::RecentOpen, germanUI_);
    btn_save = MakeButton(this, "btn_save", CopyTexts::RecentSaveAs, germanUI_);
    btn_remove = MakeButton(this, "btn_remove", CopyTexts::RecentRemove, germanUI_);
    btn_close = MakeButton(this, "btn_close", CopyTexts::RecentClose, germanUI_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btn_open, btn_save, btn_remove})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btn_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_field);
    layout->addWidget(copy_list);
    layout->addWidget(totals);
    layout->addWidget(note);
    layout->addLayout(buttons);
    connect(search_field, &QLineEdit::textChanged, this, &TRecentlyDeleted::Search);
    connect(btn_open, &QPushButton::clicked, this, &TRecentlyDeleted::OpenCurrent);
    connect(copy_list, &QTreeWidget::itemDoubleClicked, this, &TRecentlyDeleted::OpenCurrent);
    connect(btn_save, &QPushButton::clicked, this, &TRecentlyDeleted::SaveCurrent);
    connect(btn_remove, &QPushButton::clicked, this, &TRecentlyDeleted::RemoveSelected);
    connect(btn_close, &QPushButton::clicked, this, &QDialog::accept);
    Reload();
}

void TRecentlyDeleted::Reload() {
    mails_.clear();
    copy_list->clear();
    try {
        mails_ = ReadDeletedMails(root_);
    } catch (const std::exception& e) {
        Fail(CopyTexts::RecentUnreadable, QString::fromLocal8Bit(e.what()));
    }
    // One sort after the rows are in, not one per row.
    copy_list->setSortingEnabled(false);
    for (std::size_t i = 0; i < mails_.size(); ++i) {
        const TDeletedMail& mail = mails_[i];
        auto* row = new TDeletedRow(copy_list);
        row->setData(ColDeleted, MailIndexRole, static_cast<qulonglong>(i));
        row->setText(ColDeleted, LocalTime(mail.Copy.DeletedAt));
        row->setData(ColDeleted, SortKeyRole, static_cast<qlonglong>(mail.Copy.DeletedAt));
        if (mail.HasDate) {
            row->setText(ColDate, LocalTime(mail.DateMs));
            row->setData(ColDate, SortKeyRole, static_cast<qlonglong>(mail.DateMs));
        }
        row->setText(ColSender, mail.From);
        row->setText(ColSubject, mail.Subject);
        row->setText(ColSize, FromMailText(DisplaySize(std::to_string(mail.Copy.Size))));
        row->setData(ColSize, SortKeyRole, static_cast<qlonglong>(mail.Copy.Size));
        row->setTextAlignment(ColSize, Qt::AlignRight | Qt::AlignVCenter);
        row->setText(ColAccount, QFile::decodeName(mail.Copy.Account.c_str()));
    }
    copy_list->setSortingEnabled(true);
    if (copy_list->topLevelItemCount() > 0)
        copy_list->setCurrentItem(copy_list->topLevelItem(0));
    Search();
}

void TRecentlyDeleted::Search() {
    const QString text = search_field->text().trimmed();
    TDeletedTotals shown;
    for (int i = 0; i < copy_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = copy_list->topLevelItem(i);
        const TDeletedMail* mail = MailOf(row);
        const bool match = mail && MatchesSearch(*mail, text);
        row->setHidden(!match);
        if (match)
            shown.Add(*mail);
    }
    totals->setText(TotalsText(shown, static_cast<int>(mails_.size()), germanUI_));
}

void TRecentlyDeleted::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Fitted once its frame is known, so that all of it is on a small screen too.
    if (!event->spontaneous())
        FitToContents();
}

void TRecentlyDeleted::FitToContents() {
    const int textLimit = fontMetrics().averageCharWidth() * TextColumnChars;
    int columns = 0;
    for (int column = 0; column < copy_list->columnCount(); ++column) {
        copy_list->resizeColumnToContents(column);
        if (column == ColSender || column == ColSubject)
            copy_list->setColumnWidth(column, std::min(copy_list->columnWidth(column), textLimit));
        columns += copy_list->columnWidth(column);
    }
    const QMargins margins = layout()->contentsMargins();
    const int around = copy_list->verticalScrollBar()->sizeHint().width() +
                       2 * copy_list->frameWidth() + margins.left() + margins.right();
    const QSize least = sizeHint().expandedTo(QSize(640, 360));
    PlaceOverOwner(this, QSize(std::max(columns + around, least.width()), least.height()));
    // On a small screen Sender and Subject give up room, elided, so that Size stays in view.
    const int excess = columns + around - width();
    if (excess <= 0)
        return;
    const int sender = copy_list->columnWidth(ColSender);
    const int subject = copy_list->columnWidth(ColSubject);
    const int floor = fontMetrics().averageCharWidth() * 8;
    const int room = std::max(sender + subject - excess, 2 * floor);
    const int senderShare = std::max(floor, room * sender / std::max(sender + subject, 1));
    copy_list->setColumnWidth(ColSender, senderShare);
    copy_list->setColumnWidth(ColSubject, std::max(floor, room - senderShare));
}

const TDeletedMail* TRecentlyDeleted::MailOf(const QTreeWidgetItem* row) const {
    if (!row)
        return nullptr;
    const auto index = row->data(ColDeleted, MailIndexRole).toULongLong();
    return index < mails_.size() ? &mails_[index] : nullptr;
}

const TDeletedMail* TRecentlyDeleted::Current() const {
    const QTreeWidgetItem* row = copy_list->currentItem();
    return row && !row->isHidden() ? MailOf(row) : nullptr;
}

void TRecentlyDeleted::OpenCurrent() {
    const TDeletedMail* mail = Current();
    if (!mail || !show_)
        return;
    const QString file = QFile::decodeName(mail->Copy.File.c_str());
    auto msg = ParsedMail(file);
    if (!msg) {
        Fail(CopyTexts::RecentUnreadable, file);
        return;
    }
    show_(std::move(msg));
}

void TRecentlyDeleted::SaveCurrent() {
    const TDeletedMail* mail = Current();
    if (!mail)
        return;
    const QString name = SafeFileName(mail->Subject);
    TSaveFolder& folder = SaveFolderOf(this);
    const TSaveDialog dialog{
        Tr(CopyTexts::RecentSaveAs, germanUI_).remove(u'&'), QStringLiteral("E-Mail (*.eml)"),
        QStringLiteral("eml"),
        (name.isEmpty() ? QStringLiteral("mail") : name) + QStringLiteral(".eml"), folder.Start()};
    const QString target = AskSaveFileName(this, dialog);
    if (target.isEmpty())
        return;
    folder.Used(target);
    const QString file = QFile::decodeName(mail->Copy.File.c_str());
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        Fail(CopyTexts::RecentNotSaved, file + QStringLiteral(": ") + source.errorString());
        return;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        Fail(CopyTexts::RecentNotSaved, file + QStringLiteral(": ") + source.errorString());
        return;
    }
    // Written beside the target and renamed onto it: the target chosen may be the copy
    // itself, which must never be removed first. Owner-only, as the copy is.
    try {
        WriteFileAtomically(QFile::encodeName(target).toStdString(),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const std::exception& e) {
        Fail(CopyTexts::RecentNotSaved, QFile::decodeName(e.what()));
    }
}

void TRecentlyDeleted::RemoveSelected() {
    // Only what the user sees marked: a search may hide rows marked before.
    for (QTreeWidgetItem* item : copy_list->selectedItems()) {
        const TDeletedMail* mail = MailOf(item);
        if (!mail || item->isHidden())
            continue;
        const QString file = QFile::decodeName(mail->Copy.File.c_str());
        QFile copy(file);
        if (!copy.remove())
            Fail(CopyTexts::RecentNotRemoved, file + QStringLiteral(": ") + copy.errorString());
    }
    Reload();
}

void TRecentlyDeleted::Fail(const TText& text, const QString& why) {
    ShowErrorMessage(this, Tr(text, germanUI_).arg(why));
}

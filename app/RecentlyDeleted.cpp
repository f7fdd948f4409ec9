#include "RecentlyDeleted.h"

#include "AccountData.h"
#include "ByteText.h"
#include "ErrorMessage.h"
#include "KeptCopyTexts.h"
#include "LanguageTexts.h"
#include "ListColumns.h"
#include "MbxMsg.h"
#include "email.h"

#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

// The header fields of a copy, decoded as the message window shows them.
TMbxMsg ParsedHeader(const std::string& header) {
    TMbxMsg msg;
    msg.RawMail = MailLines(header);
    msg.Parse();
    return msg;
}

std::unique_ptr<TMbxMsg> ParsedMail(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = in.readAll();
    auto msg = std::make_unique<TMbxMsg>();
    msg->RawMail = MailLines(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    msg->Size = static_cast<int32_t>(std::min<qint64>(bytes.size(), INT32_MAX));
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
    resize(640, 360);
    copy_list = new QTreeWidget(this);
    copy_list->setObjectName(QStringLiteral("copy_list"));
    copy_list->setRootIsDecorated(false);
    copy_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList captions;
    for (const TText& caption : CopyTexts::RecentColumns)
        captions << Tr(caption, germanUI_);
    copy_list->setHeaderLabels(captions);
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
    layout->addWidget(copy_list);
    layout->addWidget(note);
    layout->addLayout(buttons);
    connect(btn_open, &QPushButton::clicked, this, &TRecentlyDeleted::OpenCurrent);
    connect(copy_list, &QTreeWidget::itemDoubleClicked, this, &TRecentlyDeleted::OpenCurrent);
    connect(btn_save, &QPushButton::clicked, this, &TRecentlyDeleted::SaveCurrent);
    connect(btn_remove, &QPushButton::clicked, this, &TRecentlyDeleted::RemoveSelected);
    connect(btn_close, &QPushButton::clicked, this, &QDialog::accept);
    Reload();
}

void TRecentlyDeleted::Reload() {
    copies_.clear();
    copy_list->clear();
    try {
        for (const QString& folder : KeptCopyFolders(root_)) {
            auto copies = TKeptCopies(QFile::encodeName(folder).toStdString()).List();
            copies_.insert(copies_.end(), copies.begin(), copies.end());
        }
    } catch (const std::exception& e) {
        Fail(CopyTexts::RecentUnreadable, QString::fromLocal8Bit(e.what()));
    }
    std::stable_sort(copies_.begin(), copies_.end(), [](const TKeptCopy& a, const TKeptCopy& b) {
        return a.DeletedAt > b.DeletedAt;
    });
    for (const TKeptCopy& copy : copies_) {
        const TMbxMsg header = ParsedHeader(copy.Header);
        auto* row = new QTreeWidgetItem(copy_list);
        row->setText(0, QDateTime::fromMSecsSinceEpoch(copy.DeletedAt)
                            .toLocalTime()
                            .toString(QStringLiteral("yyyy-MM-dd hh:mm")));
        row->setText(1, QFile::decodeName(copy.Account.c_str()));
        row->setText(2, FromMailText(header.From));
        row->setText(3, FromMailText(header.Subject));
        row->setText(4, FromMailText(DisplaySize(std::to_string(copy.Size))));
        row->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (copy_list->topLevelItemCount() > 0)
        copy_list->setCurrentItem(copy_list->topLevelItem(0));
    for (int column = 0; column < 4; ++column)
        copy_list->resizeColumnToContents(column);
}

const TKeptCopy* TRecentlyDeleted::Current() const {
    const int row = copy_list->indexOfTopLevelItem(copy_list->currentItem());
    return row >= 0 && row < static_cast<int>(copies_.size()) ? &copies_[static_cast<size_t>(row)]
                                                              : nullptr;
}

void TRecentlyDeleted::OpenCurrent() {
    const TKeptCopy* copy = Current();
    if (!copy || !show_)
        return;
    auto msg = ParsedMail(QFile::decodeName(copy->File.c_str()));
    if (!msg) {
        Fail(CopyTexts::RecentUnreadable, QFile::decodeName(copy->File.c_str()));
        return;
    }
    show_(std::move(msg));
}

void TRecentlyDeleted::SaveCurrent() {
    const TKeptCopy* copy = Current();
    if (!copy)
        return;
    const TMbxMsg header = ParsedHeader(copy->Header);
    QString name = SafeFileName(FromMailText(header.Subject));
    TSaveDialog dialog{Tr(CopyTexts::RecentSaveAs, germanUI_).remove(u'&'),
                       QStringLiteral("E-Mail (*.eml)"),
                       QStringLiteral("eml"),
                       (name.isEmpty() ? QStringLiteral("mail") : name) + QStringLiteral(".eml"),
                       {}};
    const QString target = AskSaveFileName(this, dialog);
    if (target.isEmpty())
        return;
    // The dialog asked before replacing a file.
    QFile::remove(target);
    QFile source(QFile::decodeName(copy->File.c_str()));
    if (!source.copy(target))
        Fail(CopyTexts::RecentNotSaved, target + QStringLiteral(": ") + source.errorString());
}

void TRecentlyDeleted::RemoveSelected() {
    for (QTreeWidgetItem* item : copy_list->selectedItems()) {
        const int row = copy_list->indexOfTopLevelItem(item);
        const QString file = QFile::decodeName(copies_[static_cast<size_t>(row)].File.c_str());
        QFile copy(file);
        if (!copy.remove())
            Fail(CopyTexts::RecentNotRemoved, file + QStringLiteral(": ") + copy.errorString());
    }
    Reload();
}

void TRecentlyDeleted::Fail(const TText& text, const QString& why) {
    ShowErrorMessage(this, Tr(text, germanUI_).arg(why));
}

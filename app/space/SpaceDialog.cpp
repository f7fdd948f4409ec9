#include "SpaceDialog.h"

#include "LanguageTexts.h"
#include "ListColumns.h"
#include "SpaceTexts.h"
#include "SpaceTreemap.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>

namespace {

enum Column { ColGroup, ColMails, ColBytes, ColShare, ColOldest, ColNewest, ColMarked, Columns };

// Where a row keeps its group: index of the outer group, of the inner one (-1: none).
constexpr int OuterRole = Qt::UserRole;
constexpr int InnerRole = Qt::UserRole + 1;
constexpr int SortRole = Qt::UserRole + 2;

// Rows sort by their figures, not by their texts.
class TGroupRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant mine = data(column, SortRole), theirs = other.data(column, SortRole);
        if (mine.isValid() && theirs.isValid())
            return mine.toLongLong() < theirs.toLongLong();
        return text(column).localeAwareCompare(other.text(column)) < 0;
    }
};

QString DayOrEmpty(const std::optional<int64_t>& seconds) {
    return seconds ? QString::fromStdString(DayText(*seconds)) : QString();
}

} // namespace

const std::vector<TGrouping>& TSpaceDialog::Groupings() {
    static const std::vector<TGrouping> groupings = {TGrouping::Sender, TGrouping::Domain,
                                                     TGrouping::List,   TGrouping::Year,
                                                     TGrouping::Size,   TGrouping::Attachments};
    return groupings;
}

TSpaceDialog::TSpaceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SpaceDialog"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    groupByLabel_ = new QLabel(this);
    GroupBy = new QComboBox(this);
    GroupBy->setObjectName(QStringLiteral("SpaceGroupBy"));
    for (std::size_t k = 0; k < Groupings().size(); ++k)
        GroupBy->addItem(QString());
    groupByLabel_->setBuddy(GroupBy);
    top->addWidget(groupByLabel_);
    top->addWidget(GroupBy);
    top->addStretch();
    quotaLabel_ = new QLabel(this);
    Quota = new QDoubleSpinBox(this);
    Quota->setObjectName(QStringLiteral("SpaceQuota"));
    Quota->setRange(0, 100000);
    Quota->setDecimals(2);
    Quota->setSuffix(QStringLiteral(" GB"));
    quotaLabel_->setBuddy(Quota);
    top->addWidget(quotaLabel_);
    top->addWidget(Quota);
    layout->addLayout(top);

    auto* meters = new QHBoxLayout;
    Meter = new QLabel(this);
    Meter->setObjectName(QStringLiteral("SpaceMeter"));
    MeterAfter = new QLabel(this);
    MeterAfter->setObjectName(QStringLiteral("SpaceMeterAfter"));
    meters->addWidget(Meter);
    meters->addSpacing(16);
    meters->addWidget(MeterAfter);
    meters->addStretch();
    layout->addLayout(meters);

    auto* split = new QSplitter(Qt::Vertical, this);
    Table = new QTreeWidget(split);
    Table->setObjectName(QStringLiteral("SpaceTable"));
    Table->setColumnCount(Columns);
    Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Table->setUniformRowHeights(true);
    Table->setSortingEnabled(true);
    // Largest first until the user sorts otherwise.
    Table->sortByColumn(ColBytes, Qt::DescendingOrder);
    Table->header()->setStretchLastSection(false);
    Table->header()->setSectionResizeMode(ColGroup, QHeaderView::Stretch);
    Treemap = new TSpaceTreemap(split);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name) {
        auto* made = new QPushButton(this);
        made->setObjectName(QLatin1String(name));
        made->setAutoDefault(false);
        buttons->addWidget(made);
        return made;
    };
    BtnMark = button("SpaceMark");
    BtnShow = button("SpaceShow");
    BtnShowAll = button("SpaceShowAll");
    BtnUnsubscribe = button("SpaceUnsubscribe");
    BtnExport = button("SpaceExport");
    buttons->addStretch();
    close_ = button("SpaceClose");
    layout->addLayout(buttons);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(Treemap, &TSpaceTreemap::Clicked, this, &TSpaceDialog::Choose);
    connect(Treemap, &TSpaceTreemap::DoubleClicked, this, [this](int outer, int inner) {
        Choose(outer, inner);
        emit MarkChosen();
    });
    connect(BtnMark, &QPushButton::clicked, this, &TSpaceDialog::MarkChosen);
    Treemap->Label = [this](const TSpaceGroup& group) {
        return GroupName(group) + u'\n' + SizeText(group.Bytes);
    };
    Treemap->Tip = [this](const TSpaceGroup& group) {
        return Tr(SpaceTexts::Tip, german_)
            .arg(GroupName(group))
            .arg(group.Mails)
            .arg(SizeText(group.Bytes))
            .arg(total_ > 0 ? QLocale(german_ ? QLocale::German : QLocale::English)
                                  .toString(100.0 * group.Bytes / total_, 'f', 1)
                            : QStringLiteral("0"));
    };
    resize(760, 620);
}

void TSpaceDialog::SetLanguage(bool germanUI) {
    german_ = germanUI;
    setWindowTitle(Tr(SpaceTexts::Title, germanUI));
    groupByLabel_->setText(Tr(SpaceTexts::GroupBy, germanUI));
    const TText* names[] = {&SpaceTexts::BySender, &SpaceTexts::ByDomain,
                            &SpaceTexts::ByList,   &SpaceTexts::ByYear,
                            &SpaceTexts::BySize,   &SpaceTexts::ByAttachments};
    for (int k = 0; k < GroupBy->count(); ++k)
        GroupBy->setItemText(k, Tr(*names[k], germanUI));
    quotaLabel_->setText(Tr(SpaceTexts::Quota, germanUI));
    Quota->setSpecialValueText(Tr(SpaceTexts::NoQuota, germanUI));
    Quota->setLocale(QLocale(germanUI ? QLocale::German : QLocale::English));
    Table->setHeaderLabels({Tr(SpaceTexts::ColGroup, germanUI), Tr(SpaceTexts::ColMails, germanUI),
                            Tr(SpaceTexts::ColBytes, germanUI), Tr(SpaceTexts::ColShare, germanUI),
                            Tr(SpaceTexts::ColOldest, germanUI),
                            Tr(SpaceTexts::ColNewest, germanUI),
                            Tr(SpaceTexts::ColMarked, germanUI)});
    BtnMark->setText(Tr(SpaceTexts::Mark, germanUI));
    BtnShow->setText(Tr(SpaceTexts::Show, germanUI));
    BtnShowAll->setText(Tr(SpaceTexts::ShowAll, germanUI));
    BtnUnsubscribe->setText(Tr(SpaceTexts::Unsubscribe, germanUI));
    BtnExport->setText(Tr(SpaceTexts::Export, germanUI));
    close_->setText(Tr(SpaceTexts::Close, germanUI));
    if (groups_)
        ShowGroups(groups_, total_);
}

TGrouping TSpaceDialog::Grouping() const {
    return Groupings()[static_cast<std::size_t>(std::max(0, GroupBy->currentIndex()))];
}

QString TSpaceDialog::SizeText(long long bytes) const {
    return QString::fromStdString(DisplaySize(std::to_string(bytes)));
}

QString TSpaceDialog::GroupName(const TSpaceGroup& group) const {
    switch (group.By) {
    case TGrouping::Size: {
        const TText* bands[] = {&SpaceTexts::Huge, &SpaceTexts::Large, &SpaceTexts::Medium,
                                &SpaceTexts::Small};
        return Tr(*bands[group.Id - 1], german_);
    }
    case TGrouping::Attachments:
        return Tr(group.Id ? SpaceTexts::WithFiles : SpaceTexts::WithoutFiles, german_);
    case TGrouping::Year:
    case TGrouping::Month:
        return group.Key.empty() ? Tr(SpaceTexts::NoDate, german_)
                                 : QString::fromStdString(group.Key);
    case TGrouping::List:
        return group.Key.empty() ? Tr(SpaceTexts::NoList, german_)
                                 : QString::fromStdString(group.Key);
    case TGrouping::Sender:
    case TGrouping::Domain:
        break;
    }
    return group.Key.empty() ? Tr(SpaceTexts::NoSender, german_)
                             : QString::fromStdString(group.Key);
}

QTreeWidgetItem* TSpaceDialog::RowOf(const TSpaceGroup& group, QTreeWidgetItem* parent) {
    auto* row = parent ? new TGroupRow(parent) : new TGroupRow(Table);
    row->setText(ColGroup, GroupName(group));
    row->setText(ColMails, QString::number(group.Mails));
    row->setData(ColMails, SortRole, group.Mails);
    row->setText(ColBytes, SizeText(group.Bytes));
    row->setData(ColBytes, SortRole, group.Bytes);
    const double share = total_ > 0 ? 100.0 * group.Bytes / total_ : 0;
    row->setText(ColShare,
                 QLocale(german_ ? QLocale::German : QLocale::English).toString(share, 'f', 1) +
                     QStringLiteral(" %"));
    row->setData(ColShare, SortRole, group.Bytes);
    row->setText(ColOldest, DayOrEmpty(group.Oldest));
    row->setText(ColNewest, DayOrEmpty(group.Newest));
    row->setData(ColMarked, SortRole, group.Marked);
    row->setText(ColMarked, QString::number(group.Marked));
    for (const int column : {ColMails, ColBytes, ColShare, ColMarked})
        row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

void TSpaceDialog::ShowGroups(const std::vector<TSpaceGroup>* groups, long long totalBytes) {
    groups_ = groups;
    total_ = totalBytes;
    const int sortColumn = Table->header()->sortIndicatorSection();
    const Qt::SortOrder order = Table->header()->sortIndicatorOrder();
    Table->setSortingEnabled(false);
    Table->clear();
    if (groups) {
        for (std::size_t k = 0; k < groups->size(); ++k) {
            const TSpaceGroup& group = (*groups)[k];
            QTreeWidgetItem* row = RowOf(group, nullptr);
            row->setData(ColGroup, OuterRole, static_cast<int>(k));
            row->setData(ColGroup, InnerRole, -1);
            for (std::size_t i = 0; i < group.Inner.size(); ++i) {
                QTreeWidgetItem* inner = RowOf(group.Inner[i], row);
                inner->setData(ColGroup, OuterRole, static_cast<int>(k));
                inner->setData(ColGroup, InnerRole, static_cast<int>(i));
            }
        }
    }
    Table->setSortingEnabled(true);
    Table->sortByColumn(sortColumn, order);
    Table->resizeColumnToContents(ColMails);
    Treemap->SetGroups(groups, totalBytes);
}

void TSpaceDialog::ShowMarked() {
    if (!groups_)
        return;
    for (int k = 0; k < Table->topLevelItemCount(); ++k) {
        QTreeWidgetItem* row = Table->topLevelItem(k);
        const auto& group =
            (*groups_)[static_cast<std::size_t>(row->data(ColGroup, OuterRole).toInt())];
        row->setText(ColMarked, QString::number(group.Marked));
        row->setData(ColMarked, SortRole, group.Marked);
        for (int i = 0; i < row->childCount(); ++i) {
            QTreeWidgetItem* inner = row->child(i);
            const auto& in =
                group.Inner[static_cast<std::size_t>(inner->data(ColGroup, InnerRole).toInt())];
            inner->setText(ColMarked, QString::number(in.Marked));
            inner->setData(ColMarked, SortRole, in.Marked);
        }
    }
}

std::vector<const TSpaceGroup*> TSpaceDialog::ChosenGroups() const {
    std::vector<const TSpaceGroup*> chosen;
    if (!groups_)
        return chosen;
    for (const QTreeWidgetItem* row : Table->selectedItems()) {
        const TSpaceGroup& outer =
            (*groups_)[static_cast<std::size_t>(row->data(ColGroup, OuterRole).toInt())];
        const int inner = row->data(ColGroup, InnerRole).toInt();
        chosen.push_back(inner < 0 ? &outer : &outer.Inner[static_cast<std::size_t>(inner)]);
    }
    return chosen;
}

void TSpaceDialog::Choose(int outer, int inner) {
    for (int k = 0; k < Table->topLevelItemCount(); ++k) {
        QTreeWidgetItem* row = Table->topLevelItem(k);
        if (row->data(ColGroup, OuterRole).toInt() != outer)
            continue;
        QTreeWidgetItem* chosen = row;
        for (int i = 0; inner >= 0 && i < row->childCount(); ++i)
            if (row->child(i)->data(ColGroup, InnerRole).toInt() == inner)
                chosen = row->child(i);
        Table->clearSelection();
        Table->setCurrentItem(chosen);
        chosen->setSelected(true);
        Table->scrollToItem(chosen);
        return;
    }
}

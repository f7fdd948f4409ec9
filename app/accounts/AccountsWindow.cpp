#include "AccountsWindow.h"

#include "AccountChecks.h"
#include "AccountsTexts.h"
#include "LanguageTexts.h"
#include "QuotaMeter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace {

enum {
    ColServer,
    ColUser,
    ColState,
    ColMails,
    ColSize,
    ColQuota,
    ColNew,
    ColMarked,
    ColSpam,
    ColChecked,
    ColCount
};

constexpr const TText* Captions[ColCount] = {&AccountsTexts::ColServer, &AccountsTexts::ColUser,
                                             &AccountsTexts::ColState,  &AccountsTexts::ColMails,
                                             &AccountsTexts::ColSize,   &AccountsTexts::ColQuota,
                                             &AccountsTexts::ColNew,    &AccountsTexts::ColMarked,
                                             &AccountsTexts::ColSpam,   &AccountsTexts::ColChecked};

QString Size(qint64 octets, bool germanUI) {
    return QLocale(germanUI ? QLocale::German : QLocale::English)
        .formattedDataSize(octets, 1, QLocale::DataSizeSIFormat);
}

} // namespace

TAccountsWindow::TAccountsWindow(TAccountChecks& checks, QWidget* parent)
    : QDialog(parent), Table(new QTableWidget(0, ColCount, this)),
      CheckButton(new QPushButton(this)), PruneButton(new QPushButton(this)),
      OpenButton(new QPushButton(this)), CheckEvery(new QCheckBox(this)),
      Minutes(new QSpinBox(this)), PruneAfterCheck(new QCheckBox(this)), checks_(checks),
      close_(new QPushButton(this)) {
    setObjectName(QStringLiteral("AccountsWindow"));
    Table->setObjectName(QStringLiteral("AccountsTable"));
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setStretchLastSection(true);
    // Providers ask for no more than a check every ten minutes.
    Minutes->setRange(10, 24 * 60);
    Minutes->setValue(30);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckButton);
    buttons->addWidget(PruneButton);
    buttons->addWidget(OpenButton);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* every = new QHBoxLayout;
    every->addWidget(CheckEvery);
    every->addWidget(Minutes);
    every->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Table);
    layout->addLayout(every);
    layout->addWidget(PruneAfterCheck);
    layout->addLayout(buttons);
    connect(close_, &QPushButton::clicked, this, &QDialog::hide);
    connect(Table, &QTableWidget::itemSelectionChanged, this, &TAccountsWindow::ChosenChanged);
    resize(900, 320);
}

void TAccountsWindow::LanguageChanged(bool germanUI) {
    germanUI_ = germanUI;
    setWindowTitle(Tr(AccountsTexts::Title, germanUI));
    QStringList captions;
    for (const TText* caption : Captions)
        captions << Tr(*caption, germanUI);
    Table->setHorizontalHeaderLabels(captions);
    PruneButton->setText(Tr(AccountsTexts::Prune, germanUI));
    OpenButton->setText(Tr(AccountsTexts::Open, germanUI));
    CheckEvery->setText(Tr(AccountsTexts::CheckEvery, germanUI));
    Minutes->setSuffix(Tr(AccountsTexts::Minutes, germanUI));
    PruneAfterCheck->setText(Tr(AccountsTexts::PruneAfterCheck, germanUI));
    close_->setText(Tr(AccountsTexts::Close, germanUI));
    ChosenChanged();
    // Room for the whole caption inside the frame, the check button's longer one included.
    const auto fit = [](QPushButton* button, const QStringList& captions) {
        int widest = 0;
        for (const QString& caption : captions)
            widest = std::max(widest, button->fontMetrics().horizontalAdvance(caption));
        button->setMinimumWidth(widest + 24);
    };
    fit(CheckButton,
        {Tr(AccountsTexts::CheckAll, germanUI), Tr(AccountsTexts::CheckChosen, germanUI)});
    for (QPushButton* button : {PruneButton, OpenButton, close_})
        fit(button, {button->text()});
    ShowRows();
}

void TAccountsWindow::ShowRows() {
    Table->setRowCount(static_cast<int>(checks_.Rows().size()));
    for (int row = 0; row < Table->rowCount(); ++row)
        ShowRow(row);
}

void TAccountsWindow::ShowRow(int row) {
    if (row < 0 || row >= Table->rowCount())
        return;
    const TAccountRow& account = checks_.Rows()[static_cast<size_t>(row)];
    using TState = TAccountRow::TState;
    QString state;
    switch (account.State) {
    case TState::Idle:
        break;
    case TState::Waiting:
        state = Tr(AccountsTexts::Waiting, germanUI_);
        break;
    case TState::Checking:
        state = Tr(AccountsTexts::Checking, germanUI_);
        break;
    case TState::Pruning:
        state = Tr(AccountsTexts::Pruning, germanUI_);
        break;
    case TState::Done:
        state = Tr(AccountsTexts::Done, germanUI_);
        break;
    case TState::Failed:
        state = account.Failure;
        break;
    }
    const bool counted = account.Mails >= 0;
    const QString cells[ColCount] = {
        account.Server,
        account.User,
        state,
        counted ? QString::number(account.Mails) : QString(),
        counted ? Size(account.Octets, germanUI_) : QString(),
        counted ? QuotaShare(account.Octets, account.QuotaGb) : QString(),
        account.New >= 0 ? QString::number(account.New) : QString(),
        account.Marked >= 0 ? Tr(AccountsTexts::MarkedCell, germanUI_)
                                  .arg(account.Marked)
                                  .arg(Size(account.MarkedOctets, germanUI_))
                            : QString(),
        account.Spam >= 0 ? QString::number(account.Spam) : QString(),
        account.Checked.isValid() ? QLocale(germanUI_ ? QLocale::German : QLocale::English)
                                        .toString(account.Checked, QLocale::ShortFormat)
                                  : QString()};
    for (int col = 0; col < ColCount; ++col) {
        QTableWidgetItem* item = Table->item(row, col);
        if (!item) {
            item = new QTableWidgetItem;
            if (col >= ColMails && col <= ColSpam)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Table->setItem(row, col, item);
        }
        item->setText(cells[col]);
        if (col == ColState)
            item->setToolTip(cells[col]);
        if (col == ColSpam)
            item->setToolTip(account.SpamProblem);
    }
}

std::vector<int> TAccountsWindow::Chosen(bool all) const {
    std::set<int> rows;
    for (const QModelIndex& index : Table->selectionModel()->selectedRows())
        rows.insert(index.row());
    if (rows.empty() && all)
        for (int row = 0; row < Table->rowCount(); ++row)
            rows.insert(row);
    return {rows.begin(), rows.end()};
}

void TAccountsWindow::ChosenChanged() {
    const auto chosen = Chosen(false);
    CheckButton->setText(
        Tr(chosen.empty() ? AccountsTexts::CheckAll : AccountsTexts::CheckChosen, germanUI_));
    PruneButton->setEnabled(!chosen.empty());
    OpenButton->setEnabled(chosen.size() == 1);
}

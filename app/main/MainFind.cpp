// Find over the list: a field that hides the rows whose sender and subject do not hold its
// text, and a button that marks the rows shown. Showing only marked mails filters as well.
#include "FindFilter.h"
#include "FindTexts.h"
#include "Main.h"
#include "MarkAlikeEntries.h"
#include "MarkCommands.h"
#include "MultiLst.h"

#include <QAction>
#include <QBoxLayout>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

TRowFilter ListFilter(const QLineEdit& field, const TMarkCommands& marks) {
    return {field.text(), marks.ShownOnly()};
}

} // namespace

void TForm1::BuildFindRow(QBoxLayout* layout) {
    FindRow = new QWidget(layout->parentWidget());
    FindRow->setObjectName(QStringLiteral("FindRow"));
    auto* row = new QHBoxLayout(FindRow);
    row->setContentsMargins(2, 2, 2, 2);
    FindField = new QLineEdit(FindRow);
    FindField->setObjectName(QStringLiteral("FindField"));
    FindField->setClearButtonEnabled(true);
    row->addWidget(FindField, 1);
    FindCount = new QLabel(FindRow);
    FindCount->setObjectName(QStringLiteral("FindCount"));
    FindCount->setTextFormat(Qt::PlainText);
    row->addWidget(FindCount);
    BtnMarkShown = new QPushButton(FindRow);
    BtnMarkShown->setObjectName(QStringLiteral("BtnMarkShown"));
    row->addWidget(BtnMarkShown);
    layout->addWidget(FindRow);
    // Shown with the first listed rows, as the list is.
    FindRow->hide();

    Find_F = new QAction(this);
    Find_F->setObjectName(QStringLiteral("Find_F"));
    Find_F->setShortcut(QKeySequence::Find);
    Find_F->setShortcutContext(Qt::WindowShortcut);
    addAction(Find_F);
}

void TForm1::WireFind() {
    connect(FindField, &QLineEdit::textChanged, this, &TForm1::FindChanged);
    connect(BtnMarkShown, &QPushButton::clicked, this, &TForm1::BtnMarkShownClick);
    connect(Find_F, &QAction::triggered, this, [this] {
        FindField->setFocus(Qt::ShortcutFocusReason);
        FindField->selectAll();
    });
    // Rows listed while a text is searched are filtered as they come; a new order moves the
    // rows' contents, so the whole list is filtered again.
    connect(mail_list->model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                const TRowFilter filter = ListFilter(*FindField, *Marks);
                if (filter.Active())
                    ApplyFind(*mail_list, filter, first, last);
                FindRow->show();
                ShowFindCount();
            });
    connect(mail_list->model(), &QAbstractItemModel::rowsRemoved, this, &TForm1::ShowFindCount);
    connect(mail_list, &TMultiList::RowsReordered, this, [this] {
        const TRowFilter filter = ListFilter(*FindField, *Marks);
        if (filter.Active())
            ApplyFind(*mail_list, filter);
    });
    connect(Marks, &TMarkCommands::FilterChanged, this, &TForm1::FindChanged);
    connect(mail_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { KeepHiddenRowsUnmarked(selected); });
}

void TForm1::ApplyFindTexts() {
    FindField->setPlaceholderText(Tr(FindTexts::Placeholder, GermanUI()));
    BtnMarkShown->setText(Tr(FindTexts::MarkShown, GermanUI()));
    // Its caption whole in either language, also before the row was first laid out.
    BtnMarkShown->setMinimumWidth(BtnMarkShown->sizeHint().width());
    BtnMarkShown->resize(BtnMarkShown->sizeHint());
    Marks->ApplyTexts(GermanUI());
    ShowFindCount();
}

void TForm1::FindChanged() {
    ApplyFind(*mail_list, ListFilter(*FindField, *Marks));
    ShowFindCount();
}

// Only the user's own click or "Mark all" marks a mail the rules keep.
void TForm1::BtnMarkShownClick() {
    StatusClear();
    TMarkAlikeEntries& alike = Part<TMarkAlikeEntries>();
    alike.MarkRows(MarkableRows(
        *mail_list, [](int) { return true; }, alike.KeptByRules()));
}

// A range marked with Shift or "Mark all" spans hidden rows too: those the user cannot see
// are left as they were, so that Delete never takes a mail nobody saw marked. A new order
// only carries the marks along, and undo puts back marks the rows had.
void TForm1::KeepHiddenRowsUnmarked(const QItemSelection& selected) {
    if (!ListFilter(*FindField, *Marks).Active() || mail_list->SettingMarks())
        return;
    QItemSelection hidden;
    for (const QItemSelectionRange& range : selected)
        hidden.merge(RowRuns(*mail_list, range.top(), range.bottom(), true),
                     QItemSelectionModel::Select);
    if (!hidden.isEmpty())
        mail_list->selectionModel()->select(hidden, QItemSelectionModel::Deselect);
}

void TForm1::ShowFindCount() {
    const int total = std::max(mail_list->count() - 1, 0);
    FindCount->setText(
        !ListFilter(*FindField, *Marks).Active()
            ? QString()
            : Tr(FindTexts::Shown, GermanUI()).arg(ShownRowCount(*mail_list)).arg(total));
}

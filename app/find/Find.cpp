#include "Find.h"

#include "FindTexts.h"
#include "Frame.h"
#include "MarkAlike.h"
#include "MarkAlikeEntries.h"
#include "MarkCommands.h"
#include "MultiLst.h"

#include <QAction>
#include <QBoxLayout>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

TFind::TFind(TFrame& frame, const TMarkCommands& marks, TMarkAlikeEntries& alike)
    : frame_(frame), marks_(marks), alike_(alike), list_(frame.Rows().List()) {
    QBoxLayout& layout = frame.BelowList();
    Row = new QWidget(layout.parentWidget());
    Row->setObjectName(QStringLiteral("FindRow"));
    auto* row = new QHBoxLayout(Row);
    row->setContentsMargins(2, 2, 2, 2);
    Field = new QLineEdit(Row);
    Field->setObjectName(QStringLiteral("FindField"));
    Field->setClearButtonEnabled(true);
    row->addWidget(Field, 1);
    Count = new QLabel(Row);
    Count->setObjectName(QStringLiteral("FindCount"));
    Count->setTextFormat(Qt::PlainText);
    row->addWidget(Count);
    BtnMarkShown = new QPushButton(Row);
    BtnMarkShown->setObjectName(QStringLiteral("BtnMarkShown"));
    row->addWidget(BtnMarkShown);
    // Right below the list.
    layout.insertWidget(layout.indexOf(&list_) + 1, Row);
    // Shown with the first listed rows, as the list is.
    Row->hide();

    Find_F = new QAction(&frame.Window());
    Find_F->setObjectName(QStringLiteral("Find_F"));
    Find_F->setShortcut(QKeySequence::Find);
    Find_F->setShortcutContext(Qt::WindowShortcut);
    frame.Window().addAction(Find_F);

    connect(Field, &QLineEdit::textChanged, this, &TFind::FindChanged);
    connect(BtnMarkShown, &QPushButton::clicked, this, &TFind::BtnMarkShownClick);
    connect(Find_F, &QAction::triggered, this, [this] {
        Field->setFocus(Qt::ShortcutFocusReason);
        Field->selectAll();
    });
    // Rows listed while a text is searched are filtered as they come; a new order moves the
    // rows' contents, so the whole list is filtered again.
    connect(list_.model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                const TRowFilter filter = Filter();
                if (filter.Active())
                    ApplyFind(list_, filter, first, last);
                Row->show();
                ShowCount();
            });
    connect(list_.model(), &QAbstractItemModel::rowsRemoved, this, &TFind::ShowCount);
    connect(&list_, &TMultiList::RowsReordered, this, [this] {
        const TRowFilter filter = Filter();
        if (filter.Active())
            ApplyFind(list_, filter);
    });
    connect(&marks, &TMarkCommands::FilterChanged, this, &TFind::FindChanged);
    connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { KeepHiddenRowsUnmarked(selected); });
}

TRowFilter TFind::Filter() const {
    return {Field->text(), marks_.ShownOnly(), group_ ? &*group_ : nullptr};
}

void TFind::ShowGroup(std::optional<TNumberRuns> numbers) {
    group_ = std::move(numbers);
    FindChanged();
}

void TFind::LanguageChanged(bool germanUI) {
    Field->setPlaceholderText(Tr(FindTexts::Placeholder, germanUI));
    BtnMarkShown->setText(Tr(FindTexts::MarkShown, germanUI));
    // Its caption whole in either language, also before the row was first laid out.
    BtnMarkShown->setMinimumWidth(BtnMarkShown->sizeHint().width());
    BtnMarkShown->resize(BtnMarkShown->sizeHint());
    ShowCount();
}

void TFind::FindChanged() {
    ApplyFind(list_, Filter());
    ShowCount();
}

// Only the user's own click or "Mark all" marks a mail the rules keep.
void TFind::BtnMarkShownClick() {
    frame_.StatusClear();
    alike_.MarkRows(MarkableRows(
        list_, [](int) { return true; }, alike_.KeptByRules()));
}

// A range marked with Shift or "Mark all" spans hidden rows too: those the user cannot see
// are left as they were, so that Delete never takes a mail nobody saw marked. A new order
// only carries the marks along, and undo puts back marks the rows had.
void TFind::KeepHiddenRowsUnmarked(const QItemSelection& selected) {
    if (!Filter().Active() || list_.SettingMarks())
        return;
    QItemSelection hidden;
    for (const QItemSelectionRange& range : selected)
        hidden.merge(RowRuns(list_, range.top(), range.bottom(), true),
                     QItemSelectionModel::Select);
    if (!hidden.isEmpty())
        list_.selectionModel()->select(hidden, QItemSelectionModel::Deselect);
}

void TFind::ShowCount() {
    Count->setText(!Filter().Active() ? QString()
                                      : Tr(FindTexts::Shown, frame_.GermanUI())
                                            .arg(ShownRowCount(list_))
                                            .arg(frame_.Rows().Count()));
}

// TMultiList's marks with hidden rows: a click or key that replaces the marks spares the
// hidden rows' marks; SetMarks puts exactly what it is given.
#include "MultiListSort.h"
#include "test_multilist_support.h"

#include <QSignalSpy>

#include <algorithm>

using namespace multilist_test;

namespace {

using Rows = std::vector<int>;

// 12 rows; 3, 4 and 9 hidden, 2 and the hidden 4 and 9 marked, row 2 current.
std::unique_ptr<TMultiList> FilteredList() {
    auto list = MakeList({"", ""}, {60, 100}, QSize(300, 400));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->SetDefaultItemSelected(false);
    QStringList texts;
    for (int n = 1; n <= 12; ++n)
        texts << QStringLiteral(" %1 |Subject|").arg(n);
    list->AddRows(texts);
    ShowAndPaint(*list);
    for (const int row : {3, 4, 9})
        list->setRowHidden(row, true);
    list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    list->SetMarks(QItemSelection(list->model()->index(2, 0), list->model()->index(2, 0)));
    for (const int row : {4, 9})
        list->item(row)->setSelected(true);
    list->setFocus();
    return list;
}

void Click(TMultiList& list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                      list.visualItemRect(list.item(row)).center());
}

QItemSelection RowsSelection(const TMultiList& list, const Rows& rows) {
    QItemSelection selection;
    for (const int row : rows)
        selection.select(list.model()->index(row, 0), list.model()->index(row, 0));
    return selection;
}

TEST(MultiListMarksTest, HiddenRowsKeepTheirMarksWhenAClickOrKeyReplacesTheOthers) {
    struct Row {
        const char* name;
        void (*act)(TMultiList& list);
        Rows marked;
    };
    const Row rows[] = {
        {"click", [](TMultiList& l) { Click(l, 6); }, {4, 6, 9}},
        {"click on a marked row", [](TMultiList& l) { Click(l, 2); }, {2, 4, 9}},
        {"down past hidden rows",
         [](TMultiList& l) { QTest::keyClick(&l, Qt::Key_Down); },
         {4, 5, 9}},
        {"end", [](TMultiList& l) { QTest::keyClick(&l, Qt::Key_End); }, {4, 9, 12}},
        {"page down", [](TMultiList& l) { QTest::keyClick(&l, Qt::Key_PageDown); }, {4, 9, 12}},
        {"click below the rows",
         [](TMultiList& l) {
             QTest::mouseClick(l.viewport(), Qt::LeftButton, {},
                               QPoint(20, l.viewport()->height() - 3));
         },
         {4, 9}},
        {"clear", [](TMultiList& l) { l.clearSelection(); }, {4, 9}},
        {"ctrl-click takes one mark",
         [](TMultiList& l) { Click(l, 2, Qt::ControlModifier); },
         {4, 9}},
        {"ctrl-click adds one",
         [](TMultiList& l) { Click(l, 7, Qt::ControlModifier); },
         {2, 4, 7, 9}},
        {"marks put as given, hidden ones too",
         [](TMultiList& l) {
             l.SetMarks(RowsSelection(l, {3, 5}));
         },
         {3, 5}},
        {"no marks put", [](TMultiList& l) { l.SetMarks({}); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto list = FilteredList();
        ASSERT_EQ(list->MarkedRows(), (Rows{2, 4, 9}));
        row.act(*list);
        EXPECT_EQ(list->MarkedRows(), row.marked);
    }
}

Rows RowsOf(const QItemSelection& selection) {
    Rows rows;
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Many scattered ranges at once go by flags rather than Qt's pairwise merge, or, added to no
// marks in order and apart, as they are: the marks and the change told to the view must be the
// same.
TEST(MultiListMarksTest, ManyRangesAtOnceMarkAndTellExactlyWhatChanged) {
    auto list = MakeList({"", ""}, {60, 100}, QSize(300, 400));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList texts;
    for (int n = 1; n <= 100; ++n)
        texts << QStringLiteral(" %1 |Subject|").arg(n);
    list->AddRows(texts);
    ShowAndPaint(*list);
    const auto every = [&](int step, int from) {
        Rows rows;
        for (int row = from; row <= 100; row += step)
            rows.push_back(row);
        return rows;
    };
    list->SetMarks(QItemSelection());
    QSignalSpy changes(list->selectionModel(), &QItemSelectionModel::selectionChanged);
    struct Step {
        Rows given;
        QItemSelectionModel::SelectionFlags command;
    };
    // Into none: runs apart, then (after all went) ranges that touch.
    const Step steps[] = {{every(2, 2), QItemSelectionModel::Select},
                          {every(3, 1), QItemSelectionModel::Select},
                          {every(5, 5), QItemSelectionModel::Deselect},
                          {every(1, 1), QItemSelectionModel::Deselect},
                          {every(1, 50), QItemSelectionModel::Select},
                          {every(4, 1), QItemSelectionModel::ClearAndSelect}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command.toInt());
        const Rows before = list->MarkedRows();
        std::vector<char> expected(101, 0);
        if (!step.command.testFlag(QItemSelectionModel::Clear)) {
            for (const int row : before)
                expected[static_cast<std::size_t>(row)] = 1;
        }
        for (const int row : step.given)
            expected[static_cast<std::size_t>(row)] =
                step.command.testFlag(QItemSelectionModel::Select);
        Rows after, selected, deselected;
        for (int row = 1; row <= 100; ++row) {
            const bool was = std::binary_search(before.begin(), before.end(), row);
            if (expected[static_cast<std::size_t>(row)])
                after.push_back(row);
            if (expected[static_cast<std::size_t>(row)] && !was)
                selected.push_back(row);
            if (!expected[static_cast<std::size_t>(row)] && was)
                deselected.push_back(row);
        }
        changes.clear();
        list->selectionModel()->select(RowsSelection(*list, step.given), step.command);
        EXPECT_EQ(list->MarkedRows(), after);
        ASSERT_EQ(changes.count(), 1);
        EXPECT_EQ(RowsOf(changes[0][0].value<QItemSelection>()), selected);
        EXPECT_EQ(RowsOf(changes[0][1].value<QItemSelection>()), deselected);
    }
}

// Shown again, the rows show the marks they kept; a new order still takes every mark along.
TEST(MultiListMarksTest, MarksKeptWhileHiddenAreThereWhenShownAndSorted) {
    auto list = FilteredList();
    Click(*list, 6);
    for (const int row : {3, 4, 9})
        list->setRowHidden(row, false);
    EXPECT_EQ(list->MarkedRows(), (Rows{4, 6, 9}));
    list->SortByColumn(0);
    list->SortByColumn(0);
    QStringList marked;
    for (const int row : list->MarkedRows())
        marked << list->item(row)->text().section(u'|', 0, 0).trimmed();
    EXPECT_EQ(marked, (QStringList{"9", "6", "4"}));
}

} // namespace

// TMultiList with many rows: batches, marking all, sorting, keys, the lock and shared width.
#include "MultiListSort.h"
#include "test_multilist_support.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolTip>

using namespace multilist_test;

namespace {

constexpr int RowHeight = 18;

// A shown list of `rows` rows " n |Subject k|" with the number as column 0's sort key, where
// the subjects run backwards.
std::unique_ptr<TMultiList> NumberedList(int rows) {
    // No captions: the header shows nothing but the sort arrow.
    auto list = MakeList({"", ""}, {60, 100}, QSize(300, 200));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->SetDefaultItemSelected(false);
    QStringList texts;
    for (int n = 1; n <= rows; ++n)
        texts << QStringLiteral(" %1 |Subject %2|").arg(n).arg(rows - n, 6, 10, QChar(u'0'));
    list->AddRows(texts, [](int index, QListWidgetItem& row) {
        row.setData(TMultiListSortKeyRole, index + 1);
    });
    ShowAndPaint(*list);
    return list;
}

// The sort arrow in the header strip [x1, x2), its divider left out: true when the arrow is
// widest at its bottom (pointing up).
bool ArrowPointsUp(TMultiListHeader& header, int x1, int x2) {
    const QImage image = header.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor background = image.pixel(x1 + 1, 1);
    int topWidth = -1, bottomWidth = -1;
    for (int y = 1; y < image.height() - 2; ++y) {
        const int width = InkCount(image, x1, x2 - 3, y, y + 1, background);
        if (width == 0)
            continue;
        if (topWidth < 0)
            topWidth = width;
        bottomWidth = width;
    }
    EXPECT_GE(topWidth, 0) << "no arrow drawn";
    return bottomWidth > topWidth;
}

TEST(MultiListRowsTest, ABatchOfRowsKeepsItsDataAndMarkAllIsOneRange) {
    auto list = NumberedList(20000);
    ASSERT_EQ(list->count(), 20001) << "spacer and rows";
    EXPECT_EQ(list->item(20000)->data(TMultiListSortKeyRole).toInt(), 20000);
    QSignalSpy changes(list->selectionModel(), &QItemSelectionModel::selectionChanged);
    list->MarkAll();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list->MarkedRows().size(), 20000u);
    EXPECT_FALSE(list->item(0)->isSelected());

    list->RemoveRows({20000, 2, 3, 5, 0});
    ASSERT_EQ(list->count(), 20001 - 4) << "the spacer stays";
    EXPECT_EQ(list->item(2)->text().section(u'|', 0, 0), " 4 ");
    EXPECT_EQ(list->item(3)->text().section(u'|', 0, 0), " 6 ");
    EXPECT_EQ(list->item(list->count() - 1)->text().section(u'|', 0, 0), " 19999 ");
}

// A sort shows the top of the new order, marks go with their rows, the arrow shows the way.
TEST(MultiListRowsTest, SortShowsTheTopOfTheNewOrder) {
    struct Row {
        int column;
        int clicks;
        QString first;
        bool ascending;
    };
    const Row rows[] = {
        {1, 1, " 300 |Subject 000000|", true},
        {1, 2, " 1 |Subject 000299|", false},
        {0, 1, " 1 |Subject 000299|", true},
        {0, 2, " 300 |Subject 000000|", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.column * 10 + row.clicks);
        auto list = NumberedList(300);
        list->setCurrentRow(290, QItemSelectionModel::NoUpdate);
        list->scrollToBottom();
        list->item(150)->setSelected(true);
        const QString marked = list->item(150)->text();
        TMultiListHeader& header = *list->ListHeader();
        const int x = header.sectionPosition(row.column) + header.sectionSize(row.column) / 2;
        for (int click = 0; click < row.clicks; ++click)
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        EXPECT_EQ(list->item(1)->text(), row.first);
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_EQ(list->verticalScrollBar()->value(), 0) << "the view shows the top";
        EXPECT_EQ(list->SortOrder() == Qt::AscendingOrder, row.ascending);
        ASSERT_EQ(list->MarkedRows().size(), 1u);
        EXPECT_EQ(list->item(list->MarkedRows().front())->text(), marked);
        EXPECT_EQ(
            ArrowPointsUp(header, header.sectionPosition(row.column),
                          header.sectionPosition(row.column) + header.sectionSize(row.column)),
            row.ascending);
    }
}

TEST(MultiListRowsTest, TheOrderStaysForRowsAddedLaterAndAfterClear) {
    auto list = NumberedList(3);
    list->SortByColumn(0);
    list->SortByColumn(0);
    list->Clear();
    list->AddRows({" 1 |a|", " 3 |c|", " 2 |b|"});
    list->AddRows({" 4 |d|"});
    QStringList shown;
    for (int n = 1; n < list->count(); ++n)
        shown << list->item(n)->text();
    EXPECT_EQ(shown, (QStringList{" 4 |d|", " 3 |c|", " 2 |b|", " 1 |a|"}));
    EXPECT_EQ(list->SortColumn(), 0);
    EXPECT_EQ(list->SortOrder(), Qt::DescendingOrder);
}

TEST(MultiListRowsTest, HomeAndEndReachTheFirstAndTheLastRow) {
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int expected; // -1: the last row
    };
    const Row rows[] = {
        {Qt::Key_Home, Qt::NoModifier, 1},
        {Qt::Key_End, Qt::NoModifier, -1},
        {Qt::Key_Home, Qt::ControlModifier, 1},
        {Qt::Key_End, Qt::ControlModifier, -1},
    };
    auto list = NumberedList(100);
    for (const Row& row : rows) {
        SCOPED_TRACE(QKeySequence(row.key | row.modifiers).toString().toStdString());
        list->setCurrentRow(50);
        QTest::keyClick(list.get(), row.key, row.modifiers);
        EXPECT_EQ(list->currentRow(), row.expected < 0 ? list->count() - 1 : row.expected);
        const QRect shown = list->visualItemRect(list->currentItem());
        EXPECT_TRUE(list->viewport()->rect().contains(shown)) << "the row is in view";
    }
}

// Locked, the list scrolls but neither clicks nor keys change the marks or the current row.
TEST(MultiListRowsTest, ALockedListKeepsItsMarksAndCurrentRow) {
    struct Row {
        const char* name;
        void (*act)(TMultiList& list);
    };
    const Row rows[] = {
        {"click",
         [](TMultiList& l) {
             QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, QPoint(20, 3 * RowHeight + 5));
         }},
        {"ctrl-click",
         [](TMultiList& l) {
             QTest::mouseClick(l.viewport(), Qt::LeftButton, Qt::ControlModifier,
                               QPoint(20, 4 * RowHeight + 5));
         }},
        {"double-click",
         [](TMultiList& l) {
             QTest::mouseDClick(l.viewport(), Qt::LeftButton, {}, QPoint(20, 2 * RowHeight + 5));
         }},
        {"select all", [](TMultiList& l) { QTest::keyClick(&l, Qt::Key_A, Qt::ControlModifier); }},
        {"down", [](TMultiList& l) { QTest::keyClick(&l, Qt::Key_Down); }},
        {"shift-end", [](TMultiList& l) { QTest::keyClick(&l, Qt::Key_End, Qt::ShiftModifier); }},
    };
    for (const bool locked : {true, false}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (locked ? " locked" : " unlocked"));
            auto list = NumberedList(100);
            list->setFocus();
            list->setCurrentRow(1);
            list->SetLocked(locked);
            row.act(*list);
            const bool unchanged =
                list->currentRow() == 1 && list->MarkedRows() == std::vector<int>{1};
            EXPECT_EQ(unchanged, locked);
        }
    }
    auto list = NumberedList(100);
    list->SetLocked(true);
    QTest::keyClick(list.get(), Qt::Key_PageDown);
    EXPECT_GT(list->verticalScrollBar()->value(), 0) << "a locked list still scrolls";
}

TEST(MultiListRowsTest, FreeWidthIsSharedByTheStretchColumnAndTheLastOne) {
    auto list = MakeList({"N", "Size", "From", "Subject"}, {30, 40, 100, 80}, QSize(300, 100));
    list->SetStretchColumn(2);
    list->addItem("1|2|x|y|");
    ShowAndPaint(*list);
    TMultiListHeader& header = *list->ListHeader();
    const int from = header.SectionWidth(2);
    const int subject = header.SectionWidth(3);
    list->resize(list->width() + 200, list->height());
    list->viewport()->repaint();
    EXPECT_EQ(header.SectionWidth(2), from + 100);
    EXPECT_EQ(header.SectionWidth(3), subject + 100);
    EXPECT_EQ(list->SectionWidth(2), 100) << "the user's width stays the base";
    list->resize(list->width() - 200, list->height());
    list->viewport()->repaint();
    EXPECT_EQ(header.SectionWidth(2), from);
}

// Rows keep no tooltip of their own: the list asks its source for the row under the pointer,
// after a new order too, and shows nothing where the source has nothing to say.
TEST(MultiListRowsTest, TheTooltipComesFromTheSourceForTheRowUnderThePointer) {
    auto list = NumberedList(50);
    list->SetToolTipSource([](const QListWidgetItem& row) {
        const int number = row.data(TMultiListSortKeyRole).toInt();
        return number % 2 ? QStringLiteral("odd %1").arg(number) : QString();
    });
    const auto hover = [&](int row) {
        QToolTip::hideText();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(2), "") << "an empty text shows no tooltip";
    EXPECT_EQ(hover(3), "odd 3");
    list->SortByColumn(0);
    list->SortByColumn(0);
    EXPECT_EQ(hover(2), "odd 49") << "the second row after the order is reversed";
    EXPECT_EQ(list->item(3)->toolTip(), "") << "the row itself keeps none";
}

} // namespace

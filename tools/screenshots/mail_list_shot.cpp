// The mail list with its columns, lines between them and one selected row.
#include "MultiLst.h"
#include "Screenshot.h"

#include <QFont>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(MailList, PictureWithColumnLinesAndASelectedRow) {
    TMultiList list;
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.SetAlignment0(Qt::AlignRight);
    list.SetAlignment1(Qt::AlignRight);
    const int widths[] = {25, 75, 80, 120, 75};
    for (int k = 0; k < 5; ++k)
        list.SetSectionWidth(k, widths[k]);
    list.SetHeaderSections({"", "Size", "Date", "From", "Subject"});
    list.SetItemHeight(14);
    QFont bold = list.HeaderFont();
    bold.setBold(true);
    list.SetHeaderFont(bold);
    list.SetShowColumnLines(true);
    list.SetColumnLineColor(Qt::black);
    list.addItem(" 1 |2 KB |08.12.2026 07:12|Alice Example|Minutes of the meeting|");
    list.addItem(" 2 |17 KB |08.12.2026 07:40|bob@example.org|Re: Photos & more|");
    list.addItem(" 3 |1,2 MB |08.12.2026 08:01|A very long sender name indeed|A subject far too "
                 "long for its column|");
    list.addItem(" 4 | - | - | - | - |");
    list.resize(449, 140);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setCurrentRow(2, QItemSelectionModel::ClearAndSelect);
    list.viewport()->repaint();
    EXPECT_TRUE(SaveScreenshot(list, QStringLiteral("multilist_sample")));
}

} // namespace

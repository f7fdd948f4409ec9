// TMultiList row painting, checked on the pixels of the painted list.
#include "test_multilist_support.h"

#include <QFont>
#include <QScrollBar>

using namespace multilist_test;

namespace {

// Columns 0..3 are 50, 80, 90 wide; the last one reaches the right edge (400).
constexpr int W0 = 50, W1 = 80, W2 = 90;
constexpr int S0 = W0, S1 = W0 + W1, S2 = W0 + W1 + W2;
constexpr int RowHeight = 18;

class MultiListPaintTest : public ::testing::Test {
protected:
    // No row starts selected, so that probes see the normal background.
    void SetUp() override {
        list = MakeList({"N", "Size", "Date", "From"}, {W0, W1, W2, 0});
        list->SetDefaultItemSelected(false);
    }

    // Ink of data row `row` (1-based) within [x1, x2).
    int RowInk(const QImage& image, int row, int x1, int x2, const QColor& bg = Base) const {
        return InkCount(image, x1, x2, (row - 1) * RowHeight, row * RowHeight, bg);
    }

    std::unique_ptr<TMultiList> list;
};

TEST_F(MultiListPaintTest, TheFirstDataRowStartsRightBelowTheHeader) {
    list->addItem("WWW|");
    ShowAndPaint(*list);
    EXPECT_EQ(list->ListHeader()->geometry().bottom() + 1, list->viewport()->geometry().top());
    const QImage rows = Rows(*list);
    EXPECT_GT(RowInk(rows, 1, 0, S0), 0) << "row 1 is painted in the first row position";
    EXPECT_EQ(RowInk(rows, 2, 0, rows.width()), 0);
}

TEST_F(MultiListPaintTest, TextStartsOnePixelInColumnZeroAndSixPixelsInTheOthers) {
    list->addItem("WW|WW|WW|WW|");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    const int first = FirstInkX(rows, 0, S0, 0, RowHeight);
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 3);
    for (int left : {S0, S1, S2}) {
        const int x = FirstInkX(rows, left, left + 30, 0, RowHeight);
        EXPECT_GE(x, left + 6) << left;
        EXPECT_LE(x, left + 8) << left;
    }
}

TEST_F(MultiListPaintTest, RightAlignedTextEndsAtTheColumnEdge) {
    list->SetAlignment1(Qt::AlignRight);
    list->SetAlignment2(Qt::AlignHCenter);
    list->addItem("|12 KB|WW|");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    const int last = LastInkX(rows, S0, S1, 0, RowHeight);
    EXPECT_GE(last, S1 - 3);
    EXPECT_EQ(InkCount(rows, S0, S0 + 30, 0, RowHeight), 0) << "nothing at the left of column 1";
    // Centred between S1 + 6 and S2.
    const int first = FirstInkX(rows, S1, S2, 0, RowHeight);
    const int end = LastInkX(rows, S1, S2, 0, RowHeight);
    EXPECT_NEAR((first + end) / 2.0, (S1 + 6 + S2) / 2.0, 2.0);
}

TEST_F(MultiListPaintTest, LongFieldEndsWithAnEllipsisAndNeverSpillsOver) {
    list->addItem("|WWWWWWWWWWWWWWWWWWWWWWWWW||");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    EXPECT_GT(RowInk(rows, 1, S0 + 6, S0 + 40), 0);
    EXPECT_EQ(RowInk(rows, 1, S1, rows.width()), 0) << "column 2 and beyond stay empty";
    // The cell ends in dots on the baseline: the tail of the cell has ink only low in the row,
    // where a cut-off "W" would reach up to the cap height.
    const int tail = LastInkX(rows, S0, S1, 0, RowHeight);
    ASSERT_GT(tail, S0);
    const int dotsTop = [&] {
        for (int y = 0; y < RowHeight; ++y)
            if (InkCount(rows, tail - 3, tail + 1, y, y + 1) > 0)
                return y;
        return RowHeight;
    }();
    const int capTop = [&] {
        for (int y = 0; y < RowHeight; ++y)
            if (InkCount(rows, S0 + 6, S0 + 20, y, y + 1) > 0)
                return y;
        return RowHeight;
    }();
    EXPECT_GT(dotsTop, capTop + 4);
}

// A right-to-left sender too long for its cell keeps its start in reading order, not just "…".
TEST_F(MultiListPaintTest, RightToLeftFieldElidesToItsVisibleStart) {
    const QString fields[] = {
        QString::fromUtf8("שלום עולם זה שולח ארוך מאוד מאוד"),
        QString::fromUtf8("مرحبا بالعالم هذا مرسل طويل جدا جدا"),
    };
    for (const QString& field : fields) {
        SCOPED_TRACE(field.toStdString());
        list->Clear();
        list->addItem("|" + field + "||");
        ShowAndPaint(*list);
        const QImage rows = Rows(*list);
        const int first = FirstInkX(rows, S0, S1, 0, RowHeight);
        const int last = LastInkX(rows, S0, S1, 0, RowHeight);
        ASSERT_GE(first, 0) << "the cell shows something";
        EXPECT_GT(last - first, (W1 - 6) / 2) << "more than an ellipsis";
        EXPECT_EQ(RowInk(rows, 1, S1, rows.width()), 0) << "nothing spills over";
    }
}

TEST_F(MultiListPaintTest, RowWithoutSeparatorShowsOnlyItsBackground) {
    list->addItem("no separator here");
    list->addItem("#also none");
    ShowAndPaint(*list);
    list->setCurrentRow(2);
    const QImage rows = Rows(*list);
    EXPECT_EQ(RowInk(rows, 1, 0, rows.width()), 0);
    EXPECT_EQ(RowInk(rows, 2, 0, rows.width(), Highlight), 0);
}

TEST_F(MultiListPaintTest, TheTailAfterTheLastSeparatorIsNotShown) {
    list->addItem("|x|tailtailtail");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    EXPECT_GT(RowInk(rows, 1, S0, S1), 0);
    EXPECT_EQ(RowInk(rows, 1, S1, rows.width()), 0);
}

TEST_F(MultiListPaintTest, ColumnLinesOnlyForSectionsWithAWidth) {
    // Section 1 keeps the header's own width: no line at its right edge.
    list->SetSectionWidth(1, 0);
    list->SetShowColumnLines(true);
    list->SetColumnLineColor(QColor(255, 0, 0));
    list->addItem("|||");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    TMultiListHeader* header = list->ListHeader();
    const int s0 = header->SectionWidth(0);
    const int s1 = s0 + header->SectionWidth(1);
    const int s2 = s1 + header->SectionWidth(2);
    ASSERT_NE(s1, S1);
    const QColor red(255, 0, 0);
    for (int y : {0, RowHeight / 2, rows.height() - 1}) {
        EXPECT_TRUE(Near(rows.pixel(s0, y), red, 10)) << y;
        EXPECT_TRUE(Near(rows.pixel(s2, y), red, 10)) << y;
        EXPECT_TRUE(Near(rows.pixel(s1, y), Base, 10)) << y;
        EXPECT_TRUE(Near(rows.pixel(s0 + 1, y), Base, 10)) << y;
    }
    int redColumns = 0;
    for (int x = 0; x < rows.width(); ++x)
        redColumns += Near(rows.pixel(x, rows.height() - 1), red, 10);
    EXPECT_EQ(redColumns, 2);
}

TEST_F(MultiListPaintTest, SelectedRowIsHighlightedAcrossEveryColumn) {
    list->addItem("1|a|b|c|");
    list->addItem("2|a|b|c|");
    ShowAndPaint(*list);
    list->setCurrentRow(2);
    const QImage rows = Rows(*list);
    const int y = 2 * RowHeight - 1;
    for (int x : {0, S0 - 1, S0 + 2, S1 + 2, S2 + 2, rows.width() - 2})
        EXPECT_TRUE(Near(rows.pixel(x, y), Highlight, 10)) << x;
    EXPECT_GT(RowInk(rows, 2, S0, S1, Highlight), 0) << "text in the highlight text colour";
    EXPECT_TRUE(Near(rows.pixel(S0 + 2, RowHeight - 1), Base, 10)) << "row 1 is not selected";
}

TEST_F(MultiListPaintTest, ParentHighlightColoursColumnZeroOnly) {
    const QColor child(0, 160, 0);
    list->SetShowParentHighlight(true);
    list->SetChildHighlightTextColor(child);
    list->addItem("WW|WWWW|");
    ShowAndPaint(*list);
    list->setFocus();
    list->setCurrentRow(1);
    const QImage rows = Rows(*list);
    const int y = RowHeight - 2;
    EXPECT_TRUE(Near(rows.pixel(S0 - 3, y), Highlight, 10));
    EXPECT_TRUE(Near(rows.pixel(S0 + 3, y), Base, 10));
    EXPECT_TRUE(Near(rows.pixel(S2 + 3, y), Base, 10));
    // Column 1's text is in the child colour: its darkest pixel is green.
    int greenest = 0;
    for (int x = S0; x < S1; ++x)
        for (int yy = 0; yy < RowHeight; ++yy) {
            const QRgb pixel = rows.pixel(x, yy);
            if (qRed(pixel) < 60 && qBlue(pixel) < 60)
                greenest = std::max(greenest, qGreen(pixel));
        }
    EXPECT_GT(greenest, 100);
    ASSERT_TRUE(list->hasFocus());
    // The dotted focus frame closes at W(0) + 1 and does not run over column 1.
    EXPECT_GT(InkCount(rows, S0, S0 + 1, 0, RowHeight), 4);
    EXPECT_EQ(InkCount(rows, S0 + 1, S0 + 6, 0, RowHeight), 0);
}

TEST_F(MultiListPaintTest, ImageIsDrawnWithTheMaskColourReplacedByTheRowBackground) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(list->BitmapMaskColor());
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    list->SetListBitmap(3, image);
    list->addItem("3WW|");
    list->addItem("4WW|");
    list->addItem("~3WW|");
    list->addItem("3WW|");
    ShowAndPaint(*list);
    list->setCurrentRow(4);
    const QImage rows = Rows(*list);
    // Row 1: image at (6, 0), its purple shown as the row's white, its red kept.
    EXPECT_TRUE(Near(rows.pixel(6, 0), Base, 0));
    EXPECT_TRUE(Near(rows.pixel(6 + 3, 3), QColor(255, 0, 0), 0));
    EXPECT_EQ(FirstInkX(rows, 0, 60, 0, RowHeight) - 0, 6 + 2);
    // The text box starts the image's width plus 10 pixels right of the row's left edge.
    const int textLeft = FirstInkX(rows, 6 + 8, S0, 0, RowHeight);
    EXPECT_GE(textLeft, 8 + 10);
    EXPECT_LE(textLeft, 8 + 12);
    // Row 2: slot 4 holds no image; the text moves as for an image of zero size.
    const int emptySlotLeft = FirstInkX(rows, 0, S0, RowHeight, 2 * RowHeight);
    EXPECT_GE(emptySlotLeft, 10);
    EXPECT_LE(emptySlotLeft, 12);
    // Row 3: "~" shows no image, and "3" is text from one pixel on.
    EXPECT_LE(FirstInkX(rows, 0, S0, 2 * RowHeight, 3 * RowHeight), 3);
    EXPECT_FALSE(Near(rows.pixel(9, 2 * RowHeight + 3), QColor(255, 0, 0), 30));
    // Row 4 is selected: the mask colour takes the highlight.
    EXPECT_TRUE(Near(rows.pixel(6, 3 * RowHeight), Highlight, 0));
    EXPECT_TRUE(Near(rows.pixel(9, 3 * RowHeight + 3), QColor(255, 0, 0), 0));
}

TEST_F(MultiListPaintTest, AmpersandIsHiddenAndDoubledAmpersandShowsOne) {
    list->addItem("|&&|");
    list->addItem("|&|");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    EXPECT_GT(RowInk(rows, 1, S0, S1), 0);
    EXPECT_EQ(RowInk(rows, 2, S0, S1), 0);
}

TEST_F(MultiListPaintTest, TabsExpandToStopsOfThreeAverageCharacters) {
    list->addItem("|W\tW|");
    ShowAndPaint(*list);
    const QImage rows = Rows(*list);
    const int stop = 3 * QFontMetrics(list->font()).averageCharWidth();
    // The second W starts at the first tab stop after the first one.
    const int second = FirstInkX(rows, S0 + 6 + stop - 1, S1, 0, RowHeight);
    EXPECT_GE(second, S0 + 6 + stop - 1);
    EXPECT_LE(second, S0 + 6 + stop + 2);
}

TEST_F(MultiListPaintTest, WithoutAHeaderTheWholeItemIsPlainText) {
    list->addItem("WW|WW|tail");
    ShowAndPaint(*list);
    delete list->ListHeader();
    EXPECT_EQ(list->ListHeader(), nullptr);
    list->SectionResize(1, 99);
    const QImage rows = Rows(*list);
    // The whole string from the left edge, separators and tail included, in one run.
    const int first = FirstInkX(rows, 0, rows.width(), 0, RowHeight);
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 2);
    const int width = QFontMetrics(list->font()).horizontalAdvance("WW|WW|tail");
    EXPECT_NEAR(LastInkX(rows, 0, rows.width(), 0, RowHeight), width, 3);
}

TEST_F(MultiListPaintTest, HorizontalScrollMovesRowsAndHeaderTogether) {
    list->SetScrollWidth(700);
    list->SetHorizontalScroll(true);
    list->addItem("|WW|");
    ShowAndPaint(*list);
    QScrollBar* bar = list->horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 700 - list->viewport()->width());
    EXPECT_EQ(list->ListHeader()->width(), 700);
    const int before = FirstInkX(Rows(*list), 0, 400, 0, RowHeight);
    ASSERT_GE(before, S0 + 6);
    bar->setValue(30);
    QApplication::processEvents();
    EXPECT_EQ(FirstInkX(Rows(*list), 0, 400, 0, RowHeight), before - 30);
    EXPECT_EQ(list->ListHeader()->x(), list->viewport()->x() - 30);

    list->SetHorizontalScroll(false);
    QApplication::processEvents();
    list->viewport()->repaint();
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(list->ListHeader()->width(), list->viewport()->width());
}

} // namespace

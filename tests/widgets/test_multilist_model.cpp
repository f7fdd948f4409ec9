// TMultiList: item strings, properties and their limits, the spacer item, the header captions.
#include "MultiListItem.h"
#include "MultiListText.h"
#include "test_multilist_support.h"

#include <QSignalSpy>

using namespace multilist_test;

namespace {

struct ParseCase {
    const char* item;
    int slot;
    std::vector<QString> fields;
};

TEST(MultiListItemTest, SplitsPrefixFieldsAndTail) {
    const std::vector<ParseCase> cases = {
        {" 1 | 2 KB |x|", -1, {" 1 ", " 2 KB ", "x"}},
        {"3abc|def|", 3, {"abc", "def"}},
        {"3abc|def", 3, {"abc"}},
        {"~3abc|def|", -1, {"3abc", "def"}},
        {"~3abc|", -1, {"3abc"}},
        {"abc", -1, {}},
        {"7abc", 7, {}},
        {"", -1, {}},
        {"a||b|", -1, {"a", "", "b"}},
        {"|", -1, {""}},
        {"*x|", 10, {"x"}},
        {"!x|", 11, {"x"}},
        {"@x|", 12, {"x"}},
        {"#x|", 13, {"x"}},
        {"$x|", 14, {"x"}},
        {"%x|", 15, {"x"}},
        {"0x|", 0, {"x"}},
        {"9|y|", 9, {"", "y"}},
        {"~|y|", -1, {"", "y"}},
        {"&x|tail", -1, {"&x"}},
        {" a \t| b |", -1, {" a \t", " b "}},
    };
    for (const ParseCase& c : cases) {
        const TMultiListItem item = ParseItem(QString::fromUtf8(c.item), u'|');
        EXPECT_EQ(item.ImageSlot, c.slot) << c.item;
        EXPECT_EQ(item.Fields, c.fields) << c.item;
    }
}

TEST(MultiListItemTest, KeepsColumnZeroAndSixteenMoreFieldsAtMost) {
    QString item;
    for (int k = 0; k < 20; ++k)
        item += QString::number(k) + u';';
    const TMultiListItem parsed = ParseItem(u'~' + item, u';');
    ASSERT_EQ(parsed.Fields.size(), 17u);
    EXPECT_EQ(parsed.Fields[0], "0");
    EXPECT_EQ(parsed.Fields[16], "16");
}

TEST(MultiListItemTest, AmpersandsFollowMnemonicRules) {
    struct Case {
        const char* text;
        const char* shown;
        QList<int> underlined;
    };
    const std::vector<Case> cases = {
        {"plain", "plain", {}},   {"&File", "File", {0}}, {"Fish && Chips", "Fish & Chips", {}},
        {"a&b&c", "abc", {1, 2}}, {"end&", "end", {}},    {"&&&x", "&x", {1}},
    };
    for (const Case& c : cases) {
        const TMnemonicText result = ResolveMnemonics(QString::fromUtf8(c.text));
        EXPECT_EQ(result.Text, QString::fromUtf8(c.shown)) << c.text;
        EXPECT_EQ(result.Underlined, c.underlined) << c.text;
    }
}

TEST(MultiListPropertiesTest, DefaultsAtCreation) {
    TMultiList list;
    EXPECT_EQ(list.ColumnSeperator(), "|");
    EXPECT_EQ(list.HeaderHeight(), 18);
    EXPECT_EQ(list.ItemHeight(), 18);
    EXPECT_EQ(list.ScrollSpeed(), 5);
    EXPECT_EQ(list.ScrollWidth(), 121);
    EXPECT_EQ(list.ListWidth(), 121);
    EXPECT_TRUE(list.DefaultItemSelected());
    EXPECT_TRUE(list.UpdateAlways());
    EXPECT_FALSE(list.SmoothScroll());
    EXPECT_FALSE(list.ShowColumnLines());
    EXPECT_FALSE(list.ShowParentHighlight());
    EXPECT_FALSE(list.SetHorizontalScroll());
    EXPECT_FALSE(list.IgnoreBitmap());
    EXPECT_EQ(list.ColumnLineColor(), QColor(128, 128, 128));
    EXPECT_EQ(list.BitmapMaskColor(), QColor(128, 0, 128));
    EXPECT_EQ(list.HighlightColor(), list.palette().color(QPalette::Highlight));
    EXPECT_EQ(list.HighlightText(), list.palette().color(QPalette::HighlightedText));
    EXPECT_EQ(list.ChildHighlightTextColor(), list.palette().color(QPalette::Highlight));
    EXPECT_TRUE(list.HeaderSections().isEmpty());
    EXPECT_EQ(list.GivenImages(), 0);
    for (int k = 0; k < TMultiList::ColumnCount; ++k) {
        EXPECT_EQ(list.Alignment(k), Qt::AlignLeft) << k;
        EXPECT_EQ(list.SectionWidth(k), 0) << k;
    }
    for (int k = 0; k < TMultiList::ImageSlotCount; ++k)
        EXPECT_TRUE(list.ListBitmap(k).isNull()) << k;
}

TEST(MultiListPropertiesTest, HeaderIsAChildNamedListHeader) {
    TMultiList list;
    auto* header = list.findChild<QHeaderView*>("ListHeader");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header, list.ListHeader());
    EXPECT_EQ(header->parentWidget(), &list);
    EXPECT_EQ(header->width(), list.ListWidth());
    EXPECT_EQ(header->height(), 18);
    list.SetListWidth(300);
    EXPECT_EQ(header->width(), 300);
    list.SetHeaderHeight(24);
    EXPECT_EQ(header->height(), 24);
}

TEST(MultiListPropertiesTest, ScrollSpeedIsKeptWithinOneToFive) {
    TMultiList list;
    const std::vector<std::pair<int, int>> cases = {{9, 5}, {0, 1}, {-3, 1}, {3, 3}, {5, 5}};
    for (const auto& [given, kept] : cases) {
        list.SetScrollSpeed(given);
        EXPECT_EQ(list.ScrollSpeed(), kept) << given;
    }
}

TEST(MultiListPropertiesTest, ColumnSeperatorKeepsOneCharacter) {
    TMultiList list;
    list.SetColumnSeperator("ab");
    EXPECT_EQ(list.ColumnSeperator(), "a");
    list.SetColumnSeperator("a");
    EXPECT_EQ(list.ColumnSeperator(), "a");
    // An empty value has no character to take; the separator stays.
    list.SetColumnSeperator("");
    EXPECT_EQ(list.ColumnSeperator(), "a");
    list.SetColumnSeperator(";");
    EXPECT_EQ(list.ColumnSeperator(), ";");
}

TEST(MultiListPropertiesTest, HeaderSectionsAreCutToFifteenAndTheCallersListToo) {
    TMultiList list;
    QStringList captions;
    for (int k = 0; k < 20; ++k)
        captions << QString("c%1").arg(k);
    list.SetHeaderSections(captions);
    EXPECT_EQ(captions.size(), 15);
    ASSERT_EQ(list.HeaderSections().size(), 15);
    EXPECT_EQ(list.HeaderSections().back(), "c14");
    EXPECT_EQ(list.ListHeader()->SectionCount(), 15);
    EXPECT_EQ(list.ListHeader()->Captions(), captions);

    QStringList temporary;
    for (int k = 0; k < 16; ++k)
        temporary << "x";
    list.SetHeaderSections(static_cast<const QStringList&>(temporary));
    EXPECT_EQ(temporary.size(), 16);
    EXPECT_EQ(list.HeaderSections().size(), 15);

    // Assigning the list its own captions changes nothing.
    list.SetHeaderSections(list.HeaderSections());
    EXPECT_EQ(list.HeaderSections().size(), 15);
}

TEST(MultiListPropertiesTest, ListBitmapMarksTheSlotGivenEvenWhenEmptied) {
    TMultiList list;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    list.SetListBitmap3(image);
    EXPECT_EQ(list.ListBitmap3().size(), QSize(4, 4));
    list.SetListBitmap_15(QImage());
    EXPECT_TRUE(list.ListBitmap_15().isNull());
    EXPECT_EQ(list.GivenImages(), (1 << 3) | (1 << 15));
    list.SetListBitmap(16, image);
    EXPECT_EQ(list.GivenImages(), (1 << 3) | (1 << 15));
}

TEST(MultiListSpacerTest, PaintingInsertsTheSpacerAndSelectsTheFirstRow) {
    auto list = MakeList({"A", "B"}, {40, 60});
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->addItem("one|1|");
    list->addItem("two|2|");
    list->addItem("three|3|");
    EXPECT_EQ(list->count(), 3);
    ShowAndPaint(*list);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(0)->text(), TMultiList::SpacerText());
    EXPECT_EQ(list->item(1)->text(), "one|1|");
    EXPECT_EQ(list->item(3)->text(), "three|3|");
    EXPECT_EQ(list->currentRow(), 1);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front(), list->item(1));
    EXPECT_TRUE(list->isRowHidden(0));

    // Painting again leaves the numbering alone.
    list->viewport()->repaint();
    EXPECT_EQ(list->count(), 4);

    // The spacer can be neither selected nor reached with the keyboard.
    list->selectAll();
    EXPECT_FALSE(list->item(0)->isSelected());
    EXPECT_EQ(list->selectedItems().size(), 3);
    list->setCurrentRow(1);
    QTest::keyClick(list->viewport(), Qt::Key_Up);
    EXPECT_EQ(list->currentRow(), 1);
}

TEST(MultiListSpacerTest, ClearRemovesTheSpacerUntilTheNextPainting) {
    auto list = MakeList({"A"}, {40});
    list->addItem("old|");
    ShowAndPaint(*list);
    ASSERT_EQ(list->count(), 2);
    list->Clear();
    EXPECT_EQ(list->count(), 0);
    list->viewport()->repaint();
    EXPECT_EQ(list->count(), 0) << "an empty list gets no spacer";
    list->addItem("new|");
    list->viewport()->repaint();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), TMultiList::SpacerText());
    EXPECT_EQ(list->item(1)->text(), "new|");
}

TEST(MultiListSpacerTest, WithoutDefaultSelectionNoDataRowIsSelected) {
    auto list = MakeList({"A"}, {40});
    list->SetDefaultItemSelected(false);
    list->addItem("a|");
    list->addItem("b|");
    list->CheckSpacer();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

TEST(MultiListHeaderTest, CaptionsKeepTheWidthsOfCaptionsThatReappear) {
    TMultiList list;
    TMultiListHeader* header = list.ListHeader();
    header->resize(600, 18);
    list.SetHeaderSections({"", "Size", "Date", "Size"});
    const QFontMetrics metrics(header->font());
    EXPECT_EQ(header->SectionWidth(1), metrics.horizontalAdvance("Size") + 8);
    EXPECT_EQ(header->SectionWidth(0), 8);
    header->SetSectionWidth(1, 77);
    header->SetSectionWidth(2, 99);
    header->SetSectionWidth(3, 55);

    // Both "Size" sections find their own width: first match not yet taken.
    list.SetHeaderSections({"Size", "Size", "From", "Date"});
    EXPECT_EQ(header->SectionWidth(0), 77);
    EXPECT_EQ(header->SectionWidth(1), 55);
    EXPECT_EQ(header->SectionWidth(2), metrics.horizontalAdvance("From") + 8);
    // The last section reaches the right edge.
    EXPECT_EQ(header->SectionWidth(3), 600 - 77 - 55 - header->SectionWidth(2));
    EXPECT_EQ(header->SectionWidth(4), 0);
    EXPECT_EQ(header->SectionWidth(-1), 0);
}

TEST(MultiListHeaderTest, WidthsAreImposedWhenTheControlWidthChanges) {
    auto list = MakeList({"A", "B", "C"}, {40, 0, 70});
    ShowAndPaint(*list);
    TMultiListHeader* header = list->ListHeader();
    EXPECT_EQ(header->SectionWidth(0), 40);
    EXPECT_EQ(header->SectionWidth(1), QFontMetrics(header->font()).horizontalAdvance("B") + 8);
    EXPECT_EQ(header->width(), list->viewport()->width());
    EXPECT_EQ(header->SectionWidth(2), header->width() - 40 - header->SectionWidth(1));

    // A new value waits for the next change of the control's width.
    list->SetSectionWidth(0, 90);
    list->viewport()->repaint();
    EXPECT_EQ(header->SectionWidth(0), 40);
    list->resize(list->width() + 20, list->height());
    list->viewport()->repaint();
    EXPECT_EQ(header->SectionWidth(0), 90);
    EXPECT_EQ(header->width(), list->viewport()->width());
}

// The list's captions are the ones that count: captions given to the header control behind
// the list's back are replaced at the next painting.
TEST(MultiListHeaderTest, CaptionsGivenToTheHeaderDirectlyAreReplacedAtPainting) {
    auto list = MakeList({"A", "B"}, {40, 40});
    ShowAndPaint(*list);
    list->ListHeader()->SetCaptions({"X"});
    ASSERT_EQ(list->ListHeader()->Captions(), QStringList{"X"});
    list->viewport()->repaint();
    EXPECT_EQ(list->ListHeader()->Captions(), (QStringList{"A", "B"}));
}

} // namespace

// TMultiList: a list whose item strings are drawn as columns under a section header.
//
// Item string: an optional image prefix ("0".."9", "*", "!", "@", "#", "$", "%" name image
// slots 0..15; "~" names none and is dropped), then fields each ended by ColumnSeperator.
// Field k is drawn in column k; the text after the last separator is never shown.
//
// Item 0 of a filled list is a hidden spacer: painting inserts it, so that afterwards data
// row n is item n. Rows begin below the header, which sits in the list's top margin.
#pragma once

#include "MultiListHeader.h"
#include "MultiListSort.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QListWidget>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class TMultiListMarks;

class TMultiList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 15;
    static constexpr int ImageSlotCount = 16;

    explicit TMultiList(QWidget* parent = nullptr);
    ~TMultiList() override;

    // The fixed text of the spacer item 0.
    static QString SpacerText();

    // Removes every item, the spacer included; it comes back at the next painting. The sort
    // order stays: rows added afterwards are shown in it.
    void Clear();
    // Appends many rows at once (one insertion for the view, no per-row layout); `fill` gives
    // row i of the batch its data before anyone sees it. A sorted list sorts them in.
    void AddRows(const QStringList& texts,
                 const std::function<void(int index, QListWidgetItem& row)>& fill = {});
    // Removes the given rows (any order), spacer excluded, in runs rather than one by one.
    void RemoveRows(std::vector<int> rows);
    // Inserts the spacer when the list holds items and item 0 is not the spacer yet, then
    // makes the first data row (DefaultItemSelected) or the spacer the current item. Painting
    // runs it; callers that need the numbering before the next painting may run it themselves.
    void CheckSpacer();

    // Gives a row's tooltip when the pointer rests on it, so that rows need not keep one each;
    // an empty text shows none. Without a source the rows' own tooltips show.
    void SetToolTipSource(std::function<QString(const QListWidgetItem& row)> source) {
        m_toolTipSource = std::move(source);
    }
    // Gives a row's sort key for a column when the row keeps none of its own (an invalid
    // variant: none, the column's text sorts).
    void SetSortKeySource(std::function<QVariant(const QListWidgetItem& row, int column)> source) {
        m_sortKeySource = std::move(source);
    }

    // Null once someone has deleted the header; rows are then drawn as plain text.
    TMultiListHeader* ListHeader() const { return m_header.data(); }

    // Column k, 0..14: alignment (Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter).
    Qt::Alignment Alignment(int index) const;
    void SetAlignment(int index, Qt::Alignment alignment);
    // Width of header section k to impose; 0 or less leaves the header's own width.
    int SectionWidth(int index) const;
    void SetSectionWidth(int index, int width);

    const QStringList& HeaderSections() const { return m_headerSections; }
    // At most 15 captions; a longer list given as an lvalue is shortened to 15 as well.
    void SetHeaderSections(const QStringList& captions);
    void SetHeaderSections(QStringList& captions);

    QString ColumnSeperator() const { return QString(m_separator); }
    // Takes the first character of a differing value; an empty value keeps the separator.
    void SetColumnSeperator(const QString& separator);

    // Image slots 0..15; a null image empties the slot. Either way the slot counts as given.
    QImage ListBitmap(int index) const;
    void SetListBitmap(int index, const QImage& image);
    // Bit n set when slot n was given an image.
    std::uint16_t GivenImages() const { return m_givenImages; }

    QColor HighlightColor() const { return m_highlightColor; }
    void SetHighlightColor(const QColor& color);
    QColor HighlightText() const { return m_highlightText; }
    void SetHighlightText(const QColor& color);
    QColor ChildHighlightTextColor() const { return m_childHighlightTextColor; }
    void SetChildHighlightTextColor(const QColor& color);
    QColor ColumnLineColor() const { return m_columnLineColor; }
    void SetColumnLineColor(const QColor& color);
    QColor BitmapMaskColor() const { return m_bitmapMaskColor; }
    void SetBitmapMaskColor(const QColor& color);

    QFont HeaderFont() const { return m_headerFont; }
    void SetHeaderFont(const QFont& font);
    int HeaderHeight() const { return m_headerHeight; }
    void SetHeaderHeight(int height);
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int height);
    // Step of the animated column shift, kept within 1..5.
    int ScrollSpeed() const { return m_scrollSpeed; }
    void SetScrollSpeed(int speed);
    int ScrollWidth() const { return m_scrollWidth; }
    void SetScrollWidth(int width);
    int ListWidth() const { return m_listWidth; }
    void SetListWidth(int width);

    bool SmoothScroll() const { return m_smoothScroll; }
    void SetSmoothScroll(bool on) { m_smoothScroll = on; }
    bool ShowColumnLines() const { return m_showColumnLines; }
    void SetShowColumnLines(bool on);
    bool ShowParentHighlight() const { return m_showParentHighlight; }
    void SetShowParentHighlight(bool on);
    // Property of that name: a horizontal scroll range of ScrollWidth pixels.
    bool SetHorizontalScroll() const { return m_setHorizontalScroll; }
    void SetHorizontalScroll(bool on);
    bool DefaultItemSelected() const { return m_defaultItemSelected; }
    void SetDefaultItemSelected(bool on) { m_defaultItemSelected = on; }
    bool UpdateAlways() const { return m_updateAlways; }
    void SetUpdateAlways(bool on) { m_updateAlways = on; }
    bool IgnoreBitmap() const { return m_ignoreBitmap; }
    void SetIgnoreBitmap(bool on) { m_ignoreBitmap = on; }

    // The header reports that section `section` is now `width` wide: the columns follow.
    void SectionResize(int section, int width);

    // Marks rows 1 to the last as one range; with no data row nothing happens.
    void MarkAll();
    // The marked data rows, ascending.
    std::vector<int> MarkedRows() const;
    // A click or a moving key that replaces the marks replaces those of the shown rows only:
    // rows hidden by setRowHidden keep theirs. SetMarks puts exactly the given rows marked,
    // hidden ones too, and no others, as one change.
    void SetMarks(const QItemSelection& rows);
    // True while SetMarks (or a new order) puts the marks.
    bool SettingMarks() const;
    // While locked (a command runs) clicks and keys cannot change the marks or the current
    // row; the list still scrolls and sorts.
    void SetLocked(bool locked);
    bool Locked() const { return m_locked; }
    // Column whose width grows by half the room the sections leave free (-1: none); the
    // last section takes the other half. The user's widths stay the base.
    void SetStretchColumn(int column);
    int StretchColumn() const { return m_stretchColumn; }
    // The column that takes the last section's half instead, and all of any lack of room
    // (-1: the last section itself); a last section after it keeps its own width. It is at
    // least minimumShare of the list's width, the room taken from the stretch column down to
    // MinimumStretchPercent of its own width.
    void SetFillColumn(int column, double minimumShare = 0);
    int FillColumn() const { return m_fillColumn; }
    static constexpr int MinimumStretchPercent = 60;
    // Hides column k (its section and cells take no room) or shows it again.
    void SetColumnHidden(int index, bool hidden);
    bool ColumnHidden(int index) const;
    // The width the control needs to show every column at its own width and the fill column
    // at its least share.
    int NeededWidth() const;
    // Gives the header the section widths with their shares now, as a new list width does
    // (after the owner changed captions and widths together).
    void ImposeWidths();

    // Orders the data rows by the column (a header click does this); the same column again
    // reverses the order. Rows keep their marks; sort keys are described in MultiListSort.h.
    // The view then shows the top of the new order, its first row current.
    void SortByColumn(int column);
    // Puts the rows in the kept order again (after rows were added); the view stays.
    void ApplySortOrder();
    // -1 while the rows are in the order they were added.
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    // Forgets the order: new rows are shown as they come.
    void ResetSortOrder();
    // True while a new order moves the rows' contents and marks to their new places.
    bool MovingRows() const { return m_movingRows; }

signals:
    // A new order moved the rows' contents (per-row view state such as hiding stays behind).
    void RowsReordered();

public:
#define TMULTILIST_COLUMN_ACCESSORS(Suffix, Index)                                                 \
    Qt::Alignment Alignment##Suffix() const {                                                      \
        return Alignment(Index);                                                                   \
    }                                                                                              \
    void SetAlignment##Suffix(Qt::Alignment alignment) {                                           \
        SetAlignment(Index, alignment);                                                            \
    }                                                                                              \
    int SectionWidth##Suffix() const {                                                             \
        return SectionWidth(Index);                                                                \
    }                                                                                              \
    void SetSectionWidth##Suffix(int width) {                                                      \
        SetSectionWidth(Index, width);                                                             \
    }
#define TMULTILIST_IMAGE_ACCESSORS(Suffix, Index)                                                  \
    QImage ListBitmap##Suffix() const {                                                            \
        return ListBitmap(Index);                                                                  \
    }                                                                                              \
    void SetListBitmap##Suffix(const QImage& image) {                                              \
        SetListBitmap(Index, image);                                                               \
    }
    TMULTILIST_COLUMN_ACCESSORS(0, 0)
    TMULTILIST_COLUMN_ACCESSORS(1, 1)
    TMULTILIST_COLUMN_ACCESSORS(2, 2)
    TMULTILIST_COLUMN_ACCESSORS(3, 3)
    TMULTILIST_COLUMN_ACCESSORS(4, 4)
    TMULTILIST_COLUMN_ACCESSORS(5, 5)
    TMULTILIST_COLUMN_ACCESSORS(6, 6)
    TMULTILIST_COLUMN_ACCESSORS(7, 7)
    TMULTILIST_COLUMN_ACCESSORS(8, 8)
    TMULTILIST_COLUMN_ACCESSORS(9, 9)
    TMULTILIST_COLUMN_ACCESSORS(_10, 10)
    TMULTILIST_COLUMN_ACCESSORS(_11, 11)
    TMULTILIST_COLUMN_ACCESSORS(_12, 12)
    TMULTILIST_COLUMN_ACCESSORS(_13, 13)
    TMULTILIST_COLUMN_ACCESSORS(_14, 14)
    TMULTILIST_IMAGE_ACCESSORS(0, 0)
    TMULTILIST_IMAGE_ACCESSORS(1, 1)
    TMULTILIST_IMAGE_ACCESSORS(2, 2)
    TMULTILIST_IMAGE_ACCESSORS(3, 3)
    TMULTILIST_IMAGE_ACCESSORS(4, 4)
    TMULTILIST_IMAGE_ACCESSORS(5, 5)
    TMULTILIST_IMAGE_ACCESSORS(6, 6)
    TMULTILIST_IMAGE_ACCESSORS(7, 7)
    TMULTILIST_IMAGE_ACCESSORS(8, 8)
    TMULTILIST_IMAGE_ACCESSORS(9, 9)
    TMULTILIST_IMAGE_ACCESSORS(_10, 10)
    TMULTILIST_IMAGE_ACCESSORS(_11, 11)
    TMULTILIST_IMAGE_ACCESSORS(_12, 12)
    TMULTILIST_IMAGE_ACCESSORS(_13, 13)
    TMULTILIST_IMAGE_ACCESSORS(_14, 14)
    TMULTILIST_IMAGE_ACCESSORS(_15, 15)
#undef TMULTILIST_COLUMN_ACCESSORS
#undef TMULTILIST_IMAGE_ACCESSORS

    // Paints row `row` into `rect` (viewport coordinates); used by the list's item delegate.
    void DrawRow(QPainter& painter, const QRect& rect, int row, bool selected, bool focused) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // Home and End (with or without Ctrl) go to the first and the last data row.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // One step of the animated column shift: moves the painted pixels inside `clip`.
    virtual void ScrollColumns(int dx, const QRect& clip);

private:
    void LayoutPass();
    void PlaceHeader();
    int HeaderWidth() const;
    // W(k): the header's width of section k, 0 without a header.
    int HeaderSectionWidth(int index) const;
    // S(n): right edge of column n in viewport coordinates.
    int ColumnRight(int column) const;
    void ColumnShift(int origin, int distance);
    void DrawColumnLines(QPainter& painter) const;
    // Paints the cells of one row; returns the text colour of its last cell.
    QColor DrawColumns(QPainter& painter, const QRect& area, const QString& itemText, bool selected,
                       QColor brush, QColor text) const;
    void DrawFocusFrame(QPainter& painter, const QRect& area, const QColor& color) const;
    // The widths to give the header: the imposed ones, the stretch and fill columns with their
    // shares (MultiListWidths.cpp).
    void ImposeSectionWidths();
    // After a drag: the widths kept are bases, the stretch and fill columns' without shares.
    void KeepStretchBase(const std::array<int, ColumnCount>& bases, int dragged);
    void ApplyHiddenColumns();
    // One flag per item: marked or not.
    std::vector<char> MarkFlags() const;
    void SelectFlagged(const std::vector<char>& flags);

    QPointer<TMultiListHeader> m_header;
    TMultiListMarks* m_marks; // the selection model, a child of the list
    QStringList m_headerSections;
    std::array<Qt::Alignment, ColumnCount> m_alignment;
    std::array<int, ColumnCount> m_sectionWidth{};
    std::array<QImage, ImageSlotCount> m_listBitmap;
    std::uint16_t m_givenImages = 0;
    QChar m_separator = u'|';
    QColor m_highlightColor;
    QColor m_highlightText;
    QColor m_childHighlightTextColor;
    QColor m_columnLineColor{128, 128, 128};
    QColor m_bitmapMaskColor{128, 0, 128};
    QFont m_headerFont;
    int m_headerHeight = 18;
    int m_itemHeight = 18;
    int m_scrollSpeed = 5;
    int m_scrollWidth;
    int m_listWidth;
    bool m_smoothScroll = false;
    bool m_showColumnLines = false;
    bool m_showParentHighlight = false;
    bool m_setHorizontalScroll = false;
    bool m_defaultItemSelected = true;
    bool m_updateAlways = true;
    bool m_ignoreBitmap = false;
    bool m_locked = false;
    std::function<QString(const QListWidgetItem&)> m_toolTipSource;
    std::function<QVariant(const QListWidgetItem&, int)> m_sortKeySource;
    int m_stretchColumn = -1;
    int m_fillColumn = -1;
    double m_fillMinimumShare = 0;
    // What the layout added to each column's base (negative: took away).
    std::array<int, ColumnCount> m_shares{};
    std::array<bool, ColumnCount> m_hidden{};

    int m_sortColumn = -1;
    bool m_movingRows = false;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    // Working state.
    bool m_pendingFullRepaint = true;
    bool m_resizeWhileDragging = false;
    int m_lastResizeWidth = 0;
    int m_lastSeenWidth = 0;
};

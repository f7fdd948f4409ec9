#include "MultiLst.h"

#include "MultiListItem.h"
#include "MultiListMarks.h"
#include "MultiListText.h"

#include <QAbstractItemDelegate>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// The control's width at creation, before the owner sizes it.
constexpr int DefaultControlWidth = 121;
// Room between a row image and the text of column 0.
constexpr int ImageTextGap = 10;
constexpr int ImageLeft = 6;
// Text of column k starts this far right of the column's left edge.
constexpr int CellIndent = 6;

// Asks the list to paint each row; every row is ItemHeight high.
class RowDelegate : public QAbstractItemDelegate {
public:
    explicit RowDelegate(TMultiList* list) : QAbstractItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        m_list->DrawRow(*painter, option.rect, index.row(),
                        option.state.testFlag(QStyle::State_Selected),
                        option.state.testFlag(QStyle::State_HasFocus));
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(m_list->SetHorizontalScroll() ? m_list->ScrollWidth() : 0,
                     m_list->ItemHeight());
    }

private:
    TMultiList* m_list;
};

// The image with every pixel of the mask colour replaced by `background`.
QImage MaskedImage(const QImage& image, const QColor& mask, const QColor& background) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb maskRgb = mask.rgb() & RGB_MASK;
    const QRgb backgroundRgb = background.rgb();
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & RGB_MASK) == maskRgb && qAlpha(line[x]) == 255)
                line[x] = backgroundRgb;
        }
    }
    return result;
}

// The cell from x1 up to (not including) x2.
QRect Span(int x1, int x2, int top, int bottom) {
    return QRect(x1, top, x2 - x1, bottom - top);
}

} // namespace

TMultiList::TMultiList(QWidget* parent)
    : QListWidget(parent), m_header(new TMultiListHeader(this)), m_scrollWidth(DefaultControlWidth),
      m_listWidth(DefaultControlWidth) {
    m_alignment.fill(Qt::AlignLeft);
    m_highlightColor = palette().color(QPalette::Highlight);
    m_highlightText = palette().color(QPalette::HighlightedText);
    m_childHighlightTextColor = m_highlightColor;
    m_headerFont = font();
    setItemDelegate(new RowDelegate(this));
    QItemSelectionModel* plainMarks = selectionModel();
    m_marks = new TMultiListMarks(this);
    setSelectionModel(m_marks);
    delete plainMarks;
    // Every row is ItemHeight high: the view need not ask each of 100,000 rows for its size.
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setViewportMargins(0, m_headerHeight, 0, 0);
    m_header->setFont(m_headerFont);
    m_header->resize(m_listWidth, m_headerHeight);
    PlaceHeader();
    m_header->show();
    connect(m_header, &TMultiListHeader::Sizing, this, [this](int section, int width) {
        if (m_resizeWhileDragging)
            SectionResize(section, width);
    });
    connect(m_header, &TMultiListHeader::Sized, this, [this](int section, int width) {
        if (!m_resizeWhileDragging)
            SectionResize(section, width);
    });
    connect(m_header, &QHeaderView::sectionClicked, this, &TMultiList::SortByColumn);
}

TMultiList::~TMultiList() {
    m_marks->Detach();
}

QString TMultiList::SpacerText() {
    // Control characters never occur in a listed row.
    return QStringLiteral("\x01TMultiList spacer\x01");
}

void TMultiList::Clear() {
    clear();
}

void TMultiList::ResetSortOrder() {
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    if (m_header)
        m_header->setSortIndicator(-1, Qt::AscendingOrder);
}

void TMultiList::CheckSpacer() {
    if (count() == 0 || item(0)->text() == SpacerText())
        return;
    auto* spacer = new QListWidgetItem(SpacerText());
    spacer->setFlags(Qt::NoItemFlags);
    insertItem(0, spacer);
    setRowHidden(0, true);
    setCurrentRow(m_defaultItemSelected ? 1 : 0, QItemSelectionModel::ClearAndSelect);
}

Qt::Alignment TMultiList::Alignment(int index) const {
    return index >= 0 && index < ColumnCount ? m_alignment[index] : Qt::AlignLeft;
}

void TMultiList::SetAlignment(int index, Qt::Alignment alignment) {
    if (index < 0 || index >= ColumnCount)
        return;
    m_alignment[index] = alignment & Qt::AlignHorizontal_Mask;
    viewport()->repaint();
}

int TMultiList::SectionWidth(int index) const {
    return index >= 0 && index < ColumnCount ? m_sectionWidth[index] : 0;
}

void TMultiList::SetSectionWidth(int index, int width) {
    if (index < 0 || index >= ColumnCount)
        return;
    m_sectionWidth[index] = width;
    // Any column but 0 asks for a full repaint after the next column shift; column 0 withdraws
    // that request (the order in which an owner assigns the widths decides).
    m_pendingFullRepaint = index != 0;
}

void TMultiList::SetHeaderSections(QStringList& captions) {
    while (captions.size() > ColumnCount)
        captions.removeLast();
    SetHeaderSections(static_cast<const QStringList&>(captions));
}

void TMultiList::SetHeaderSections(const QStringList& captions) {
    if (&captions == &m_headerSections)
        return;
    m_headerSections = captions.mid(0, ColumnCount);
    if (m_header) {
        m_header->SetCaptions(m_headerSections);
        ApplyHiddenColumns();
    }
    m_pendingFullRepaint = true;
    viewport()->update();
}

void TMultiList::SetColumnSeperator(const QString& separator) {
    if (!separator.isEmpty() && separator != ColumnSeperator())
        m_separator = separator.front();
    viewport()->update();
}

QImage TMultiList::ListBitmap(int index) const {
    return index >= 0 && index < ImageSlotCount ? m_listBitmap[index] : QImage();
}

void TMultiList::SetListBitmap(int index, const QImage& image) {
    if (index < 0 || index >= ImageSlotCount)
        return;
    m_listBitmap[index] = image;
    m_givenImages |= static_cast<std::uint16_t>(1u << index);
    viewport()->update();
}

void TMultiList::SetHighlightColor(const QColor& color) {
    m_highlightColor = color;
    viewport()->update();
}

void TMultiList::SetHighlightText(const QColor& color) {
    m_highlightText = color;
    viewport()->update();
}

void TMultiList::SetChildHighlightTextColor(const QColor& color) {
    m_childHighlightTextColor = color;
    viewport()->update();
}

void TMultiList::SetColumnLineColor(const QColor& color) {
    m_columnLineColor = color;
    viewport()->update();
}

void TMultiList::SetBitmapMaskColor(const QColor& color) {
    m_bitmapMaskColor = color;
    viewport()->update();
}

void TMultiList::SetHeaderFont(const QFont& font) {
    m_headerFont = font;
    if (m_header)
        m_header->setFont(font);
    viewport()->update();
}

void TMultiList::SetHeaderHeight(int height) {
    m_headerHeight = std::max(0, height);
    setViewportMargins(0, m_headerHeight, 0, 0);
    PlaceHeader();
    viewport()->update();
}

void TMultiList::SetItemHeight(int height) {
    m_itemHeight = std::max(1, height);
    scheduleDelayedItemsLayout();
}

void TMultiList::SetScrollSpeed(int speed) {
    m_scrollSpeed = std::clamp(speed, 1, 5);
}

void TMultiList::SetScrollWidth(int width) {
    m_scrollWidth = width;
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TMultiList::SetListWidth(int width) {
    m_listWidth = width;
    if (m_header)
        m_header->resize(width, m_headerHeight);
    viewport()->update();
}

void TMultiList::SetShowColumnLines(bool on) {
    m_showColumnLines = on;
    viewport()->update();
}

void TMultiList::SetShowParentHighlight(bool on) {
    m_showParentHighlight = on;
    viewport()->update();
}

void TMultiList::SetHorizontalScroll(bool on) {
    m_setHorizontalScroll = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scheduleDelayedItemsLayout();
    viewport()->update();
}

int TMultiList::HeaderWidth() const {
    const int controlWidth = viewport()->width();
    return m_setHorizontalScroll && m_scrollWidth > controlWidth ? m_scrollWidth : controlWidth;
}

void TMultiList::PlaceHeader() {
    if (!m_header)
        return;
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left() - horizontalOffset(), area.top() - m_headerHeight,
                          m_header->width(), m_headerHeight);
}

void TMultiList::LayoutPass() {
    if (!m_header) {
        CheckSpacer();
        return;
    }
    if (m_header->Captions() != m_headerSections) {
        m_header->SetCaptions(m_headerSections);
        ApplyHiddenColumns();
    }
    m_resizeWhileDragging = m_smoothScroll;
    const int controlWidth = viewport()->width();
    const bool widen = m_setHorizontalScroll && m_header->width() < m_scrollWidth;
    m_header->resize(HeaderWidth(), m_headerHeight);
    if (controlWidth != m_lastSeenWidth)
        ImposeSectionWidths();
    m_lastSeenWidth = controlWidth;
    PlaceHeader();
    if (m_header->font() != m_headerFont)
        m_header->setFont(m_headerFont);
    CheckSpacer();
    if (widen) {
        for (int k = 0; k < ColumnCount; ++k)
            m_sectionWidth[k] = m_header->SectionWidth(k);
    }
}

int TMultiList::HeaderSectionWidth(int index) const {
    return m_header ? m_header->SectionWidth(index) : 0;
}

int TMultiList::ColumnRight(int column) const {
    int right = -horizontalOffset();
    for (int k = 0; k <= column; ++k)
        right += HeaderSectionWidth(k);
    return right;
}

void TMultiList::paintEvent(QPaintEvent* event) {
    LayoutPass();
    // Rows inserted by the spacer check must be laid out before they are painted.
    executeDelayedItemsLayout();
    QListWidget::paintEvent(event);
    if (m_showColumnLines && m_header && count() > 0) {
        QPainter painter(viewport());
        DrawColumnLines(painter);
    }
}

void TMultiList::DrawColumnLines(QPainter& painter) const {
    painter.setPen(m_columnLineColor);
    const int bottom = viewport()->height();
    for (int k = 0; k < ColumnCount; ++k) {
        if (m_sectionWidth[k] > 0 && !m_hidden[k]) {
            const int x = ColumnRight(k);
            painter.drawLine(x, 0, x, bottom);
        }
    }
}

void TMultiList::DrawRow(QPainter& painter, const QRect& rect, int row, bool selected,
                         bool focused) const {
    QRect area = rect;
    if (m_setHorizontalScroll && m_scrollWidth > viewport()->width())
        area.setRight(m_scrollWidth - horizontalOffset() - 1);
    QColor brush = palette().color(QPalette::Base);
    QColor text = palette().color(QPalette::Text);
    if (selected) {
        brush = m_highlightColor;
        text = m_highlightText;
    }
    const QListWidgetItem* rowItem = item(row);
    if (!rowItem) {
        painter.fillRect(area, brush);
    } else if (!m_header) {
        painter.fillRect(area, brush);
        painter.setPen(text);
        painter.setFont(font());
        painter.drawText(area.adjusted(0, 1, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, rowItem->text());
    } else {
        text = DrawColumns(painter, area, rowItem->text(), selected, brush, text);
    }
    if (focused)
        DrawFocusFrame(painter, area, text);
}

QColor TMultiList::DrawColumns(QPainter& painter, const QRect& area, const QString& itemText,
                               bool selected, QColor brush, QColor text) const {
    painter.save();
    painter.setFont(font());
    const int left = area.left();
    const int top = area.top();
    const int bottom = area.top() + area.height();
    const TMultiListItem fields = ParseItem(itemText, m_separator);

    painter.fillRect(Span(left, left + HeaderSectionWidth(0), top, bottom), brush);
    int textLeft = left + 1;
    if (fields.ImageSlot >= 0) {
        // An empty slot draws nothing and leaves the text where a zero-size image would.
        const QImage& image = m_listBitmap[fields.ImageSlot];
        if (!image.isNull())
            painter.drawImage(QPoint(left + ImageLeft, top),
                              MaskedImage(image, m_bitmapMaskColor, brush));
        textLeft = left + image.width() + ImageTextGap;
    }
    painter.setPen(text);
    if (!fields.Fields.empty())
        DrawCellText(painter, Span(textLeft, ColumnRight(0), top + 1, bottom), fields.Fields[0],
                     m_alignment[0]);

    if (selected && m_showParentHighlight) {
        brush = palette().color(QPalette::Base);
        text = m_childHighlightTextColor;
        painter.setPen(text);
    }
    for (int i = 0; i < ImageSlotCount; ++i) {
        const int x1 = ColumnRight(i);
        const int x2 = ColumnRight(i + 1);
        painter.fillRect(Span(x1, x2, top, bottom), brush);
        const std::size_t field = static_cast<std::size_t>(i) + 1;
        if (field < fields.Fields.size())
            DrawCellText(painter, Span(x1 + CellIndent, x2, top + 1, bottom), fields.Fields[field],
                         Alignment(i + 1));
    }
    painter.restore();
    return text;
}

void TMultiList::DrawFocusFrame(QPainter& painter, const QRect& area, const QColor& color) const {
    QRect frame = area;
    if (m_showParentHighlight && m_header)
        frame.setRight(area.left() + HeaderSectionWidth(0));
    if (frame.width() <= 0 || frame.height() <= 0)
        return;
    painter.save();
    QPen pen(color, 1, Qt::DotLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TMultiList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    PlaceHeader();
}

void TMultiList::scrollContentsBy(int dx, int dy) {
    QListWidget::scrollContentsBy(dx, dy);
    PlaceHeader();
}

void TMultiList::SectionResize(int section, int width) {
    if (m_updateAlways)
        viewport()->update();
    if (!m_header)
        return;
    // Only the width is compared, so the same width reported twice is handled once.
    if (width == m_lastResizeWidth)
        return;
    m_lastResizeWidth = width;
    if (section < 0 || section >= ColumnCount) {
        viewport()->update();
        return;
    }
    const std::array<int, ColumnCount> bases = m_sectionWidth;
    // What the columns showed: the stretch and fill columns had their shares on their bases.
    std::array<int, ColumnCount> old = bases;
    for (int k = 0; k < ColumnCount; ++k)
        old[k] += m_shares[k];
    for (int k = 0; k < ColumnCount; ++k)
        m_sectionWidth[k] = m_header->SectionWidth(k);
    KeepStretchBase(bases, section);
    int origin = 0;
    for (int k = 0; k <= section; ++k)
        origin += std::min(old[k], m_sectionWidth[k]);
    origin += m_header->SectionWidth(section) - width;
    if (old[0] > 0)
        ColumnShift(origin, m_header->SectionWidth(section) - old[section]);
    else
        viewport()->update();
}

void TMultiList::ColumnShift(int origin, int distance) {
    const int offset = horizontalOffset();
    const int right = viewport()->width();
    const int bottom = viewport()->height();
    int clipLeft = origin + 1 - offset;
    if (m_showColumnLines && distance > 0)
        // The old line is repainted from the new geometry instead of being drawn over.
        viewport()->update(QRect(origin - offset, 0, 1, bottom));
    else
        --clipLeft;
    const int direction = distance < 0 ? -1 : 1;
    int remaining = std::abs(distance);
    while (remaining > 0) {
        const int step = remaining >= m_scrollSpeed ? m_scrollSpeed : 1;
        ScrollColumns(direction * step, QRect(clipLeft, 0, right - clipLeft, bottom));
        remaining -= step;
    }
    if (m_pendingFullRepaint) {
        m_pendingFullRepaint = false;
        viewport()->update();
    } else if (m_showColumnLines) {
        --clipLeft;
        viewport()->update(QRect(clipLeft, 0, right - clipLeft, bottom));
    }
}

void TMultiList::ScrollColumns(int dx, const QRect& clip) {
    if (clip.isValid())
        viewport()->scroll(dx, 0, clip);
}

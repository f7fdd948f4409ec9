#include "MultiListHeader.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyleOptionHeader>

namespace {
// Room around a caption besides its text.
constexpr int CaptionPadding = 8;
} // namespace

TMultiListHeader::TMultiListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_captions(new QStandardItemModel(0, 0, this)) {
    setObjectName(QStringLiteral("ListHeader"));
    setModel(m_captions);
    setMinimumSectionSize(0);
    setStretchLastSection(true);
    // A click on a caption sorts the list by that column; a drag on a divider resizes.
    setSectionsClickable(true);
    setSortIndicatorShown(true);
    setSortIndicator(-1, Qt::AscendingOrder);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionResized, this, &TMultiListHeader::OnSectionResized);
}

int TMultiListHeader::SectionCount() const {
    return m_captions->columnCount();
}

QStringList TMultiListHeader::Captions() const {
    QStringList captions;
    for (int k = 0; k < m_captions->columnCount(); ++k)
        captions << m_captions->headerData(k, Qt::Horizontal).toString();
    return captions;
}

void TMultiListHeader::SetCaptions(const QStringList& captions) {
    const QStringList old = Captions();
    std::vector<int> oldWidths;
    for (int k = 0; k < old.size(); ++k)
        oldWidths.push_back(StoredWidth(k));
    std::vector<bool> taken(old.size(), false);
    std::vector<int> widths;
    const QFontMetrics metrics(font());
    for (const QString& caption : captions) {
        int width = metrics.horizontalAdvance(caption) + CaptionPadding;
        for (int k = 0; k < old.size(); ++k) {
            if (!taken[k] && old[k] == caption) {
                taken[k] = true;
                width = oldWidths[k];
                break;
            }
        }
        widths.push_back(width);
    }
    m_captions->setColumnCount(static_cast<int>(captions.size()));
    m_captions->setHorizontalHeaderLabels(captions);
    m_storedWidths = widths;
    for (int k = 0; k < static_cast<int>(widths.size()); ++k)
        resizeSection(k, widths[k]);
}

int TMultiListHeader::StoredWidth(int index) const {
    return index == SectionCount() - 1 ? m_storedWidths[index] : sectionSize(index);
}

int TMultiListHeader::SectionWidth(int index) const {
    const int count = SectionCount();
    if (index < 0 || index >= count)
        return 0;
    if (index < count - 1)
        return sectionSize(index);
    int before = 0;
    for (int k = 0; k < index; ++k)
        before += sectionSize(k);
    return width() - before;
}

void TMultiListHeader::SetSectionWidth(int index, int width) {
    if (index < 0 || index >= SectionCount())
        return;
    m_storedWidths[index] = width;
    resizeSection(index, width);
    viewport()->update();
}

int TMultiListHeader::FittedWidth(int index) const {
    return index >= 0 && index < SectionCount() ? sectionSizeFromContents(index).width() : 0;
}

void TMultiListHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    // Qt's header gives an ascending order the arrow that points down.
    if (option->sortIndicator == QStyleOptionHeader::SortDown)
        option->sortIndicator = QStyleOptionHeader::SortUp;
    else if (option->sortIndicator == QStyleOptionHeader::SortUp)
        option->sortIndicator = QStyleOptionHeader::SortDown;
}

void TMultiListHeader::mousePressEvent(QMouseEvent* event) {
    m_mouseDown = event->button() == Qt::LeftButton;
    m_draggedSection = -1;
    QHeaderView::mousePressEvent(event);
}

void TMultiListHeader::mouseReleaseEvent(QMouseEvent* event) {
    QHeaderView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_mouseDown = false;
    const int section = m_draggedSection;
    m_draggedSection = -1;
    if (section >= 0)
        emit Sized(section, SectionWidth(section));
}

void TMultiListHeader::OnSectionResized(int section, int, int) {
    // Only a divider drag counts; the stretched last section follows every change on its own.
    if (!m_mouseDown || section == SectionCount() - 1)
        return;
    m_draggedSection = section;
    emit Sizing(section, SectionWidth(section));
}

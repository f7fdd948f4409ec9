// How the list's width is shared among its columns: imposed widths as bases, the free room
// for the stretch and fill columns, hidden columns taking none.
#include "MultiLst.h"

#include <algorithm>
#include <cmath>

void TMultiList::SetStretchColumn(int column) {
    m_stretchColumn = column;
    if (m_header)
        ImposeSectionWidths();
    viewport()->update();
}

void TMultiList::SetFillColumn(int column, double minimumShare) {
    m_fillColumn = column;
    m_fillMinimumShare = std::clamp(minimumShare, 0.0, 1.0);
    if (m_header)
        ImposeSectionWidths();
    viewport()->update();
}

void TMultiList::SetColumnHidden(int index, bool hidden) {
    if (index < 0 || index >= ColumnCount || m_hidden[index] == hidden)
        return;
    m_hidden[index] = hidden;
    ImposeWidths();
}

bool TMultiList::ColumnHidden(int index) const {
    return index >= 0 && index < ColumnCount && m_hidden[index];
}

int TMultiList::NeededWidth() const {
    if (!m_header)
        return 0;
    const int sections = std::min(ColumnCount, m_header->SectionCount());
    const int fill = m_fillColumn >= 0 && m_fillColumn < sections ? m_fillColumn : sections - 1;
    int others = 0;
    int own = 0;
    for (int k = 0; k < sections; ++k) {
        const int base = m_hidden[k] ? 0 : std::max(0, m_sectionWidth[k]);
        (k == fill ? own : others) += base;
    }
    int columns = others + own;
    if (m_fillMinimumShare > 0 && m_fillMinimumShare < 1)
        columns = std::max(columns, static_cast<int>(std::ceil(others / (1 - m_fillMinimumShare))));
    return columns + width() - viewport()->width();
}

void TMultiList::ImposeWidths() {
    if (!m_header)
        return;
    if (m_header->Captions() != m_headerSections)
        m_header->SetCaptions(m_headerSections);
    ApplyHiddenColumns();
    ImposeSectionWidths();
    viewport()->update();
}

void TMultiList::ApplyHiddenColumns() {
    const int sections = std::min(ColumnCount, m_header->SectionCount());
    for (int k = 0; k < sections; ++k) {
        if (m_header->isSectionHidden(k) != m_hidden[k])
            m_header->setSectionHidden(k, m_hidden[k]);
    }
}

void TMultiList::ImposeSectionWidths() {
    const int sections = std::min(ColumnCount, m_header->SectionCount());
    const int last = sections - 1;
    const int total = m_header->width();
    std::array<int, ColumnCount> bases{};
    int used = 0;
    for (int k = 0; k < sections; ++k) {
        if (!m_hidden[k])
            bases[k] = m_sectionWidth[k] > 0 ? m_sectionWidth[k] : m_header->SectionWidth(k);
        used += bases[k];
    }
    m_shares.fill(0);
    const bool stretching = m_stretchColumn >= 0 && m_stretchColumn < last;
    const int fill = m_fillColumn >= 0 && m_fillColumn < sections ? m_fillColumn : last;
    if (stretching) {
        const int free = std::max(0, total - used);
        m_shares[m_stretchColumn] = free / 2;
        // A fill column before the last takes the rest, a lack of room too, so that the last
        // section shows just its own width.
        if (fill != last)
            m_shares[fill] = total - used - m_shares[m_stretchColumn];
    }
    // The fill column's least share of the width, from the stretch column's width.
    if (stretching && fill != m_stretchColumn && m_fillMinimumShare > 0) {
        const int othersShown = used - bases[fill] + m_shares[m_stretchColumn];
        const int fillShown = fill == last ? total - othersShown : bases[fill] + m_shares[fill];
        const int wanted = static_cast<int>(std::ceil(total * m_fillMinimumShare));
        const int stretchShown = bases[m_stretchColumn] + m_shares[m_stretchColumn];
        const int stretchFloor = bases[m_stretchColumn] * MinimumStretchPercent / 100;
        const int given = std::min(wanted - fillShown, stretchShown - stretchFloor);
        if (given > 0) {
            m_shares[m_stretchColumn] -= given;
            if (fill != last)
                m_shares[fill] += given;
        }
    }
    if (fill != last)
        m_shares[fill] = std::max(m_shares[fill], -bases[fill]);
    for (int k = 0; k < sections; ++k) {
        if (m_sectionWidth[k] > 0 && !m_hidden[k])
            m_header->SetSectionWidth(k, m_sectionWidth[k] + m_shares[k]);
    }
}

void TMultiList::KeepStretchBase(const std::array<int, ColumnCount>& bases, int dragged) {
    const int sections = m_header ? std::min(ColumnCount, m_header->SectionCount()) : 0;
    if (m_stretchColumn < 0 || m_stretchColumn >= sections - 1)
        return;
    const int last = sections - 1;
    // The last section only takes what is left: its base stays as it was.
    m_sectionWidth[last] = bases[last];
    const bool fillBeforeLast = m_fillColumn >= 0 && m_fillColumn < last;
    for (const int shared : {m_stretchColumn, fillBeforeLast ? m_fillColumn : -1}) {
        if (shared < 0)
            continue;
        if (dragged != shared)
            m_sectionWidth[shared] = bases[shared];
        else if (fillBeforeLast)
            // The width dragged to, less what the layout had added.
            m_sectionWidth[shared] = std::max(1, m_header->SectionWidth(shared) - m_shares[shared]);
    }
    if (dragged != m_stretchColumn || fillBeforeLast)
        return;
    // The base that, with its share of the free room, shows the width the user dragged to.
    int others = 0;
    for (int k = 0; k < sections; ++k) {
        if (k != m_stretchColumn)
            others += m_sectionWidth[k];
    }
    const int shown = m_header->SectionWidth(m_stretchColumn);
    m_sectionWidth[m_stretchColumn] = std::max(1, 2 * shown - (m_header->width() - others));
}

// The section header that lies over the top of a TMultiList.
#pragma once

#include <QHeaderView>
#include <QStringList>

#include <vector>

class QStandardItemModel;

class TMultiListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TMultiListHeader(QWidget* parent);

    int SectionCount() const;
    QStringList Captions() const;
    // Keeps the width of every section whose caption reappears (first match not yet taken);
    // a new caption gets the width of its text in the header font plus 8 pixels.
    void SetCaptions(const QStringList& captions);

    // 0 outside the sections; the last section reaches the right edge of the header.
    int SectionWidth(int index) const;
    // Ignored outside the sections.
    void SetSectionWidth(int index, int width);
    // The width that shows section k's caption whole, with the style's margins and room for
    // the sort arrow.
    int FittedWidth(int index) const;

signals:
    // The user drags a divider: Sizing on every move, Sized once at the release.
    void Sizing(int section, int width);
    void Sized(int section, int width);

protected:
    // The sort arrow points up for an ascending order (smallest first), down for descending.
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnSectionResized(int section, int oldSize, int newSize);

    // The width last given to each section; the stretched last section shows another one.
    int StoredWidth(int index) const;

    QStandardItemModel* m_captions;
    std::vector<int> m_storedWidths;
    bool m_mouseDown = false;
    int m_draggedSection = -1;
};

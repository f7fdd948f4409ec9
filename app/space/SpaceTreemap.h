#pragma once

#include "SpaceGroups.h"

#include <QWidget>

#include <functional>
#include <vector>

// The groups as a treemap: each tile's area is its bytes; a group with inner groups (a domain's
// senders, a year's months) holds them as tiles inside. Labels go where they fit, the figures
// show on hover. Painted with QPainter from a layout made only when the groups or the size
// change.
class TSpaceTreemap : public QWidget {
    Q_OBJECT
public:
    explicit TSpaceTreemap(QWidget* parent);

    // The groups shown (null: none); they must stay until the next call.
    void SetGroups(const std::vector<TSpaceGroup>* groups, long long totalBytes);
    // A group's label and its tooltip.
    std::function<QString(const TSpaceGroup&)> Label;
    std::function<QString(const TSpaceGroup&)> Tip;

    // A placed tile: its group by index (inner -1: the outer group itself).
    struct TPlaced {
        QRectF Rect;
        int Outer = 0;
        int Inner = -1;
    };
    const std::vector<TPlaced>& Placed() const { return placed_; }
    // The tile at a point, innermost first; null for none.
    const TPlaced* TileAt(const QPointF& point) const;

signals:
    void Clicked(int outer, int inner);
    void DoubleClicked(int outer, int inner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Lay();
    const TSpaceGroup& GroupOf(const TPlaced& tile) const;

    const std::vector<TSpaceGroup>* groups_ = nullptr;
    long long total_ = 0;
    std::vector<TPlaced> placed_;
};

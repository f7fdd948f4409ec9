#include "SpaceTreemap.h"

#include "Squarify.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

// Room for an outer tile's caption above its inner tiles, in text lines.
constexpr double CaptionLines = 1.3;
// Tiles smaller than this (pixels on a side) are not split further nor labelled.
constexpr double SmallestSplit = 24;

TTile TileOf(const QRectF& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

QRectF RectOf(const TTile& t) {
    return {t.X, t.Y, t.W, t.H};
}

std::vector<double> WeightsOf(const std::vector<TSpaceGroup>& groups) {
    std::vector<double> weights;
    weights.reserve(groups.size());
    for (const TSpaceGroup& group : groups)
        weights.push_back(static_cast<double>(group.Bytes));
    return weights;
}

QColor ColourOf(int outer, bool inner) {
    // Neighbouring groups apart by the golden angle; inner tiles lighter.
    const int hue = (outer * 137) % 360;
    return QColor::fromHsv(hue, inner ? 70 : 110, inner ? 240 : 215);
}

} // namespace

TSpaceTreemap::TSpaceTreemap(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SpaceTreemap"));
    setMinimumSize(200, 120);
    setMouseTracking(true);
}

void TSpaceTreemap::SetGroups(const std::vector<TSpaceGroup>* groups, long long totalBytes) {
    groups_ = groups;
    total_ = totalBytes;
    Lay();
    update();
}

void TSpaceTreemap::resizeEvent(QResizeEvent*) {
    Lay();
}

void TSpaceTreemap::Lay() {
    placed_.clear();
    if (!groups_ || groups_->empty())
        return;
    const QRectF whole = QRectF(rect()).adjusted(1, 1, -1, -1);
    const std::vector<TTile> tiles = Squarify(WeightsOf(*groups_), TileOf(whole));
    const double caption = fontMetrics().height() * CaptionLines;
    for (std::size_t k = 0; k < tiles.size(); ++k) {
        const QRectF outer = RectOf(tiles[k]);
        if (outer.width() < 1 || outer.height() < 1)
            continue;
        placed_.push_back({outer, static_cast<int>(k), -1});
        const TSpaceGroup& group = (*groups_)[k];
        if (group.Inner.size() < 2 || outer.width() < SmallestSplit ||
            outer.height() < SmallestSplit + caption)
            continue;
        const QRectF inside = outer.adjusted(2, caption, -2, -2);
        const std::vector<TTile> inner = Squarify(WeightsOf(group.Inner), TileOf(inside));
        for (std::size_t i = 0; i < inner.size(); ++i)
            if (inner[i].W >= 1 && inner[i].H >= 1)
                placed_.push_back({RectOf(inner[i]), static_cast<int>(k), static_cast<int>(i)});
    }
}

const TSpaceGroup& TSpaceTreemap::GroupOf(const TPlaced& tile) const {
    const TSpaceGroup& outer = (*groups_)[static_cast<std::size_t>(tile.Outer)];
    return tile.Inner < 0 ? outer : outer.Inner[static_cast<std::size_t>(tile.Inner)];
}

const TSpaceTreemap::TPlaced* TSpaceTreemap::TileAt(const QPointF& point) const {
    // Inner tiles come after their outer one.
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it)
        if (it->Rect.contains(point))
            return &*it;
    return nullptr;
}

void TSpaceTreemap::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!groups_)
        return;
    const QFontMetrics metrics = fontMetrics();
    const QRectF dirty = QRectF(event->rect());
    painter.setPen(palette().color(QPalette::Dark));
    for (const TPlaced& tile : placed_) {
        if (!tile.Rect.intersects(dirty))
            continue;
        painter.setBrush(ColourOf(tile.Outer, tile.Inner >= 0));
        painter.drawRect(tile.Rect);
        // A label where the tile holds a line of it: an outer tile split into inner ones shows
        // its caption at the top, others theirs in the middle.
        if (tile.Rect.width() < SmallestSplit || tile.Rect.height() < metrics.height() + 2)
            continue;
        const QString label = Label ? Label(GroupOf(tile)) : QString();
        const QRectF room = tile.Rect.adjusted(3, 1, -3, -1);
        const bool split = tile.Inner < 0 && GroupOf(tile).Inner.size() >= 2 &&
                           tile.Rect.height() >= SmallestSplit + metrics.height() * CaptionLines;
        painter.setPen(Qt::black);
        if (split) {
            painter.drawText(
                room, Qt::AlignLeft | Qt::AlignTop,
                metrics.elidedText(
                    label.section(u'\n', 0, 0).append(u' ').append(label.section(u'\n', 1)),
                    Qt::ElideMiddle, static_cast<int>(room.width())));
        } else {
            QStringList lines = label.split(u'\n');
            if (room.height() < metrics.height() * lines.size())
                lines = lines.mid(0, 1);
            for (QString& line : lines)
                line = metrics.elidedText(line, Qt::ElideMiddle, static_cast<int>(room.width()));
            painter.drawText(room, Qt::AlignCenter, lines.join(u'\n'));
        }
        painter.setPen(palette().color(QPalette::Dark));
    }
}

void TSpaceTreemap::mousePressEvent(QMouseEvent* event) {
    if (const TPlaced* tile = TileAt(event->position()); tile && event->button() == Qt::LeftButton)
        emit Clicked(tile->Outer, tile->Inner);
}

void TSpaceTreemap::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const TPlaced* tile = TileAt(event->position()); tile && event->button() == Qt::LeftButton)
        emit DoubleClicked(tile->Outer, tile->Inner);
}

bool TSpaceTreemap::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const TPlaced* tile = TileAt(help->pos());
        if (tile && Tip)
            QToolTip::showText(help->globalPos(), Tip(GroupOf(*tile)), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

// Shared set-up for the TMultiList tests: a shown list with fixed colours, and pixel probes.
#pragma once

#include "MultiLst.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace multilist_test {

inline const QColor Base(255, 255, 255);
inline const QColor Ink(0, 0, 0);
inline const QColor Highlight(0, 0, 255);
inline const QColor HighlightInk(255, 255, 255);

// A list with plain colours, no frame and the given captions and imposed widths.
template <class List = TMultiList>
std::unique_ptr<List> MakeList(const QStringList& captions, const std::vector<int>& widths,
                               QSize size = QSize(400, 200)) {
    auto list = std::make_unique<List>();
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Base);
    palette.setColor(QPalette::Text, Ink);
    list->setPalette(palette);
    list->setFrameShape(QFrame::NoFrame);
    list->SetHighlightColor(Highlight);
    list->SetHighlightText(HighlightInk);
    list->SetHeaderSections(captions);
    for (int k = 0; k < static_cast<int>(widths.size()); ++k)
        list->SetSectionWidth(k, widths[k]);
    list->resize(size);
    return list;
}

// Shows the list and lets it paint once, so the spacer is in place. Without the focus the
// current row has no focus frame, which would otherwise add ink to every probe.
inline void ShowAndPaint(TMultiList& list) {
    list.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.clearFocus();
    list.viewport()->repaint();
    QApplication::processEvents();
}

// The rows area as painted now (viewport coordinates: y 0 is the header's bottom edge).
inline QImage Rows(TMultiList& list) {
    list.viewport()->repaint();
    return list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline bool Near(QRgb pixel, const QColor& color, int tolerance = 60) {
    return std::abs(qRed(pixel) - color.red()) + std::abs(qGreen(pixel) - color.green()) +
               std::abs(qBlue(pixel) - color.blue()) <=
           tolerance;
}

// Pixels in [x1, x2) x [y1, y2) that differ clearly from `background`.
inline int InkCount(const QImage& image, int x1, int x2, int y1, int y2,
                    const QColor& background = Base) {
    int count = 0;
    for (int y = std::max(0, y1); y < std::min(y2, image.height()); ++y)
        for (int x = std::max(0, x1); x < std::min(x2, image.width()); ++x)
            if (!Near(image.pixel(x, y), background))
                ++count;
    return count;
}

// Leftmost / rightmost column in [x1, x2) holding ink in rows [y1, y2); -1 when none.
inline int FirstInkX(const QImage& image, int x1, int x2, int y1, int y2,
                     const QColor& background = Base) {
    for (int x = x1; x < x2; ++x)
        if (InkCount(image, x, x + 1, y1, y2, background) > 0)
            return x;
    return -1;
}

inline int LastInkX(const QImage& image, int x1, int x2, int y1, int y2,
                    const QColor& background = Base) {
    for (int x = x2 - 1; x >= x1; --x)
        if (InkCount(image, x, x + 1, y1, y2, background) > 0)
            return x;
    return -1;
}

} // namespace multilist_test

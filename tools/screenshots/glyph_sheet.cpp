// A sheet of every glyph at the three scale factors, drawn as a screen of factor 2 shows it.
#include "GlyphList.h"
#include "Screenshot.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(Glyphs, SheetAtScaleFactorTwo) {
    const auto glyphs = AllGlyphs();
    constexpr double sheetScale = 2.0;
    constexpr int cell = 64;
    QImage sheet(QSize(cell * static_cast<int>(glyphs.size()), cell * 3) * sheetScale,
                 QImage::Format_ARGB32);
    sheet.setDevicePixelRatio(sheetScale);
    sheet.fill(QColor(240, 240, 240));
    QPainter painter(&sheet);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        for (int row = 0; row < 3; ++row) {
            const int size = static_cast<int>(glyphs[i].size * ScaleFactors[row] / 1.5);
            painter.drawPixmap(static_cast<int>(i) * cell + 4, row * cell + 4,
                               glyphs[i].icon.pixmap(QSize(size, size), sheetScale));
        }
    }
    painter.end();
    ASSERT_TRUE(QDir().mkpath(ScreenshotFolder()));
    EXPECT_TRUE(sheet.save(ScreenshotFolder() + QStringLiteral("/glyphs@2x.png")));
}

} // namespace

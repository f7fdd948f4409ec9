// Every glyph of the windows renders at the full pixel size of scale factors 1, 1.5 and 2,
// so buttons stay sharp (a bitmap glyph would stop at its own size and be stretched).
#include "GlyphList.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Glyphs, RenderAtTheFullPixelSizeOfEveryScaleFactor) {
    for (const auto& glyph : AllGlyphs()) {
        for (const double scale : ScaleFactors) {
            const QPixmap pixmap = glyph.icon.pixmap(QSize(glyph.size, glyph.size), scale);
            const int pixels = static_cast<int>(std::lround(glyph.size * scale));
            EXPECT_EQ(pixmap.size(), QSize(pixels, pixels)) << glyph.name << " at " << scale;
            EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), scale) << glyph.name;
            // Drawn, not blank: some pixels are covered and some are left clear.
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            int covered = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    covered += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
            EXPECT_GT(covered, pixels * pixels / 20) << glyph.name << " at " << scale;
            EXPECT_LT(covered, pixels * pixels) << glyph.name << " at " << scale;
        }
    }
}

} // namespace

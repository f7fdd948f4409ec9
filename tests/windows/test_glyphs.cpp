// Every glyph of the windows renders at the full pixel size of scale factors 1, 1.5 and 2,
// so buttons stay sharp (a bitmap glyph would stop at its own size and be stretched).
#include "Glyphs.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct NamedGlyph {
    const char* name;
    QIcon icon;
    int size; // logical pixels, as the buttons ask for it
};

std::vector<NamedGlyph> AllGlyphs() {
    return {
        {"connect", ToolGlyph(TToolGlyph::Connect), 20},
        {"disconnect", ToolGlyph(TToolGlyph::Disconnect), 20},
        {"cancel", ToolGlyph(TToolGlyph::Cancel), 20},
        {"delete", ToolGlyph(TToolGlyph::Delete), 20},
        {"mark all", ToolGlyph(TToolGlyph::MarkAll), 20},
        {"header", ToolGlyph(TToolGlyph::Header), 20},
        {"mail", ToolGlyph(TToolGlyph::Mail), 20},
        {"info", ToolGlyph(TToolGlyph::Info), 20},
        {"quit", ToolGlyph(TToolGlyph::Quit), 20},
        {"save mail", SaveMailGlyph(), 24},
        {"save attachment", SaveAttachmentGlyph(), 24},
        {"close", CloseGlyph(), 24},
        {"program", ProgramIcon(), 48},
    };
}

constexpr double ScaleFactors[] = {1.0, 1.5, 2.0};

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

// A sheet of every glyph at the three factors, drawn as a screen of factor 2 shows it.
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
    const QString dir = QStringLiteral(SCREENSHOT_DIR);
    QDir().mkpath(dir);
    EXPECT_TRUE(sheet.save(dir + QStringLiteral("/glyphs@2x.png")));
}

} // namespace

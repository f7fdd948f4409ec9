#pragma once
// Every glyph of the windows, at the size its buttons ask for, and the screens' scale factors.

#include "Glyphs.h"

#include <QIcon>

#include <vector>

struct NamedGlyph {
    const char* name;
    QIcon icon;
    int size; // logical pixels
};

inline std::vector<NamedGlyph> AllGlyphs() {
    return {
        {"connect", ToolGlyph(TToolGlyph::Connect), 20},
        {"disconnect", ToolGlyph(TToolGlyph::Disconnect), 20},
        {"cancel", ToolGlyph(TToolGlyph::Cancel), 20},
        {"delete", ToolGlyph(TToolGlyph::Delete), 20},
        {"mark all", ToolGlyph(TToolGlyph::MarkAll), 20},
        {"header", ToolGlyph(TToolGlyph::Header), 20},
        {"mail", ToolGlyph(TToolGlyph::Mail), 20},
        {"space", ToolGlyph(TToolGlyph::Space), 20},
        {"info", ToolGlyph(TToolGlyph::Info), 20},
        {"quit", ToolGlyph(TToolGlyph::Quit), 20},
        {"save mail", SaveMailGlyph(), 24},
        {"save attachment", SaveAttachmentGlyph(), 24},
        {"close", CloseGlyph(), 24},
        {"program", ProgramIcon(), 48},
    };
}

inline constexpr double ScaleFactors[] = {1.0, 1.5, 2.0};

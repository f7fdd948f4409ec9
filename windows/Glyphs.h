#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the windows, drawn for the program. Glyphs are SVG, so a button shows them
// sharp at any scale factor; a disabled button greys its icon out by itself.
enum class TToolGlyph {
    Connect,
    Disconnect,
    Cancel,
    Delete,
    MarkAll,
    Header,
    Mail,
    Space,
    Info,
    Quit
};

// The main window's tool bar.
QIcon ToolGlyph(TToolGlyph glyph);
// The message window's buttons.
QIcon SaveMailGlyph();
QIcon SaveAttachmentGlyph();
QIcon CloseGlyph();
// The picture in the about box.
QPixmap ProgramPicture();
// The program's icon (window, menu entry), scalable.
QIcon ProgramIcon();

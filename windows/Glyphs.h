#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the viewer windows and the about box (drawn for the program). A disabled
// button greys its icon out by itself.
QIcon SaveMailGlyph();
QIcon SaveAttachmentGlyph();
QIcon CloseGlyph();
QPixmap ProgramPicture();
// The program's icon (window, menu entry), scalable.
QIcon ProgramIcon();

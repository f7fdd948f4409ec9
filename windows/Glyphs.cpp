#include "Glyphs.h"

// The resources live in this static library, whose resources are not registered until
// someone asks (and the asking must happen outside any namespace).
static void EnsureResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(windows);
        return true;
    }();
    (void)registered;
}

namespace {

QPixmap Picture(const char* path) {
    EnsureResources();
    return QPixmap(QString::fromLatin1(path));
}

} // namespace

QIcon SaveMailGlyph() {
    return QIcon(Picture(":/windows/images/save_mail.xpm"));
}

QIcon SaveAttachmentGlyph() {
    return QIcon(Picture(":/windows/images/save_attachment.xpm"));
}

QIcon CloseGlyph() {
    return QIcon(Picture(":/windows/images/close_window.xpm"));
}

QIcon ProgramIcon() {
    EnsureResources();
    return QIcon(QStringLiteral(":/windows/images/inboxpruner.svg"));
}

QPixmap ProgramPicture() {
    return Picture(":/windows/images/program_picture.xpm");
}

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

QIcon Svg(const char* name) {
    EnsureResources();
    return QIcon(QStringLiteral(":/windows/images/glyphs/%1.svg").arg(QLatin1String(name)));
}

} // namespace

QIcon ToolGlyph(TToolGlyph glyph) {
    switch (glyph) {
    case TToolGlyph::Connect:
        return Svg("connect");
    case TToolGlyph::Disconnect:
        return Svg("disconnect");
    case TToolGlyph::Cancel:
        return Svg("cancel");
    case TToolGlyph::Delete:
        return Svg("delete");
    case TToolGlyph::MarkAll:
        return Svg("mark");
    case TToolGlyph::Header:
        return Svg("header");
    case TToolGlyph::Mail:
        return Svg("mail");
    case TToolGlyph::Space:
        return Svg("space");
    case TToolGlyph::Info:
        return Svg("info");
    case TToolGlyph::Quit:
        return Svg("close");
    }
    return {};
}

QIcon SaveMailGlyph() {
    return Svg("save_mail");
}

QIcon SaveAttachmentGlyph() {
    return Svg("save_attachment");
}

QIcon CloseGlyph() {
    return Svg("close_window");
}

QPixmap ProgramPicture() {
    EnsureResources();
    return QPixmap(QStringLiteral(":/windows/images/program_picture.xpm"));
}

QIcon ProgramIcon() {
    EnsureResources();
    return QIcon(QStringLiteral(":/windows/images/inboxpruner.svg"));
}

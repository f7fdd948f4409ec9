#include "OfflineTextView.h"

#include <QImage>

QVariant TOfflineDocument::loadResource(int type, const QUrl& name) {
    FRefused.push_back(name);
    // An answer that counts as loaded: an empty one would make Qt read the name as a local
    // file or hand it to an application-wide resource provider. It is kept, so that each
    // repaint does not ask again.
    QVariant nothing = QString();
    if (type == QTextDocument::ImageResource) {
        QImage blank(1, 1, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        nothing = blank;
    }
    addResource(type, name, nothing);
    return nothing;
}

TOfflineTextView::TOfflineTextView(QWidget* parent)
    : QTextBrowser(parent), FDocument(new TOfflineDocument(this)) {
    setDocument(FDocument);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
}

void TOfflineTextView::ShowHtml(const QString& html) {
    FDocument->ForgetRefused();
    setHtml(html);
    moveCursor(QTextCursor::Start);
}

QVariant TOfflineTextView::loadResource(int type, const QUrl& name) {
    return FDocument->loadResource(type, name);
}

#pragma once

#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include <vector>

// Rich text that never reaches beyond itself: every image, style sheet or other resource the
// text names (http, https, cid, file, a plain path) is refused, so that opening a mail tells
// no sender that it was read and reads no file of the user.
class TOfflineDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit TOfflineDocument(QObject* parent) : QTextDocument(parent) {}

    // The resources the text asked for since the last ForgetRefused, each once; none of
    // them was loaded.
    const std::vector<QUrl>& Refused() const { return FRefused; }
    void ForgetRefused() { FRefused.clear(); }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::vector<QUrl> FRefused;
};

// A read-only view of such a text whose links are shown but never followed.
class TOfflineTextView : public QTextBrowser {
    Q_OBJECT
public:
    explicit TOfflineTextView(QWidget* parent);

    void ShowHtml(const QString& html);
    TOfflineDocument* OfflineDocument() const { return FDocument; }

    // A source set on the view is refused as the document's resources are.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    TOfflineDocument* FDocument;
};

#pragma once
// Pictures of widgets for a reviewer, as PNG files.

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>

// Where pictures go: <build>/screenshots, unless inbox_screenshots was given a folder.
inline QString& ScreenshotFolder() {
    static QString folder = QStringLiteral(SCREENSHOT_DIR);
    return folder;
}

// Saves a picture of the widget as <folder>/<name>.png; true when written. Runs at other
// scale factors (QT_SCALE_FACTOR) keep their pictures apart: "name@2x.png".
inline bool SaveScreenshot(QWidget& widget, const QString& name) {
    const QPixmap shot = widget.grab();
    const QString scale = shot.devicePixelRatio() == 1.0
                              ? QString()
                              : QStringLiteral("@%1x").arg(shot.devicePixelRatio());
    return !shot.isNull() && QDir().mkpath(ScreenshotFolder()) &&
           shot.save(ScreenshotFolder() + QLatin1Char('/') + name + scale + QStringLiteral(".png"));
}

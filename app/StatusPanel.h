#pragma once

#include <QLabel>

// A panel of the status bar with a sunken frame. A fitting panel is never narrower than its
// design width and always as wide as its text; the giving panel takes the room the others
// leave and, when its text is longer, ends it with "…" and shows it whole as its tooltip.
class TStatusPanel : public QLabel {
    Q_OBJECT
public:
    enum class TFit { Text, Gives };
    TStatusPanel(int designWidth, TFit fit, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FDesignWidth;
    TFit FFit;
};

#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QUrl>

#include <functional>

class QStatusBar;

// A focusable label that behaves like a link: underlined caption whose colour follows the
// mouse and focus, opening HREF with the user's default program on a left click or Enter.
class THyperLink : public QLabel {
    Q_OBJECT
public:
    enum class TBorderStyle { None, Single, Sunken };

    explicit THyperLink(QWidget* parent = nullptr);

    QString HREF() const { return FHREF; }
    void SetHREF(const QString& href) { FHREF = href; }

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    QColor NotPressedColor() const { return FNotPressedColor; }
    void SetNotPressedColor(const QColor& color);
    QColor OverColor() const { return FOverColor; }
    void SetOverColor(const QColor& color);
    QColor PressedColor() const { return FPressedColor; }
    void SetPressedColor(const QColor& color) { FPressedColor = color; }

    // Background colour.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);

    // Caption colour as it is painted now.
    QColor CaptionColor() const;
    // Sets the caption colour from outside; it becomes NotPressedColor while the link rests.
    void SetFontColor(const QColor& color);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);

    // Panel StatusPanelNo of the status bar shows HREF while hovered or focused. The panels of a
    // QStatusBar are the QLabel widgets added to it, in the order they were added.
    QStatusBar* StatusBar() const { return FStatusBar; }
    void SetStatusBar(QStatusBar* bar) { FStatusBar = bar; }
    int StatusPanelNo() const { return FStatusPanelNo; }
    void SetStatusPanelNo(int n) { FStatusPanelNo = n; }

    bool Pressed() const { return FPressed; }
    bool Over() const { return FOver; }

    // Opens a link target; replaceable so that tests can record the call instead.
    std::function<void(const QUrl&)> OpenUrl;

    // The URL HREF stands for: a web or mailto address, or a local file.
    static QUrl TargetUrl(const QString& href);

signals:
    // A left click released inside the link (or Enter), whether or not HREF is set.
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool Inside(const QPoint& p) const;
    void ShowColor(const QColor& color);
    void Release(Qt::MouseButton button, const QPoint& at);
    void AdjustBounds();
    QLabel* StatusPanel() const;

    QString FHREF;
    QColor FNotPressedColor{0, 0, 255};
    QColor FOverColor{0, 128, 0};
    QColor FPressedColor{255, 0, 0};
    QColor FColor{192, 192, 192};
    QColor FShownColor;
    TBorderStyle FBorderStyle = TBorderStyle::None;
    QStatusBar* FStatusBar = nullptr;
    int FStatusPanelNo = 0;
    bool FPressed = false;
    bool FOver = false;
    bool FInsideWhileDragging = false;
    bool FAutoSize = true;
    bool FSettingColor = false;
    QString FSavedPanelText;
};

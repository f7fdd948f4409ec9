#pragma once

#include <QDialog>

// Common frame of the header and message windows: resizable, opened over the main window and
// kept on the screen, in the main window's language, and emptied by every way of
// closing.
class TViewerDialog : public QDialog {
    Q_OBJECT
public:
    TViewerDialog(QWidget* parent, int clientWidth, int clientHeight);

    // The language of the main window, which sets it when it chooses one.
    void SetGermanUI(bool german) { FGermanUI = german; }
    bool GermanUI() const { return FGermanUI; }

    // Sets captions for the language; runs each time the window is shown.
    virtual void FormActivate() = 0;

    // Ends the modal show. Closing by button, title bar, Escape or Alt+F4 all come here, so
    // nothing of one mail is left behind for the next.
    void done(int result) override;

protected:
    virtual void Empty() = 0;
    // Lays the controls out for the current size.
    virtual void PlaceControls() = 0;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool FGermanUI = false;
    QSize FDesignSize;
};

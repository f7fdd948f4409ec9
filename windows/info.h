#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class THyperLink;

// The information window: product name, release date and the maker's links.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Label1;
    THyperLink* HyperLink1;
    QLabel* Label2;
    THyperLink* HyperLink2;
    QLabel* Notice;
    QLabel* Comments;
    QPushButton* OKButton;

    // The language of the main window, which sets it when it chooses one.
    void SetGermanUI(bool german) { FGermanUI = german; }
    bool GermanUI() const { return FGermanUI; }
    // Sets the release date for the program's language; runs each time the box is shown.
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FGermanUI = false;
};

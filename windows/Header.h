#pragma once

#include "ViewerDialog.h"

#include <string>

class QPlainTextEdit;
class QPushButton;

// The header window: shows the header text of one listed mail.
class TForm2 : public TViewerDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QPlainTextEdit* memo_header_anzeigen;
    QPushButton* btn_close;

    // Appends a header text (lines ended by CR LF, LF or CR) below what the memo holds and
    // scrolls back to the memo's first line.
    void AddHeaderText(const std::string& text);

    void FormActivate() override;
    void btn_closeClick();

protected:
    void Empty() override;
    void PlaceControls() override;
};

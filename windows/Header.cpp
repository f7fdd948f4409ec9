#include "Header.h"

#include "Charset.h"
#include "MbxMIME.h"
#include "MemoLines.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

TForm2::TForm2(QWidget* parent) : TViewerDialog(parent, 537, 332) {
    setObjectName("Form2");

    btn_close = new QPushButton(this);
    btn_close->setObjectName("btn_close");
    btn_close->setDefault(true);
    connect(btn_close, &QPushButton::clicked, this, &TForm2::btn_closeClick);

    memo_header_anzeigen = new QPlainTextEdit(this);
    memo_header_anzeigen->setObjectName("memo_header_anzeigen");
    memo_header_anzeigen->setReadOnly(true);
    memo_header_anzeigen->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo_header_anzeigen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_header_anzeigen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The close button comes first so that Enter closes at once.
    setTabOrder(btn_close, memo_header_anzeigen);
    btn_close->setFocus();
    PlaceControls();
}

// The memo fills the window above the close button, which stays centred at the bottom.
void TForm2::PlaceControls() {
    const int buttonWidth = std::max(75, btn_close->sizeHint().width());
    btn_close->setGeometry((width() - buttonWidth) / 2, height() - 25, buttonWidth, 25);
    memo_header_anzeigen->setGeometry(0, 0, width(), height() - 27);
}

void TForm2::AddHeaderText(const std::string& text) {
    // The header as the server sent it, encoded words and all; its bytes are read as UTF-8
    // when they are valid UTF-8, else as windows-1252.
    AppendLines(*memo_header_anzeigen, SplitLines(UnlabelledToUtf8(text)));
}

void TForm2::FormActivate() {
    if (GermanUI()) {
        setWindowTitle(QString::fromUtf8("Header der e-mail  - InboxPruner -"));
        btn_close->setText(QString::fromUtf8("Schließen"));
    } else {
        setWindowTitle(QStringLiteral("Mail header  - InboxPruner -"));
        btn_close->setText(QStringLiteral("Close"));
    }
    btn_close->setFocus();
    PlaceControls();
}

void TForm2::btn_closeClick() {
    accept();
}

void TForm2::Empty() {
    memo_header_anzeigen->clear();
}

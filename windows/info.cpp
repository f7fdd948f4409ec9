#include "info.h"

#include "Glyphs.h"
#include "HyperLink.h"
#include "WindowPlacement.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);
const QColor kGreen(0, 128, 0);

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    SetTextColor(label, kNavy);
    label->adjustSize();
    return label;
}

THyperLink* MakeLink(QWidget* parent, const char* name, const QString& caption, const QString& href,
                     int x, int y) {
    auto* link = new THyperLink(parent);
    link->setObjectName(name);
    QFont f = link->font();
    f.setBold(true);
    f.setUnderline(true);
    link->setFont(f);
    link->SetCaption(caption);
    link->SetHREF(href);
    link->SetNotPressedColor(kMaroon);
    link->SetOverColor(kMaroon);
    link->SetColor(parent->palette().color(QPalette::Window));
    link->move(x, y);
    return link;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("Information"));
    setFixedSize(281, 149);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 281, 121);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramPicture());
    ProgramIcon->setToolTip(QStringLiteral("InboxPruner"));

    ProductName = new QLabel(QStringLiteral("InboxPruner 2.15"), Panel1);
    ProductName->setObjectName("ProductName");
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPixelSize(19);
    ProductName->setFont(big);
    SetTextColor(ProductName, kGreen);
    ProductName->move(82, 8);
    ProductName->adjustSize();

    Label1 = MakeLabel(Panel1, "Label1", QStringLiteral("e-mail:"), 82, 40);
    HyperLink1 = MakeLink(Panel1, "HyperLink1", QStringLiteral("info@fenn-labs.example"),
                          QStringLiteral("mailto:info@fenn-labs.example"), 136, 40);
    Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("Internet:"), 82, 56);
    HyperLink2 = MakeLink(Panel1, "HyperLink2", QStringLiteral("fenn-labs.example"),
                          QStringLiteral("https://fenn-labs.example"), 136, 56);
    Notice = MakeLabel(Panel1, "Notice", QString::fromUtf8("© 1999-2000 Fenn-Labs"), 8, 80);

    Comments = new QLabel(Panel1);
    Comments->setObjectName("Comments");
    Comments->setGeometry(8, 96, 113, 17);
    Comments->setWordWrap(true);
    SetTextColor(Comments, kNavy);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(103, 124, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // The design's width, wider when a text needs more (the mail address in a larger font).
    int right = 0;
    for (const QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        right = std::max(right, child->geometry().right() + 1);
    const int width = std::max(281, right + 8);
    setFixedSize(width, 149);
    Panel1->resize(width, Panel1->height());
    OKButton->move((width - OKButton->width()) / 2, OKButton->y());

    setTabOrder(HyperLink1, HyperLink2);
    setTabOrder(HyperLink2, OKButton);
}

void TAboutBox::FormActivate() {
    Comments->setText(FGermanUI ? QStringLiteral("28. Mai 2000") : QStringLiteral("02 May 2000"));
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    PlaceOverOwner(this, size());
    FormActivate();
    // Enter presses OK; a link opens by Enter only once Tab has taken the focus to it.
    OKButton->setFocus();
}

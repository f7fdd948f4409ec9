// Creation and placement of the main window's controls and menus.
#include "BusyAnimation.h"
#include "Glyphs.h"
#include "Main.h"
#include "MultiLst.h"
#include "StatusPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int ToolButtonTop = 2;
constexpr int ToolButtonHeight = 44;
constexpr int LoginRowTop = 50;
constexpr int LoginRowHeight = 21;

QToolButton* MakeToolButton(QWidget* parent, const char* name, TToolGlyph glyph, int left,
                            int width) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(ToolGlyph(glyph));
    button->setIconSize(QSize(20, 20));
    // Captions such as "Information" must fit the narrow design width without elision.
    QFont caption = button->font();
    caption.setPixelSize(10);
    button->setFont(caption);
    button->setCursor(Qt::PointingHandCursor);
    // Its hint follows the moving pointer (a window opening under a resting one shows none).
    button->setMouseTracking(true);
    button->setGeometry(left, ToolButtonTop, width, ToolButtonHeight);
    return button;
}

QLabel* MakeBoldLabel(QWidget* parent, const char* name, const QString& text, int left, int width) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setGeometry(left, LoginRowTop, width, LoginRowHeight);
    return label;
}

QComboBox* MakeHistoryCombo(QWidget* parent, const char* name, int left, int width) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    // Only a successful login adds to the history, never the Enter key.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(left, LoginRowTop, width, LoginRowHeight);
    return combo;
}

QPlainTextEdit* MakeIntroduction(QWidget* parent, const char* name, bool german) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QLatin1String(name));
    memo->setReadOnly(true);
    memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setPlainText(IntroductionLines(german).join(u'\n'));
    memo->hide();
    return memo;
}

QAction* MakeAction(QObject* parent, const char* name) {
    auto* action = new QAction(parent);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    central->setMouseTracking(true);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // The design's 93 pixels and a row for the security choice.
    Panel1->setFixedHeight(117);
    Panel1->setMouseTracking(true);
    layout->addWidget(Panel1);
    BuildToolBar();
    BuildLoginRow();

    info_fenster = MakeIntroduction(central, "info_fenster", true);
    info_fenster_eng = MakeIntroduction(central, "info_fenster_eng", false);
    layout->addWidget(info_fenster, 1);
    layout->addWidget(info_fenster_eng, 1);

    mail_list = new TMultiList(central);
    FRows = std::make_unique<TMailRows>(*mail_list);
    mail_list->setObjectName(QStringLiteral("mail_list"));
    mail_list->hide();
    layout->addWidget(mail_list, 1);
    ConfigureMailList();
    FBelowList = layout;

    Status = new QLabel(central);
    Status->setObjectName(QStringLiteral("Status"));
    // Server and mail texts are shown exactly as sent, never as markup.
    Status->setTextFormat(Qt::PlainText);
    QPalette maroon = Status->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Status->setPalette(maroon);
    Status->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Status->hide();
    layout->addWidget(Status);

    ProgressBar = new QProgressBar(central);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setFixedHeight(12);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();
    layout->addWidget(ProgressBar);

    setCentralWidget(central);

    Status_leiste = new QStatusBar(this);
    Status_leiste->setObjectName(QStringLiteral("Status_leiste"));
    Status_leiste->setSizeGripEnabled(false);
    // Count and size as wide as their text ("373 of 2007 Mails", "1512.7 MByte"); the hints
    // take what is left (the window leaves them more where its screen allows, MainFit.cpp).
    const std::pair<int, TStatusPanel::TFit> panels[] = {{70, TStatusPanel::TFit::Text},
                                                         {70, TStatusPanel::TFit::Text},
                                                         {80, TStatusPanel::TFit::Gives}};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new TStatusPanel(panels[i].first, panels[i].second, Status_leiste);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        StatusPanels[i] = panel;
    }
    Status_leiste->addWidget(StatusPanels[0]);
    Status_leiste->addWidget(StatusPanels[1]);
    Status_leiste->addWidget(StatusPanels[2], 1);
    setStatusBar(Status_leiste);

    BuildMenus();
}

void TForm1::BuildToolBar() {
    BtnConnect = MakeToolButton(Panel1, "BtnConnect", TToolGlyph::Connect, 0, 65);
    BtnDisconnect = MakeToolButton(Panel1, "BtnDisconnect", TToolGlyph::Disconnect, 64, 65);
    btn_cancel = MakeToolButton(Panel1, "btn_cancel", TToolGlyph::Cancel, 64, 65);
    btn_cancel->setToolTip(QStringLiteral("Cancel / Abbrechen"));
    btn_cancel->hide();
    BtnDelete = MakeToolButton(Panel1, "BtnDelete", TToolGlyph::Delete, 128, 65);
    BtnMark = MakeToolButton(Panel1, "BtnMark", TToolGlyph::MarkAll, 192, 73);
    btn_header = MakeToolButton(Panel1, "btn_header", TToolGlyph::Header, 264, 65);
    btn_header->setText(QStringLiteral("Header"));
    btn_header->setToolTip(QStringLiteral("Show header"));
    btn_mail = MakeToolButton(Panel1, "btn_mail", TToolGlyph::Mail, 328, 65);
    btn_mail->setText(QStringLiteral("e-mail"));
    btn_mail->setToolTip(QStringLiteral("Show e-mail"));

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(403, ToolButtonTop, 2, ToolButtonHeight);

    BtnInfo = MakeToolButton(Panel1, "BtnInfo", TToolGlyph::Info, 416, 65);
    BtnInfo->setText(QStringLiteral("Information"));
    BtnClose = MakeToolButton(Panel1, "BtnClose", TToolGlyph::Quit, 480, 65);
}

void TForm1::BuildLoginRow() {
    Label1 = MakeBoldLabel(Panel1, "Label1", QStringLiteral("Server:"), 4, 50);
    servername = MakeHistoryCombo(Panel1, "servername", 54, 116);
    label2 = MakeBoldLabel(Panel1, "label2", QStringLiteral("User:"), 176, 38);
    Username = MakeHistoryCombo(Panel1, "Username", 216, 97);
    Accounts.ShowIn(*servername, *Username);
    Label3 = MakeBoldLabel(Panel1, "Label3", QString(), 318, 68);
    Password = new QLineEdit(Panel1);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Password->setGeometry(388, LoginRowTop, 80, LoginRowHeight);
    Password->setMouseTracking(true); // for its hint, as the tool buttons

    Header_Nein = new QCheckBox(Panel1);
    Header_Nein->setObjectName(QStringLiteral("Header_Nein"));
    Header_Nein->setGeometry(54, LoginRowTop + LoginRowHeight + 2, 316, 18);

    Status_avi = new TBusyAnimation(Panel1);
    Status_avi->setObjectName(QStringLiteral("Status_avi"));
    Status_avi->move(492, LoginRowTop - 4);
}

QCheckBox& TForm1::AddLoginOption(const char* name, int width) {
    // Under the password, on the line of the row's own option; the busy animation, shown only
    // while the options are disabled anyway, stays in front of their end.
    QWidget* before =
        FLoginOptions.empty() ? static_cast<QWidget*>(Header_Nein) : FLoginOptions.back();
    auto* option = new QCheckBox(Panel1);
    option->setObjectName(QLatin1String(name));
    option->setGeometry(before->geometry().right() + 4, before->y(), width, before->height());
    Status_avi->raise();
    QWidget::setTabOrder(before, option);
    option->installEventFilter(this);
    FLoginOptions.push_back(option);
    return *option;
}

TFrame::TLoginChoice TForm1::AddLoginChoice(const char* captionName, const char* name, int width) {
    // The choices have a row of their own below the options, last in the keyboard order.
    const int top = Header_Nein->geometry().bottom() + 3;
    const int left =
        FLoginChoices.empty() ? 54 : FLoginChoices.back().second->geometry().right() + 9;
    QLabel* caption = MakeBoldLabel(Panel1, captionName, QString(), left, 72);
    caption->move(left, top);
    auto* field = new QComboBox(Panel1);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(left + 74, top, width, LoginRowHeight);
    caption->setBuddy(field);
    QWidget* before = !FLoginChoices.empty()   ? static_cast<QWidget*>(FLoginChoices.back().second)
                      : !FLoginOptions.empty() ? static_cast<QWidget*>(FLoginOptions.back())
                                               : Header_Nein;
    QWidget::setTabOrder(before, field);
    field->installEventFilter(this);
    FLoginChoices.emplace_back(caption, field);
    return {*caption, *field};
}

void TForm1::BuildMenus() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Datei = MainMenu1->addMenu(QString());
    Datei->setObjectName(QStringLiteral("Datei"));
    Datei_C = MakeAction(this, "Datei_C");
    Datei_D = MakeAction(this, "Datei_D");
    Datei_L = MakeAction(this, "Datei_L");
    Datei_M = MakeAction(this, "Datei_M");
    Datei_H = MakeAction(this, "Datei_H");
    Datei_H->setCheckable(true);
    Datei_E = MakeAction(this, "Datei_E");
    Datei_E->setSeparator(true);
    Datei_Close = MakeAction(this, "Datei_Close");
    Datei->addActions({Datei_C, Datei_D, Datei_L, Datei_M, Datei_H, Datei_E, Datei_Close});
    help_men = MainMenu1->addMenu(QString());
    help_men->setObjectName(QStringLiteral("help_men"));
    help_I = MakeAction(this, "help_I");
    help_men->addAction(help_I);
    setMenuBar(MainMenu1);

    popmen_header = new QMenu(this);
    popmen_header->setObjectName(QStringLiteral("popmen_header"));
    men_header_anzeigen = MakeAction(this, "men_header_anzeigen");
    men_email_anzeigen = MakeAction(this, "men_email_anzeigen");
    popmen_header->addActions({men_header_anzeigen, men_email_anzeigen});
    mail_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mail_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popmen_header->popup(mail_list->viewport()->mapToGlobal(at));
    });
}

void TForm1::ConfigureMailList() {
    mail_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mail_list->SetAlignment0(Qt::AlignRight);
    mail_list->SetAlignment1(Qt::AlignRight);
    for (int column = 2; column < TMultiList::ColumnCount; ++column)
        mail_list->SetAlignment(column, Qt::AlignLeft);
    const int designWidths[] = {25, 75, 80, 120, 75};
    for (int column = 0; column < TMultiList::ColumnCount; ++column)
        mail_list->SetSectionWidth(column, column < 5 ? designWidths[column] : 0);
    QFont headerFont = mail_list->font();
    headerFont.setBold(true);
    mail_list->SetHeaderFont(headerFont);
    mail_list->SetHeaderHeight(18);
    mail_list->SetItemHeight(14);
    mail_list->SetListWidth(449);
    mail_list->SetScrollWidth(121);
    mail_list->SetHorizontalScroll(false);
    mail_list->SetDefaultItemSelected(true);
    mail_list->SetShowColumnLines(true);
    mail_list->SetColumnLineColor(Qt::black);
    mail_list->SetShowParentHighlight(false);
    mail_list->SetSmoothScroll(false);
    mail_list->SetScrollSpeed(5);
    mail_list->SetUpdateAlways(true);
    mail_list->SetIgnoreBitmap(false);
    mail_list->SetColumnSeperator(QStringLiteral("|"));
    // A wider window gives From and Subject more room alike; Subject keeps a third of the
    // list, also when shorter columns follow it.
    mail_list->SetStretchColumn(3);
    mail_list->SetFillColumn(4, 1.0 / 3);
    mail_list->SetHeaderSections({QString(), QStringLiteral("xxx"), QStringLiteral("xxx"),
                                  QStringLiteral("xxx"), QStringLiteral("xxx")});
}

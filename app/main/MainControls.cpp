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

    Tools.Panel1 = new QWidget(central);
    Tools.Panel1->setObjectName(QStringLiteral("Panel1"));
    // The design's 93 pixels and a row for the security choice.
    Tools.Panel1->setFixedHeight(117);
    Tools.Panel1->setMouseTracking(true);
    layout->addWidget(Tools.Panel1);
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

    Bottom.Status = new QLabel(central);
    Bottom.Status->setObjectName(QStringLiteral("Status"));
    // Server and mail texts are shown exactly as sent, never as markup.
    Bottom.Status->setTextFormat(Qt::PlainText);
    QPalette maroon = Bottom.Status->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Bottom.Status->setPalette(maroon);
    Bottom.Status->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Bottom.Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Bottom.Status->hide();
    layout->addWidget(Bottom.Status);

    Bottom.ProgressBar = new QProgressBar(central);
    Bottom.ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    Bottom.ProgressBar->setFixedHeight(12);
    Bottom.ProgressBar->setRange(0, 100);
    Bottom.ProgressBar->setTextVisible(false);
    Bottom.ProgressBar->hide();
    layout->addWidget(Bottom.ProgressBar);

    setCentralWidget(central);

    Bottom.Status_leiste = new QStatusBar(this);
    Bottom.Status_leiste->setObjectName(QStringLiteral("Status_leiste"));
    Bottom.Status_leiste->setSizeGripEnabled(false);
    // Count and size as wide as their text ("373 of 2007 Mails", "1512.7 MByte"); the hints
    // take what is left (the window leaves them more where its screen allows, MainFit.cpp).
    const std::pair<int, TStatusPanel::TFit> panels[] = {{70, TStatusPanel::TFit::Text},
                                                         {70, TStatusPanel::TFit::Text},
                                                         {80, TStatusPanel::TFit::Gives}};
    for (std::size_t i = 0; i < Bottom.StatusPanels.size(); ++i) {
        auto* panel = new TStatusPanel(panels[i].first, panels[i].second, Bottom.Status_leiste);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        Bottom.StatusPanels[i] = panel;
    }
    Bottom.Status_leiste->addWidget(Bottom.StatusPanels[0]);
    Bottom.Status_leiste->addWidget(Bottom.StatusPanels[1]);
    Bottom.Status_leiste->addWidget(Bottom.StatusPanels[2], 1);
    setStatusBar(Bottom.Status_leiste);

    BuildMenus();
}

void TForm1::BuildToolBar() {
    Tools.BtnConnect = MakeToolButton(Tools.Panel1, "BtnConnect", TToolGlyph::Connect, 0, 65);
    Tools.BtnDisconnect =
        MakeToolButton(Tools.Panel1, "BtnDisconnect", TToolGlyph::Disconnect, 64, 65);
    Tools.btn_cancel = MakeToolButton(Tools.Panel1, "btn_cancel", TToolGlyph::Cancel, 64, 65);
    Tools.btn_cancel->setToolTip(QStringLiteral("Cancel / Abbrechen"));
    Tools.btn_cancel->hide();
    Tools.BtnDelete = MakeToolButton(Tools.Panel1, "BtnDelete", TToolGlyph::Delete, 128, 65);
    Tools.BtnMark = MakeToolButton(Tools.Panel1, "BtnMark", TToolGlyph::MarkAll, 192, 73);
    Tools.btn_header = MakeToolButton(Tools.Panel1, "btn_header", TToolGlyph::Header, 264, 65);
    Tools.btn_header->setText(QStringLiteral("Header"));
    Tools.btn_header->setToolTip(QStringLiteral("Show header"));
    Tools.btn_mail = MakeToolButton(Tools.Panel1, "btn_mail", TToolGlyph::Mail, 328, 65);
    Tools.btn_mail->setText(QStringLiteral("e-mail"));
    Tools.btn_mail->setToolTip(QStringLiteral("Show e-mail"));

    Tools.Bevel1 = new QFrame(Tools.Panel1);
    Tools.Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Tools.Bevel1->setFrameShape(QFrame::VLine);
    Tools.Bevel1->setFrameShadow(QFrame::Sunken);
    Tools.Bevel1->setGeometry(403, ToolButtonTop, 2, ToolButtonHeight);

    Tools.BtnInfo = MakeToolButton(Tools.Panel1, "BtnInfo", TToolGlyph::Info, 416, 65);
    Tools.BtnInfo->setText(QStringLiteral("Information"));
    Tools.BtnClose = MakeToolButton(Tools.Panel1, "BtnClose", TToolGlyph::Quit, 480, 65);
}

QToolButton& TForm1::AddToolButton(const char* name, TToolGlyph glyph, const TText& caption,
                                   const TText& tip, const TText& hint) {
    const QToolButton* before = Tools.Added.empty() ? Tools.btn_mail : Tools.Added.back().Button;
    QToolButton* button = MakeToolButton(Tools.Panel1, name, glyph, before->geometry().right(), 65);
    button->setText(Tr(caption, GermanUI()));
    button->setToolTip(Tr(tip, GermanUI()));
    // Its hint, as the window's own buttons'.
    button->installEventFilter(this);
    Tools.Added.push_back({button, caption, tip, hint});
    return *button;
}

void TForm1::BuildLoginRow() {
    Login.Label1 = MakeBoldLabel(Tools.Panel1, "Label1", QStringLiteral("Server:"), 4, 50);
    Login.servername = MakeHistoryCombo(Tools.Panel1, "servername", 54, 116);
    Login.label2 = MakeBoldLabel(Tools.Panel1, "label2", QStringLiteral("User:"), 176, 38);
    Login.Username = MakeHistoryCombo(Tools.Panel1, "Username", 216, 97);
    Accounts.ShowIn(*Login.servername, *Login.Username);
    Login.Label3 = MakeBoldLabel(Tools.Panel1, "Label3", QString(), 318, 68);
    Login.Password = new QLineEdit(Tools.Panel1);
    Login.Password->setObjectName(QStringLiteral("Password"));
    Login.Password->setEchoMode(QLineEdit::Password);
    Login.Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Login.Password->setGeometry(388, LoginRowTop, 80, LoginRowHeight);
    Login.Password->setMouseTracking(true); // for its hint, as the tool buttons

    Login.Header_Nein = new QCheckBox(Tools.Panel1);
    Login.Header_Nein->setObjectName(QStringLiteral("Header_Nein"));
    Login.Header_Nein->setGeometry(54, LoginRowTop + LoginRowHeight + 2, 316, 18);

    Tools.Status_avi = new TBusyAnimation(Tools.Panel1);
    Tools.Status_avi->setObjectName(QStringLiteral("Status_avi"));
    Tools.Status_avi->move(492, LoginRowTop - 4);
}

QCheckBox& TForm1::AddLoginOption(const char* name, int width) {
    // Under the password, on the line of the row's own option; the busy animation, shown only
    // while the options are disabled anyway, stays in front of their end.
    QWidget* before =
        Login.Options.empty() ? static_cast<QWidget*>(Login.Header_Nein) : Login.Options.back();
    auto* option = new QCheckBox(Tools.Panel1);
    option->setObjectName(QLatin1String(name));
    option->setGeometry(before->geometry().right() + 4, before->y(), width, before->height());
    Tools.Status_avi->raise();
    QWidget::setTabOrder(before, option);
    option->installEventFilter(this);
    Login.Options.push_back(option);
    return *option;
}

TFrame::TLoginChoice TForm1::AddLoginChoice(const char* captionName, const char* name, int width) {
    // The choices have a row of their own below the options, last in the keyboard order.
    const int top = Login.Header_Nein->geometry().bottom() + 3;
    const int left =
        Login.Choices.empty() ? 54 : Login.Choices.back().second->geometry().right() + 9;
    QLabel* caption = MakeBoldLabel(Tools.Panel1, captionName, QString(), left, 72);
    caption->move(left, top);
    auto* field = new QComboBox(Tools.Panel1);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(left + 74, top, width, LoginRowHeight);
    caption->setBuddy(field);
    QWidget* before = !Login.Choices.empty()   ? static_cast<QWidget*>(Login.Choices.back().second)
                      : !Login.Options.empty() ? static_cast<QWidget*>(Login.Options.back())
                                               : Login.Header_Nein;
    QWidget::setTabOrder(before, field);
    field->installEventFilter(this);
    Login.Choices.emplace_back(caption, field);
    return {*caption, *field};
}

void TForm1::BuildMenus() {
    Menus.MainMenu1 = new QMenuBar(this);
    Menus.MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Menus.Datei = Menus.MainMenu1->addMenu(QString());
    Menus.Datei->setObjectName(QStringLiteral("Datei"));
    Menus.Datei_C = MakeAction(this, "Datei_C");
    Menus.Datei_D = MakeAction(this, "Datei_D");
    Menus.Datei_L = MakeAction(this, "Datei_L");
    Menus.Datei_M = MakeAction(this, "Datei_M");
    Menus.Datei_H = MakeAction(this, "Datei_H");
    Menus.Datei_H->setCheckable(true);
    Menus.Datei_E = MakeAction(this, "Datei_E");
    Menus.Datei_E->setSeparator(true);
    Menus.Datei_Close = MakeAction(this, "Datei_Close");
    Menus.Datei->addActions({Menus.Datei_C, Menus.Datei_D, Menus.Datei_L, Menus.Datei_M,
                             Menus.Datei_H, Menus.Datei_E, Menus.Datei_Close});
    Menus.help_men = Menus.MainMenu1->addMenu(QString());
    Menus.help_men->setObjectName(QStringLiteral("help_men"));
    Menus.help_I = MakeAction(this, "help_I");
    Menus.help_men->addAction(Menus.help_I);
    setMenuBar(Menus.MainMenu1);

    Menus.popmen_header = new QMenu(this);
    Menus.popmen_header->setObjectName(QStringLiteral("popmen_header"));
    Menus.men_header_anzeigen = MakeAction(this, "men_header_anzeigen");
    Menus.men_email_anzeigen = MakeAction(this, "men_email_anzeigen");
    Menus.popmen_header->addActions({Menus.men_header_anzeigen, Menus.men_email_anzeigen});
    mail_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mail_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        Menus.popmen_header->popup(mail_list->viewport()->mapToGlobal(at));
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

#include "Main.h"
#include "MarksCountLine.h"

#include "BusyAnimation.h"
#include "ByteText.h"
#include "DeleteConfirmation.h"
#include "Header.h"
#include "MailRows.h"
#include "MultiLst.h"
#include "SaveDialog.h"
#include "email.h"
#include "info.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolButton>

#include <exception>
#include <tuple>

namespace {

// Where on the screen the pointer was for a pointer event; now, for any other.
QPoint PointerOf(const QEvent& event) {
    if (event.isPointerEvent())
        return static_cast<const QSinglePointEvent&>(event).globalPosition().toPoint();
    return QCursor::pos();
}
} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("InboxPruner"));
    // System menu and minimize button only; a desktop that maximises it anyway is followed
    // (the state is kept for the next start, MainSettings.cpp).
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The desktop's UI font at the small size the layout was made for.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    // The design size to start with; FitCaptions sets how small the user may make it.
    resize(555, 452);
    UiLanguages = [] { return QLocale::system().uiLanguages(); };

    BuildControls();
    Wire();
    MakeComponents();
    btn_aktivieren(StateIdle);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::SetWindows(TAboutBox* aboutBox, TForm2* headerWindow, TForm3* messageWindow) {
    FAboutBox = aboutBox;
    FHeaderWindow = headerWindow;
    FMessageWindow = messageWindow;
    ShareLanguage();
    if (FMessageWindow)
        FMessageWindow->SetCurrentMsgSource([this] { return CurrentMsg.get(); });
    // The save dialogs of this window and of those over it open where the last file was
    // saved, also after a restart.
    TSaveFolder& folder = SaveFolderOf(this);
    folder.SetLast(FSettings.ReadString(QStringLiteral("SaveFolder")));
    connect(&folder, &TSaveFolder::Chosen, this, [this](const QString& chosen) {
        FSettings.WriteString(QStringLiteral("SaveFolder"), chosen);
        FSettings.Flush();
    });
}

void TForm1::Wire() {
    pop3.RetrieveProgressStep = 10;
    pop3.OnError = [this](TObject* sender, int error, const std::string& msg) {
        pop3Error(sender, error, msg);
    };
    pop3.OnRetrieveProgress = [this](TObject* sender, uint16_t percent) {
        pop3RetrieveProgress(sender, percent);
    };
    pop3.ProcessMessages = [] { QCoreApplication::processEvents(); };
    MarksLine = new TMarksCountLine(
        Status, mail_list, [this](const QString& message) { StatusAppend(message); },
        [this] { return GermanUI(); }, this);

    const auto onTrigger = [this](QAction* action, void (TForm1::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    const auto onClick = [this](QToolButton* button, void (TForm1::*handler)()) {
        connect(button, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    // A command that talks to the server is ignored while another one still runs (in the
    // moment between Cancel and the end of the current message, for example).
    const auto exchange = [this](void (TForm1::*handler)()) {
        return [this, handler] {
            if (!CommandRunning())
                (this->*handler)();
        };
    };
    for (auto [button, action, handler] :
         {std::tuple{BtnConnect, Datei_C, &TForm1::BtnConnectClick},
          std::tuple{BtnDisconnect, Datei_D, &TForm1::BtnDisconnectClick},
          std::tuple{BtnDelete, Datei_L, &TForm1::BtnDeleteClick},
          std::tuple{btn_mail, men_email_anzeigen, &TForm1::men_email_anzeigenClick}}) {
        connect(button, &QToolButton::clicked, this, exchange(handler));
        connect(action, &QAction::triggered, this, exchange(handler));
    }
    onClick(btn_cancel, &TForm1::btn_cancelClick);
    onClick(BtnMark, &TForm1::BtnMarkClick);
    onClick(btn_header, &TForm1::men_header_anzeigenClick);
    onClick(BtnInfo, &TForm1::BtnInfoClick);
    onClick(BtnClose, &TForm1::BtnCloseClick);
    onTrigger(Datei_M, &TForm1::BtnMarkClick);
    onTrigger(Datei_H, &TForm1::Datei_HClick);
    onTrigger(Datei_Close, &TForm1::BtnCloseClick);
    onTrigger(help_I, &TForm1::BtnInfoClick);
    onTrigger(men_header_anzeigen, &TForm1::men_header_anzeigenClick);

    // Double-click or Enter on a mail shows it, as the show-mail command does.
    connect(mail_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (!CommandRunning() && mail_list->row(item) >= 1)
            men_email_anzeigenClick();
    });
    connect(mail_list, &QListWidget::itemSelectionChanged, this, &TForm1::ShowMarkedSummary);

    connect(servername, &QComboBox::activated, this, &TForm1::servernameClick);
    connect(Username, &QComboBox::activated, this, &TForm1::UsernameClick);

    // Enter in any of the login row's controls connects (those of components too:
    // MainControls.cpp).
    for (QObject* watched :
         std::initializer_list<QObject*>{servername, servername->lineEdit(), Username,
                                         Username->lineEdit(), Password, Header_Nein})
        watched->installEventFilter(this);
    for (QObject* watched : std::initializer_list<QObject*>{
             mail_list, BtnConnect, BtnDisconnect, btn_cancel, BtnDelete, BtnMark, btn_header,
             btn_mail, BtnInfo, BtnClose, Panel1, centralWidget()})
        watched->installEventFilter(this);
}

void TForm1::FormCreate() {
    GetFromIniFile();
    Parts.ForEach([](TComponent& part) { part.ReadSettings(); });
    servername->setCurrentIndex(servername->count() - 1);
    Username->setCurrentIndex(Username->count() - 1);
    Parts.ForEach([this](TComponent& part) { part.AccountChosen(servername->count() - 1); });
}

void TForm1::SetFocusByRule() {
    const bool hasServer = !servername->currentText().isEmpty();
    const bool hasUser = !Username->currentText().isEmpty();
    if (hasServer && hasUser)
        Password->setFocus();
    else if (hasServer)
        Username->setFocus();
    else
        servername->setFocus();
}

void TForm1::servernameClick(int index) {
    ChooseAccount(index, Username);
}

void TForm1::UsernameClick(int index) {
    ChooseAccount(index, servername);
}

// Entry i of either history list chooses account i: the other list and the password follow.
void TForm1::ChooseAccount(int index, QComboBox* other) {
    if (index < 0 || index >= other->count() ||
        index >= static_cast<int>(Accounts.PasswordHistory().size()))
        return;
    other->setCurrentIndex(index);
    Password->setText(FromBytes(Accounts.Password(index)));
    Parts.ForEach([index](TComponent& part) { part.AccountChosen(index); });
}

bool TForm1::FormKeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (!CommandRunning())
        BtnConnectClick();
    return true;
}

bool TForm1::mail_listKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (ControlState() == StateListed && !CommandRunning())
            men_email_anzeigenClick();
        return true;
    }
    if (key != Qt::Key_Delete)
        return false;
    // Only in the listed state: during a listing the session is open too, and a deletion
    // then would interleave with the listing's commands.
    if (pop3.Connected() && ControlState() == StateListed && !CommandRunning())
        BtnDeleteClick();
    return true;
}

QString TForm1::HintFor(const QObject* control) const {
    const std::pair<const QObject*, const TText*> hints[] = {
        {BtnConnect, &Texts::HintConnect}, {BtnDisconnect, &Texts::HintDisconnect},
        {BtnDelete, &Texts::HintDelete},   {BtnMark, &Texts::HintMark},
        {BtnInfo, &Texts::HintInfo},       {BtnClose, &Texts::HintClose},
        {Password, &Texts::HintPassword},  {btn_cancel, &Texts::HintCancel},
        {btn_header, &Texts::HintHeader},  {btn_mail, &Texts::HintMail},
    };
    for (const auto& [owner, text] : hints) {
        if (owner == control)
            return Tr(*text, GermanUI());
    }
    return {};
}

bool TForm1::ShowHintFor(const QObject* control, QPoint pointer) {
    const bool moved = FHintPointer.MovedTo(pointer);
    const QString hint = HintFor(control);
    if (hint.isEmpty())
        return false;
    if (moved && PanelText(2) != hint)
        SetPanelText(2, hint);
    return true;
}

void TForm1::FormMouseMove() {
    ShowMarkedSummary();
}

void TForm1::ShowMarkedSummary() {
    SetPanelText(2, MarkedSummary(MarkedMails(*mail_list), GermanUI()));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A panel's text changed its size: after the status bar's own layout, the window follows.
    if (watched == static_cast<QObject*>(Status_leiste)) {
        if (event->type() == QEvent::LayoutRequest)
            QMetaObject::invokeMethod(this, &TForm1::FitWidth, Qt::QueuedConnection);
        return QMainWindow::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == mail_list)
            return mail_listKeyDown(key);
        if (watched != Panel1 && watched != centralWidget() && !qobject_cast<QToolButton*>(watched))
            return FormKeyDown(key);
        break;
    }
    case QEvent::Enter:
        ShowHintFor(watched, PointerOf(*event));
        break;
    case QEvent::Leave:
        // A hint belongs to the control under the mouse only.
        if (!HintFor(watched).isEmpty())
            ShowMarkedSummary();
        break;
    case QEvent::MouseMove:
        if (watched == Panel1 || watched == centralWidget()) {
            FHintPointer.MovedTo(PointerOf(*event));
            FormMouseMove();
        } else if (ShowHintFor(watched, PointerOf(*event)) &&
                   static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
            // Ends here: passed on, the move would reach the surface below and clear the hint.
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    // The language is chosen once, before the window is first seen.
    if (!FLanguageChosen) {
        FLanguageChosen = true;
        LanguageSelect();
    }
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        KeepOnScreen();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Maximised or back: the desktop may tell it after the resize.
    if (event->type() == QEvent::WindowStateChange)
        WriteGeometry();
}

void TForm1::FormResize() {
    mail_list->viewport()->update();
    WriteGeometry();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (DeferClose()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::FormClose() {
    std::exception_ptr quitError;
    try {
        pop3.Quit();
    } catch (...) {
        quitError = std::current_exception();
    }
    // The history is saved even when the session could not be ended cleanly.
    WriteToIniFile();
    if (quitError)
        std::rethrow_exception(quitError);
}

void TForm1::BtnInfoClick() {
    if (FAboutBox)
        FAboutBox->exec();
}

void TForm1::BtnCloseClick() {
    close();
}

void TForm1::pop3RetrieveProgress(TObject*, uint16_t Percent) {
    ProgressBar->setValue(Percent);
}

void TForm1::StatusClear() {
    Status->clear();
}

void TForm1::StatusAppend(const QString& message) {
    QString shown = message;
    shown.replace(u'\r', u'\n');
    Status->setText(Status->text() + shown);
}

QString TForm1::StatusText() const {
    return Status->text();
}

void TForm1::SetPanelText(int panel, const QString& text) {
    StatusPanels.at(static_cast<std::size_t>(panel))->setText(text);
}

QString TForm1::PanelText(int panel) const {
    return StatusPanels.at(static_cast<std::size_t>(panel))->text();
}

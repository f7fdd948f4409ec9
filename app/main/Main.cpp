#include "Main.h"
#include "MainFit.h"
#include "MarksCountLine.h"
#include "StatusLines.h"

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
    // The design size to start with; fitting the captions (MainFit.cpp) sets how small the user may
    // make it.
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
    Windows.AboutBox = aboutBox;
    Windows.HeaderWindow = headerWindow;
    Windows.MessageWindow = messageWindow;
    ShareLanguage();
    if (Windows.MessageWindow)
        Windows.MessageWindow->SetCurrentMsgSource([this] { return CurrentMsg.get(); });
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
        Bottom.Status, mail_list, [this](const QString& message) { StatusAppend(message); },
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
         {std::tuple{Tools.BtnConnect, Menus.Datei_C, &TForm1::BtnConnectClick},
          std::tuple{Tools.BtnDisconnect, Menus.Datei_D, &TForm1::BtnDisconnectClick},
          std::tuple{Tools.BtnDelete, Menus.Datei_L, &TForm1::BtnDeleteClick},
          std::tuple{Tools.btn_mail, Menus.men_email_anzeigen, &TForm1::men_email_anzeigenClick}}) {
        connect(button, &QToolButton::clicked, this, exchange(handler));
        connect(action, &QAction::triggered, this, exchange(handler));
    }
    onClick(Tools.btn_cancel, &TForm1::btn_cancelClick);
    onClick(Tools.BtnMark, &TForm1::BtnMarkClick);
    onClick(Tools.btn_header, &TForm1::men_header_anzeigenClick);
    onClick(Tools.BtnInfo, &TForm1::BtnInfoClick);
    onClick(Tools.BtnClose, &TForm1::BtnCloseClick);
    onTrigger(Menus.Datei_M, &TForm1::BtnMarkClick);
    onTrigger(Menus.Datei_Close, &TForm1::BtnCloseClick);
    onTrigger(Menus.help_I, &TForm1::BtnInfoClick);
    onTrigger(Menus.men_header_anzeigen, &TForm1::men_header_anzeigenClick);

    // Double-click or Enter on a mail shows it, as the show-mail command does.
    connect(mail_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (!CommandRunning() && mail_list->row(item) >= 1)
            men_email_anzeigenClick();
    });
    connect(mail_list, &QListWidget::itemSelectionChanged, this, &TForm1::ShowMarkedSummary);

    connect(Login.servername, &QComboBox::activated, this, &TForm1::servernameClick);
    connect(Login.Username, &QComboBox::activated, this, &TForm1::UsernameClick);

    // Enter in any of the login row's controls connects (those of components too:
    // MainControls.cpp).
    for (QObject* watched : std::initializer_list<QObject*>{
             Login.servername, Login.servername->lineEdit(), Login.Username,
             Login.Username->lineEdit(), Login.Password, Login.Header_Nein})
        watched->installEventFilter(this);
    for (QObject* watched : std::initializer_list<QObject*>{
             mail_list, Tools.BtnConnect, Tools.BtnDisconnect, Tools.btn_cancel, Tools.BtnDelete,
             Tools.BtnMark, Tools.btn_header, Tools.btn_mail, Tools.BtnInfo, Tools.BtnClose,
             Tools.Panel1, centralWidget()})
        watched->installEventFilter(this);
}

void TForm1::FormCreate() {
    GetFromIniFile();
    Parts.ForEach([](TComponent& part) { part.ReadSettings(); });
    Login.servername->setCurrentIndex(Login.servername->count() - 1);
    Login.Username->setCurrentIndex(Login.Username->count() - 1);
    Parts.ForEach([this](TComponent& part) { part.AccountChosen(Login.servername->count() - 1); });
}

void TForm1::SetFocusByRule() {
    const bool hasServer = !Login.servername->currentText().isEmpty();
    const bool hasUser = !Login.Username->currentText().isEmpty();
    if (hasServer && hasUser)
        Login.Password->setFocus();
    else if (hasServer)
        Login.Username->setFocus();
    else
        Login.servername->setFocus();
}

void TForm1::servernameClick(int index) {
    ChooseAccount(index, Login.Username);
}

void TForm1::UsernameClick(int index) {
    ChooseAccount(index, Login.servername);
}

// Entry i of either history list chooses account i: the other list and the password follow.
void TForm1::ChooseAccount(int index, QComboBox* other) {
    if (index < 0 || index >= other->count() ||
        index >= static_cast<int>(Accounts.PasswordHistory().size()))
        return;
    other->setCurrentIndex(index);
    Login.Password->setText(FromBytes(Accounts.Password(index)));
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
    // Never while a command runs: during a listing the session is open too, and a deletion
    // then would interleave with the listing's commands.
    if (DeleteAtHand() && !CommandRunning())
        BtnDeleteClick();
    return true;
}

QString TControlHints::For(const QObject* control) const {
    const std::pair<const QObject*, const TText*> hints[] = {
        {form_.Tools.BtnConnect, &Texts::HintConnect},
        {form_.Tools.BtnDisconnect, &Texts::HintDisconnect},
        {form_.Tools.BtnDelete, &Texts::HintDelete},
        {form_.Tools.BtnMark, &Texts::HintMark},
        {form_.Tools.BtnInfo, &Texts::HintInfo},
        {form_.Tools.BtnClose, &Texts::HintClose},
        {form_.Login.Password, &Texts::HintPassword},
        {form_.Tools.btn_cancel, &Texts::HintCancel},
        {form_.Tools.btn_header, &Texts::HintHeader},
        {form_.Tools.btn_mail, &Texts::HintMail},
    };
    for (const auto& [owner, text] : hints) {
        if (owner == control)
            return Tr(*text, form_.GermanUI());
    }
    for (const TToolBar::TAdded& added : form_.Tools.Added) {
        if (added.Button == control)
            return Tr(added.Hint, form_.GermanUI());
    }
    return {};
}

bool TControlHints::Show(const QObject* control, QPoint pointer) {
    const bool moved = pointer_.MovedTo(pointer);
    const QString hint = For(control);
    if (hint.isEmpty())
        return false;
    if (moved && form_.PanelText(2) != hint)
        form_.SetPanelText(2, hint);
    return true;
}

void TForm1::FormMouseMove() {
    ShowMarkedSummary();
}

void TForm1::ShowMarkedSummary() {
    SetPanelText(2, MarkedSummary(MarkedMails(*FRows), GermanUI()));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // A panel's text changed its size: after the status bar's own layout, the window follows.
    if (watched == static_cast<QObject*>(Bottom.Status_leiste)) {
        if (event->type() == QEvent::LayoutRequest)
            QMetaObject::invokeMethod(
                this, [this] { TWindowFit(*this).Width(); }, Qt::QueuedConnection);
        return QMainWindow::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == mail_list)
            return mail_listKeyDown(key);
        if (watched != Tools.Panel1 && watched != centralWidget() &&
            !qobject_cast<QToolButton*>(watched))
            return FormKeyDown(key);
        break;
    }
    case QEvent::Enter:
        Hints.Show(watched, PointerOf(*event));
        break;
    case QEvent::Leave:
        // A hint belongs to the control under the mouse only.
        if (!Hints.For(watched).isEmpty())
            ShowMarkedSummary();
        break;
    case QEvent::MouseMove:
        if (watched == Tools.Panel1 || watched == centralWidget()) {
            Hints.MovedTo(PointerOf(*event));
            FormMouseMove();
        } else if (Hints.Show(watched, PointerOf(*event)) &&
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
        TWindowFit(*this).KeepOnScreen();
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
    if (Windows.AboutBox)
        Windows.AboutBox->exec();
}

void TForm1::BtnCloseClick() {
    close();
}

void TForm1::pop3RetrieveProgress(TObject*, uint16_t Percent) {
    Bottom.ProgressBar->setValue(Percent);
}

void TForm1::StatusClear() {
    Bottom.Status->clear();
}

void TForm1::StatusAppend(const QString& message) {
    QString shown = message;
    shown.replace(u'\r', u'\n');
    Bottom.Status->setText(Bottom.Status->text() + shown);
}

QString TForm1::StatusText() const {
    return Bottom.Status->text();
}

void TForm1::SetPanelText(int panel, const QString& text) {
    Bottom.StatusPanels.at(static_cast<std::size_t>(panel))->setText(text);
}

QString TForm1::PanelText(int panel) const {
    return Bottom.StatusPanels.at(static_cast<std::size_t>(panel))->text();
}

bool TForm1::StatusReplace(const TText& line, const QString& by) {
    QString shown = Bottom.Status->text();
    if (!ReplaceStatusLine(shown, LastStatusLine(Tr(line, GermanUI())), LastStatusLine(by)))
        return false;
    Bottom.Status->setText(shown);
    return true;
}

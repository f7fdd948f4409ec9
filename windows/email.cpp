#include "email.h"

#include "AtomicFile.h"
#include "ByteText.h"
#include "ErrorMessage.h"
#include "Glyphs.h"
#include "MailHeaderBlock.h"
#include "MbxMIME.h"
#include "MbxMsg.h"
#include "MemoLines.h"
#include "OfflineTextView.h"
#include "TextPair.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>
#include <exception>

namespace {

constexpr int kAttachmentIndexRole = Qt::UserRole;
constexpr int kItemHeight = 13;
// Room between "Save e-mail" and the .eml button beside it.
constexpr int kEmlGap = 6;

constexpr TText SaveEml{"als .eml", "as .eml"};
constexpr TText SaveEmlTip{"Die ganze Mail so, wie der Server sie gesandt hat",
                           "The whole mail as the server sent it"};
constexpr TText SaveEmlTitle{"E-Mail als .eml speichern", "Save e-mail as .eml"};
constexpr TText EmlNotSaved{"Die Mail kann nicht gespeichert werden: %1",
                            "The mail cannot be saved: %1"};

QString Text(const TText& text, bool german) {
    return QString::fromUtf8(Pick(text, german));
}

// An entry of the attachment list: ordered by name without regard to case, then by its
// place in the mail, so that the order never depends on when an entry was added.
class TAttachmentEntry : public QListWidgetItem {
public:
    TAttachmentEntry(const QString& name, int index) : QListWidgetItem(name) {
        setData(kAttachmentIndexRole, index);
        setSizeHint(QSize(0, kItemHeight));
    }
    bool operator<(const QListWidgetItem& other) const override {
        const int byName = text().compare(other.text(), Qt::CaseInsensitive);
        if (byName != 0)
            return byName < 0;
        return data(kAttachmentIndexRole).toInt() < other.data(kAttachmentIndexRole).toInt();
    }
};

// A path as the file system takes it.
std::string PathBytes(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    return std::string(name.constData(), static_cast<size_t>(name.size()));
}

// Writes bytes the way attachments are written, so both saves fail with the same texts.
void WriteFile(const QString& path, std::string bytes) {
    TAttachedFile file;
    file.Data = std::move(bytes);
    file.SaveToFile(PathBytes(path));
}

} // namespace

TForm3::TForm3(QWidget* parent) : TViewerDialog(parent, 467, 443) {
    setObjectName("Form3");

    mail_header = new TMailHeaderBlock(this);

    memo_email_anzeigen = new QPlainTextEdit(this);
    memo_email_anzeigen->setObjectName("memo_email_anzeigen");
    memo_email_anzeigen->setReadOnly(true);
    memo_email_anzeigen->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo_email_anzeigen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    memo_email_html = new TOfflineTextView(this);
    memo_email_html->setObjectName("memo_email_html");
    memo_email_html->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_email_html->hide();

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    lab_anhang = MakeLabel("lab_anhang", 8, 328);

    attachment_list = new QListWidget(this);
    attachment_list->setObjectName("attachment_list");
    attachment_list->setSelectionMode(QAbstractItemView::SingleSelection);
    attachment_list->setSortingEnabled(true);

    Bevel2 = new QFrame(this);
    Bevel2->setObjectName("Bevel2");
    Bevel2->setFrameShape(QFrame::VLine);
    Bevel2->setFrameShadow(QFrame::Sunken);

    btn_save_email = MakeButton("btn_save_email", SaveMailGlyph(), 328);
    save_email = MakeLabel("save_email", 352, 336);
    btn_save_eml = new QToolButton(this);
    btn_save_eml->setObjectName("btn_save_eml");
    btn_save_eml->setAutoRaise(true);
    btn_save_eml->setFocusPolicy(Qt::NoFocus);
    btn_save_eml->setCursor(Qt::PointingHandCursor);
    btn_save_eml->setEnabled(false);
    // Underlined as a link: a second way to save, beside the first.
    QFont link = btn_save_eml->font();
    link.setUnderline(true);
    btn_save_eml->setFont(link);
    btn_save_attachments = MakeButton("btn_save_attachments", SaveAttachmentGlyph(), 368);
    save_attachment = MakeLabel("save_attachment", 352, 376);
    btn_close = MakeButton("btn_close", CloseGlyph(), 408);
    close_window = MakeLabel("close_window", 352, 416);
    for (QLabel* label : {save_email, save_attachment, close_window}) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }

    connect(btn_save_email, &QToolButton::clicked, this, &TForm3::btn_save_emailClick);
    connect(btn_save_attachments, &QToolButton::clicked, this, &TForm3::btn_save_attachmentsClick);
    connect(btn_save_eml, &QToolButton::clicked, this, &TForm3::btn_save_emlClick);
    connect(btn_close, &QToolButton::clicked, this, &TForm3::btn_closeClick);

    setTabOrder(memo_email_anzeigen, memo_email_html);
    setTabOrder(memo_email_html, attachment_list);

    // The dialog titles are the same in both languages.
    save_dialog_email = {QStringLiteral("Save E-Mail"), QStringLiteral("ASCII; Text (*.txt)"),
                         QStringLiteral("txt"), FProposedMailName, QString()};
    // "*" is every file here, as "*.*" is on the system the dialog's pattern comes from.
    save_dialog_attachment = {QStringLiteral("Save Attachment"), QStringLiteral("*"), QString(),
                              QString(), QString()};
    save_dialog_eml = {Text(SaveEmlTitle, false), QStringLiteral("E-Mail (*.eml)"),
                       QStringLiteral("eml"), QString(), QString()};
    PlaceControls();
}

// The text band at the bottom keeps its height; the memo and the list take the room that
// is left, and the buttons with their words stay at the right edge, the words whole.
void TForm3::PlaceControls() {
    const int w = width();
    const int h = height();
    int wordsWidth = 103;
    for (const QLabel* label : {save_email, save_attachment, close_window})
        wordsWidth = std::max(wordsWidth, label->sizeHint().width());
    const QSize emlSize = btn_save_eml->sizeHint();
    wordsWidth = std::max(wordsWidth, save_email->sizeHint().width() + kEmlGap + emlSize.width());
    const int wordsLeft = w - wordsWidth - 12;
    const int buttonsLeft = wordsLeft - 40;
    // The header lines above the text, at most a third of the text's room.
    const int headerHeight = std::min(mail_header->NeededHeight(), (h - 130) / 3);
    mail_header->setGeometry(0, 0, w, headerHeight);
    for (QWidget* text :
         {static_cast<QWidget*>(memo_email_anzeigen), static_cast<QWidget*>(memo_email_html)})
        text->setGeometry(-2, headerHeight, w, h - 130 - headerHeight);
    Bevel1->setGeometry(8, h - 125, w - 18, 3); // the line along the bottom of its band
    lab_anhang->move(8, h - 115);
    attachment_list->setGeometry(0, h - 99, std::max(buttonsLeft - 31, 40), 97);
    Bevel2->setGeometry(buttonsLeft - 16, h - 115, 3, 113);
    const std::pair<QToolButton*, QLabel*> rows[] = {{btn_save_email, save_email},
                                                     {btn_save_attachments, save_attachment},
                                                     {btn_close, close_window}};
    int top = h - 115;
    for (const auto& [button, words] : rows) {
        button->move(buttonsLeft, top);
        words->move(wordsLeft, top + 8);
        top += 40;
    }
    const int emlTop = h - 115 + 8 + (save_email->sizeHint().height() - emlSize.height()) / 2;
    btn_save_eml->setGeometry(wordsLeft + save_email->sizeHint().width() + kEmlGap, emlTop,
                              emlSize.width(), emlSize.height());
    setMinimumWidth(std::max(467 / 2, wordsWidth + 12 + 40 + 16 + 80));
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const std::pair<QLabel*, QToolButton*> words[] = {{save_email, btn_save_email},
                                                          {save_attachment, btn_save_attachments},
                                                          {close_window, btn_close}};
        for (const auto& [label, button] : words) {
            if (watched == label && button->isEnabled()) {
                button->click();
                return true;
            }
        }
    }
    return TViewerDialog::eventFilter(watched, event);
}

QString SafeFileName(const QString& text) {
    QString name;
    for (const QChar c : text) {
        const bool unsafe = c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c);
        name += unsafe ? QChar(u'_') : c;
    }
    name = name.simplified().left(100);
    // No hidden name, and no name that ends where some systems drop the dots.
    while (name.startsWith(u'.') || name.startsWith(u' '))
        name.remove(0, 1);
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    return name;
}

QString TForm3::AskInSaveFolder(TSaveDialog& dialog) {
    TSaveFolder& folder = SaveFolderOf(this);
    dialog.Folder = folder.Start();
    const QString path = AskSaveFileName(this, dialog);
    if (!path.isEmpty())
        folder.Used(path);
    return path;
}

QToolButton* TForm3::MakeButton(const char* name, const QIcon& icon, int top) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setGeometry(312, top, 33, 33);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setIconSize(QSize(24, 24));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel* TForm3::MakeLabel(const char* name, int left, int top) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->move(left, top);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QWidget* TForm3::ShownText() const {
    if (memo_email_html->isVisibleTo(this))
        return memo_email_html;
    return memo_email_anzeigen;
}

void TForm3::ShowMessageOf(const TMbxMsg& msg) {
    mail_header->ShowFieldsOf(msg);
    // The lines are what is saved, also when the HTML is what shows.
    AppendLines(*memo_email_anzeigen, msg.Text);
    const bool html = !msg.Html.empty();
    if (html)
        memo_email_html->ShowHtml(FromMailText(msg.Html));
    memo_email_html->setVisible(html);
    memo_email_anzeigen->setVisible(!html);
    PlaceControls();
    const QString subject = SafeFileName(FromMailText(DecodeEncodedWords(msg.Subject)));
    FProposedBase = subject.isEmpty() ? QStringLiteral("mail") : subject;
    FProposedMailName = FProposedBase + ".txt";
    save_dialog_email.FileName = FProposedMailName;
    // Only a mail kept as it came can be saved as it came.
    btn_save_eml->setEnabled(!msg.RawMail.empty());
    // Entries always stand for this mail's attachments: an entry left from another mail
    // would save bytes of the wrong attachment.
    attachment_list->clear();
    for (int i = 0; i < msg.Attachments.Count(); ++i)
        AddAttachmentEntry(FromMailText(msg.Attachments.Items(i).FileName), i);
}

void TForm3::AddAttachmentEntry(const QString& fileName, int attachmentIndex) {
    attachment_list->addItem(new TAttachmentEntry(fileName, attachmentIndex));
}

void TForm3::FormActivate() {
    if (GermanUI()) {
        setWindowTitle(QStringLiteral("Inhalt der e-mail  - InboxPruner -"));
        close_window->setText(QString::fromUtf8("Schließen"));
        save_email->setText(QStringLiteral("Speichere E-Mail"));
        save_attachment->setText(QStringLiteral("Speichere Anhang"));
        lab_anhang->setText(QString::fromUtf8("Anhänge :"));
    } else {
        setWindowTitle(QStringLiteral("Contents of e-mail  - InboxPruner -"));
        close_window->setText(QStringLiteral("Close"));
        save_email->setText(QStringLiteral("Save e-mail"));
        save_attachment->setText(QStringLiteral("Save attachment"));
        lab_anhang->setText(QStringLiteral("Attachments :"));
    }
    for (QLabel* label : {close_window, save_email, save_attachment, lab_anhang})
        label->adjustSize();
    btn_save_eml->setText(Text(SaveEml, GermanUI()));
    btn_save_eml->setToolTip(Text(SaveEmlTip, GermanUI()));
    btn_save_eml->adjustSize();
    mail_header->SetGerman(GermanUI());
    PlaceControls();
    const bool hasAttachments = attachment_list->count() > 0;
    btn_save_attachments->setEnabled(hasAttachments);
    if (hasAttachments)
        attachment_list->setCurrentRow(0);
    ShownText()->setFocus();
}

void TForm3::btn_closeClick() {
    reject();
}

void TForm3::btn_save_emailClick() {
    const QString path = AskInSaveFolder(save_dialog_email);
    save_dialog_email.FileName = FProposedMailName; // proposed again next time
    if (path.isEmpty())
        return;
    try {
        WriteFile(path, JoinLines(MemoLines(*memo_email_anzeigen)));
    } catch (const std::exception& error) {
        ShowErrorMessage(this, QFile::decodeName(error.what()));
    }
}

void TForm3::btn_save_attachmentsClick() {
    const QListWidgetItem* entry = attachment_list->currentItem();
    const TMbxMsg* msg = FCurrentMsg ? FCurrentMsg() : nullptr;
    if (!entry || !msg)
        return;
    const int index = entry->data(kAttachmentIndexRole).toInt();
    if (index < 0 || index >= msg->Attachments.Count())
        return;
    // A name such as "../../evil.png" arrives as "....evil.png": never a hidden file.
    QString proposed = entry->text();
    while (proposed.startsWith(u'.'))
        proposed.remove(0, 1);
    save_dialog_attachment.FileName = proposed;
    const QString path = AskInSaveFolder(save_dialog_attachment);
    save_dialog_attachment.FileName.clear();
    if (path.isEmpty())
        return;
    try {
        msg->Attachments.Items(index).SaveToFile(PathBytes(path));
    } catch (const std::exception& error) {
        ShowErrorMessage(this, QFile::decodeName(error.what()));
    }
}

void TForm3::btn_save_emlClick() {
    const TMbxMsg* msg = FCurrentMsg ? FCurrentMsg() : nullptr;
    if (!msg || msg->RawMail.empty())
        return;
    save_dialog_eml.Title = Text(SaveEmlTitle, GermanUI());
    save_dialog_eml.FileName = FProposedBase + ".eml";
    const QString path = AskInSaveFolder(save_dialog_eml);
    if (path.isEmpty())
        return;
    try {
        WriteFileAtomically(PathBytes(path), msg->RawMail.Text());
    } catch (const std::exception& error) {
        ShowErrorMessage(this, Text(EmlNotSaved, GermanUI()).arg(QFile::decodeName(error.what())));
    }
}

void TForm3::Empty() {
    mail_header->Clear();
    memo_email_anzeigen->clear();
    memo_email_html->clear();
    memo_email_html->hide();
    memo_email_anzeigen->show();
    attachment_list->clear();
    btn_save_eml->setEnabled(false);
}

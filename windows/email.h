#pragma once

#include "SaveDialog.h"
#include "ViewerDialog.h"

#include <functional>

class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class TMailHeaderBlock;
class TMbxMsg;
class TOfflineTextView;

// A text as a file name: no path separators or characters file systems refuse, no leading
// dots or blanks (a hidden file), no trailing ones; at most 100 characters; may be empty.
QString SafeFileName(const QString& text);

// The message window: a mail's sender, recipients, date and subject above its text, and its
// attachments; the text and each attachment can be saved.
class TForm3 : public TViewerDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    TMailHeaderBlock* mail_header;
    // The text lines: shown for a plain mail, and what is saved for every mail.
    QPlainTextEdit* memo_email_anzeigen;
    // An HTML-only mail, formatted, in the memo's place.
    TOfflineTextView* memo_email_html;
    QFrame* Bevel1;
    QLabel* lab_anhang;
    // Kept sorted without regard to case; each entry holds its attachment's index in the
    // message under Qt::UserRole, so entries with the same name stay apart.
    QListWidget* attachment_list;
    QFrame* Bevel2;
    QToolButton* btn_save_email;
    QLabel* save_email;
    // Beside "Save e-mail": the whole mail as the server sent it, as an .eml file.
    QToolButton* btn_save_eml;
    QToolButton* btn_save_attachments;
    QLabel* save_attachment;
    QToolButton* btn_close;
    QLabel* close_window;

    TSaveDialog save_dialog_email;
    TSaveDialog save_dialog_attachment;
    TSaveDialog save_dialog_eml;
    // Asks for the file to save to; the file dialog unless replaced (tests answer themselves).
    // Every dialog opens in the window's save folder (SaveFolderOf).
    TAskSaveFileName AskSaveFileName = RunSaveFileDialog;

    // Where saving an attachment finds the mail (the main window's CurrentMsg).
    void SetCurrentMsgSource(std::function<const TMbxMsg*()> source) {
        FCurrentMsg = std::move(source);
    }

    // Shows the mail's header fields, appends its text lines to the memo (its HTML, when it
    // has only that, shows instead) and lists its attachments in place of any listed before.
    void ShowMessageOf(const TMbxMsg& msg);
    // Lists one attachment of the current mail under its name.
    void AddAttachmentEntry(const QString& fileName, int attachmentIndex);

    void FormActivate() override;
    void btn_closeClick();
    // The name proposed for saving the shown mail: its subject made safe, or "mail", + ".txt".
    QString ProposedMailName() const { return FProposedMailName; }
    void btn_save_emailClick();
    void btn_save_attachmentsClick();
    // Writes the current mail as the server sent it, owner-only: it may be private.
    void btn_save_emlClick();

protected:
    void Empty() override;
    void PlaceControls() override;
    // The words beside the three buttons act as the buttons.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Asks for a file in the save folder; empty when cancelled. The folder of a chosen file
    // is where the next dialog opens.
    QString AskInSaveFolder(TSaveDialog& dialog);

    QToolButton* MakeButton(const char* name, const QIcon& icon, int top);
    QLabel* MakeLabel(const char* name, int left, int top);
    // The memo or the HTML view, whichever shows the mail.
    QWidget* ShownText() const;

    std::function<const TMbxMsg*()> FCurrentMsg;
    QString FProposedMailName = QStringLiteral("mail.txt");
    QString FProposedBase = QStringLiteral("mail"); // the same without its extension
};

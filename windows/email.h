#pragma once

#include "SaveDialog.h"
#include "ViewerDialog.h"

#include <functional>

class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class TMbxMsg;

// The message window: a mail's text and its attachments, each of which can be saved.
class TForm3 : public TViewerDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    QPlainTextEdit* memo_email_anzeigen;
    QFrame* Bevel1;
    QLabel* lab_anhang;
    // Kept sorted without regard to case; each entry holds its attachment's index in the
    // message under Qt::UserRole, so entries with the same name stay apart.
    QListWidget* attachment_list;
    QFrame* Bevel2;
    QToolButton* btn_save_email;
    QLabel* save_email;
    QToolButton* btn_save_attachments;
    QLabel* save_attachment;
    QToolButton* btn_close;
    QLabel* close_window;

    TSaveDialog save_dialog_email;
    TSaveDialog save_dialog_attachment;
    // Asks for the file to save to; the file dialog unless replaced (tests answer themselves).
    TAskSaveFileName AskSaveFileName = RunSaveFileDialog;

    // Where saving an attachment finds the mail (the main window's CurrentMsg).
    void SetCurrentMsgSource(std::function<const TMbxMsg*()> source) {
        FCurrentMsg = std::move(source);
    }

    // Appends the mail's text lines to the memo and lists its attachments in place of any
    // listed before.
    void ShowMessageOf(const TMbxMsg& msg);
    // Lists one attachment of the current mail under its name.
    void AddAttachmentEntry(const QString& fileName, int attachmentIndex);

    void FormActivate() override;
    void btn_closeClick();
    void btn_save_emailClick();
    void btn_save_attachmentsClick();

protected:
    void Empty() override;

private:
    QToolButton* MakeButton(const char* name, const QIcon& icon, int top);
    QLabel* MakeLabel(const char* name, int left, int top);

    std::function<const TMbxMsg*()> FCurrentMsg;
};

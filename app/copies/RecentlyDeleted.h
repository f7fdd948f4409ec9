#pragma once

#include "DeletedMails.h"
#include "SaveDialog.h"
#include "TextPair.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTreeWidget;
class QTreeWidgetItem;
class TMbxMsg;

// "Recently deleted": the kept copies of every account, to look things up in. Columns: deleted,
// the mail's own date, sender, subject, size, account; each sorts the list (newest deletion
// first to begin with), a search keeps the mails whose sender or subject holds the text, and
// the totals count what is shown. A copy opens in the message window, is saved elsewhere as
// .eml (the way back into a mail client: POP3 cannot put a mail back) or is removed at once.
class TRecentlyDeleted : public QDialog {
    Q_OBJECT
public:
    // root: the folder holding one folder of copies per account. show opens a parsed copy.
    TRecentlyDeleted(QString root, bool germanUI,
                     std::function<void(std::unique_ptr<TMbxMsg>)> show, QWidget* parent = nullptr);

    QLineEdit* search_field;
    QTreeWidget* copy_list;
    QLabel* totals;
    QLabel* note;
    QPushButton* btn_open;
    QPushButton* btn_save;
    QPushButton* btn_remove;
    QPushButton* btn_close;
    // Asks where to save a copy; the file dialog unless replaced (tests answer themselves). It
    // opens in the window's save folder (SaveFolderOf).
    TAskSaveFileName AskSaveFileName = RunSaveFileDialog;

    // The copies read, newest deletion first, whatever order the list shows.
    const std::vector<TDeletedMail>& Mails() const { return mails_; }
    // The copy a row of the list stands for; null for none.
    const TDeletedMail* MailOf(const QTreeWidgetItem* row) const;
    void Reload();
    void OpenCurrent();
    void SaveCurrent();
    // Removes the selected copies that are shown from the disk.
    void RemoveSelected();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const TDeletedMail* Current() const;
    void Search();
    // Columns as wide as their contents (sender and subject within reason) and the window
    // as wide as the columns, within the screen.
    void FitToContents();
    void Fail(const TText& text, const QString& why);

    QString root_;
    bool germanUI_;
    std::function<void(std::unique_ptr<TMbxMsg>)> show_;
    std::vector<TDeletedMail> mails_;
};

#pragma once

#include "KeptCopies.h"
#include "SaveDialog.h"
#include "TextPair.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class TMbxMsg;

// "Recently deleted": the kept copies of every account, newest first (deleted, account,
// sender, subject, size). A copy opens in the message window, is saved elsewhere as .eml (the
// way back into a mail client: POP3 cannot put a mail back) or is removed at once.
class TRecentlyDeleted : public QDialog {
    Q_OBJECT
public:
    // root: the folder holding one folder of copies per account. show opens a parsed copy.
    TRecentlyDeleted(QString root, bool germanUI,
                     std::function<void(std::unique_ptr<TMbxMsg>)> show, QWidget* parent = nullptr);

    QTreeWidget* copy_list;
    QLabel* note;
    QPushButton* btn_open;
    QPushButton* btn_save;
    QPushButton* btn_remove;
    QPushButton* btn_close;
    // Asks where to save a copy; the file dialog unless replaced (tests answer themselves).
    TAskSaveFileName AskSaveFileName = RunSaveFileDialog;

    // The copies as listed, row i for copy i.
    const std::vector<TKeptCopy>& Copies() const { return copies_; }
    void Reload();
    void OpenCurrent();
    void SaveCurrent();
    // Removes the selected copies from the disk.
    void RemoveSelected();

private:
    const TKeptCopy* Current() const;
    void Fail(const TText& text, const QString& why);

    QString root_;
    bool germanUI_;
    std::function<void(std::unique_ptr<TMbxMsg>)> show_;
    std::vector<TKeptCopy> copies_;
};

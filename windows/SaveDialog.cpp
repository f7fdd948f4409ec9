#include "SaveDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* parent, const TSaveDialog& dialog) {
    auto fileDialog = std::make_unique<QFileDialog>(parent, dialog.Title);
    fileDialog->setAcceptMode(QFileDialog::AcceptSave);
    fileDialog->setFileMode(QFileDialog::AnyFile);
    fileDialog->setNameFilter(dialog.Filter);
    fileDialog->setDefaultSuffix(dialog.DefaultExt);
    fileDialog->setDirectory(dialog.Folder.isEmpty() ? QDir::homePath() : dialog.Folder);
    fileDialog->selectFile(dialog.FileName);
    return fileDialog;
}

QString RunSaveFileDialog(QWidget* parent, const TSaveDialog& dialog) {
    auto fileDialog = MakeSaveFileDialog(parent, dialog);
    if (fileDialog->exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = fileDialog->selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

TSaveFolder::TSaveFolder(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("SaveFolder"));
}

QString TSaveFolder::Start() const {
    return last_.isEmpty() ? QDir::homePath() : last_;
}

void TSaveFolder::Used(const QString& path) {
    last_ = QFileInfo(path).absolutePath();
    emit Chosen(last_);
}

TSaveFolder& SaveFolderOf(QWidget* widget) {
    QWidget* top = widget;
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* folder = w->findChild<TSaveFolder*>(QString(), Qt::FindDirectChildrenOnly))
            return *folder;
        top = w;
    }
    return *new TSaveFolder(top);
}

#include "SaveDialog.h"

#include <QFileDialog>

std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* parent, const TSaveDialog& dialog) {
    auto fileDialog = std::make_unique<QFileDialog>(parent, dialog.Title);
    fileDialog->setAcceptMode(QFileDialog::AcceptSave);
    fileDialog->setFileMode(QFileDialog::AnyFile);
    fileDialog->setNameFilter(dialog.Filter);
    fileDialog->setDefaultSuffix(dialog.DefaultExt);
    if (!dialog.Folder.isEmpty())
        fileDialog->setDirectory(dialog.Folder);
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

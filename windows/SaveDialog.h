#pragma once

#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

// The settings of one file-save dialog; FileName is the name proposed when it next runs.
struct TSaveDialog {
    QString Title;
    QString Filter;     // Qt name filter, e.g. "ASCII; Text (*.txt)"
    QString DefaultExt; // added to a name typed without extension; empty for none
    QString FileName;
    QString Folder; // where the dialog opens; empty: the dialog's own choice
};

// Asks the user which file to write; returns the chosen path, or an empty string when the
// user cancelled.
using TAskSaveFileName = std::function<QString(QWidget* parent, const TSaveDialog& dialog)>;

// The real dialog for the settings (asks before overwriting, resizable).
std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* parent, const TSaveDialog& dialog);

// The default question: runs MakeSaveFileDialog modally.
QString RunSaveFileDialog(QWidget* parent, const TSaveDialog& dialog);

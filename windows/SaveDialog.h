#pragma once

#include <QObject>
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
    QString Folder; // where the dialog opens; empty: the home folder
};

// Asks the user which file to write; returns the chosen path, or an empty string when the
// user cancelled.
using TAskSaveFileName = std::function<QString(QWidget* parent, const TSaveDialog& dialog)>;

// The real dialog for the settings (asks before overwriting, resizable).
std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* parent, const TSaveDialog& dialog);

// The default question: runs MakeSaveFileDialog modally.
QString RunSaveFileDialog(QWidget* parent, const TSaveDialog& dialog);

// Where save dialogs open: the folder the last file was saved to, one for a window and every
// dialog opened over it; the home folder while none is known, never the folder the program
// happened to be started in. It lives in the Qt tree of the window it serves.
class TSaveFolder : public QObject {
    Q_OBJECT
public:
    explicit TSaveFolder(QObject* parent);

    // The folder the next save dialog opens in.
    QString Start() const;
    QString Last() const { return last_; }
    // Restores a folder known from before (no Chosen for it).
    void SetLast(const QString& folder) { last_ = folder; }
    // A file was saved to path: its folder is where the next dialog opens.
    void Used(const QString& path);

signals:
    void Chosen(const QString& folder);

private:
    QString last_;
};

// The save folder of the widget: held by it or the nearest of its parents; when none holds
// one, one is made for the topmost parent.
TSaveFolder& SaveFolderOf(QWidget* widget);

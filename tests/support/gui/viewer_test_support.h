#pragma once
// Helpers shared by the GUI tests of the viewer windows.

#include "ErrorMessage.h"
#include "SaveDialog.h"
#include "Screenshot.h"

#include <QFile>
#include <QString>
#include <QWidget>

#include <ostream>
#include <string>
#include <vector>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Records every error the program would show in a message box, for as long as it lives.
class ErrorRecorder {
public:
    ErrorRecorder() {
        SetErrorDisplay([this](QWidget*, const QString& text) { errors.push_back(text); });
    }
    ~ErrorRecorder() { SetErrorDisplay(nullptr); }
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;

    std::vector<QString> errors;
};

// Answers the save question as a user would, remembering what the dialog proposed.
struct SaveAnswer {
    QString path; // empty: the user cancels
    std::vector<TSaveDialog> asked;

    TAskSaveFileName Asker() {
        return [this](QWidget*, const TSaveDialog& dialog) {
            asked.push_back(dialog);
            return path;
        };
    }
};

inline std::string ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

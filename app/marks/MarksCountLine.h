#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class TMultiList;

// A status line that counts marks follows the marks: each change of them rewrites it with the
// count now, until the status tells of something else.
class TMarksCountLine : public QObject {
    Q_OBJECT
public:
    // append adds a message to the status; germanUI tells the window's language when the line
    // is rewritten.
    TMarksCountLine(QLabel* status, TMultiList* list, std::function<void(const QString&)> append,
                    std::function<bool()> germanUI, QObject* parent);

    // Appends message as the line that counts marks; one told before goes.
    void Append(const QString& message);

private:
    void Follow();

    QLabel* status_;
    TMultiList* list_;
    std::function<void(const QString&)> append_;
    std::function<bool()> germanUI_;
    QString line_; // as shown; empty for none
};

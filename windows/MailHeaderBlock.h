#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

class QLabel;
class TMbxMsg;

// Sender, recipients, date and subject of a mail, one line each, as mail clients show them
// above the text. A field the mail lacks is left out; a value too long for its line ends in
// "…" and shows whole as the line's tool tip.
class TMailHeaderBlock : public QWidget {
    Q_OBJECT
public:
    explicit TMailHeaderBlock(QWidget* parent);

    // Takes the fields of the mail (UTF-8, decoded by the parser); empty ones are left out.
    void ShowFieldsOf(const TMbxMsg& msg);
    void Clear();
    // Captions in the window's language.
    void SetGerman(bool german);
    // The shown lines, top to bottom: caption and whole value.
    std::vector<std::pair<QString, QString>> Lines() const;
    // The height the shown lines need; 0 when there are none.
    int NeededHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TLine {
        QLabel* Caption = nullptr;
        QLabel* Value = nullptr;
        QString Whole;
    };
    void ElideValues();

    std::array<TLine, 5> FLines;
};

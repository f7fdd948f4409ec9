#include "MailHeaderBlock.h"

#include "ByteText.h"
#include "MbxMsg.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

namespace {

struct TCaption {
    const char* German;
    const char* English;
};

// In the order the lines are shown.
constexpr TCaption kCaptions[] = {
    {"Von:", "From:"}, {"An:", "To:"}, {"Cc:", "Cc:"}, {"Datum:", "Date:"},
    {"Betreff:", "Subject:"},
};

constexpr int kMargin = 4;
constexpr int kGap = 6;

} // namespace

TMailHeaderBlock::TMailHeaderBlock(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("mail_header"));
    for (TLine& line : FLines) {
        line.Caption = new QLabel(this);
        QFont bold = line.Caption->font();
        bold.setBold(true);
        line.Caption->setFont(bold);
        line.Value = new QLabel(this);
        // Sender and subject come from outside: text, never markup.
        line.Value->setTextFormat(Qt::PlainText);
        line.Value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    SetGerman(false);
    Clear();
}

void TMailHeaderBlock::ShowFieldsOf(const TMbxMsg& msg) {
    const std::string* fields[] = {&msg.From, &msg.SendTo, &msg.CC, &msg.Date, &msg.Subject};
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        // Folded lines and tabs show as single blanks.
        FLines[i].Whole = FromMailText(*fields[i]).simplified();
        const bool shown = !FLines[i].Whole.isEmpty();
        FLines[i].Caption->setVisible(shown);
        FLines[i].Value->setVisible(shown);
    }
    ElideValues();
}

void TMailHeaderBlock::Clear() {
    ShowFieldsOf(TMbxMsg());
}

void TMailHeaderBlock::SetGerman(bool german) {
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        FLines[i].Caption->setText(
            QString::fromUtf8(german ? kCaptions[i].German : kCaptions[i].English));
        FLines[i].Caption->adjustSize();
    }
    ElideValues();
}

std::vector<std::pair<QString, QString>> TMailHeaderBlock::Lines() const {
    std::vector<std::pair<QString, QString>> lines;
    for (const TLine& line : FLines) {
        if (!line.Whole.isEmpty())
            lines.emplace_back(line.Caption->text(), line.Whole);
    }
    return lines;
}

int TMailHeaderBlock::NeededHeight() const {
    const int shown = static_cast<int>(Lines().size());
    return shown == 0 ? 0 : 2 * kMargin + shown * (fontMetrics().height() + 2);
}

void TMailHeaderBlock::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ElideValues();
}

// The captions form a column as wide as the widest; each value takes the rest of its line.
void TMailHeaderBlock::ElideValues() {
    int captionWidth = 0;
    for (const TLine& line : FLines)
        captionWidth = std::max(captionWidth, line.Caption->sizeHint().width());
    const int lineHeight = fontMetrics().height() + 2;
    const int valueLeft = kMargin + captionWidth + kGap;
    const int valueWidth = std::max(0, width() - valueLeft - kMargin);
    int top = kMargin;
    for (TLine& line : FLines) {
        if (line.Whole.isEmpty())
            continue;
        line.Caption->setGeometry(kMargin, top, captionWidth, lineHeight);
        line.Value->setGeometry(valueLeft, top, valueWidth, lineHeight);
        const QString shown =
            line.Value->fontMetrics().elidedText(line.Whole, Qt::ElideRight, valueWidth);
        line.Value->setText(shown);
        line.Value->setToolTip(shown == line.Whole ? QString() : line.Whole);
        top += lineHeight;
    }
}

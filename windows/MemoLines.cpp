#include "MemoLines.h"

#include "ByteText.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>

void AppendLines(QPlainTextEdit& memo, const std::vector<std::string>& lines) {
    if (lines.empty())
        return;
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        shown.append(FromMailText(line));
    memo.appendPlainText(shown.join(QLatin1Char('\n')));
    memo.moveCursor(QTextCursor::Start);
    memo.ensureCursorVisible();
}

std::vector<std::string> MemoLines(const QPlainTextEdit& memo) {
    std::vector<std::string> lines;
    const QTextDocument* document = memo.document();
    if (document->isEmpty())
        return lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.push_back(ToMailText(block.text()));
    return lines;
}

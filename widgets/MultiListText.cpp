#include "MultiListText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

namespace {

constexpr int TabStopChars = 3;

QString Ellipsis(const QFontMetrics& metrics) {
    const QChar ellipsis(0x2026);
    return metrics.inFont(ellipsis) ? QString(ellipsis) : QStringLiteral("...");
}

// A one-line layout of `text` with `underlined` characters, laid out from x = 0.
class LineLayout {
public:
    LineLayout(const QString& text, const QList<int>& underlined, const QFont& font, qreal tabStop)
        : m_layout(text, font) {
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setTabStopDistance(tabStop);
        m_layout.setTextOption(option);
        QList<QTextLayout::FormatRange> formats;
        for (int pos : underlined) {
            if (pos >= text.size())
                continue;
            QTextLayout::FormatRange range;
            range.start = pos;
            range.length = 1;
            range.format.setFontUnderline(true);
            formats << range;
        }
        m_layout.setFormats(formats);
        m_layout.beginLayout();
        QTextLine line = m_layout.createLine();
        if (line.isValid())
            line.setLeadingIncluded(false);
        m_layout.endLayout();
    }
    qreal Width() const { return m_layout.lineCount() ? m_layout.lineAt(0).naturalTextWidth() : 0; }
    void Draw(QPainter& painter, const QPointF& pos) const { m_layout.draw(&painter, pos); }

private:
    QTextLayout m_layout;
};

void DrawLine(QPainter& painter, const QRect& rect, int top, const TMnemonicText& line,
              Qt::Alignment alignment) {
    const QFont& font = painter.font();
    const QFontMetrics metrics(font);
    const qreal tabStop = TabStopChars * metrics.averageCharWidth();
    QString text = line.Text;
    qsizetype kept = text.size();
    const LineLayout full(text, line.Underlined, font, tabStop);
    if (full.Width() > rect.width()) {
        // The longest start of the line, in reading order, that still leaves room for the
        // ellipsis. Measured as a whole, so that right-to-left text keeps its visible start.
        const QString ellipsis = Ellipsis(metrics);
        const qreal room = rect.width() - metrics.horizontalAdvance(ellipsis);
        qsizetype low = 0;
        qsizetype high = text.size() - 1;
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            if (LineLayout(text.left(mid), {}, font, tabStop).Width() <= room)
                low = mid;
            else
                high = mid - 1;
        }
        kept = low;
        if (kept > 0 && text[kept - 1].isHighSurrogate())
            --kept;
        text = text.left(kept) + ellipsis;
    }
    QList<int> underlined;
    for (int pos : line.Underlined) {
        if (pos < kept)
            underlined << pos;
    }
    const LineLayout layout(text, underlined, font, tabStop);
    qreal x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.left() + rect.width() - layout.Width();
    else if (alignment & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - layout.Width()) / 2;
    layout.Draw(painter, QPointF(x, top));
}

} // namespace

TMnemonicText ResolveMnemonics(const QString& text) {
    TMnemonicText result;
    result.Text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            result.Text += text[i];
            continue;
        }
        if (++i >= text.size())
            break;
        if (text[i] != u'&')
            result.Underlined << static_cast<int>(result.Text.size());
        result.Text += text[i];
    }
    return result;
}

void DrawCellText(QPainter& painter, const QRect& rect, const QString& text,
                  Qt::Alignment alignment) {
    if (rect.width() <= 0 || rect.height() <= 0 || text.isEmpty())
        return;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    const int lineSpacing = QFontMetrics(painter.font()).lineSpacing();
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    int top = rect.top();
    for (const QString& line : text.split(lineBreak)) {
        if (top > rect.bottom())
            break;
        DrawLine(painter, rect, top, ResolveMnemonics(line), alignment);
        top += lineSpacing;
    }
    painter.restore();
}

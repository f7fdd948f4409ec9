// Status lines that tell a state follow it: the line of a running listing gives way to how
// many mails it listed, and a count of marks is brought up to date when the marks change.
#include "Main.h"
#include "MarkAlikeTexts.h"
#include "MultiLst.h"
#include "StatusLines.h"

#include <QLabel>

namespace {

// A message as its last line shows in the label.
QString ShownLine(const QString& message) {
    return QString(message).replace(u'\r', u'\n').section(u'\n', -1);
}

} // namespace

void TForm1::WireStatus() {
    connect(mail_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::FollowMarks);
}

bool TForm1::StatusReplace(const TText& line, const QString& by) {
    QString shown = Status->text();
    if (!ReplaceStatusLine(shown, ShownLine(Tr(line, GermanUI)), ShownLine(by)))
        return false;
    Status->setText(shown);
    return true;
}

void TForm1::StatusAppendMarks(const QString& message) {
    // A count told before is no longer the last word on the marks.
    QString shown = Status->text();
    if (!FMarksLine.isEmpty() && RemoveStatusLine(shown, FMarksLine))
        Status->setText(shown);
    StatusAppend(message);
    FMarksLine = ShownLine(message);
}

void TForm1::FollowMarks() {
    if (FMarksLine.isEmpty())
        return;
    const QString by =
        ShownLine(Tr(MarkAlikeTexts::Marked, GermanUI)
                      .arg(MarkedRowCount(mail_list->selectionModel()->selection())));
    QString shown = Status->text();
    if (!ReplaceStatusLine(shown, FMarksLine, by)) {
        // The status was cleared since and tells of something else.
        FMarksLine.clear();
        return;
    }
    Status->setText(shown);
    FMarksLine = by;
}

// The line of a running listing gives way to how many mails it listed.
#include "Main.h"
#include "StatusLines.h"

#include <QLabel>

bool TForm1::StatusReplace(const TText& line, const QString& by) {
    QString shown = Status->text();
    if (!ReplaceStatusLine(shown, LastStatusLine(Tr(line, GermanUI())), LastStatusLine(by)))
        return false;
    Status->setText(shown);
    return true;
}

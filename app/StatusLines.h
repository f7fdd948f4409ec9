#pragma once

#include <QString>

class QItemSelection;

// The status label shows each message on a line of its own. A line that tells a state which
// has passed (a listing running, a count of marks) is replaced by one that tells the state now.

// A message (its line breaks carriage returns) as its last line shows in the status label.
QString LastStatusLine(const QString& message);
// Replaces the last whole line of shown that equals line (both without their line break) by
// `by`; false, and shown unchanged, when no line equals it.
bool ReplaceStatusLine(QString& shown, const QString& line, const QString& by);
// Removes that line, its line break with it.
bool RemoveStatusLine(QString& shown, const QString& line);

// How many message rows a selection of the mail list marks, from its ranges: the cost is the
// number of ranges, not of rows. Row 0 is the list's spacer and no mail.
int MarkedRowCount(const QItemSelection& selection);

#pragma once

#include "NumberRuns.h"

#include <QItemSelection>
#include <QString>

class TMultiList;

// Field `column` of a row text, fields ended by '|'; empty when the row has fewer.
QStringView RowField(QStringView rowText, int column);

// Find over the mail list: only the rows whose sender or subject holds the searched text stay
// shown. The texts compared are those the rows show (decoded unless the sent ones were
// chosen), without regard to case.

// True when column 3 (sender) or 4 (subject) of the row text contains needle; an empty
// needle matches every row.
bool RowMatchesFind(const QString& rowText, const QString& needle);

// What the list shows: the rows that match Needle and, while only marked mails are shown,
// of those the mails in Only (the mails marked when that began); while groups of the space
// view are shown, only their mails (Group).
struct TRowFilter {
    QString Needle;
    const TNumberRuns* Only = nullptr;  // null: any mail
    const TNumberRuns* Group = nullptr; // null: any mail
    bool Active() const { return !Needle.isEmpty() || Only || Group; }
};
bool RowShown(const QString& rowText, int number, const TRowFilter& filter);

// Hides the data rows first..last (clamped to the list) that the filter does not show and
// shows the others, touching only rows whose state changes; the view lays out once afterwards.
void ApplyFind(TMultiList& list, const TRowFilter& filter, int first = 1, int last = -1);

// How many data rows are shown now.
int ShownRowCount(const TMultiList& list);

// The rows first..last whose hidden state is `hidden`, as one range per run of neighbours.
QItemSelection RowRuns(const TMultiList& list, int first, int last, bool hidden);

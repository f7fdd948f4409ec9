// Splitting a TMultiList item string into its image slot and its fields.
#pragma once

#include <QChar>
#include <QString>

#include <vector>

struct TMultiListItem {
    // Image slot named by the first character, or -1 for none.
    int ImageSlot = -1;
    // Fields[k] is the text of column k; only fields ended by a separator are listed.
    std::vector<QString> Fields;
};

// Image slot 0..15 named by a prefix character, -1 for any other character.
int ImageSlotOfPrefix(QChar first);
TMultiListItem ParseItem(const QString& item, QChar separator);
// Field `column` as ParseItem would give it, without splitting the others; empty when absent.
QString FieldOf(const QString& item, QChar separator, int column);

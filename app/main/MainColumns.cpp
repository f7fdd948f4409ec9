// The columns after the subject: the rule that decided, new since the last listing, the
// spam score. Each has a caption and a width only while it is shown; a short one is as wide
// as its caption or its widest cell, so that From and Subject keep the room.
#include "ExtraColumns.h"
#include "Main.h"
#include "MultiLst.h"
#include "RulesTexts.h"
#include "SeenTexts.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

struct TExtraColumnLook {
    TText Caption;
    // The widest cell the column usually shows: a rule's name, the mark, a score.
    const char* WidestCell;
};

const TExtraColumnLook& Look(int column) {
    static const TExtraColumnLook looks[ExtraColumnCount] = {
        {RulesTexts::Column, "Zeile 999"},
        {SeenTexts::Column, "\u2022"},
        {{"Spam", "Spam"}, "99.9"},
    };
    return looks[column - FirstExtraColumn];
}

// Room the list leaves around a cell's text (its indent and the column line).
constexpr int CellRoom = 10;

} // namespace

void TForm1::ShowExtraColumns() {
    QStringList captions = mail_list->HeaderSections().mid(0, FirstExtraColumn);
    while (captions.size() < FirstExtraColumn)
        captions << QString();
    for (int column = FirstExtraColumn; column < ExtraColumns.End(); ++column) {
        const bool shown = ExtraColumns.Shown(static_cast<TExtraColumn>(column));
        captions << (shown ? Tr(Look(column).Caption, GermanUI) : QString());
    }
    mail_list->SetHeaderSections(captions);
    const QFontMetrics cells(mail_list->font());
    for (int column = FirstExtraColumn; column < FirstExtraColumn + ExtraColumnCount; ++column) {
        const bool shown = ExtraColumns.Shown(static_cast<TExtraColumn>(column));
        int width = 0;
        if (shown && mail_list->ListHeader()) {
            width = std::max(mail_list->ListHeader()->FittedWidth(column),
                             cells.horizontalAdvance(QString::fromUtf8(Look(column).WidestCell)) +
                                 CellRoom);
        }
        mail_list->SetSectionWidth(column, width);
        mail_list->SetColumnHidden(column, !shown);
    }
    mail_list->ImposeWidths();
    FitWidth();
}

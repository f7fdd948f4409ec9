// The columns after the subject: the rule that decided, new since the last listing, the
// spam score. Each has a caption and a width only while it is shown; a short one is as wide
// as its caption or its widest cell, so that From and Subject keep the room.
#include "ExtraColumns.h"
#include "Main.h"
#include "MainFit.h"
#include "MultiLst.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

// Room the list leaves around a cell's text (its indent and the column line).
constexpr int CellRoom = 10;

} // namespace

void TForm1::ShowExtraColumns() {
    QStringList captions = mail_list->HeaderSections().mid(0, FirstExtraColumn);
    while (captions.size() < FirstExtraColumn)
        captions << QString();
    for (int column = FirstExtraColumn; column < ExtraColumns.End(); ++column) {
        const bool shown = ExtraColumns.Shown(static_cast<TExtraColumn>(column));
        captions << (shown ? Tr(ExtraColumns.Look(static_cast<TExtraColumn>(column)).Caption,
                                GermanUI())
                           : QString());
    }
    mail_list->SetHeaderSections(captions);
    const QFontMetrics cells(mail_list->font());
    for (int column = FirstExtraColumn; column < FirstExtraColumn + ExtraColumnCount; ++column) {
        const bool shown = ExtraColumns.Shown(static_cast<TExtraColumn>(column));
        int width = 0;
        if (shown && mail_list->ListHeader()) {
            width = std::max(mail_list->ListHeader()->FittedWidth(column),
                             cells.horizontalAdvance(QString::fromUtf8(
                                 ExtraColumns.Look(static_cast<TExtraColumn>(column)).WidestCell)) +
                                 CellRoom);
        }
        mail_list->SetSectionWidth(column, width);
        mail_list->SetColumnHidden(column, !shown);
    }
    mail_list->ImposeWidths();
    TWindowFit(*this).Width();
}

void TForm1::ShowColumn(TExtraColumn column, bool shown) {
    ExtraColumns.SetShown(column, shown);
    ShowExtraColumns();
}

void TForm1::SetColumnLook(TExtraColumn column, const TText& caption, const char* widest) {
    ExtraColumns.SetLook(column, {caption, widest});
}

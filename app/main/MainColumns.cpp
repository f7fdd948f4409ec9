// The columns after the subject: the rule that decided, new since the last listing, the
// spam score. Each has a caption and a width only while it is shown.
#include "ExtraColumns.h"
#include "Main.h"
#include "MultiLst.h"
#include "RulesTexts.h"
#include "SeenTexts.h"

namespace {

struct TExtraColumnLook {
    TText Caption;
    int Width;
};

const TExtraColumnLook& Look(int column) {
    static const TExtraColumnLook looks[ExtraColumnCount] = {
        {RulesTexts::Column, 60},
        {SeenTexts::Column, 34},
        {{"Spam", "Spam"}, 44},
    };
    return looks[column - FirstExtraColumn];
}

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
    for (int column = FirstExtraColumn; column < FirstExtraColumn + ExtraColumnCount; ++column) {
        const bool shown = ExtraColumns.Shown(static_cast<TExtraColumn>(column));
        mail_list->SetSectionWidth(column, shown ? Look(column).Width : 0);
    }
}

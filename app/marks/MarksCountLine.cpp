#include "MarksCountLine.h"

#include "LanguageTexts.h"
#include "MarkAlikeTexts.h"
#include "MultiLst.h"
#include "StatusLines.h"

#include <QItemSelectionModel>
#include <QLabel>

TMarksCountLine::TMarksCountLine(QLabel* status, TMultiList* list,
                                 std::function<void(const QString&)> append,
                                 std::function<bool()> germanUI, QObject* parent)
    : QObject(parent), status_(status), list_(list), append_(std::move(append)),
      germanUI_(std::move(germanUI)) {
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TMarksCountLine::Follow);
}

void TMarksCountLine::Append(const QString& message) {
    // A count told before is no longer the last word on the marks.
    QString shown = status_->text();
    if (!line_.isEmpty() && RemoveStatusLine(shown, line_))
        status_->setText(shown);
    append_(message);
    line_ = LastStatusLine(message);
}

void TMarksCountLine::Follow() {
    if (line_.isEmpty())
        return;
    const QString by =
        LastStatusLine(Tr(MarkAlikeTexts::Marked, germanUI_())
                           .arg(MarkedRowCount(list_->selectionModel()->selection())));
    QString shown = status_->text();
    if (!ReplaceStatusLine(shown, line_, by)) {
        // The status was cleared since and tells of something else.
        line_.clear();
        return;
    }
    status_->setText(shown);
    line_ = by;
}

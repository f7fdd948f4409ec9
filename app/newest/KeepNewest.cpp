#include "KeepNewest.h"

#include "Frame.h"
#include "KeepNewestTexts.h"
#include "ListUnsubscribe.h"
#include "MailRows.h"
#include "MultiLst.h"
#include "RulesOnListing.h"
#include "SenderLists.h"

#include <QAction>
#include <QInputDialog>
#include <QMainWindow>
#include <QMenu>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

std::string KeyOf(std::string_view header, TKeepNewest::TOf of) {
    return of == TKeepNewest::TOf::Sender ? SenderOf(header) : ListIdOf(header);
}

QAction* AddEntry(TFrame& frame, const char* name) {
    auto* action = new QAction(&frame.Window());
    action->setObjectName(QLatin1String(name));
    frame.RowMenu().addAction(action);
    return action;
}

struct TDated {
    std::int64_t Ms;
    int Number;
    long long Octets;
};

} // namespace

TKeepNewest::TKeepNewest(TFrame& frame, TRulesOnListing& rules) : frame_(frame), rules_(rules) {
    men_newest_sender = AddEntry(frame, "men_newest_sender");
    men_newest_list = AddEntry(frame, "men_newest_list");
    connect(men_newest_sender, &QAction::triggered, this, [this] { KeepNewestClick(TOf::Sender); });
    connect(men_newest_list, &QAction::triggered, this, [this] { KeepNewestClick(TOf::List); });
    connect(&frame.RowMenu(), &QMenu::aboutToShow, this, &TKeepNewest::ApplyTexts);
}

void TKeepNewest::LanguageChanged(bool) {
    ApplyTexts();
}

void TKeepNewest::StateChanged(int) {
    ApplyTexts();
}

std::string TKeepNewest::CurrentKey(TOf of) const {
    const TMailRows& rows = frame_.Rows();
    return KeyOf(rows.HeaderOf(rows.CurrentNumber()), of);
}

void TKeepNewest::ApplyTexts() {
    const bool german = frame_.GermanUI();
    const bool listed = frame_.ControlState() == TFrame::StateListed;
    for (const TOf of : {TOf::Sender, TOf::List}) {
        QAction* action = of == TOf::Sender ? men_newest_sender : men_newest_list;
        const std::string key = CurrentKey(of);
        action->setText(key.empty()
                            ? Tr(of == TOf::Sender ? KeepNewestTexts::FromThisSender
                                                   : KeepNewestTexts::FromThisList,
                                 german)
                            : Tr(KeepNewestTexts::From, german).arg(QString::fromStdString(key)));
        action->setEnabled(listed && !key.empty());
    }
}

void TKeepNewest::KeepNewestClick(TOf of) {
    const std::string key = CurrentKey(of);
    if (frame_.ControlState() != TFrame::StateListed || key.empty())
        return;
    const bool german = frame_.GermanUI();
    QInputDialog ask(&frame_.Window());
    ask.setObjectName(QStringLiteral("keep_newest_count"));
    ask.setWindowTitle(Tr(KeepNewestTexts::AskTitle, german));
    ask.setLabelText(Tr(KeepNewestTexts::AskCount, german).arg(QString::fromStdString(key)));
    ask.setInputMode(QInputDialog::IntInput);
    ask.setIntRange(1, INT_MAX);
    ask.setIntValue(lastKeep_);
    if (ask.exec() != QDialog::Accepted)
        return;
    lastKeep_ = ask.intValue();
    KeepNewest(of, lastKeep_);
}

void TKeepNewest::KeepNewest(TOf of, int keep) {
    const TMailRows& rows = frame_.Rows();
    const std::string key = CurrentKey(of);
    if (frame_.ControlState() != TFrame::StateListed || key.empty() || keep < 1)
        return;
    std::vector<TDated> dated;
    int undated = 0;
    int kept = 0;
    for (int row = 1; row <= rows.Count(); ++row) {
        const int number = rows.NumberAt(row);
        if (KeyOf(rows.HeaderOf(number), of) != key)
            continue;
        const std::optional<std::int64_t> ms = rows.DateAt(row);
        if (!ms)
            ++undated;
        else
            dated.push_back({*ms, number, rows.OctetsAt(row)});
    }
    // Newest first; of two at the same time the later on the server counts as newer.
    std::sort(dated.begin(), dated.end(), [](const TDated& a, const TDated& b) {
        return a.Ms != b.Ms ? a.Ms > b.Ms : a.Number > b.Number;
    });
    std::vector<int> older;
    TMarkedMails marked;
    for (std::size_t i = static_cast<std::size_t>(keep); i < dated.size(); ++i) {
        if (rules_.Kept(dated[i].Number)) {
            ++kept;
            continue;
        }
        older.push_back(dated[i].Number);
        ++marked.Count;
        if (dated[i].Octets < 0)
            marked.SizeKnown = false;
        else
            marked.Octets += dated[i].Octets;
    }
    frame_.Rows().Mark(TNumberRuns::Of(older));
    const bool german = frame_.GermanUI();
    QString status = Tr(KeepNewestTexts::Marked, german)
                         .arg(marked.Count)
                         .arg(QString::fromStdString(key), SizeText(marked))
                         .arg(keep);
    if (undated > 0)
        status += Tr(KeepNewestTexts::Undated, german).arg(undated);
    if (kept > 0)
        status += Tr(KeepNewestTexts::KeptByRules, german).arg(kept);
    frame_.StatusAppendMarks(status);
}

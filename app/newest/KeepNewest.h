#pragma once

#include "Component.h"

#include <QObject>

#include <string>

class QAction;
class TFrame;
class TRulesOnListing;

// "Keep only the newest from this sender / this list" in a row's context menu: every listed
// mail of the current row's sender (or of its List-Id) is marked except the newest N by date
// (N asked, 1 at first). Mails the rules keep stay unmarked, and so do mails without a date,
// which cannot be told older.
class TKeepNewest : public QObject, public TComponent {
public:
    TKeepNewest(TFrame& frame, TRulesOnListing& rules);

    void LanguageChanged(bool germanUI) override;
    void StateChanged(int state) override;

    enum class TOf { Sender, List };
    QAction* men_newest_sender;
    QAction* men_newest_list;
    // Asks for N, then marks.
    void KeepNewestClick(TOf of);
    // Marks the current row's sender's (or list's) mails but the newest keep.
    void KeepNewest(TOf of, int keep);

private:
    void ApplyTexts();
    // The current row's sender or list id; empty for none.
    std::string CurrentKey(TOf of) const;

    TFrame& frame_;
    TRulesOnListing& rules_;
    int lastKeep_ = 1;
};

#pragma once

#include "Component.h"

#include <QObject>

#include <string>

class QAction;
class TFrame;
class TRulesOnListing;

// The sender lists from a row's context menu: the current row's sender, or its domain, goes
// onto the friends (kept) or the blocked (marked) list of the rules script; then the rules
// run again over the listed rows. The entries name the sender, so they follow the row.
class TSenderListEntries : public QObject, public TComponent {
public:
    TSenderListEntries(TFrame& frame, TRulesOnListing& rules);

    void LanguageChanged(bool germanUI) override;

    QAction* men_keep_sender;
    QAction* men_mark_sender;
    QAction* men_keep_domain;
    QAction* men_mark_domain;
    void AlwaysFrom(bool keep, bool domain);

private:
    // The sender of the current row's mail; empty for none.
    std::string CurrentSender() const;
    void ApplyTexts();

    TFrame& frame_;
    TRulesOnListing& rules_;
};

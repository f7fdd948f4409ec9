#pragma once

#include "Component.h"
#include "MarkAlike.h"

#include <QObject>

#include <functional>

class QAction;
class TFrame;
class TRulesOnListing;

// Mark alike from a row's context menu (and Ctrl+Shift shortcuts): the mails that share the
// row's sender, domain or subject, or are larger or older, are added to the marks; those the
// rules keep are left out.
class TMarkAlikeEntries : public QObject, public TComponent {
public:
    TMarkAlikeEntries(TFrame& frame, const TRulesOnListing& rules);

    void LanguageChanged(bool germanUI) override;

    QAction* men_alike_sender;
    QAction* men_alike_domain;
    QAction* men_alike_subject;
    QAction* men_alike_larger;
    QAction* men_alike_older;
    // Marks the shown rows alike to the current one, adding to the marks there are.
    void MarkAlike(TAlike kind);
    // Adds the rows to the marks and says in the status how many, and how many were kept.
    void MarkRows(const TAlikeRows& rows);
    // True for a mail the rules keep.
    std::function<bool(int number)> KeptByRules() const;

private:
    TFrame& frame_;
    const TRulesOnListing& rules_;
};

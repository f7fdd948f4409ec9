#pragma once

#include "Component.h"
#include "ListingRules.h"

#include <QObject>
#include <QSet>

#include <functional>

class QAction;
class TFrame;

// Rules on listing: the account's script is read when a listing begins and judges each header
// as it arrives; the mails it discards are marked, and their row names the rule in its own
// column. The rules dialog, from the Server menu, edits the script; what it saves applies at
// once to a listed mailbox.
class TRulesOnListing : public QObject, public TComponent {
public:
    // undoing: true while an undo puts marks back.
    TRulesOnListing(TFrame& frame, std::function<bool()> undoing);

    void LanguageChanged(bool germanUI) override;
    void ListingBegins(const TListingStart& start) override;
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;
    void CountMarked(TMarkedMails& marked) override;

    // True when the rules keep the mail: only the user's own marks reach it.
    bool Kept(int number) const { return ListingRules.Kept(number); }
    // True when the blocked senders' list marked the mail.
    bool Blocked(int number) const;
    // The file the rules were read from, or the one a change goes to; empty before a listing.
    const QString& File() const { return ListingRules.File(); }
    // The mail of the row is judged again, now with spamtest answering; a changed decision is
    // shown and marks (or unmarks) the row as the rules' decisions do while listing.
    void JudgeWithSpamtest(int row, int spamtest);
    // The rules read again and run over the listed rows: new discards are marked, marks the
    // rules made and no longer make go.
    void Rerun();

    // The rules dialog's entry in the Server menu.
    QAction* Datei_R;
    void Datei_RClick();
    // Once the dialog saved them, the rules are read again so that they apply.
    void RulesChanged();

private:
    // The rules' user is the session's, or the login row's while none is open.
    QString RulesUser() const;
    void Load();
    // The rule column and any error of the script read.
    void ShowLoad(const TListingRules::TLoad& load);
    // After the rules judged the row's mail again (before: what they decided until then): its
    // cell, tooltip and the rules' own mark follow; the user's marks stay.
    void ShowChangedDecision(int row, TRuleAction before, std::vector<int>& mark,
                             std::vector<int>& unmark);
    // A mark the rules made and that was taken away is theirs no more: marked again, it is the
    // user's.
    void FollowMarks();

    TFrame& frame_;
    std::function<bool()> undoing_;
    TListingRules ListingRules;
    QSet<int> FRuleMarked; // numbers of the mails the rules marked
    QSet<int> FRuleTaken;  // rules' marks the user took away; an undo gives them back
};

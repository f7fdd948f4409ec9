#pragma once

#include "Component.h"
#include "Learn.h"
#include "ListingScores.h"
#include "SpamSetting.h"

#include <QObject>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <vector>

class QAction;
class TFrame;
class TRulesOnListing;

// Spam scores from the user's own scorer: its setting and dialog, scores while listing into
// the Spam column and the rules' spamtest, marking what the scorer calls spam, training it
// with the current row's mail.
class TSpamScores : public QObject, public TComponent {
public:
    TSpamScores(TFrame& frame, TRulesOnListing& rules);

    void LanguageChanged(bool germanUI) override;
    // Training needs the listed state; going idle ends the session's scorer, killing what
    // is in flight.
    void StateChanged(int state) override;
    // At each listing: a scorer for the session when one is set, and its column.
    void ListingBegins(const TListingStart& start) override;
    // A listed mail (TOP n N) goes to the scorer; its header stays for the row.
    void MailArrived(int number, std::string& listed) override;
    // The scores in whose row is in the list now.
    void RowsListed() override;

    QAction* Datei_S; // the scorer setting's dialog
    QAction* Datei_P; // mark the mails the scorer rates as spam
    QAction* men_spam;
    QAction* men_ham;
    TSpamSetting Setting;
    void Datei_SClick();
    void Datei_PClick();
    // The current row's mail, fetched whole, trained as spam or not; its row scored again.
    void LearnCurrentMail(TLearnAs as);
    // Mails the scorer has not answered yet in this session.
    int Outstanding() const { return scores_.Outstanding(); }
    // Training runs handed to the learner and not yet told.
    int LearningRuns() const { return learningRuns_; }

private:
    void TakeScores();
    void ShowScore(int row, const TScoreResult& result);
    void Learned(int number, TLearnAs as, const TLearnOutcome& outcome);

    TFrame& frame_;
    TRulesOnListing& rules_;
    std::unique_ptr<TSpamScorer> scorer_;
    TListingScores scores_;
    std::atomic<bool> scoresPosted_{false};
    int learningRuns_ = 0;
    std::vector<std::future<void>> learning_; // joined before the scorer goes
};

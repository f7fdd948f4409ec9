#pragma once

#include "Component.h"
#include "Learn.h"
#include "ListingScores.h"
#include "ScoreMemory.h"
#include "SpamSetting.h"

#include <QObject>

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
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
    // A listed mail (TOP n N) goes to the scorer; its header stays for the row. Where the
    // listing has ids it waits for its id first.
    void MailArrived(int number, std::string& listed) override;
    // A mail whose id has a remembered score shows it as soon as its row is in, without the
    // scorer; the others go to the scorer now.
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;
    // The remembered scores are saved once every score of the listing is in.
    void ListingEnded(bool complete) override;
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
    // Mails handed to the scorer since the listing began (training's included).
    int SentToScorer() const { return scores_.SentCount(); }
    // The scorer's answer for the mail; null before it came.
    const TScoreResult* ScoreOf(int number) const { return scores_.ResultOf(number); }

private:
    void TakeScores();
    void ShowScore(int row, const TScoreResult& result);
    void Learned(int number, TLearnAs as, const TLearnOutcome& outcome);
    void Send(int number, std::string scored);
    void LoadMemory();
    // Once the listing ended and no score is outstanding (or the scorer ends).
    void SaveMemory();

    TFrame& frame_;
    TRulesOnListing& rules_;
    std::unique_ptr<TSpamScorer> scorer_;
    TListingScores scores_;
    // The scores remembered by unique id, while the listing has ids.
    std::optional<TScoreMemory> memory_;
    std::unordered_map<int, std::string> ids_; // the listing's ids by number
    int pendingNumber_ = 0;                    // arrived, its id not known yet
    std::string pending_;
    std::optional<bool> listingComplete_; // once the listing ended
    bool memoryDue_ = false;              // scores in that the file does not hold
    std::atomic<bool> scoresPosted_{false};
    int learningRuns_ = 0;
    std::vector<std::future<void>> learning_; // joined before the scorer goes
};

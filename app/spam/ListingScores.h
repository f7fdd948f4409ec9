#pragma once

#include "SpamScorer.h"

#include <QString>

#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

// The spam scores of one listing by message number: what each mail was scored with (to score
// it again after training), its result once in, and the results whose row is not in the list
// yet (rows reach the list in batches, scores come back at any time).
class TListingScores {
public:
    void Clear();
    // The mail went to the scorer with this text; a result it had is forgotten.
    void Sent(int number, std::string scored);
    // The mail's score is known without the scorer (remembered from an earlier listing); it is
    // scored with this text when trained.
    void Known(int number, std::string scored, TSpamScore score);
    // Empty when the mail was never sent.
    const std::string& ScoredText(int number) const;
    void Arrived(TScoreResult result);
    // Null while none is in.
    const TScoreResult* ResultOf(int number) const;
    // Mails sent and not come back yet.
    int Outstanding() const { return outstanding_; }
    // Mails sent since Clear, each sending counted.
    int SentCount() const { return sent_; }

    // The numbers whose result is in but not shown in their row.
    const std::set<int>& Waiting() const { return waiting_; }
    void Shown(int number) { waiting_.erase(number); }

private:
    std::unordered_map<int, std::string> scored_;
    std::unordered_map<int, TScoreResult> results_;
    std::set<int> waiting_;
    int outstanding_ = 0;
    int sent_ = 0;
};

// The header of what TOP n N gave: up to and with its blank line, the body lines cut off.
std::string_view HeaderOfListed(std::string_view listed);

// The Spam column's cell: the normalised score 0..10 with one decimal.
QString ScoreCell(const TSpamScore& score);
// The row's tooltip line(s): spam or not, score and threshold, the weightiest rules.
QString VerdictText(const TSpamScore& score, bool germanUI);
// Sieve's spamtest value: the normalised score rounded down, so "7 or more" means at least 7.
int SpamtestValue(const TSpamScore& score);

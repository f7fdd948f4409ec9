#pragma once

// What a scorer said about one mail.

#include <optional>
#include <string>
#include <vector>

struct TSpamRule {
    std::string Name; // SpamAssassin's rule or rspamd's symbol
    double Points = 0;
};

struct TSpamScore {
    // The scorer's own score: SpamAssassin's and rspamd's points, bogofilter's spamicity 0..1.
    double Score = 0;
    // The score from which the scorer calls a mail spam; bogofilter does not report its cutoff.
    std::optional<double> Threshold;
    bool IsSpam = false;
    // The rules that counted (non-zero points), the weightiest first; bogofilter has none.
    std::vector<TSpamRule> Rules;
    // 0..10 for Sieve's spamtest. With points and a threshold: 5 * score / threshold, clipped,
    // so the threshold lies at 5 and twice the threshold or more is 10; bogofilter: 10 *
    // spamicity.
    double Normalised = 0;
};

#pragma once

// The command lines of the scorers' client programs, for scoring and for training.

#include <string>
#include <vector>

#include "ScorerConfig.h"

enum class TLearnAs { Spam, Ham };

// Reads one mail on standard input and prints its score: spamc -x -R, rspamc, bogofilter -T -v.
std::vector<std::string> ScoreCommand(const TScorerConfig& config);
// Reads one whole mail on standard input and learns it: spamc -L, rspamc learn_spam or
// learn_ham, bogofilter -s or -n.
std::vector<std::string> LearnCommand(const TScorerConfig& config, TLearnAs as);

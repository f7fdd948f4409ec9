#pragma once

// Reading a scorer's run: its exit, its output in that scorer's format, into a score or the
// reason there is none.

#include <optional>
#include <string>
#include <variant>

#include "ChildProcess.h"
#include "ScorerConfig.h"
#include "ScorerProblem.h"
#include "SpamScore.h"

// The output of the scoring command alone; why it does not read in `why`.
//   spamc -R:       "S/T", then the report with its table of points and rule names
//   rspamc:         "Spam: true", "Score: S / T", "Symbol: NAME (P)[...]" lines
//   bogofilter -T:  "S|H|U SPAMICITY"
std::optional<TSpamScore> ParseScoreOutput(TScorerKind kind, const std::string& output,
                                           std::string& why);

// A finished scoring run judged: its score, or the problem (not found, failed, killed after
// the time-out, unreadable).
std::variant<TSpamScore, TScorerProblem> JudgeScoreRun(const TScorerConfig& config,
                                                       const TChildResult& run);
// A finished training run: nullopt when it learned.
std::optional<TScorerProblem> JudgeLearnRun(const TScorerConfig& config, const TChildResult& run);

#pragma once

// mbxpop list --score: the rows of list, each with the scorer's columns after it.

#include <ostream>

#include "MbxPOP3.h"
#include "ScoreOptions.h"

// Lists the mails as list does, scoring each header (with --score-lines body lines) while the
// listing goes on, and prints each row once its score is in, in order:
//   N  SIZE  HEADER-BYTES  NORMALISED(0..10)  spam|ham  SCORE  RULES(comma-separated or -)
// An unscored mail shows "-" in the scorer's columns; the scorer's problem goes to err once.
void ListWithScores(TMbxPOP& pop, const TScoreOptions& options, bool german, std::ostream& out,
                    std::ostream& err);

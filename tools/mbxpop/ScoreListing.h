#pragma once

// mbxpop list --score: the rows of list, each with the scorer's columns after it.

#include <ostream>
#include <string>

#include "MbxPOP3.h"
#include "ScoreOptions.h"

// Lists the mails as list does, scoring each header (with --score-lines body lines) while the
// listing goes on, and prints each row once its score is in, in order:
//   N  SIZE  HEADER-BYTES  NORMALISED(0..10)  spam|ham  SCORE  RULES(comma-separated or -)
// An unscored mail shows "-" in the scorer's columns; the scorer's problem goes to err once.
// With memoryFile (TScoreMemory; empty: none) a mail whose unique id has a remembered score
// under this setting is printed from it and not sent; the new scores are remembered there.
// trace (may be null) is told how many mails went to the scorer and how many were known.
void ListWithScores(TMbxPOP& pop, const TScoreOptions& options, const std::string& memoryFile,
                    bool german, std::ostream& out, std::ostream& err, std::ostream* trace);

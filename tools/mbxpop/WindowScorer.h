#pragma once

// mbxpop list --score without --scorer: the spam scorer the user set in the window, read from
// the window's settings file.

#include <optional>
#include <string>

#include "ScoreOptions.h"

struct TWindowScorerError {
    std::string Text;
    bool Usage = false; // a usage error (exit status 64) rather than a failure
};

// Fills what the command line left open (the scorer, where it is, its program, body lines and
// time-out) from the window's setting; --spamd, --rspamd, --wordlist and --score-lines win over
// the setting's parts. An error when no scorer is set, or the settings cannot be read.
std::optional<TWindowScorerError> TakeWindowScorer(TScoreOptions& o, bool german);

// The window's file of spam scores remembered for the account (its data folder's
// Scores/<account>, the account named as the window names it); none in an mbxpop built without
// the window.
std::optional<std::string> WindowScoreMemoryFile(const std::string& user, const std::string& host,
                                                 int port);

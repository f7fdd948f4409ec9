#pragma once

// mbxpop's options for spam scores: list --score with the scorer named on the command line, or
// without --scorer the one set in the window (WindowScorer.h).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "ScorerConfig.h"

struct TScoreOptions {
    bool Enabled = false; // --score
    std::optional<TScorerKind> Kind;
    std::string PlaceOption; // --spamd, --rspamd or --wordlist, whichever was given
    std::string Place;       // its value: HOST:PORT, a socket path or the word list's folder
    std::optional<uint32_t> BodyLines; // --score-lines; nullopt: not given
    std::string Program;               // empty: the client from PATH
    std::chrono::milliseconds Timeout = TScorerConfig{}.Timeout;

    TScorerConfig Config() const;
};

inline constexpr const char* kScoreUsage =
    "  --score           list: a score column from the scorer named by --scorer, without\n"
    "                    --scorer from the one set in the window\n"
    "  --scorer NAME     spamc (with --spamd HOST:PORT or a socket path), rspamc (with\n"
    "                    --rspamd HOST:PORT) or bogofilter (with --wordlist DIR)\n"
    "  --score-lines N   score the header with the first N body lines (TOP n N)\n";

inline constexpr const char* kNoScorerError =
    "--score needs --scorer spamc, rspamc or bogofilter, or a scorer set in the window";

// The option that says where the scorer finds its server or its data: --spamd, --rspamd or
// --wordlist.
const char* ScorerPlaceOption(TScorerKind kind);

// True when argv[i] is one of these options; i then points at its last word. A bad value
// sets error.
bool ParseScoreOption(int argc, char** argv, int& i, TScoreOptions& o,
                      std::optional<std::string>& error);
// The options taken together, once the command is known; an error text when they do not fit.
// Without --scorer the scorer's kind is left open for the window's setting.
std::optional<std::string> CheckScoreOptions(const TScoreOptions& o, const std::string& command);

#pragma once

// Why a scorer gave no score, and its words for the user.

#include <string>

enum class TScorerFailure {
    NotFound,    // the program is not installed (or not at the path given)
    CannotStart, // posix_spawn failed for another reason
    Failed,      // it ran and reported an error (no server, no word list, ...)
    Timeout,     // it took longer than the time-out and was killed
    BadOutput,   // its answer is not what that scorer prints
};

struct TScorerProblem {
    TScorerFailure Cause = TScorerFailure::Failed;
    std::string Program;
    // The scorer's own message (its error output) or the system's, one line; may be empty.
    std::string Detail;
    int TimeoutSeconds = 0; // Timeout only
};

// One line for the user, German or English.
std::string ScorerProblemText(const TScorerProblem& problem, bool german);

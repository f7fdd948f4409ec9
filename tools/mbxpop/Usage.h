#pragma once

// What mbxpop --help prints, and wrong usage after its reason (the scorer's options follow,
// kScoreUsage in ScoreOptions.h).
extern const char* const kUsage;

#pragma once

// Training the user's scorer with a whole mail: "This is spam" / "This is not spam".

#include <optional>
#include <string>

#include "ScorerCommand.h"
#include "ScorerConfig.h"
#include "ScorerProblem.h"

struct TLearnOutcome {
    // nullopt: learned.
    std::optional<TScorerProblem> Problem;
    // The scorer's own reply on success ("Message successfully un/learned"), may be empty.
    std::string Reply;
};

// Hands the mail (all its bytes) to the scorer's learner in the caller's thread, killing it
// after config.Timeout. Blocks: the window calls it off its own thread.
TLearnOutcome LearnMail(const TScorerConfig& config, TLearnAs as, std::string mail);

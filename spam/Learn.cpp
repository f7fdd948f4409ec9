#include "Learn.h"

#include "ChildProcess.h"
#include "ScorerOutput.h"

TLearnOutcome LearnMail(const TScorerConfig& config, TLearnAs as, std::string mail) {
    const TChildResult run = RunChild(LearnCommand(config, as), std::move(mail), config.Timeout);
    TLearnOutcome outcome;
    outcome.Problem = JudgeLearnRun(config, run);
    const size_t end = run.Output.find_last_not_of(" \t\r\n");
    outcome.Reply = end == std::string::npos ? std::string{} : run.Output.substr(0, end + 1);
    return outcome;
}

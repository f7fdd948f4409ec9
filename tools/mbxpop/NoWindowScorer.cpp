// mbxpop built without Qt (INBOX_GUI=OFF) cannot read the window's settings file.
#include "WindowScorer.h"

std::optional<TWindowScorerError> TakeWindowScorer(TScoreOptions&, bool) {
    return TWindowScorerError{std::string(kNoScorerError) +
                                  " (this mbxpop is built without the window, INBOX_GUI=OFF, "
                                  "and cannot read its setting)",
                              true};
}

std::optional<std::string> WindowScoreMemoryFile(const std::string&, const std::string&, int) {
    return std::nullopt;
}

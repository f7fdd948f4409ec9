#include "ScorerProblem.h"

#include "TextPair.h"

namespace {

constexpr TText Scorer{"Spam-Bewertung mit ", "spam scoring with "};
constexpr TText NotFound{": das Programm wurde nicht gefunden", ": the program was not found"};
constexpr TText CannotStart{": das Programm lässt sich nicht starten",
                            ": the program cannot be started"};
constexpr TText Failed{" ist fehlgeschlagen", " failed"};
constexpr TText TimeoutBefore{": keine Antwort innerhalb von ", ": no answer within "};
constexpr TText TimeoutAfter{" s, abgebrochen", " s, stopped"};
constexpr TText BadOutput{": die Antwort ist nicht lesbar", ": its answer cannot be read"};

} // namespace

std::string ScorerProblemText(const TScorerProblem& problem, bool german) {
    std::string text = Pick(Scorer, german) + problem.Program;
    switch (problem.Cause) {
    case TScorerFailure::NotFound:
        text += Pick(NotFound, german);
        break;
    case TScorerFailure::CannotStart:
        text += Pick(CannotStart, german);
        break;
    case TScorerFailure::Failed:
        text += Pick(Failed, german);
        break;
    case TScorerFailure::Timeout:
        text += Pick(TimeoutBefore, german) + std::to_string(problem.TimeoutSeconds) +
                Pick(TimeoutAfter, german);
        break;
    case TScorerFailure::BadOutput:
        text += Pick(BadOutput, german);
        break;
    }
    if (!problem.Detail.empty())
        text += " (" + problem.Detail + ")";
    return text;
}

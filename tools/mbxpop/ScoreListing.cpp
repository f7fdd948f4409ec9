#include "ScoreListing.h"

#include <cstdio>
#include <map>
#include <string>

#include "EscapedLine.h"
#include "ScorerProblem.h"
#include "SpamScorer.h"

namespace {

struct TRow {
    std::string Size;
    size_t HeaderBytes = 0;
};

std::string Decimal(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string ScoreColumns(const std::optional<TSpamScore>& score) {
    if (!score)
        return "-\t-\t-\t-";
    std::string rules;
    for (const auto& rule : score->Rules)
        rules += (rules.empty() ? "" : ",") + EscapedLine(rule.Name); // the scorer's words
    return Decimal(score->Normalised, "%.1f") + '\t' + (score->IsSpam ? "spam" : "ham") + '\t' +
           Decimal(score->Score, "%g") + '\t' + (rules.empty() ? "-" : rules);
}

} // namespace

void ListWithScores(TMbxPOP& pop, const TScoreOptions& options, bool german, std::ostream& out,
                    std::ostream& err) {
    pop.Stat();
    if (!pop.Connected())
        return;
    TSpamScorer scorer(options.Config());
    std::map<TMsgNumber, TRow> rows;
    pop.ListBodyLines = options.BodyLines.value_or(0);
    pop.ListMails(pop.MessageCount(),
                  [&](TMsgNumber n, const std::string& header, const std::string& size) {
                      rows[n] = {size, header.size()};
                      scorer.Score(n, header);
                  },
                  {});
    pop.ListBodyLines = 0;
    scorer.WaitIdle();
    std::map<TMsgNumber, std::optional<TSpamScore>> scores;
    for (auto& result : scorer.TakeResults())
        scores[static_cast<TMsgNumber>(result.Id)] = std::move(result.Score);
    if (auto problem = scorer.TakeProblem())
        err << "mbxpop: " << EscapedLine(ScorerProblemText(*problem, german)) << "\n";
    for (const auto& [n, row] : rows)
        out << n << '\t' << row.Size << '\t' << row.HeaderBytes << '\t' << ScoreColumns(scores[n])
            << '\n';
}

#include "ScoreListing.h"

#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <string>

#include "EscapedLine.h"
#include "Messages.h"
#include "ScoreMemory.h"
#include "ScorerProblem.h"
#include "SpamScorer.h"

namespace {

struct TRow {
    std::string Size;
    size_t HeaderBytes = 0;
    std::string Id; // empty: the server gave none
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

void ListWithScores(TMbxPOP& pop, const TScoreOptions& options, const std::string& memoryFile,
                    bool german, std::ostream& out, std::ostream& err, std::ostream* trace) {
    pop.Stat();
    if (!pop.Connected())
        return;
    const uint32_t bodyLines = options.BodyLines.value_or(0);
    std::optional<TScoreMemory> memory;
    if (!memoryFile.empty()) {
        try {
            memory = TScoreMemory::Load(memoryFile, ScoreSettingKey(options.Config(), bodyLines));
            if (!memory->Problem().empty())
                err << "mbxpop: " << Pick(mbxpop_texts::ScoresUnusable, german)
                    << EscapedLine(memory->Problem()) << "\n";
        } catch (const std::exception& e) {
            memory.reset();
            err << "mbxpop: " << Pick(mbxpop_texts::ScoresUnusable, german) << EscapedLine(e.what())
                << "\n";
        }
    }
    TSpamScorer scorer(options.Config());
    std::map<TMsgNumber, TRow> rows;
    std::map<TMsgNumber, std::optional<TSpamScore>> scores;
    size_t sent = 0;
    pop.ListBodyLines = bodyLines;
    const TMbxPOP::TPassEnd end =
        pop.ListMailsWithIds(pop.MessageCount(),
                             [&](TMsgNumber n, const std::string& header, const std::string& size,
                                 const std::string& id) {
                                 rows[n] = {size, header.size(), id};
                                 if (memory && !id.empty()) {
                                     memory->Listed(id);
                                     if (const TSpamScore* known = memory->Find(id)) {
                                         scores[n] = *known;
                                         return;
                                     }
                                 }
                                 scorer.Score(n, header);
                                 ++sent;
                             },
                             {});
    pop.ListBodyLines = 0;
    scorer.WaitIdle();
    for (auto& result : scorer.TakeResults()) {
        const auto n = static_cast<TMsgNumber>(result.Id);
        if (memory && result.Score && !rows[n].Id.empty())
            memory->Remember(rows[n].Id, *result.Score);
        scores[n] = std::move(result.Score);
    }
    if (auto problem = scorer.TakeProblem())
        err << "mbxpop: " << EscapedLine(ScorerProblemText(*problem, german)) << "\n";
    for (const auto& [n, row] : rows)
        out << n << '\t' << row.Size << '\t' << row.HeaderBytes << '\t' << ScoreColumns(scores[n])
            << '\n';
    if (trace)
        *trace << "mbxpop: " << sent << " mail(s) sent to the scorer, " << rows.size() - sent
               << " known\n";
    if (memory) {
        try {
            memory->Save(memoryFile, end == TMbxPOP::TPassEnd::Complete);
        } catch (const std::exception& e) {
            err << "mbxpop: " << Pick(mbxpop_texts::ScoresNotSaved, german) << EscapedLine(e.what())
                << "\n";
        }
    }
}

#include "ListingScores.h"

#include "LanguageTexts.h"
#include "SpamTexts.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// Rules beyond these say little in a tooltip.
constexpr size_t TipRules = 5;

QString Decimal(double value) {
    return QString::number(value, 'g', 4);
}

} // namespace

void TListingScores::Clear() {
    scored_.clear();
    results_.clear();
    waiting_.clear();
    outstanding_ = 0;
    sent_ = 0;
}

void TListingScores::Sent(int number, std::string scored) {
    scored_[number] = std::move(scored);
    results_.erase(number);
    waiting_.erase(number);
    ++outstanding_;
    ++sent_;
}

void TListingScores::Known(int number, std::string scored, TSpamScore score) {
    scored_[number] = std::move(scored);
    results_[number] = TScoreResult{static_cast<uint64_t>(number), std::move(score), {}};
    waiting_.insert(number);
}

const std::string& TListingScores::ScoredText(int number) const {
    static const std::string none;
    const auto found = scored_.find(number);
    return found == scored_.end() ? none : found->second;
}

void TListingScores::Arrived(TScoreResult result) {
    const int number = static_cast<int>(result.Id);
    results_[number] = std::move(result);
    waiting_.insert(number);
    outstanding_ = std::max(0, outstanding_ - 1);
}

const TScoreResult* TListingScores::ResultOf(int number) const {
    const auto found = results_.find(number);
    return found == results_.end() ? nullptr : &found->second;
}

std::string_view HeaderOfListed(std::string_view listed) {
    for (const std::string_view blank : {"\r\n\r\n", "\n\n"}) {
        const size_t at = listed.find(blank);
        if (at != std::string_view::npos)
            return listed.substr(0, at + blank.size());
    }
    return listed;
}

QString ScoreCell(const TSpamScore& score) {
    return QString::number(score.Normalised, 'f', 1);
}

QString VerdictText(const TSpamScore& score, bool germanUI) {
    QString text = score.Threshold
                       ? Tr(score.IsSpam ? SpamTexts::VerdictSpam : SpamTexts::VerdictHam, germanUI)
                             .arg(Decimal(score.Score), Decimal(*score.Threshold))
                       : Tr(score.IsSpam ? SpamTexts::VerdictSpamNoThreshold
                                         : SpamTexts::VerdictHamNoThreshold,
                            germanUI)
                             .arg(Decimal(score.Score));
    if (!score.Rules.empty()) {
        QStringList rules;
        for (size_t i = 0; i < std::min(score.Rules.size(), TipRules); ++i)
            rules << QStringLiteral("%1 (%2)").arg(QString::fromStdString(score.Rules[i].Name),
                                                   Decimal(score.Rules[i].Points));
        text += u'\n' + Tr(SpamTexts::VerdictRules, germanUI).arg(rules.join(QStringLiteral(", ")));
    }
    return text;
}

int SpamtestValue(const TSpamScore& score) {
    return std::clamp(static_cast<int>(std::floor(score.Normalised)), 0, 10);
}

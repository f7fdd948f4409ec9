#pragma once

// The spam scores of one account's mails by unique id (UIDL), kept from one listing to the
// next under the scorer setting that gave them: a mail scored once is not sent to the scorer
// again, unless the setting changed or the mail was trained.
//
//   TScoreMemory memory = TScoreMemory::Load(path, ScoreSettingKey(config, bodyLines));
//   for each listed mail: memory.Listed(id); memory.Find(id) or score it, then Remember(id, s)
//   memory.Save(path, complete);

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "ScorerConfig.h"
#include "SpamScore.h"

class TScoreMemory {
public:
    // The file at path, when written under setting. No file, or one written under another
    // setting: nothing remembered. Damaged: Problem() says why, and nothing is remembered.
    // Throws std::system_error when an existing file cannot be read.
    static TScoreMemory Load(const std::string& path, const std::string& setting);
    const std::string& Problem() const { return problem_; }
    size_t Count() const { return scores_.size(); }

    // The score remembered for id; null when there is none.
    const TSpamScore* Find(const std::string& id) const;
    // The scorer's (new) score of id.
    void Remember(const std::string& id, const TSpamScore& score);
    // id is listed now: a complete listing's Save keeps only the ids listed.
    void Listed(const std::string& id);
    // Writes the file atomically, owner-only (its folder made owner-only where missing): after
    // a complete listing only the scores of mails it listed. Throws std::system_error naming it.
    void Save(const std::string& path, bool complete) const;

private:
    std::string setting_;
    std::string problem_;
    std::unordered_map<std::string, TSpamScore> scores_;
    std::unordered_set<std::string> listed_;
};

// What decides a mail's score: the scorer, where it is reached, its program and the body lines
// sent with the header. The time-out decides only whether there is a score.
std::string ScoreSettingKey(const TScorerConfig& config, uint32_t bodyLines);

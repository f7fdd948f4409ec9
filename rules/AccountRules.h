#pragma once

// The rules that judge one account's mails: the shared script (rules.sieve in the data folder)
// and the account's own (rules-SERVER-USER.sieve), both run over each mail. An account's rules
// add to the shared ones, so the friends of rules.sieve stay protected: a keep in either script
// keeps the mail, and only then does a discard (the first one, shared script first) mark it.
// The window and mbxpop load them through LoadAccountRules, one way for both.
//
//   TAccountRules rules;
//   const TRulesLoad load = LoadAccountRules(folder, server, user, rules, LocalToday());

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RuleError.h"
#include "Rules.h"

class TAccountRules {
public:
    // The script's rules after those added before; ERuleError when it is not usable.
    void Add(std::string_view script);
    bool Empty() const { return scripts_.empty(); }
    TRuleDecision Decide(const TMailFacts& mail) const;

private:
    std::vector<TRules> scripts_;
};

// The script files' names in the data folder: the shared one, and the one of an account
// (server as typed, user), its name kept to letters, digits and ". @ _ -".
std::string SharedRulesName();
std::string AccountRulesName(std::string_view server, std::string_view user);

// How reading the scripts ended. With an error nothing at all is judged.
struct TRulesLoad {
    std::vector<std::string> files; // the files read, in the order they run
    std::string failed;             // the file that could not be used; empty: none
    int line = 0;                   // of the error; 0 when the file could not be read
    int column = 0;
    std::optional<TRuleText> error; // what is wrong in the script
    std::string readError;          // the system's reason when it could not be read
    bool Usable() const { return failed.empty() && !files.empty(); }
};

// Reads the files, in this order, into rules (emptied first); ages are written from today.
// A missing file is passed over (Skip) or not usable (Fail). rules stays empty when one of
// them is not usable.
enum class TMissingRules { Skip, Fail };
TRulesLoad LoadRulesFiles(const std::vector<std::string>& files, TAccountRules& rules,
                          std::chrono::sys_days today, TMissingRules missing = TMissingRules::Skip);
// The rules of an account in the data folder: rules.sieve, then rules-SERVER-USER.sieve.
TRulesLoad LoadAccountRules(const std::string& folder, std::string_view server,
                            std::string_view user, TAccountRules& rules,
                            std::chrono::sys_days today);

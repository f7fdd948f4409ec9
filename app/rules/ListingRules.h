#pragma once

#include "AccountRules.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// The rules a listing runs on each header as it arrives, and what they decided per message
// number. The scripts are files in the data folder: rules.sieve for all accounts and
// rules-SERVER-USER.sieve for one, run together (AccountRules.h).
class TListingRules {
public:
    // How reading the scripts ended: no file (no rules), usable scripts, or an error with its
    // file and place (line and column 0 when the file itself could not be read).
    struct TLoad {
        bool Usable = false;
        QString File; // the file that failed, or the last one read; empty when there is none
        int Line = 0;
        int Column = 0;
        std::optional<TRuleText> Error; // what is wrong in the script
        QString Why;                    // the system's reason when it could not be read
    };

    TListingRules();
    ~TListingRules();

    // Forgets the rules and their decisions, then reads the account's scripts in folder.
    TLoad Load(const QString& folder, const QString& server, const QString& user);
    // Load again for the same account, after its script changed.
    TLoad Reload() { return Load(folder_, server_, user_); }
    bool Active() const { return rules_ != nullptr; }
    // The file the rules were read from, or the one a change goes to (the account's file when
    // it exists, else the shared one); empty before Load.
    const QString& File() const { return file_; }

    // Judges a listed mail and keeps the decision under its number; None without rules.
    // spamtest sees the mail's score once SetSpamScore gave it, else it is false.
    TRuleDecision Decide(int number, std::string_view header, uint64_t size);
    void SetSpamScore(int number, int spamtest) { scores_[number] = spamtest; }
    // The decision kept for the number; None when there is none.
    const TRuleDecision& DecisionOf(int number) const;
    bool Kept(int number) const { return DecisionOf(number).action == TRuleAction::Keep; }

private:
    std::unique_ptr<TAccountRules> rules_;
    QString file_;
    QString folder_;
    QString server_;
    QString user_;
    std::unordered_map<int, TRuleDecision> decisions_;
    std::unordered_map<int, int> scores_;
};

// The script files in folder: the shared one, and the one of an account (server as typed,
// user).
QString SharedRulesFile(const QString& folder);
QString AccountRulesFile(const QString& folder, const QString& server, const QString& user);

// Reads or replaces a script file (owner-only, in an owner-only folder); false with the reason
// when that fails.
bool ReadRulesFile(const QString& file, std::string& text, QString& why);
bool WriteRulesFile(const QString& file, const std::string& text, QString& why);

#pragma once

#include "Rules.h"

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

// The rules a listing runs on each header as it arrives, and what they decided per message
// number. The script is a file in the data folder: rules-SERVER-USER.sieve for one account
// when there is one, else rules.sieve for all accounts.
class TListingRules {
public:
    // How reading the script ended: no file (no rules), a usable script, or an error with
    // its place (line and column 0 when the file itself could not be read).
    struct TLoad {
        bool Usable = false;
        QString File; // the file read; empty when there is none
        int Line = 0;
        int Column = 0;
        QString Why;
    };

    TListingRules();
    ~TListingRules();

    // Forgets the rules and their decisions, then reads the account's script in folder.
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
    std::unique_ptr<TRules> rules_;
    QString file_;
    QString folder_;
    QString server_;
    QString user_;
    std::unordered_map<int, TRuleDecision> decisions_;
    std::unordered_map<int, int> scores_;
};

// The script files in folder: the shared one, and the one of an account (server as typed,
// user), its name kept to letters, digits and ". @ _ -".
QString SharedRulesFile(const QString& folder);
QString AccountRulesFile(const QString& folder, const QString& server, const QString& user);

// Reads or replaces a script file; false with the reason when that fails.
bool ReadRulesFile(const QString& file, std::string& text, QString& why);
bool WriteRulesFile(const QString& file, const std::string& text, QString& why);

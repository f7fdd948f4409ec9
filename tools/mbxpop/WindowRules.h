#pragma once

// mbxpop prune without --rules: the rules the window runs for the account, from its data
// folder.

#include <optional>
#include <string>

#include "TextPair.h"

// The window's data folder; none in an mbxpop built without the window (INBOX_GUI=OFF).
std::optional<std::string> WindowDataFolder();
// The window lists "Header texts as the server sent them"; false without the window.
bool WindowHeaderTextsAsSent();

inline constexpr const char* kNoWindowRules =
    "prune needs --rules FILE (this mbxpop is built without the window, INBOX_GUI=OFF, and "
    "cannot read its rules)";
// The data folder follows.
inline constexpr TText NoWindowRulesFound{
    "prune ohne --rules: das Fenster hat keine Regeln (rules.sieve) in ",
    "prune without --rules: the window has no rules (rules.sieve) in "};

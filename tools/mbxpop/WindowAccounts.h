#pragma once

// The accounts the window remembers, as mbxpop --all-accounts and the remembered security mode
// read them from the window's settings file.

#include <optional>
#include <string>
#include <vector>

#include "Security.h"

struct TWindowAccount {
    std::string Server; // the server field as typed: the keyring's entries are keyed by it
    std::string Host;
    int Port = 0; // the one typed into the server field, else the security mode's default
    std::string User;
    TSecurity Security = TSecurity::Auto;
    bool OAuth2 = false;        // signs in at an OAuth2 provider instead of with a password
    std::string StoredPassword; // the settings file's copy; empty when none (or in the keyring)
    bool PortTyped = false;
};

// Oldest first, as the window numbers them; an entry missing its server or user is left out.
// An entry from before the mode was stored counts as plain text, as the window takes it.
// Nothing when the settings file cannot be read.
std::optional<std::vector<TWindowAccount>> WindowAccounts();

// "USER@HOST:PORT", the account as its output lines are led.
std::string AccountLabel(const TWindowAccount& account);

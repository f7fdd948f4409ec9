#pragma once

// mbxpop [OPTIONS] --all-accounts [--password-command CMD] COMMAND [ARGS...]: the command for
// each account the window remembers, oldest first, each in a run of mbxpop of its own with the
// account's server, port, security and sign-in. Each line it prints, on stdout and stderr, is
// led by "USER@HOST:PORT" and a tab. A failing account is told and the next one goes on.

#include <algorithm>
#include <iterator>
#include <string_view>

// The commands that run for every account; one more is one more name here.
inline constexpr std::string_view kAllAccountsCommands[] = {"list", "space", "prune"};

// True when the command line asks for --all-accounts (before the command).
inline bool WantsAllAccounts(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--all-accounts")
            return true;
        if (std::find(std::begin(kAllAccountsCommands), std::end(kAllAccountsCommands), arg) !=
            std::end(kAllAccountsCommands))
            return false;
    }
    return false;
}
// The exit status: 0 when every account succeeded, else the highest of the accounts' statuses
// (2 for an account not tried: no password, no access token), 64 for bad usage, 130 when
// interrupted.
int RunAllAccounts(int argc, char** argv);

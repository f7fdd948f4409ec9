#pragma once

// The access token for a SASL sign-in, from a command the user gives (as mpop's passwordeval):
// the first line it prints.

#include <string>

#include "TextPair.h"

struct TTokenOutcome {
    std::string Token;              // the first line printed, without its line end
    const TText* Failure = nullptr; // why there is no token; Detail tells more
    std::string Detail;
};

// Runs Command through /bin/sh -c and reads all it prints. A failure: the command could not
// be run, ended with a status other than 0, or printed no token on its first line.
TTokenOutcome RunTokenCommand(const std::string& command);
// The same for mbxpop --all-accounts --password-command: the password is the first line.
TTokenOutcome RunPasswordCommand(const std::string& command);

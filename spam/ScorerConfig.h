#pragma once

// Which of the user's own spam scorers rates the mails, and how to reach it. The scorer is
// run as a command (its client program), never through a shell.

#include <chrono>
#include <optional>
#include <string>

enum class TScorerKind {
    SpamAssassin, // spamc talking to a running spamd
    Rspamd,       // rspamc talking to a running rspamd
    Bogofilter,   // bogofilter with its word list
};

struct TScorerConfig {
    TScorerKind Kind = TScorerKind::SpamAssassin;
    // The client program; empty: spamc, rspamc or bogofilter from PATH.
    std::string Program;
    // spamd or rspamd: "HOST:PORT" ("[::1]:783" for IPv6) or the path of a Unix socket;
    // empty: the client's own default. For rspamd the controller (usually port 11334) both
    // scores and learns; the normal worker only scores.
    std::string Address;
    // bogofilter: the folder of its word list; empty: bogofilter's default (~/.bogofilter).
    std::string WordListDir;
    // How long one mail may take before its scorer is killed.
    std::chrono::milliseconds Timeout{10000};
    // Scorers in flight at once; 0: min(cores, 4).
    unsigned Parallel = 0;
};

// "spamc", "rspamc" or "bogofilter" (the names the command line uses); nullopt otherwise.
std::optional<TScorerKind> ScorerKindFromName(const std::string& name);
// The client's usual program name.
const char* ScorerProgramName(TScorerKind kind);
// The program this configuration runs: Program, else the usual name.
std::string ScorerProgram(const TScorerConfig& config);

#include "ScorerCommand.h"

namespace {

std::vector<std::string> Client(const TScorerConfig& config) {
    return {ScorerProgram(config)};
}

// spamc takes the host and the port apart, or a socket.
void AddSpamdAddress(const std::string& address, std::vector<std::string>& argv) {
    if (address.empty())
        return;
    if (address.front() == '/') {
        argv.insert(argv.end(), {"-U", address});
        return;
    }
    const size_t colon = address.rfind(':');
    const bool hasPort = colon != std::string::npos &&
                         address.find(']', colon) == std::string::npos &&
                         (address.front() == '[' || address.find(':') == colon);
    std::string host = hasPort ? address.substr(0, colon) : address;
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    argv.insert(argv.end(), {"-d", host});
    if (hasPort)
        argv.insert(argv.end(), {"-p", address.substr(colon + 1)});
}

// Without -x spamc answers "0/0" with success when spamd cannot be reached.
std::vector<std::string> Spamc(const TScorerConfig& config, std::vector<std::string> tail) {
    auto argv = Client(config);
    argv.push_back("-x");
    AddSpamdAddress(config.Address, argv);
    argv.insert(argv.end(), tail.begin(), tail.end());
    return argv;
}

std::vector<std::string> Rspamc(const TScorerConfig& config, std::vector<std::string> tail) {
    auto argv = Client(config);
    if (!config.Address.empty())
        argv.insert(argv.end(), {"-h", config.Address});
    argv.insert(argv.end(), tail.begin(), tail.end());
    return argv;
}

std::vector<std::string> Bogofilter(const TScorerConfig& config, std::vector<std::string> tail) {
    auto argv = Client(config);
    if (!config.WordListDir.empty())
        argv.insert(argv.end(), {"-d", config.WordListDir});
    argv.insert(argv.end(), tail.begin(), tail.end());
    return argv;
}

} // namespace

std::vector<std::string> ScoreCommand(const TScorerConfig& config) {
    switch (config.Kind) {
    case TScorerKind::SpamAssassin:
        return Spamc(config, {"-R"});
    case TScorerKind::Rspamd:
        return Rspamc(config, {});
    case TScorerKind::Bogofilter:
        return Bogofilter(config, {"-T", "-v"});
    }
    return {};
}

std::vector<std::string> LearnCommand(const TScorerConfig& config, TLearnAs as) {
    const bool spam = as == TLearnAs::Spam;
    switch (config.Kind) {
    case TScorerKind::SpamAssassin:
        return Spamc(config, {"-L", spam ? "spam" : "ham"});
    case TScorerKind::Rspamd:
        return Rspamc(config, {spam ? "learn_spam" : "learn_ham"});
    case TScorerKind::Bogofilter:
        return Bogofilter(config, {spam ? "-s" : "-n"});
    }
    return {};
}

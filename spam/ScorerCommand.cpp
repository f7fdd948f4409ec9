#include "ScorerCommand.h"

namespace {

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

// The client with where it finds its server or word list, then what it is to do.
std::vector<std::string> Command(const TScorerConfig& config,
                                 std::initializer_list<const char*> what) {
    std::vector<std::string> argv{ScorerProgram(config)};
    switch (config.Kind) {
    case TScorerKind::SpamAssassin:
        // Without -x spamc answers "0/0" with success when spamd cannot be reached.
        argv.push_back("-x");
        AddSpamdAddress(config.Address, argv);
        break;
    case TScorerKind::Rspamd:
        if (!config.Address.empty())
            argv.insert(argv.end(), {"-h", config.Address});
        break;
    case TScorerKind::Bogofilter:
        if (!config.WordListDir.empty())
            argv.insert(argv.end(), {"-d", config.WordListDir});
        break;
    }
    argv.insert(argv.end(), what.begin(), what.end());
    return argv;
}

} // namespace

std::vector<std::string> ScoreCommand(const TScorerConfig& config) {
    switch (config.Kind) {
    case TScorerKind::SpamAssassin:
        return Command(config, {"-R"});
    case TScorerKind::Rspamd:
        return Command(config, {});
    case TScorerKind::Bogofilter:
        return Command(config, {"-T", "-v"});
    }
    return {};
}

std::vector<std::string> LearnCommand(const TScorerConfig& config, TLearnAs as) {
    const bool spam = as == TLearnAs::Spam;
    switch (config.Kind) {
    case TScorerKind::SpamAssassin:
        return Command(config, {"-L", spam ? "spam" : "ham"});
    case TScorerKind::Rspamd:
        return Command(config, {spam ? "learn_spam" : "learn_ham"});
    case TScorerKind::Bogofilter:
        return Command(config, {spam ? "-s" : "-n"});
    }
    return {};
}

#include "ScoreOptions.h"

#include <charconv>
#include <cstring>

const char* ScorerPlaceOption(TScorerKind kind) {
    switch (kind) {
    case TScorerKind::SpamAssassin:
        return "--spamd";
    case TScorerKind::Rspamd:
        return "--rspamd";
    case TScorerKind::Bogofilter:
        return "--wordlist";
    }
    return "";
}

TScorerConfig TScoreOptions::Config() const {
    TScorerConfig config;
    config.Kind = Kind.value_or(TScorerKind::SpamAssassin);
    (config.Kind == TScorerKind::Bogofilter ? config.WordListDir : config.Address) = Place;
    config.Program = Program;
    config.Timeout = Timeout;
    return config;
}

bool ParseScoreOption(int argc, char** argv, int& i, TScoreOptions& o,
                      std::optional<std::string>& error) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc && argv[i + 1][0] != '\0' ? argv[i + 1] : nullptr;
    if (option == "--score") {
        o.Enabled = true;
        return true;
    }
    if (option == "--scorer") {
        o.Kind = value ? ScorerKindFromName(value) : std::nullopt;
        if (!o.Kind)
            error = "--scorer needs spamc, rspamc or bogofilter";
    } else if (option == "--spamd" || option == "--rspamd" || option == "--wordlist") {
        if (!value)
            error = option + (option == "--wordlist" ? " needs a folder" : " needs HOST:PORT");
        else if (!o.PlaceOption.empty())
            error = "only one of --spamd, --rspamd and --wordlist";
        o.PlaceOption = option;
        o.Place = value ? value : "";
    } else if (option == "--score-lines") {
        const char* end = value ? value + std::strlen(value) : nullptr;
        uint32_t lines = 0;
        const auto parsed = value ? std::from_chars(value, end, lines) : std::from_chars_result{};
        if (!value || parsed.ec != std::errc() || parsed.ptr != end)
            error = "--score-lines needs a number of lines";
        o.BodyLines = lines;
    } else {
        return false;
    }
    ++i;
    return true;
}

std::optional<std::string> CheckScoreOptions(const TScoreOptions& o, const std::string& command) {
    if (!o.Enabled) {
        if (o.Kind || !o.PlaceOption.empty() || o.BodyLines)
            return "the scorer's options need --score";
        return std::nullopt;
    }
    if (command != "list")
        return "--score is for list only";
    if (o.Kind && !o.PlaceOption.empty() && o.PlaceOption != ScorerPlaceOption(*o.Kind))
        return o.PlaceOption + " does not go with --scorer " + ScorerProgramName(*o.Kind);
    return std::nullopt;
}

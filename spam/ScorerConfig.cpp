#include "ScorerConfig.h"

std::optional<TScorerKind> ScorerKindFromName(const std::string& name) {
    for (auto kind : {TScorerKind::SpamAssassin, TScorerKind::Rspamd, TScorerKind::Bogofilter})
        if (name == ScorerProgramName(kind))
            return kind;
    return std::nullopt;
}

const char* ScorerProgramName(TScorerKind kind) {
    switch (kind) {
    case TScorerKind::SpamAssassin:
        return "spamc";
    case TScorerKind::Rspamd:
        return "rspamc";
    case TScorerKind::Bogofilter:
        return "bogofilter";
    }
    return "";
}

std::string ScorerProgram(const TScorerConfig& config) {
    return config.Program.empty() ? ScorerProgramName(config.Kind) : config.Program;
}

#include "AccountRules.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "RelativeAges.h"

namespace {

// Each character other than those becomes one '_' per UTF-16 unit, as the names have always
// been made.
std::string FileNamePart(std::string_view text) {
    std::string part;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '@' || c == '_' || c == '-';
        if (plain)
            part += c;
        else if (byte < 0x80 || byte >= 0xC0)
            part += byte >= 0xF0 ? "__" : "_";
    }
    return part;
}

} // namespace

void TAccountRules::Add(std::string_view script) {
    scripts_.emplace_back(script);
}

TRuleDecision TAccountRules::Decide(const TMailFacts& mail) const {
    TRuleDecision discarded;
    for (const TRules& rules : scripts_) {
        TRuleDecision d = rules.Decide(mail);
        if (d.action == TRuleAction::Keep)
            return d;
        if (d.action == TRuleAction::Discard && discarded.action == TRuleAction::None)
            discarded = std::move(d);
    }
    return discarded;
}

std::string SharedRulesName() {
    return "rules.sieve";
}

std::string AccountRulesName(std::string_view server, std::string_view user) {
    return "rules-" + FileNamePart(server) + "-" + FileNamePart(user) + ".sieve";
}

TRulesLoad LoadRulesFiles(const std::vector<std::string>& files, TAccountRules& rules,
                          std::chrono::sys_days today, TMissingRules missing) {
    rules = {};
    TRulesLoad load;
    TAccountRules read;
    for (const std::string& file : files) {
        // Only a file that is not there is passed over; one that cannot be looked at is told.
        std::error_code unknown;
        if (missing == TMissingRules::Skip && !std::filesystem::exists(file, unknown)) {
            if (!unknown)
                continue;
            load.failed = file;
            load.readError = unknown.message();
            return load;
        }
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        const int opened = in.is_open() ? 0 : errno;
        if (in.is_open())
            text << in.rdbuf();
        if (!in.is_open() || in.bad()) {
            load.failed = file;
            load.readError = std::strerror(opened ? opened : errno);
            return load;
        }
        load.files.push_back(file);
        try {
            read.Add(WithAgesFrom(text.str(), today));
        } catch (const ERuleError& e) {
            load.failed = file;
            load.line = e.Line;
            load.column = e.Column;
            load.error = e.Text;
            return load;
        }
    }
    rules = std::move(read);
    return load;
}

TRulesLoad LoadAccountRules(const std::string& folder, std::string_view server,
                            std::string_view user, TAccountRules& rules,
                            std::chrono::sys_days today) {
    const std::filesystem::path dir(folder);
    std::vector<std::string> files{(dir / SharedRulesName()).string()};
    if (!server.empty() && !user.empty())
        files.push_back((dir / AccountRulesName(server, user)).string());
    return LoadRulesFiles(files, rules, today);
}

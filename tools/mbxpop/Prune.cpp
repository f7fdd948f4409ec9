#include "Prune.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "CopyingDelete.h"
#include "HeaderFields.h"
#include "Messages.h"
#include "RelativeAges.h"
#include "RuleError.h"

namespace {

constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;

// One cell of a row: tabs and line breaks would split it.
std::string Cell(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return text;
}

std::string FirstDecoded(const THeaderFields& fields, const char* name) {
    const std::vector<std::string> values = fields.Decoded(name);
    return values.empty() ? std::string() : Cell(values[0]);
}

std::string Label(const TRuleDecision& d, bool german) {
    const std::string line = Pick(mbxpop_texts::RuleLine, german) + std::to_string(d.line);
    return d.name.empty() ? line : Cell(d.name) + " (" + line + ")";
}

} // namespace

std::string MailLine(TMsgNumber n, const std::string& size, const std::string& header) {
    const THeaderFields fields(header);
    return std::to_string(n) + '\t' + size + '\t' + FirstDecoded(fields, "from") + '\t' +
           FirstDecoded(fields, "subject");
}

std::optional<std::string> ParsePruneArguments(const std::vector<std::string>& args,
                                               TPruneRequest& request) {
    bool dryRun = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rules" && i + 1 < args.size() && !args[i + 1].empty())
            request.rulesFile = args[++i];
        else if (args[i] == "--yes")
            request.yes = true;
        else if (args[i] == "--dry-run")
            dryRun = true;
        else if (args[i] == "--keep-copy" && i + 1 < args.size() && !args[i + 1].empty())
            request.keepCopy = args[++i];
        else if (args[i] == "--rules")
            return "--rules needs a file name";
        else if (args[i] == "--keep-copy")
            return "--keep-copy needs a folder";
        else
            return "prune does not take " + args[i];
    }
    if (request.rulesFile.empty())
        return "prune needs --rules FILE";
    if (dryRun && request.yes)
        return "prune takes --dry-run or --yes, not both";
    if (!request.keepCopy.empty() && !request.yes)
        return "prune takes --keep-copy with --yes";
    return std::nullopt;
}

int LoadPrune(const TPruneRequest& request, std::optional<TPrune>& prune, std::ostream& err) {
    std::ifstream in(request.rulesFile, std::ios::binary);
    std::ostringstream text;
    if (in.is_open())
        text << in.rdbuf();
    if (!in.is_open() || in.bad()) {
        err << "mbxpop: " << request.rulesFile << ": " << std::strerror(errno) << "\n";
        return kExitFailed;
    }
    try {
        prune.emplace(TRules(WithAgesFrom(text.str(), LocalToday())), request.yes);
    } catch (const ERuleError& e) {
        err << "mbxpop: " << request.rulesFile << ":" << e.Line << ":" << e.Column << ": "
            << e.what() << "\n";
        return kExitUsage;
    }
    return 0;
}

void TPrune::Run(TMbxPOP& pop, TDeletion& deletion, std::ostream& out, std::ostream& err,
                 bool german) const {
    pop.Stat();
    if (!pop.Connected())
        return;
    std::vector<TMbxPOP::TMarkedMail> marked;
    uint64_t bytes = 0;
    const auto row = [&](TMsgNumber n, const std::string& header, const std::string& size) {
        uint64_t listed = 0;
        std::from_chars(size.data(), size.data() + size.size(), listed);
        const TRuleDecision d = rules_.Decide({header, listed, std::nullopt});
        if (d.action != TRuleAction::Discard)
            return;
        out << MailLine(n, size, header) << '\t' << Label(d, german) << '\n';
        marked.push_back({n, listed});
        bytes += listed;
    };
    if (pop.ListMails(pop.MessageCount(), row, {}) != TMbxPOP::TPassEnd::Complete)
        return;
    out.flush();
    const std::string counted =
        std::to_string(marked.size()) + " (" + std::to_string(bytes) + " Byte)";
    if (marked.empty()) {
        err << "mbxpop: " << Pick(mbxpop_texts::NothingMarked, german) << "\n";
    } else if (!yes_) {
        err << "mbxpop: " << counted << Pick(mbxpop_texts::MarkedDryRun, german) << "\n";
    } else if (deletion.Run(pop, marked) == TMbxPOP::TPassEnd::Complete) {
        // The server deletes them only at QUIT.
        if (pop.Quit() && deletion.AllDeleted())
            err << "mbxpop: " << counted << Pick(mbxpop_texts::Deleted, german) << "\n";
    }
}

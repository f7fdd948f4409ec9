#include "Prune.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "CopyingDelete.h"
#include "EscapedLine.h"
#include "HeaderFields.h"
#include "IdleSession.h"
#include "MarkedMails.h"
#include "MemoryListing.h"
#include "Messages.h"
#include "RelativeAges.h"
#include "RuleError.h"
#include "SenderLists.h"
#include "WindowRules.h"

namespace {

constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;

// One cell of a row: tabs and line breaks would split it, and a mail's controls would reach
// the terminal.
std::string Cell(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return EscapedLine(text);
}

std::string FirstDecoded(const THeaderFields& fields, const char* name) {
    const std::vector<std::string> values = fields.Decoded(name);
    return values.empty() ? std::string() : Cell(values[0]);
}

std::string Label(const TRuleDecision& d, bool german) {
    const std::string line = Pick(mbxpop_texts::RuleLine, german) + std::to_string(d.line);
    return d.name.empty() ? line : Cell(ShownRuleName(d.name, german)) + " (" + line + ")";
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
            request.rulesFiles.push_back(args[++i]);
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
    if (dryRun && request.yes)
        return "prune takes --dry-run or --yes, not both";
    if (!request.keepCopy.empty() && !request.yes)
        return "prune takes --keep-copy with --yes";
    return std::nullopt;
}

int LoadPrune(const TPruneRequest& request, const std::string& host, const std::string& port,
              const std::string& user, bool german, std::optional<TPrune>& prune,
              std::ostream& err) {
    TAccountRules rules;
    TRulesLoad load;
    if (!request.rulesFiles.empty()) {
        load = LoadRulesFiles(request.rulesFiles, rules, LocalToday(), TMissingRules::Fail);
    } else {
        const std::optional<std::string> folder = WindowDataFolder();
        if (!folder) {
            err << "mbxpop: " << kNoWindowRules << "\n";
            return kExitUsage;
        }
        // The same rules the window runs for this account, whose server field may have held
        // the port as well.
        const std::string withPort = host + ":" + port;
        const bool typedWithPort =
            !port.empty() && std::filesystem::exists(std::filesystem::path(*folder) /
                                                     AccountRulesName(withPort, user));
        load =
            LoadAccountRules(*folder, typedWithPort ? withPort : host, user, rules, LocalToday());
        if (load.failed.empty() && load.files.empty()) {
            err << "mbxpop: " << Pick(NoWindowRulesFound, german) << *folder << "\n";
            return kExitUsage;
        }
    }
    if (!load.failed.empty() && !load.error) {
        err << "mbxpop: " << load.failed << ": " << load.readError << "\n";
        return kExitFailed;
    }
    if (load.error) {
        err << "mbxpop: " << load.failed << ":" << load.line << ":" << load.column << ": "
            << load.error->In(german) << "\n";
        return kExitUsage;
    }
    prune.emplace(std::move(rules), request.yes);
    return 0;
}

void TPrune::Run(TMbxPOP& pop, TDeletion& deletion, bool fresh, std::ostream& out,
                 std::ostream& err, bool german, const std::function<bool()>& connectAgain) const {
    pop.Stat();
    if (!pop.Connected())
        return;
    std::vector<TMbxPOP::TMarkedMail> marked;
    std::vector<TListedMark> listed; // to find them again in another session
    uint64_t bytes = 0;
    const auto row = [&](TMsgNumber n, const std::string& header, const std::string& size,
                         const std::string& id) {
        uint64_t octets = 0;
        std::from_chars(size.data(), size.data() + size.size(), octets);
        const TRuleDecision d = rules_.Decide({header, octets, std::nullopt});
        if (d.action != TRuleAction::Discard)
            return;
        out << MailLine(n, size, header) << '\t' << Label(d, german) << '\n';
        marked.push_back({n, octets});
        if (yes_)
            listed.push_back({n, octets, id, header});
        bytes += octets;
    };
    if (ListWithMemory(pop, fresh, false, row, err, german) != TMbxPOP::TPassEnd::Complete)
        return;
    out.flush();
    const auto counted = [](size_t mails, uint64_t octets) {
        return std::to_string(mails) + " (" + std::to_string(octets) + " Byte)";
    };
    if (marked.empty()) {
        err << "mbxpop: " << Pick(mbxpop_texts::NothingMarked, german) << "\n";
        return;
    }
    if (!yes_) {
        err << "mbxpop: " << counted(marked.size(), bytes)
            << Pick(mbxpop_texts::MarkedDryRun, german) << "\n";
        return;
    }
    // A session the server gave up meanwhile is found before any DELE.
    bool lost = !IdleSessionAlive(pop);
    TMbxPOP::TPassEnd deleted = TMbxPOP::TPassEnd::SessionEnded;
    if (!lost) {
        try {
            deleted = deletion.Run(pop, marked);
        } catch (const ESocketError&) {
            if (!deletion.NothingDone(pop))
                throw;
            lost = true;
        }
    }
    if (lost) {
        err << "mbxpop: " << Pick(mbxpop_texts::ConnectingAgain, german) << std::endl;
        deletion.Restart();
        if (!connectAgain())
            return;
        TMarksNow now;
        if (FindMarkedMails(pop, listed, now) != TMbxPOP::TPassEnd::Complete)
            return;
        if (!now.Gone.empty())
            err << "mbxpop: " << Pick(mbxpop_texts::GoneAlready, german) << now.Gone.size() << "\n";
        for (const TListedMark& mail : now.Changed)
            err << "mbxpop: " << Pick(mbxpop_texts::ChangedNotDeleted, german)
                << MailLine(mail.Number, std::to_string(mail.Size), mail.Header) << "\n";
        std::unordered_map<TMsgNumber, uint64_t> sizeOf;
        for (const TListedMark& mail : listed)
            sizeOf.emplace(mail.Number, mail.Size);
        marked.clear();
        bytes = 0;
        for (const TMarksNow::TFound& mail : now.Found) {
            marked.push_back({mail.Now, sizeOf[mail.Listed]});
            bytes += sizeOf[mail.Listed];
        }
        deleted = marked.empty() ? TMbxPOP::TPassEnd::Complete : deletion.Run(pop, marked);
    }
    // The server deletes them only at QUIT.
    if (deleted == TMbxPOP::TPassEnd::Complete && pop.Quit() && deletion.AllDeleted())
        err << "mbxpop: " << counted(marked.size(), bytes) << Pick(mbxpop_texts::Deleted, german)
            << "\n";
}

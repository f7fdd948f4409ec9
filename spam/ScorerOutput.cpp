#include "ScorerOutput.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

#include <sys/wait.h>

namespace {

std::string_view Trimmed(std::string_view s) {
    const size_t begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos)
        return {};
    return s.substr(begin, s.find_last_not_of(" \t\r\n") - begin + 1);
}

// A number as the scorers print it, whatever the locale.
std::optional<double> Number(std::string_view text) {
    text = Trimmed(text);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool IsRuleName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.';
    });
}

std::vector<std::string_view> Lines(const std::string& text) {
    std::vector<std::string_view> lines;
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return lines;
}

// The threshold at 5, twice it (or more) at 10; then the scorer's verdict has the last word:
// spam is 5 or more, ham below 5, so a Sieve test against 5 follows the scorer.
double Normalised(double base, bool isSpam) {
    const double clipped = std::clamp(base, 0.0, 10.0);
    return isSpam ? std::max(clipped, 5.0) : std::min(clipped, 4.9);
}

void SortRules(std::vector<TSpamRule>& rules) {
    std::erase_if(rules, [](const TSpamRule& r) { return r.Points == 0; });
    std::stable_sort(rules.begin(), rules.end(),
                     [](const TSpamRule& a, const TSpamRule& b) { return a.Points > b.Points; });
}

double PerThreshold(double score, double threshold) {
    return threshold > 0 ? 5 * score / threshold : score;
}

// "SCORE/THRESHOLD" (spaces allowed around the slash) into s.
bool ReadScoreAndThreshold(std::string_view text, TSpamScore& s) {
    const size_t slash = text.find('/');
    const auto score = Number(text.substr(0, slash));
    const auto threshold =
        slash == std::string_view::npos ? std::nullopt : Number(text.substr(slash + 1));
    if (!score || !threshold)
        return false;
    s.Score = *score;
    s.Threshold = *threshold;
    return true;
}

std::optional<TSpamScore> Spamc(const std::string& output, std::string& why) {
    const auto lines = Lines(output);
    TSpamScore s;
    if (lines.empty() || !ReadScoreAndThreshold(lines[0], s)) {
        why = "no \"score/threshold\" line";
        return std::nullopt;
    }
    s.IsSpam = s.Score >= *s.Threshold;
    // Rows of the table: points in the first columns, then the rule's name; wrapped
    // descriptions are indented far deeper.
    bool inTable = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.rfind("----", 0) == 0) {
            inTable = true;
            continue;
        }
        const size_t start = line.find_first_not_of(' ');
        if (!inTable || start == std::string_view::npos || start > 4)
            continue;
        std::istringstream row{std::string(line)};
        std::string points, name;
        row >> points >> name;
        const auto value = Number(points);
        if (value && IsRuleName(name))
            s.Rules.push_back({name, *value});
    }
    SortRules(s.Rules);
    s.Normalised = Normalised(PerThreshold(s.Score, *s.Threshold), s.IsSpam);
    return s;
}

// rspamc prints its verdict first, then lines that quote the mail (Message-ID, URLs, subject):
// only the first "Spam:" and "Score:" count, and "Symbol:" lines only in the block after the
// score, so a mail cannot bring its own verdict.
std::optional<TSpamScore> Rspamc(const std::string& output, std::string& why) {
    TSpamScore s;
    std::optional<bool> spam;
    bool scored = false, symbolsDone = false;
    for (const std::string_view line : Lines(output)) {
        const auto after = [&](std::string_view key) {
            return line.rfind(key, 0) == 0 ? Trimmed(line.substr(key.size())) : std::string_view{};
        };
        if (scored) {
            const auto symbol = after("Symbol:");
            symbolsDone = symbolsDone || symbol.empty();
            if (symbolsDone)
                continue;
            const size_t open = symbol.find(" (");
            const size_t close = symbol.find(')', open);
            if (open == std::string_view::npos || close == std::string_view::npos)
                continue;
            const auto points = Number(symbol.substr(open + 2, close - open - 2));
            if (points && IsRuleName(symbol.substr(0, open)))
                s.Rules.push_back({std::string(symbol.substr(0, open)), *points});
        } else if (const auto value = after("Spam:"); !value.empty()) {
            if (!spam)
                spam = value == "true";
        } else if (const auto text = after("Score:"); !text.empty()) {
            if (!ReadScoreAndThreshold(text, s)) {
                why = "unreadable \"Score:\" line";
                return std::nullopt;
            }
            scored = true;
        }
    }
    if (!scored) {
        why = "no \"Score:\" line";
        return std::nullopt;
    }
    // rspamd's threshold is the one for rejecting; "Spam:" also counts its milder actions.
    s.IsSpam = spam.value_or(s.Score >= *s.Threshold);
    SortRules(s.Rules);
    s.Normalised = Normalised(PerThreshold(s.Score, *s.Threshold), s.IsSpam);
    return s;
}

std::optional<TSpamScore> Bogofilter(const std::string& output, std::string& why) {
    const auto lines = Lines(output);
    const std::string_view first = lines.empty() ? std::string_view{} : Trimmed(lines[0]);
    const auto spamicity = first.size() > 2 ? Number(first.substr(2)) : std::nullopt;
    if (!spamicity || first[1] != ' ' || std::strchr("SHU", first[0]) == nullptr ||
        *spamicity < 0 || *spamicity > 1) {
        why = "no \"S|H|U spamicity\" line";
        return std::nullopt;
    }
    TSpamScore s;
    s.Score = *spamicity;
    s.IsSpam = first[0] == 'S';
    s.Normalised = Normalised(10 * s.Score, s.IsSpam);
    return s;
}

// The last non-empty line of a text, the spot where the client programs put their error.
std::string LastLine(const std::string& text) {
    const auto lines = Lines(text);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (!Trimmed(*it).empty())
            return std::string(Trimmed(*it));
    return {};
}

// Why a run did not end as the command's success, or nullopt when it did.
std::optional<TScorerProblem> RunProblem(const TScorerConfig& config, const TChildResult& run,
                                         bool scoring) {
    TScorerProblem p;
    p.Program = ScorerProgram(config);
    if (run.StartError != 0) {
        p.Cause = run.StartError == ENOENT || run.StartError == EACCES
                      ? TScorerFailure::NotFound
                      : TScorerFailure::CannotStart;
        p.Detail = std::strerror(run.StartError);
        return p;
    }
    if (run.TimedOut) {
        p.Cause = TScorerFailure::Timeout;
        p.TimeoutSeconds = static_cast<int>((config.Timeout.count() + 999) / 1000);
        return p;
    }
    p.Cause = TScorerFailure::Failed;
    if (WIFSIGNALED(run.Status)) {
        p.Detail = std::string("killed by signal ") + std::to_string(WTERMSIG(run.Status));
        return p;
    }
    const int code = WIFEXITED(run.Status) ? WEXITSTATUS(run.Status) : -1;
    // bogofilter scores with 0 (spam), 1 (ham) or 2 (unsure); 3 is its error.
    const bool ok =
        scoring && config.Kind == TScorerKind::Bogofilter ? code >= 0 && code <= 2 : code == 0;
    if (ok)
        return std::nullopt;
    p.Detail = LastLine(run.Errors);
    // rspamc tells its failures on standard output; spamc prints "0/0" there and logs the
    // reason to syslog, leaving only its exit status (sysexits.h) to go by.
    if (p.Detail.empty() && config.Kind == TScorerKind::Rspamd)
        p.Detail = LastLine(run.Output);
    if (p.Detail.empty() && config.Kind == TScorerKind::SpamAssassin && code == 69)
        p.Detail = "spamd cannot be reached";
    if (p.Detail.empty())
        p.Detail = "exit status " + std::to_string(code);
    return p;
}

} // namespace

std::optional<TSpamScore> ParseScoreOutput(TScorerKind kind, const std::string& output,
                                           std::string& why) {
    switch (kind) {
    case TScorerKind::SpamAssassin:
        return Spamc(output, why);
    case TScorerKind::Rspamd:
        return Rspamc(output, why);
    case TScorerKind::Bogofilter:
        return Bogofilter(output, why);
    }
    return std::nullopt;
}

std::variant<TSpamScore, TScorerProblem> JudgeScoreRun(const TScorerConfig& config,
                                                       const TChildResult& run) {
    if (auto problem = RunProblem(config, run, true))
        return *problem;
    std::string why;
    if (auto score = ParseScoreOutput(config.Kind, run.Output, why))
        return *score;
    TScorerProblem p;
    p.Cause = TScorerFailure::BadOutput;
    p.Program = ScorerProgram(config);
    p.Detail = why;
    return p;
}

std::optional<TScorerProblem> JudgeLearnRun(const TScorerConfig& config, const TChildResult& run) {
    return RunProblem(config, run, false);
}

#include "ScoreMemory.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "AtomicFile.h"
#include "UniqueId.h"

namespace {

// id SCORE THRESHOLD|- spam|ham NORMALISED [RULE=POINTS ...], one mail a line
constexpr const char* kFirstLine = "inboxpruner scores 1";
constexpr std::string_view kSettingWord = "setting ";

// A word of the file: bytes outside printable ASCII, blanks, '=' and '%' as %XX.
std::string Escaped(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '=' || c == '%') {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescaped(std::string_view word, std::string& out) {
    out.clear();
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            out += word[i];
            continue;
        }
        unsigned value = 0;
        if (word.size() - i < 3)
            return false;
        const auto [end, error] =
            std::from_chars(word.data() + i + 1, word.data() + i + 3, value, 16);
        if (error != std::errc{} || end != word.data() + i + 3)
            return false;
        out += static_cast<char>(value);
        i += 2;
    }
    return true;
}

std::string Number(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : "nan";
}

bool ParseNumber(std::string_view word, double& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc{} && end == word.data() + word.size() && std::isfinite(value);
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos <= line.size()) {
        const size_t blank = line.find(' ', pos);
        const size_t end = blank == std::string_view::npos ? line.size() : blank;
        words.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return words;
}

// One line of a mail; false when it is not one.
bool ParseMail(std::string_view line, std::string& id, TSpamScore& score) {
    const std::vector<std::string_view> words = Words(line);
    if (words.size() < 5)
        return false;
    id = words[0];
    if (id.size() > kMaxUniqueIdLength || !IsUniqueId(id))
        return false;
    if (!ParseNumber(words[1], score.Score) || !ParseNumber(words[4], score.Normalised) ||
        score.Normalised < 0 || score.Normalised > 10)
        return false;
    if (words[2] != "-") {
        double threshold = 0;
        if (!ParseNumber(words[2], threshold))
            return false;
        score.Threshold = threshold;
    }
    if (words[3] != "spam" && words[3] != "ham")
        return false;
    score.IsSpam = words[3] == "spam";
    for (size_t i = 5; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        TSpamRule rule;
        if (equals == std::string_view::npos || equals == 0 ||
            !Unescaped(words[i].substr(0, equals), rule.Name) ||
            !ParseNumber(words[i].substr(equals + 1), rule.Points))
            return false;
        score.Rules.push_back(std::move(rule));
    }
    return true;
}

} // namespace

std::string ScoreSettingKey(const TScorerConfig& config, uint32_t bodyLines) {
    return Escaped(ScorerProgramName(config.Kind)) + " address=" + Escaped(config.Address) +
           " wordlist=" + Escaped(config.WordListDir) + " program=" + Escaped(config.Program) +
           " lines=" + std::to_string(bodyLines);
}

TScoreMemory TScoreMemory::Load(const std::string& path, const std::string& setting) {
    TScoreMemory memory;
    memory.setting_ = setting;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT)
            return memory;
        throw std::system_error(errno, std::generic_category(), "cannot read " + path);
    }
    const auto damaged = [&](size_t line) {
        memory.scores_.clear();
        memory.problem_ = "the file " + path + " is damaged at line " + std::to_string(line);
        return std::move(memory);
    };
    const auto unreadable = [&] {
        return std::system_error(errno, std::generic_category(), "cannot read " + path);
    };
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine) {
        if (in.bad())
            throw unreadable();
        return damaged(1);
    }
    if (!std::getline(in, line) || !line.starts_with(kSettingWord))
        return damaged(2);
    // Scores of another setting are no scores of this one.
    if (std::string_view(line).substr(kSettingWord.size()) != Escaped(setting))
        return memory;
    std::string id;
    for (size_t number = 3; std::getline(in, line); ++number) {
        TSpamScore score;
        if (!ParseMail(line, id, score) || !memory.scores_.emplace(id, std::move(score)).second)
            return damaged(number);
    }
    if (in.bad())
        throw unreadable();
    return memory;
}

const TSpamScore* TScoreMemory::Find(const std::string& id) const {
    const auto found = scores_.find(id);
    return found == scores_.end() ? nullptr : &found->second;
}

void TScoreMemory::Remember(const std::string& id, const TSpamScore& score) {
    // An id no file could hold, or a score no file could say, is scored afresh each time.
    if (id.size() > kMaxUniqueIdLength || !IsUniqueId(id) || !std::isfinite(score.Score) ||
        !std::isfinite(score.Normalised) || (score.Threshold && !std::isfinite(*score.Threshold)))
        return;
    scores_.insert_or_assign(id, score);
}

void TScoreMemory::Listed(const std::string& id) {
    listed_.insert(id);
}

void TScoreMemory::Save(const std::string& path, bool complete) const {
    std::ostringstream text;
    text << kFirstLine << '\n' << kSettingWord << Escaped(setting_) << '\n';
    for (const auto& [id, score] : scores_) {
        if (complete && !listed_.contains(id))
            continue;
        text << id << ' ' << Number(score.Score) << ' '
             << (score.Threshold ? Number(*score.Threshold) : "-") << ' '
             << (score.IsSpam ? "spam" : "ham") << ' ' << Number(score.Normalised);
        for (const TSpamRule& rule : score.Rules)
            text << ' ' << Escaped(rule.Name) << '=' << Number(rule.Points);
        text << '\n';
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty())
        MakeOwnerOnlyFolder(folder);
    WriteFileAtomically(path, text.str());
}

#include "SeenMails.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "AtomicFile.h"
#include "UniqueId.h"

namespace {

constexpr const char* kFirstLine = "inboxpruner seen mails 1";

} // namespace

TSeenMails TSeenMails::Load(const std::string& path) {
    TSeenMails seen;
    std::error_code missing;
    if (!std::filesystem::exists(path, missing) && !missing)
        return seen;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::system_error(errno, std::generic_category(), "cannot read " + path);
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine)
        throw std::runtime_error("the file " + path + " is not a list of seen mails");
    seen.listed_ = true;
    for (size_t number = 2; std::getline(in, line); ++number) {
        const size_t blank = line.find(' ');
        int64_t since = 0;
        const char* end = line.data() + (blank == std::string::npos ? line.size() : blank);
        const auto [stop, error] = std::from_chars(line.data(), end, since);
        const std::string_view id = blank == std::string::npos
                                        ? std::string_view{}
                                        : std::string_view(line).substr(blank + 1);
        // In order, each id once, as Save writes them: lookups are by binary search.
        if (error != std::errc{} || stop != end || since < 0 || !IsUniqueId(id) ||
            (!seen.firstListed_.empty() && seen.firstListed_.back().first >= id))
            throw std::runtime_error("the file " + path + " is damaged at line " +
                                     std::to_string(number));
        seen.firstListed_.emplace_back(id, since);
    }
    if (in.bad())
        throw std::system_error(errno, std::generic_category(), "cannot read " + path);
    return seen;
}

void TSeenMails::Save(const std::string& path) const {
    std::string text = std::string(kFirstLine) + '\n';
    text.reserve(text.size() + firstListed_.size() * 40);
    char digits[24];
    for (const auto& [id, since] : firstListed_) {
        const auto end = std::to_chars(digits, digits + sizeof digits, since).ptr;
        text.append(digits, end).append(1, ' ').append(id).append(1, '\n');
    }
    WriteFileAtomically(path, text);
}

TSeenMails::TSighting TSeenMails::Sight(const std::string& id, int64_t now) const {
    if (id.empty())
        return {};
    const auto before =
        std::lower_bound(firstListed_.begin(), firstListed_.end(), id,
                         [](const std::pair<std::string, int64_t>& seen,
                            const std::string& wanted) { return seen.first < wanted; });
    const bool known = before != firstListed_.end() && before->first == id;
    return {listed_ && !known, known ? before->second : now};
}

std::vector<TSeenMails::TSighting> TSeenMails::Note(const std::vector<std::string>& ids,
                                                    int64_t now) {
    std::vector<std::pair<std::string, int64_t>> listed;
    listed.reserve(ids.size());
    std::vector<TSighting> sightings;
    sightings.reserve(ids.size());
    for (const std::string& id : ids) {
        if (id.empty()) {
            sightings.push_back({});
            continue;
        }
        sightings.push_back(Sight(id, now));
        listed.emplace_back(id, sightings.back().Since);
    }
    std::sort(listed.begin(), listed.end());
    // An id named twice is kept once (both got the same sighting).
    listed.erase(std::unique(listed.begin(), listed.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 listed.end());
    firstListed_ = std::move(listed);
    listed_ = true;
    return sightings;
}

#include "SeenMails.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
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

TSeenMails::TSighting TSeenMails::Sight(const std::string& id, int64_t now, size_t* place) const {
    if (place)
        *place = kUnknown;
    if (id.empty())
        return {};
    const auto before =
        std::lower_bound(firstListed_.begin(), firstListed_.end(), id,
                         [](const std::pair<std::string, int64_t>& seen,
                            const std::string& wanted) { return seen.first < wanted; });
    const bool known = before != firstListed_.end() && before->first == id;
    if (known && place)
        *place = static_cast<size_t>(before - firstListed_.begin());
    return {listed_ && !known, known ? before->second : now};
}

std::vector<TSeenMails::TSighting> TSeenMails::Note(const std::vector<std::string>& ids,
                                                    int64_t now) {
    std::vector<TSighting> sightings;
    sightings.reserve(ids.size());
    std::vector<size_t> places(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        sightings.push_back(Sight(ids[i], now, &places[i]));
    NoteSighted(ids, places, now);
    return sightings;
}

void TSeenMails::NoteSighted(const std::vector<std::string>& ids, const std::vector<size_t>& places,
                             int64_t now) {
    // The known ids stay in their sorted places and only the new ones are sorted: a listing
    // of many thousands mostly names mails seen before.
    std::vector<char> still(firstListed_.size(), 0);
    std::vector<std::pair<std::string, int64_t>> fresh;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i].empty())
            continue;
        const size_t place = i < places.size() ? places[i] : kUnknown;
        if (place < firstListed_.size() && firstListed_[place].first == ids[i])
            still[place] = 1;
        else
            fresh.emplace_back(ids[i], now);
    }
    std::sort(fresh.begin(), fresh.end());
    // An id named twice is kept once (both got the same sighting).
    fresh.erase(std::unique(fresh.begin(), fresh.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                fresh.end());
    // In place: the ids gone leave, the new ones are merged in behind the known ones.
    size_t kept = 0;
    for (size_t i = 0; i < firstListed_.size(); ++i)
        if (still[i]) {
            if (kept != i)
                firstListed_[kept] = std::move(firstListed_[i]);
            ++kept;
        }
    firstListed_.resize(kept);
    firstListed_.insert(firstListed_.end(), std::make_move_iterator(fresh.begin()),
                        std::make_move_iterator(fresh.end()));
    std::inplace_merge(firstListed_.begin(),
                       firstListed_.begin() + static_cast<std::ptrdiff_t>(kept), firstListed_.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
    listed_ = true;
}

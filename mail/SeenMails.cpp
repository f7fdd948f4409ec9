#include "SeenMails.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
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
        if (error != std::errc{} || stop != end || since < 0 || !IsUniqueId(id) ||
            !seen.firstListed_.emplace(std::string(id), since).second)
            throw std::runtime_error("the file " + path + " is damaged at line " +
                                     std::to_string(number));
    }
    if (in.bad())
        throw std::system_error(errno, std::generic_category(), "cannot read " + path);
    return seen;
}

void TSeenMails::Save(const std::string& path) const {
    std::ostringstream text;
    text << kFirstLine << '\n';
    for (const auto& [id, since] : firstListed_)
        text << since << ' ' << id << '\n';
    WriteFileAtomically(path, text.str());
}

TSeenMails::TSighting TSeenMails::Sight(const std::string& id, int64_t now) const {
    if (id.empty())
        return {};
    const auto before = firstListed_.find(id);
    const bool known = before != firstListed_.end();
    return {listed_ && !known, known ? before->second : now};
}

std::vector<TSeenMails::TSighting> TSeenMails::Note(const std::vector<std::string>& ids,
                                                    int64_t now) {
    std::map<std::string, int64_t> listed;
    std::vector<TSighting> sightings;
    sightings.reserve(ids.size());
    for (const std::string& id : ids) {
        if (id.empty()) {
            sightings.push_back({});
            continue;
        }
        sightings.push_back(Sight(id, now));
        listed.emplace(id, sightings.back().Since);
    }
    firstListed_ = std::move(listed);
    listed_ = true;
    return sightings;
}

#include "SeenMarkers.h"

#include "AtomicFile.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <unordered_map>
#include <utility>

namespace {

constexpr const char* kUnconfirmedFirstLine = "inboxpruner unconfirmed deletions 1";

// Beside the account's seen file.
std::string UnconfirmedFile(const std::string& seenFile) {
    return seenFile + ".unconfirmed";
}

// The ids noted; none when there is no note, or it is not one.
std::set<std::string> ReadUnconfirmed(const std::string& file) {
    std::set<std::string> ids;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line != kUnconfirmedFirstLine)
        return ids;
    while (std::getline(in, line))
        if (!line.empty())
            ids.insert(line);
    return ids;
}

} // namespace

std::string TSeenMarkers::Begin(std::string path, int64_t now) {
    path_ = std::move(path);
    now_ = now;
    ids_.clear();
    places_.clear();
    withIds_ = 0;
    new_ = 0;
    seen_ = {};
    try {
        seen_ = TSeenMails::Load(path_);
    } catch (const std::exception& e) {
        return e.what();
    }
    // Room for a listing like the last one, taken once rather than grown row by row.
    ids_.reserve(seen_.Known() + seen_.Known() / 16);
    places_.reserve(ids_.capacity());
    return {};
}

TSeenMails::TSighting TSeenMarkers::Take(std::string id) {
    size_t place = TSeenMails::kUnknown;
    const TSeenMails::TSighting sighting = seen_.Sight(id, now_, &place);
    places_.push_back(place);
    withIds_ += id.empty() ? 0 : 1;
    new_ += sighting.New ? 1 : 0;
    ids_.push_back(std::move(id));
    return sighting;
}

void TSeenMarkers::Save() {
    MakeOwnerOnlyFolder(std::filesystem::path(path_).parent_path().string());
    seen_.NoteSighted(ids_, places_, now_);
    seen_.Save(path_);
}

std::string TSeenMarkers::IdOf(int number) const {
    if (number < 1 || number > static_cast<int>(ids_.size()))
        return {};
    return ids_[static_cast<size_t>(number - 1)];
}

void TSeenMarkers::NoteUnconfirmed(const std::vector<std::string>& ids) const {
    const std::string file = UnconfirmedFile(path_);
    std::set<std::string> noted = ReadUnconfirmed(file);
    for (const std::string& id : ids)
        if (!id.empty())
            noted.insert(id);
    if (noted.empty())
        return;
    std::string text = std::string(kUnconfirmedFirstLine) + '\n';
    for (const std::string& id : noted)
        text += id + '\n';
    MakeOwnerOnlyFolder(std::filesystem::path(path_).parent_path().string());
    WriteFileAtomically(file, text);
}

std::optional<TSeenMarkers::TUnconfirmed> TSeenMarkers::TakeUnconfirmed() {
    const std::string file = UnconfirmedFile(path_);
    std::error_code none;
    if (path_.empty() || !std::filesystem::exists(file, none))
        return std::nullopt;
    const std::set<std::string> noted = ReadUnconfirmed(file);
    std::filesystem::remove(file, none);
    if (noted.empty())
        return std::nullopt;
    std::unordered_map<std::string, int> listed;
    for (size_t i = 0; i < ids_.size(); ++i)
        listed.emplace(ids_[i], static_cast<int>(i + 1));
    TUnconfirmed told;
    told.Noted = static_cast<int>(noted.size());
    for (const std::string& id : noted) {
        const auto there = listed.find(id);
        if (there == listed.end())
            ++told.Gone;
        else
            told.Listed.push_back(there->second);
    }
    std::sort(told.Listed.begin(), told.Listed.end());
    return told;
}

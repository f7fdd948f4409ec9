#include "SeenMarkers.h"

#include "AtomicFile.h"

#include <exception>
#include <filesystem>
#include <utility>

std::string TSeenMarkers::Begin(std::string path, int64_t now) {
    path_ = std::move(path);
    now_ = now;
    ids_.clear();
    withIds_ = 0;
    new_ = 0;
    seen_ = {};
    try {
        seen_ = TSeenMails::Load(path_);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

TSeenMails::TSighting TSeenMarkers::Take(const std::string& id) {
    ids_.push_back(id);
    const TSeenMails::TSighting sighting = seen_.Sight(id, now_);
    withIds_ += id.empty() ? 0 : 1;
    new_ += sighting.New ? 1 : 0;
    return sighting;
}

void TSeenMarkers::Save() {
    MakeOwnerOnlyFolder(std::filesystem::path(path_).parent_path().string());
    seen_.Note(ids_, now_);
    seen_.Save(path_);
}

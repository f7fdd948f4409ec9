#include "UnsubscribedLists.h"

#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr std::int64_t kGraceMs = 48LL * 3600 * 1000;

} // namespace

std::string TUnsubscribedLists::Load(const std::string& path) {
    path_ = path;
    lists_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT)
            return {};
        return std::strerror(errno);
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const size_t tab = line.find('\t');
        std::int64_t when = 0;
        std::istringstream time(line.substr(0, tab));
        if (tab == std::string::npos || tab + 1 == line.size() || !(time >> when) || !time.eof() ||
            when <= 0) {
            lists_.clear();
            return "line " + std::to_string(number) + " is damaged";
        }
        lists_[line.substr(tab + 1)] = when;
    }
    return {};
}

std::int64_t TUnsubscribedLists::Since(const std::string& list) const {
    const auto found = lists_.find(list);
    return found == lists_.end() ? 0 : found->second;
}

void TUnsubscribedLists::Add(const std::string& list, std::int64_t when) {
    std::map<std::string, std::int64_t> lists = lists_;
    lists[list] = when;
    std::string text;
    for (const auto& [name, time] : lists)
        text += std::to_string(time) + "\t" + name + "\n";
    MakeOwnerOnlyFolder(std::filesystem::path(path_).parent_path().string());
    WriteFileAtomically(path_, text);
    lists_ = std::move(lists);
}

bool StillSending(std::int64_t since, std::int64_t dateMs) {
    return since > 0 && dateMs > since * 1000 + kGraceMs;
}

#pragma once

// The unique ids (UIDL) one account's server listed, each with the time it was first listed,
// kept from one listing to the next in a small file of its own.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TSeenMails {
public:
    // What one listing learns of one mail.
    struct TSighting {
        bool New = false;  // not listed the last time
        int64_t Since = 0; // first listed then, in seconds since 1970; 0 without an id
    };

    // The file as the last Save left it; none there: no listing recorded yet. Throws
    // std::runtime_error naming the file and line when it is damaged, std::system_error when
    // it cannot be read.
    static TSeenMails Load(const std::string& path);
    // Writes the file atomically, owner-only. Throws std::system_error naming it.
    void Save(const std::string& path) const;

    // A listing was recorded before.
    bool Listed() const { return listed_; }
    // How many ids it knows: about as many as the next listing gives.
    std::size_t Known() const { return firstListed_.size(); }
    // Takes the ids of a listing made at now, one per mail in order ("" where the server gave
    // none): a sighting per id. Ids not listed any more are forgotten. The first listing of an
    // account calls no mail new, as every one would be.
    std::vector<TSighting> Note(const std::vector<std::string>& ids, int64_t now);
    // What Note would say of one id listed at now, before the listing is whole. place: where
    // the id is among the ids known (kUnknown: it is not), for NoteSighted.
    static constexpr size_t kUnknown = static_cast<size_t>(-1);
    TSighting Sight(const std::string& id, int64_t now, size_t* place = nullptr) const;
    // As Note, for ids that were each sighted already (places as Sight gave them, for this
    // file as it is): a listing of many thousands is not looked up a second time.
    void NoteSighted(const std::vector<std::string>& ids, const std::vector<size_t>& places,
                     int64_t now);

private:
    // Sorted by id, each once: the file keeps them in that order.
    std::vector<std::pair<std::string, int64_t>> firstListed_;
    bool listed_ = false;
};

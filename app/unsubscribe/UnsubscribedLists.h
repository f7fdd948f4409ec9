#pragma once

// The lists the user unsubscribed from, per account, with the date: one line each, the time
// (seconds since 1970), a tab and the list (its List-Id, else the sender's address). The file
// is written whole or not at all, owner-only.

#include <cstdint>
#include <map>
#include <string>

class TUnsubscribedLists {
public:
    // Reads path; a missing file is an empty memory. The reason when the file cannot be read
    // or is damaged (the memory is empty then, and the file is left as it is until Add).
    std::string Load(const std::string& path);
    bool Empty() const { return lists_.empty(); }
    // When the list was unsubscribed from (seconds since 1970); 0 for never.
    std::int64_t Since(const std::string& list) const;
    // The list with this time, written to the file loaded. Throws std::system_error naming the
    // file and the reason.
    void Add(const std::string& list, std::int64_t when);

private:
    std::string path_;
    std::map<std::string, std::int64_t> lists_;
};

// Mail from a list unsubscribed from at since that arrived (dateMs) more than two days after:
// the providers give senders 48 hours to stop.
bool StillSending(std::int64_t since, std::int64_t dateMs);

#pragma once

// The unique ids of one listing (UIDL n, RFC 1939): 1 to 70 printable characters, one per
// mail, no two alike. A server may send anything; an id that breaks these rules is not used.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "mbx_events.h"

inline constexpr size_t kMaxUniqueIdLength = 70;

class TUniqueIds {
public:
    // The id of mail n into id, from the text of its "+OK" answer ("n id"); why not, when the
    // answer names another mail or gives an id that is empty, too long, not printable, or that
    // of another mail of this listing.
    std::optional<std::string> Take(TMsgNumber n, std::string_view replyText, std::string& id);

    // Room for the ids of this many mails at once (a whole mailbox's UIDL).
    void Reserve(size_t mails) { owners_.reserve(mails); }

private:
    std::unordered_map<std::string, TMsgNumber> owners_;
};

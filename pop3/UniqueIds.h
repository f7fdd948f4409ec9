#pragma once

// The unique ids of one listing (UIDL n, RFC 1939): 1 to 70 printable characters, one per
// mail, no two alike. A server may send anything; an id that breaks these rules is not used.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mbx_events.h"

struct TIndexedMail;

inline constexpr size_t kMaxUniqueIdLength = 70;

class TUniqueIds {
public:
    // The id of mail n into id, from the text of its "+OK" answer ("n id"); why not, when the
    // answer names another mail or gives an id that is empty, too long, not printable, or that
    // of another mail of this listing.
    std::optional<std::string> Take(TMsgNumber n, std::string_view replyText, std::string& id);

    // The ids of a whole mailbox's UIDL answer, one reply text per mail of mails (in order),
    // into their Id; why not (all Ids left empty): the first reply Take would refuse alone,
    // else the lowest mail given the id of another.
    static std::optional<std::string> TakeAll(const std::vector<std::string_view>& replies,
                                              std::vector<TIndexedMail>& mails);

private:
    static std::optional<std::string> Read(TMsgNumber n, std::string_view replyText,
                                           std::string_view& id);
    static std::string Shared(TMsgNumber n, TMsgNumber owner);

    std::unordered_map<std::string, TMsgNumber> owners_;
};

#include "UniqueIds.h"

#include "ServerNumbers.h"

std::optional<std::string> TUniqueIds::Take(TMsgNumber n, std::string_view replyText,
                                            std::string& id) {
    id.clear();
    const std::string mail = std::to_string(n);
    const size_t blank = replyText.find(' ');
    const auto named = ReadServerNumber(replyText.substr(0, blank), "mail number", kMaxMailCount);
    if (named.Error)
        return named.Error;
    if (named.Value != n)
        return "the server answered UIDL " + mail + " for mail " + std::to_string(named.Value);
    const std::string_view word =
        blank == std::string_view::npos ? std::string_view{} : replyText.substr(blank + 1);
    if (word.empty())
        return "the server sent no unique id for mail " + mail;
    if (word.size() > kMaxUniqueIdLength)
        return "the server's unique id for mail " + mail + " is longer than " +
               std::to_string(kMaxUniqueIdLength) + " characters";
    for (const char c : word)
        if (c < 0x21 || c > 0x7e)
            return "the server's unique id for mail " + mail +
                   " holds a character that is not "
                   "printable ASCII";
    const auto [owner, fresh] = owners_.emplace(std::string(word), n);
    if (!fresh)
        return "the server gave mail " + mail + " the unique id of mail " +
               std::to_string(owner->second);
    id = word;
    return std::nullopt;
}

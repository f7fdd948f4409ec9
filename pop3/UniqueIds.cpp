#include "UniqueIds.h"

#include "MbxPOP3.h"
#include "ServerNumbers.h"

#include <algorithm>
#include <numeric>

std::optional<std::string> TUniqueIds::Read(TMsgNumber n, std::string_view replyText,
                                            std::string_view& id) {
    id = {};
    const size_t blank = replyText.find(' ');
    const auto named = ReadServerNumber(replyText.substr(0, blank), "mail number", kMaxMailCount);
    if (named.Error)
        return named.Error;
    if (named.Value != n)
        return "the server answered UIDL " + std::to_string(n) + " for mail " +
               std::to_string(named.Value);
    const std::string_view word =
        blank == std::string_view::npos ? std::string_view{} : replyText.substr(blank + 1);
    if (word.empty())
        return "the server sent no unique id for mail " + std::to_string(n);
    if (word.size() > kMaxUniqueIdLength)
        return "the server's unique id for mail " + std::to_string(n) + " is longer than " +
               std::to_string(kMaxUniqueIdLength) + " characters";
    for (const char c : word)
        if (c < 0x21 || c > 0x7e)
            return "the server's unique id for mail " + std::to_string(n) +
                   " holds a character that is not printable ASCII";
    id = word;
    return std::nullopt;
}

std::string TUniqueIds::Shared(TMsgNumber n, TMsgNumber owner) {
    return "the server gave mail " + std::to_string(n) + " the unique id of mail " +
           std::to_string(owner);
}

std::optional<std::string> TUniqueIds::Take(TMsgNumber n, std::string_view replyText,
                                            std::string& id) {
    id.clear();
    std::string_view word;
    if (auto error = Read(n, replyText, word))
        return error;
    const auto [owner, fresh] = owners_.emplace(std::string(word), n);
    if (!fresh)
        return Shared(n, owner->second);
    id = word;
    return std::nullopt;
}

std::optional<std::string> TUniqueIds::TakeAll(const std::vector<std::string_view>& replies,
                                               std::vector<TIndexedMail>& mails) {
    for (size_t i = 0; i < replies.size(); ++i) {
        std::string_view word;
        if (auto error = Read(mails[i].Number, replies[i], word))
            return error;
        mails[i].Id = word;
    }
    // Two alike meet when sorted: one sort instead of a table of every id. Among equals the
    // lowest number comes first and owns the id.
    std::vector<uint32_t> order(mails.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int by = mails[a].Id.compare(mails[b].Id);
        return by != 0 ? by < 0 : a < b;
    });
    std::optional<std::pair<TMsgNumber, TMsgNumber>> shared; // the lowest mail that shares
    size_t owner = 0;
    for (size_t k = 1; k < order.size(); ++k) {
        const TIndexedMail& mail = mails[order[k]];
        if (mail.Id != mails[order[owner]].Id)
            owner = k;
        else if (!shared || mail.Number < shared->first)
            shared = {mail.Number, mails[order[owner]].Number};
    }
    if (shared) {
        for (TIndexedMail& mail : mails)
            mail.Id.clear();
        return Shared(shared->first, shared->second);
    }
    return std::nullopt;
}

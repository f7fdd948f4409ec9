#pragma once

// The listed mails grouped by what holds the space: each group's mails, bytes and dates.

#include "ListedFacts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Month is used inside Year only; Attachments groups into those with files and the rest.
enum class TGrouping : uint8_t { Sender, Domain, List, Year, Month, Size, Attachments };

// "sender", "domain", "list", "year", "size" (the names mbxpop takes); none for others.
std::optional<TGrouping> GroupingFromName(std::string_view name);

// One listed mail as the grouping reads it: small, its texts kept once in the index.
struct TSpaceMail {
    int Number = 0;
    long long Octets = 0; // unknown sizes count as 0
    int64_t Date = 0;     // seconds since 1970 UTC, when Month > 0
    uint32_t Sender = 0;  // text ids of the index (0: none)
    uint32_t Domain = 0;
    uint32_t List = 0;
    uint32_t Month = 0; // year * 100 + month (UTC), 0 without a date
    TSizeBand Band = TSizeBand::Small;
    bool Attachments = false;
};

// The listed mails, in the order listed. A mail's texts (sender, domain, list) are kept once
// however many mails share them.
class TSpaceIndex {
public:
    TSpaceIndex();
    // octets below 0: unknown.
    void Add(int number, long long octets, std::string_view header);
    void Add(int number, long long octets, const TListedFacts& facts);
    // These mails are gone from the server.
    void Remove(std::vector<int> numbers);
    void Clear();

    const std::vector<TSpaceMail>& Mails() const { return mails_; }
    long long Bytes() const { return bytes_; }
    // The text of an id ("" for 0).
    const std::string& Text(uint32_t id) const { return texts_[id]; }
    // Text ids run from 0 to below this.
    std::size_t TextCount() const { return texts_.size(); }
    // The id of a mail's group (0: none of it, as a mail without sender or date).
    static uint32_t GroupId(const TSpaceMail& mail, TGrouping by);
    // The group's key as text: the address, domain or list id, "2026", "2026-03", a size
    // band's name (SizeBandName) or "attachments"; empty for the mails of none.
    std::string KeyText(TGrouping by, uint32_t id) const;
    // The memory the index holds, roughly, in bytes.
    std::size_t MemoryBytes() const;

private:
    uint32_t TextId(const std::string& text);

    std::vector<TSpaceMail> mails_;
    std::vector<std::string> texts_;
    std::unordered_map<std::string, uint32_t> ids_;
    long long bytes_ = 0;
};

// ">=10MB", "1-10MB", "100KB-1MB", "<100KB".
std::string_view SizeBandName(TSizeBand band);

struct TSpaceGroup {
    TGrouping By = TGrouping::Sender;
    uint32_t Id = 0; // TSpaceIndex::GroupId of its mails
    std::string Key; // TSpaceIndex::KeyText
    int Mails = 0;
    long long Bytes = 0;
    std::optional<int64_t> Oldest, Newest; // none when no mail of it has a date
    int Marked = 0;                        // filled by CountMarked
    // Domain: its senders; Year: its months; both largest first.
    std::vector<TSpaceGroup> Inner;
};

// The groups, largest (bytes) first, ties by key.
std::vector<TSpaceGroup> GroupMails(const TSpaceIndex& index, TGrouping by);

// The message numbers of a group's mails, in the order listed.
std::vector<int> NumbersIn(const TSpaceIndex& index, TGrouping by, uint32_t id);

// Sets each group's (and inner group's) Marked from marked(number).
void CountMarked(std::vector<TSpaceGroup>& groups, const TSpaceIndex& index,
                 const std::function<bool(int number)>& marked);

// "2026-12-09" (UTC).
std::string DayText(int64_t seconds);

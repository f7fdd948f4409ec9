#include "SpaceGroups.h"

#include "MailDate.h"

#include <algorithm>
#include <array>

namespace {

void AddMail(TSpaceGroup& group, const TSpaceMail& mail) {
    ++group.Mails;
    group.Bytes += mail.Octets;
    if (mail.Month == 0)
        return;
    if (!group.Oldest || mail.Date < *group.Oldest)
        group.Oldest = mail.Date;
    if (!group.Newest || mail.Date > *group.Newest)
        group.Newest = mail.Date;
}

void SortLargestFirst(std::vector<TSpaceGroup>& groups) {
    std::sort(groups.begin(), groups.end(), [](const TSpaceGroup& a, const TSpaceGroup& b) {
        return a.Bytes != b.Bytes ? a.Bytes > b.Bytes : a.Key < b.Key;
    });
}

// The grouping inside each group of `by`; none for the flat ones.
std::optional<TGrouping> InnerOf(TGrouping by) {
    if (by == TGrouping::Domain)
        return TGrouping::Sender;
    if (by == TGrouping::Year)
        return TGrouping::Month;
    return std::nullopt;
}

// Groups with their index by id, so each mail finds its group in one look-up: by a table
// where the ids are the index's text ids (dense), else by a hash.
class TGroupSet {
public:
    TGroupSet(TGrouping by, std::size_t denseIds) : by_(by), dense_(denseIds, -1) {}

    // The group's index, made when new.
    std::size_t Of(uint32_t id) {
        if (id < dense_.size()) {
            int32_t& at = dense_[id];
            if (at < 0)
                at = static_cast<int32_t>(Made(id));
            return static_cast<std::size_t>(at);
        }
        const auto [it, added] = sparse_.try_emplace(id, Groups.size());
        if (added)
            Made(id);
        return it->second;
    }

    std::vector<TSpaceGroup> Groups;

private:
    std::size_t Made(uint32_t id) {
        Groups.emplace_back();
        Groups.back().By = by_;
        Groups.back().Id = id;
        return Groups.size() - 1;
    }

    TGrouping by_;
    std::vector<int32_t> dense_;
    std::unordered_map<uint32_t, std::size_t> sparse_;
};

bool TextKeyed(TGrouping by) {
    return by == TGrouping::Sender || by == TGrouping::Domain || by == TGrouping::List;
}

} // namespace

std::optional<TGrouping> GroupingFromName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, TGrouping>, 5> names = {
        {{"sender", TGrouping::Sender},
         {"domain", TGrouping::Domain},
         {"list", TGrouping::List},
         {"year", TGrouping::Year},
         {"size", TGrouping::Size}}};
    for (const auto& [text, grouping] : names)
        if (text == name)
            return grouping;
    return std::nullopt;
}

std::string_view SizeBandName(TSizeBand band) {
    switch (band) {
    case TSizeBand::Huge:
        return ">=10MB";
    case TSizeBand::Large:
        return "1-10MB";
    case TSizeBand::Medium:
        return "100KB-1MB";
    case TSizeBand::Small:
        break;
    }
    return "<100KB";
}

std::string DayText(int64_t seconds) {
    return DatePartText(seconds, 0, "date");
}

TSpaceIndex::TSpaceIndex() {
    texts_.emplace_back(); // id 0: none
}

uint32_t TSpaceIndex::TextId(const std::string& text) {
    if (text.empty())
        return 0;
    const auto [it, added] = ids_.try_emplace(text, static_cast<uint32_t>(texts_.size()));
    if (added)
        texts_.push_back(text);
    return it->second;
}

void TSpaceIndex::Add(int number, long long octets, std::string_view header) {
    Add(number, octets, FactsOf(header));
}

void TSpaceIndex::Add(int number, long long octets, const TListedFacts& facts) {
    TSpaceMail mail;
    mail.Number = number;
    mail.Octets = std::max(octets, 0LL);
    mail.Sender = TextId(facts.Sender);
    mail.Domain = TextId(facts.Domain);
    mail.List = TextId(facts.List);
    if (facts.Date) {
        mail.Date = *facts.Date;
        const std::string day = DayText(mail.Date); // "2026-12-09"
        mail.Month = static_cast<uint32_t>(std::stoi(day.substr(0, day.size() - 6)) * 100 +
                                           std::stoi(day.substr(day.size() - 5, 2)));
    }
    mail.Band = SizeBandOf(octets);
    mail.Attachments = facts.Attachments;
    bytes_ += mail.Octets;
    mails_.push_back(mail);
}

void TSpaceIndex::Remove(std::vector<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    std::erase_if(mails_, [&](const TSpaceMail& mail) {
        if (!std::binary_search(numbers.begin(), numbers.end(), mail.Number))
            return false;
        bytes_ -= mail.Octets;
        return true;
    });
}

void TSpaceIndex::Clear() {
    mails_.clear();
    texts_.resize(1);
    ids_.clear();
    bytes_ = 0;
}

uint32_t TSpaceIndex::GroupId(const TSpaceMail& mail, TGrouping by) {
    switch (by) {
    case TGrouping::Sender:
        return mail.Sender;
    case TGrouping::Domain:
        return mail.Domain;
    case TGrouping::List:
        return mail.List;
    case TGrouping::Year:
        return mail.Month / 100;
    case TGrouping::Month:
        return mail.Month;
    case TGrouping::Size:
        // Not 0, which is the group of none.
        return static_cast<uint32_t>(mail.Band) + 1;
    case TGrouping::Attachments:
        return mail.Attachments ? 1 : 0;
    }
    return 0;
}

std::string TSpaceIndex::KeyText(TGrouping by, uint32_t id) const {
    if (id == 0)
        return {};
    switch (by) {
    case TGrouping::Sender:
    case TGrouping::Domain:
    case TGrouping::List:
        return texts_[id];
    case TGrouping::Year:
        return std::to_string(id);
    case TGrouping::Month: {
        const std::string month = std::to_string(100 + id % 100);
        return std::to_string(id / 100) + '-' + month.substr(1);
    }
    case TGrouping::Size:
        return std::string(SizeBandName(static_cast<TSizeBand>(id - 1)));
    case TGrouping::Attachments:
        return "attachments";
    }
    return {};
}

std::size_t TSpaceIndex::MemoryBytes() const {
    std::size_t bytes =
        mails_.capacity() * sizeof(TSpaceMail) + texts_.capacity() * sizeof(std::string);
    for (const std::string& text : texts_)
        bytes += text.capacity() + 1;
    // The map's nodes: a key, its id and a link, plus a bucket each.
    bytes += ids_.size() * (sizeof(std::string) + 2 * sizeof(void*) + 8) +
             ids_.bucket_count() * sizeof(void*);
    return bytes;
}

std::vector<TSpaceGroup> GroupMails(const TSpaceIndex& index, TGrouping by) {
    const std::optional<TGrouping> inner = InnerOf(by);
    const std::size_t texts = index.TextCount();
    TGroupSet outer(by, TextKeyed(by) ? texts : 0);
    // An inner key names its outer group too (a sender its domain, a month its year): the
    // inner groups are made as flat ones and go into their outer group afterwards.
    TGroupSet inside(inner.value_or(by), inner && TextKeyed(*inner) ? texts : 0);
    std::vector<uint32_t> outerOf; // of each inner group
    for (const TSpaceMail& mail : index.Mails()) {
        const uint32_t id = TSpaceIndex::GroupId(mail, by);
        AddMail(outer.Groups[outer.Of(id)], mail);
        if (!inner)
            continue;
        const std::size_t at = inside.Of(TSpaceIndex::GroupId(mail, *inner));
        if (at == outerOf.size())
            outerOf.push_back(id);
        AddMail(inside.Groups[at], mail);
    }
    for (std::size_t k = 0; k < inside.Groups.size() && inner; ++k) {
        inside.Groups[k].Key = index.KeyText(*inner, inside.Groups[k].Id);
        outer.Groups[outer.Of(outerOf[k])].Inner.push_back(std::move(inside.Groups[k]));
    }
    for (TSpaceGroup& group : outer.Groups) {
        group.Key = index.KeyText(by, group.Id);
        SortLargestFirst(group.Inner);
    }
    SortLargestFirst(outer.Groups);
    return std::move(outer.Groups);
}

std::vector<int> NumbersIn(const TSpaceIndex& index, TGrouping by, uint32_t id) {
    std::vector<int> numbers;
    for (const TSpaceMail& mail : index.Mails())
        if (TSpaceIndex::GroupId(mail, by) == id)
            numbers.push_back(mail.Number);
    return numbers;
}

void CountMarked(std::vector<TSpaceGroup>& groups, const TSpaceIndex& index,
                 const std::function<bool(int number)>& marked) {
    if (groups.empty())
        return;
    const TGrouping by = groups.front().By;
    std::unordered_map<uint32_t, TSpaceGroup*> outer;
    std::unordered_map<uint32_t, std::unordered_map<uint32_t, TSpaceGroup*>> inner;
    for (TSpaceGroup& group : groups) {
        group.Marked = 0;
        outer[group.Id] = &group;
        for (TSpaceGroup& in : group.Inner) {
            in.Marked = 0;
            inner[group.Id][in.Id] = &in;
        }
    }
    const std::optional<TGrouping> within = InnerOf(by);
    for (const TSpaceMail& mail : index.Mails()) {
        if (!marked(mail.Number))
            continue;
        const uint32_t id = TSpaceIndex::GroupId(mail, by);
        if (const auto it = outer.find(id); it != outer.end())
            ++it->second->Marked;
        if (within)
            if (const auto it = inner.find(id); it != inner.end())
                if (const auto in = it->second.find(TSpaceIndex::GroupId(mail, *within));
                    in != it->second.end())
                    ++in->second->Marked;
    }
}

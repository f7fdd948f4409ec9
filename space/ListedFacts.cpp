#include "ListedFacts.h"

#include "Addresses.h"
#include "HeaderFields.h"
#include "ListUnsubscribe.h"
#include "MailDate.h"
#include "MbxMIME.h"
#include "SenderKeys.h"

#include <array>

bool CarriesFiles(std::string_view contentType) {
    const std::string type =
        AsciiLower(std::string(TrimView(contentType.substr(0, contentType.find(';')))));
    static constexpr std::array<std::string_view, 3> multiparts = {
        "multipart/mixed", "multipart/related", "multipart/report"};
    static constexpr std::array<std::string_view, 4> files = {"application/", "image/", "audio/",
                                                              "video/"};
    for (const std::string_view multipart : multiparts)
        if (type == multipart)
            return true;
    for (const std::string_view file : files)
        if (type.rfind(file, 0) == 0)
            return true;
    return false;
}

TSizeBand SizeBandOf(long long octets) {
    if (octets >= 10'000'000)
        return TSizeBand::Huge;
    if (octets >= 1'000'000)
        return TSizeBand::Large;
    if (octets >= 100'000)
        return TSizeBand::Medium;
    return TSizeBand::Small;
}

TListedFacts FactsOf(std::string_view header) {
    TListedFacts facts;
    const THeaderFields fields(header);
    for (const std::string& value : fields.Raw("from")) {
        const std::vector<std::string> addresses = AddressesOf(value);
        if (!addresses.empty()) {
            facts.Sender = FoldedAddress(addresses.front());
            break;
        }
    }
    facts.Domain = DomainKey(facts.Sender);
    facts.List = ListIdOf(header);
    if (facts.List.empty() && fields.Has("list-unsubscribe"))
        facts.List = facts.Sender;
    if (const auto dates = fields.Raw("date"); !dates.empty())
        if (const auto date = ParseMailDate(dates.front())) {
            facts.Date = date->utcSeconds;
            facts.ZoneMinutes = date->zoneMinutes;
        }
    if (const auto types = fields.Raw("content-type"); !types.empty())
        facts.Attachments = CarriesFiles(types.front());
    return facts;
}

#include "SpaceCommands.h"

#include "EscapedLine.h"
#include "HeaderFields.h"
#include "JsonText.h"
#include "MailDate.h"
#include "MbxMIME.h"
#include "MemoryListing.h"

#include <algorithm>
#include <functional>

std::optional<std::string> ParseSpaceArguments(const std::vector<std::string>& args,
                                               TSpaceRequest& request) {
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg == "--json") {
            request.Json = true;
        } else if (arg == "--by") {
            const auto by = k + 1 < args.size() ? GroupingFromName(args[k + 1]) : std::nullopt;
            if (!by)
                return "--by needs sender, domain, list, year or size";
            request.By = *by;
            ++k;
        } else if (arg == "--top") {
            int32_t top = 0;
            if (k + 1 >= args.size() || !ParseInt32(args[k + 1], top) || top < 1)
                return "--top needs a number of groups from 1";
            request.Top = static_cast<std::size_t>(top);
            ++k;
        } else {
            return "space does not take " + arg;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ParseListArguments(const std::vector<std::string>& args,
                                              TListFormat& format) {
    if (args.empty())
        return std::nullopt;
    if (args.size() == 2 && args[0] == "--format") {
        if (args[1] == "tsv")
            format = TListFormat::Tsv;
        else if (args[1] == "json")
            format = TListFormat::Json;
        else
            return "--format needs tsv or json";
        return std::nullopt;
    }
    return "list takes only --format tsv|json";
}

namespace {

std::string DayOrDash(const std::optional<int64_t>& seconds) {
    return seconds ? DayText(*seconds) : "-";
}

std::string JsonDay(const std::optional<int64_t>& seconds) {
    return seconds ? JsonString(DayText(*seconds)) : "null";
}

// Each listed mail through the window's listing with its remembered headers.
void ListMails(TMbxPOP& pop, bool fresh, std::ostream& err, bool german,
               const std::function<void(TMsgNumber, const std::string& header, long long octets,
                                        const std::string& id)>& row) {
    pop.Stat();
    if (!pop.Connected())
        return;
    ListWithMemory(
        pop, fresh, true,
        [&](TMsgNumber n, const std::string& header, const std::string& size,
            const std::string& id) {
            // The size as list n gave it; unknown when it is not a plain count.
            const bool count = !size.empty() && size.size() <= 18 &&
                               size.find_first_not_of("0123456789") == std::string::npos;
            row(n, header, count ? std::stoll(size) : -1, id);
        },
        err, german);
}

} // namespace

void RunSpace(TMbxPOP& pop, const TSpaceRequest& request, bool fresh, std::ostream& out,
              std::ostream& err, bool german) {
    TSpaceIndex index;
    ListMails(pop, fresh, err, german,
              [&](TMsgNumber n, const std::string& header, long long octets, const std::string&) {
                  index.Add(static_cast<int>(n), octets, header);
              });
    if (!pop.Connected())
        return;
    const std::vector<TSpaceGroup> groups = GroupMails(index, request.By);
    const std::size_t shown =
        request.Top == 0 ? groups.size() : std::min(request.Top, groups.size());
    for (std::size_t k = 0; k < shown; ++k) {
        const TSpaceGroup& group = groups[k];
        if (request.Json)
            out << "{\"bytes\":" << group.Bytes << ",\"mails\":" << group.Mails
                << ",\"oldest\":" << JsonDay(group.Oldest)
                << ",\"newest\":" << JsonDay(group.Newest)
                << ",\"group\":" << (group.Key.empty() ? "null" : JsonString(group.Key)) << "}\n";
        else
            out << group.Bytes << '\t' << group.Mails << '\t' << DayOrDash(group.Oldest) << '\t'
                << DayOrDash(group.Newest) << '\t'
                << (group.Key.empty() ? "-" : EscapedLine(group.Key)) << '\n';
    }
}

void ListFormatted(TMbxPOP& pop, TListFormat format, bool fresh, std::ostream& out,
                   std::ostream& err, bool german) {
    ListMails(
        pop, fresh, err, german,
        [&](TMsgNumber n, const std::string& header, long long octets, const std::string& id) {
            const TListedFacts facts = FactsOf(header);
            const THeaderFields fields(header);
            const auto from = fields.Decoded("from");
            const std::string name = from.empty() ? "" : Trim(NamePart(from.front(), false));
            const auto subjects = fields.Decoded("subject");
            const std::string subject = subjects.empty() ? "" : subjects.front();
            const std::string date =
                facts.Date ? DatePartText(*facts.Date, facts.ZoneMinutes, "iso8601") : "";
            if (format == TListFormat::Json) {
                const auto text = [](const std::string& s) {
                    return s.empty() ? std::string("null") : JsonString(s);
                };
                out << "{\"number\":" << n << ",\"size\":";
                if (octets >= 0)
                    out << octets;
                else
                    out << "null";
                out << ",\"date\":" << text(date) << ",\"address\":" << text(facts.Sender)
                    << ",\"name\":" << text(name) << ",\"subject\":" << text(subject)
                    << ",\"uid\":" << text(id) << ",\"list\":" << text(facts.List) << "}\n";
                return;
            }
            out << n << '\t' << (octets >= 0 ? std::to_string(octets) : "") << '\t' << date << '\t'
                << EscapedLine(facts.Sender) << '\t' << EscapedLine(name) << '\t'
                << EscapedLine(subject) << '\t' << EscapedLine(id) << '\t'
                << EscapedLine(facts.List) << '\n';
        });
}

#pragma once

// space and list --format: the mailbox grouped by what holds the space, and the listed mails
// as lines for scripts. Both list through ListWithMemory, as list does; every text printed has
// its controls escaped (EscapedLine, or JSON's own escapes).

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "MbxPOP3.h"
#include "SpaceGroups.h"

struct TSpaceRequest {
    TGrouping By = TGrouping::Sender;
    std::size_t Top = 0; // 0: every group
    bool Json = false;
};
// The arguments after "space"; an error text when they are not usable.
std::optional<std::string> ParseSpaceArguments(const std::vector<std::string>& args,
                                               TSpaceRequest& request);

enum class TListFormat { Plain, Tsv, Json };
// The arguments after "list"; an error text when they are not usable.
std::optional<std::string> ParseListArguments(const std::vector<std::string>& args,
                                              TListFormat& format);

// One group per line, largest first: bytes, mails, oldest and newest day ("-" for none) and
// the group ("-" for the mails of none), tab-separated; or JSON Lines.
void RunSpace(TMbxPOP& pop, const TSpaceRequest& request, bool fresh, std::ostream& out,
              std::ostream& err, bool german);

// One mail per line: number, size, date (ISO 8601, empty for none), sender address, sender
// name, subject, unique id and list, tab-separated; or JSON Lines.
void ListFormatted(TMbxPOP& pop, TListFormat format, bool fresh, std::ostream& out,
                   std::ostream& err, bool german);

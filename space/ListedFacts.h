#pragma once

// What the space view reads of one listed mail: its header and size, nothing of its body.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TListedFacts {
    std::string Sender; // the folded address (FoldedAddress); empty when From names none
    std::string Domain; // its registrable domain; empty for none
    // The List-Id ("news.example.org"), else for a mail with List-Unsubscribe its sender;
    // empty for a mail of no list.
    std::string List;
    std::optional<int64_t> Date; // seconds since 1970 UTC; none without a readable Date
    int ZoneMinutes = 0;         // the zone the date was written in, east of UTC
    bool Attachments = false;    // a Content-Type that carries files (multipart/mixed, ...)
};

// header: the header as listed (TOP n 0), may be empty (count-only listing).
TListedFacts FactsOf(std::string_view header);

// True for a media type whose mail carries files: multipart/mixed, /related, /report,
// a single part that is itself a file (application/, image/, audio/, video/). Parameters
// and case do not count.
bool CarriesFiles(std::string_view contentType);

// The size bands, largest first: 10 MB and more, 1-10 MB, 100 KB-1 MB, below 100 KB
// (decimal units, as the list shows sizes); unknown sizes go below 100 KB.
enum class TSizeBand : uint8_t { Huge, Large, Medium, Small };
TSizeBand SizeBandOf(long long octets);

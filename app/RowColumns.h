// What a row shows of a mail's header, made once per header, on another thread when that
// helps the listing.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The time of a header's Date field in ms since 1970; none when the field is missing or not
// a date. Read as the rules read it, so that a row sorts and compares by the date they see.
std::optional<std::int64_t> HeaderDateMs(const std::string& header);

// What a row shows of its header and the date it sorts by: the date, sender and subject cells
// (UTF-8, each ending with "|") and the Date field's time. The costly part of a row, made once
// per header; a remembered header's may be made on another thread before the listing needs it.
struct TRowColumns {
    std::string Cells;
    std::optional<std::int64_t> DateMs;
};
TRowColumns RowColumnsOf(const std::string& header, bool germanUI, bool asSent);
// The same, seen in place (in a TRowColumns or a TRowColumnsBlock that outlives it).
struct TRowColumnsView {
    std::string_view Cells;
    std::optional<std::int64_t> DateMs;
};

// The row columns of many headers made ahead, one after another in one block: made on another
// thread, they leave the listing no string per row to free, and go in one piece.
class TRowColumnsBlock {
public:
    // Room for count rows' columns, about as long as rows' usually are.
    void Reserve(std::size_t count);
    void Add(const TRowColumns& columns);
    std::size_t Count() const { return dates_.size(); }
    // Of the i-th added, valid while the block lives unchanged.
    TRowColumnsView At(std::size_t i) const;

private:
    static constexpr std::int64_t NoDate = INT64_MIN;
    // UTF-8, as the cells are made: half the room of the rows' own texts.
    std::string cells_;
    std::vector<std::size_t> ends_; // where each one's cells end in cells_
    std::vector<std::int64_t> dates_;
};

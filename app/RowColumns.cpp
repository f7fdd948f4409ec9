#include "RowColumns.h"

#include "ListColumns.h"
#include "MailDate.h"

std::optional<std::int64_t> HeaderDateMs(const std::string& header) {
    const std::optional<std::string> value = HeaderFieldValue(header, "Date:");
    if (!value)
        return std::nullopt;
    const std::optional<TMailDate> date = ParseMailDate(*value);
    if (!date)
        return std::nullopt;
    return date->utcSeconds * 1000;
}

TRowColumns RowColumnsOf(const std::string& header, bool germanUI, bool asSent) {
    return {filter(header, germanUI, asSent), HeaderDateMs(header)};
}

void TRowColumnsBlock::Reserve(std::size_t count) {
    cells_.reserve(count * 80);
    ends_.reserve(count);
    dates_.reserve(count);
}

void TRowColumnsBlock::Add(const TRowColumns& columns) {
    cells_.append(columns.Cells);
    ends_.push_back(cells_.size());
    dates_.push_back(columns.DateMs.value_or(NoDate));
}

TRowColumnsView TRowColumnsBlock::At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    const std::int64_t date = dates_[i];
    return {std::string_view(cells_.data() + begin, ends_[i] - begin),
            date == NoDate ? std::nullopt : std::optional<std::int64_t>(date)};
}

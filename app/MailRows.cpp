#include "MailRows.h"

#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListColumns.h"
#include "MultiLst.h"
#include "RowColumns.h"

#include <QFontMetrics>
#include <QListWidgetItem>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr int NumberRole = TMultiListSortKeyRole + 0;
constexpr int OctetsRole = TMultiListSortKeyRole + 1;
constexpr int DateRole = TMultiListSortKeyRole + 2;
constexpr int NewRole = TMultiListSortKeyRole + NewColumn;
// Mail n's entry of kept headers, without its "|"; empty for none.
std::string_view HeaderIn(const std::vector<std::string>& headers, int number) {
    if (number < 1 || number > static_cast<int>(headers.size()))
        return {};
    std::string_view header = headers[static_cast<std::size_t>(number - 1)];
    if (!header.empty() && header.back() == '|')
        header.remove_suffix(1);
    return header;
}

// Room for the cell's indent and a little air on both sides of the number.
constexpr int NumberColumnPadding = 10;

} // namespace

TMailRowData MailRowData(int number, long long octets, const std::string& header) {
    return MailRowData(number, octets, HeaderDateMs(header));
}

TMailRowData MailRowData(int number, long long octets, std::optional<std::int64_t> dateMs) {
    TMailRowData data;
    data.Number = number;
    data.Octets = octets;
    data.HasDate = dateMs.has_value();
    data.DateMs = dateMs.value_or(0);
    return data;
}

void SetRowData(QListWidgetItem& row, const TMailRowData& data) {
    row.setData(NumberRole, data.Number);
    if (data.Octets >= 0)
        row.setData(OctetsRole, data.Octets);
    if (data.HasDate)
        row.setData(DateRole, static_cast<qint64>(data.DateMs));
    // New mails sort together, before or after the others.
    if (data.SeenSince > 0)
        row.setData(NewRole, data.New ? 1 : 0);
}

void TMailRowBatch::Add(const QString& text, const TMailRowData& data,
                        const std::array<QString, RowTipPartCount>& tips, bool mark) {
    texts_ << text;
    data_.push_back(data);
    tips_.push_back(tips);
    if (mark)
        marked_.push_back(data.Number);
    largest_ = std::max(largest_, data.Number);
}

std::vector<int> TMailRowBatch::AddTo(TMultiList& list) {
    list.AddRows(texts_, [this](int index, QListWidgetItem& row) {
        const auto i = static_cast<std::size_t>(index);
        SetRowData(row, data_[i]);
        SetRowTips(row, tips_[i]);
    });
    texts_.clear();
    data_.clear();
    tips_.clear();
    return std::exchange(marked_, {});
}

std::vector<int> RowsOfNumbers(const TMultiList& list, std::vector<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    std::vector<int> rows;
    for (int row = 1; row < list.count(); ++row) {
        if (std::binary_search(numbers.begin(), numbers.end(), MessageNumberOf(*list.item(row))))
            rows.push_back(row);
    }
    return rows;
}

QItemSelection RowRunsOf(const TMultiList& list, const TNumberRuns& numbers) {
    QItemSelection runs;
    const int rows = list.count();
    for (int row = 1; row < rows;) {
        if (!numbers.Contains(MessageNumberOf(*list.item(row)))) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < rows && numbers.Contains(MessageNumberOf(*list.item(last + 1))))
            ++last;
        runs.append(QItemSelectionRange(list.model()->index(row, 0), list.model()->index(last, 0)));
        row = last + 1;
    }
    return runs;
}

TNumberRuns MarkedNumbers(const TMultiList& list) {
    std::vector<int> numbers;
    for (const int row : list.MarkedRows())
        numbers.push_back(MessageNumberOf(*list.item(row)));
    return TNumberRuns::Of(std::move(numbers));
}

TNumberRuns ShownNumbers(const TMultiList& list) {
    std::vector<int> numbers;
    for (int row = 1; row < list.count(); ++row) {
        if (!list.isRowHidden(row))
            numbers.push_back(MessageNumberOf(*list.item(row)));
    }
    return TNumberRuns::Of(std::move(numbers));
}

int CurrentMessageNumber(const TMultiList& list) {
    const int row = list.currentRow();
    return row >= 1 && list.item(row) ? MessageNumberOf(*list.item(row)) : 0;
}

int MessageNumberOf(const QListWidgetItem& row) {
    const QVariant number = row.data(NumberRole);
    if (number.isValid())
        return number.toInt();
    // " N |...": the number field of a row added without data.
    return row.text().section(u'|', 0, 0).trimmed().toInt();
}

long long OctetsOf(const QListWidgetItem& row) {
    const QVariant octets = row.data(OctetsRole);
    return octets.isValid() ? octets.toLongLong() : -1;
}

bool IsNewRow(const QListWidgetItem& row) {
    return row.data(NewRole).toInt() == 1;
}

bool DateMsOf(const QListWidgetItem& row, std::int64_t& ms) {
    const QVariant date = row.data(DateRole);
    if (!date.isValid())
        return false;
    ms = date.toLongLong();
    return true;
}

TMarkedMails MarkedMails(const TMultiList& list) {
    TMarkedMails marked;
    for (const int n : list.MarkedRows()) {
        const QListWidgetItem& row = *list.item(n);
        ++marked.Count;
        const long long octets = OctetsOf(row);
        if (octets < 0)
            marked.SizeKnown = false;
        else
            marked.Octets += octets;
    }
    return marked;
}

QString SizeText(const TMarkedMails& mails) {
    if (!mails.SizeKnown)
        return {};
    return FromBytes(DisplaySize(std::to_string(mails.Octets)));
}

int NumberColumnWidth(const TMultiList& list, int largestNumber) {
    const QFontMetrics metrics(list.font());
    const QString widest = QStringLiteral(" %1 ").arg(largestNumber);
    return metrics.horizontalAdvance(widest) + NumberColumnPadding;
}

TMailRows::TMailRows(TMultiList& list) : list_(list) {
    list_.SetToolTipSource(RowToolTip);
}

void TMailRows::KeepHeaders(std::size_t count) {
    if (listed_.Headers.size() > count)
        listed_.Headers.resize(count);
    if (listed_.Ids.size() > count)
        listed_.Ids.resize(count);
}

void TMailRows::SetHeadersAside() {
    if (!listed_.Headers.empty())
        aside_ = std::move(listed_);
    listed_ = {};
}

std::string_view TMailRows::ListedHeaderOf(int number) const {
    return HeaderIn(ListedOrAside().Headers, number);
}

std::string_view TMailRows::HeaderOf(int number) const {
    return HeaderIn(listed_.Headers, number);
}

int TMailRows::Count() const {
    return std::max(list_.count() - 1, 0);
}

int TMailRows::NumberAt(int row) const {
    return MessageNumberOf(*list_.item(row));
}

long long TMailRows::OctetsAt(int row) const {
    return OctetsOf(*list_.item(row));
}

std::string TMailRows::IdAt(int row) const {
    const std::vector<std::string>& ids = ListedOrAside().Ids;
    const int number = NumberAt(row);
    if (number < 1 || number > static_cast<int>(ids.size()))
        return {};
    return ids[static_cast<std::size_t>(number - 1)];
}

bool TMailRows::MarkedAt(int row) const {
    return list_.item(row)->isSelected();
}

bool TMailRows::NewAt(int row) const {
    return IsNewRow(*list_.item(row));
}

std::vector<int> TMailRows::RowsOf(std::vector<int> numbers) const {
    return RowsOfNumbers(list_, std::move(numbers));
}

int TMailRows::CurrentNumber() const {
    return CurrentMessageNumber(list_);
}

void TMailRows::SetTipAt(int row, TRowTip part, const QString& text) {
    SetRowTip(*list_.item(row), part, text);
}

void TMailRows::SetCellAt(int row, int column, const QString& text) {
    SetRowCell(*list_.item(row), column, text);
}

void TMailRows::SetSortKeyAt(int row, int column, const QVariant& key) {
    list_.item(row)->setData(TMultiListSortKeyRole + column, key);
}

void TMailRows::SortAgainBy(int column) {
    if (list_.SortColumn() == column)
        list_.ApplySortOrder();
}

TNumberRuns TMailRows::Marked() const {
    return MarkedNumbers(list_);
}

std::vector<int> TMailRows::MarkedRows() const {
    return list_.MarkedRows();
}

TNumberRuns TMailRows::Shown() const {
    return ShownNumbers(list_);
}

void TMailRows::Mark(const TNumberRuns& numbers) {
    if (!numbers.Empty())
        list_.selectionModel()->select(RowRunsOf(list_, numbers), QItemSelectionModel::Select);
}

void TMailRows::Unmark(const TNumberRuns& numbers) {
    if (!numbers.Empty())
        list_.selectionModel()->select(RowRunsOf(list_, numbers), QItemSelectionModel::Deselect);
}

void TMailRows::SetMarks(const TNumberRuns& numbers) {
    list_.SetMarks(RowRunsOf(list_, numbers));
}

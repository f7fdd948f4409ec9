#include "MailRows.h"

#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListColumns.h"
#include "MultiLst.h"
#include "RowColumns.h"

#include <QFontMetrics>
#include <QListWidgetItem>

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

namespace {

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

void TMailRowBatch::Add(QString text, const TMailRowData& data,
                        std::array<QString, RowTipPartCount> tips, bool mark) {
    texts_.append(std::move(text));
    data_.push_back(data);
    tips_.push_back(std::move(tips));
    if (mark)
        marked_.push_back(data.Number);
    largest_ = std::max(largest_, data.Number);
}

std::vector<int> TMailRowBatch::AddTo(TMailRows& rows) {
    for (std::size_t i = 0; i < data_.size(); ++i)
        rows.Keep(data_[i], std::move(tips_[i]));
    rows.List().AddRows(texts_);
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
    // " N |...": read in place, since marking and sorting ask it of every row.
    const QString text = row.text();
    const QStringView digits = QStringView(text).left(text.indexOf(u'|')).trimmed();
    int number = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9' || number > (INT_MAX - 9) / 10)
            return 0;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

TMarkedMails MarkedMails(const TMailRows& rows) {
    TMarkedMails marked;
    for (const int row : rows.MarkedRows()) {
        ++marked.Count;
        const long long octets = rows.OctetsAt(row);
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
    list_.SetToolTipSource([this](const QListWidgetItem& row) { return ToolTipOf(row); });
    list_.SetSortKeySource(
        [this](const QListWidgetItem& row, int column) { return SortKeyOf(row, column); });
}

TMailRows::~TMailRows() {
    list_.SetToolTipSource({});
    list_.SetSortKeySource({});
}

void TMailRows::Reserve(int count) {
    constexpr int Bound = 1 << 20;
    const auto room = static_cast<std::size_t>(std::clamp(count, 0, Bound));
    facts_.reserve(room);
    listed_.Headers.reserve(room);
    listed_.Ids.reserve(room);
}

void TMailRows::Keep(const TMailRowData& data, std::array<QString, RowTipPartCount> tips) {
    TFacts facts;
    facts.Number = data.Number;
    facts.HasDate = data.HasDate;
    facts.Sighted = data.SeenSince > 0;
    facts.New = data.New;
    facts.Octets = data.Octets;
    facts.DateMs = data.DateMs;
    facts.Tips = std::move(tips);
    // A listing gives its mails in rising order; anything else takes its place by number.
    if (facts_.empty() || facts_.back().Number < data.Number) {
        facts_.push_back(std::move(facts));
        return;
    }
    const auto at = std::lower_bound(facts_.begin(), facts_.end(), data.Number,
                                     [](const TFacts& f, int n) { return f.Number < n; });
    if (at != facts_.end() && at->Number == data.Number)
        *at = std::move(facts);
    else
        facts_.insert(at, std::move(facts));
}

const TMailRows::TFacts* TMailRows::FactsOf(int number) const {
    // Mails are numbered from 1 without gaps: mail n is almost always at n - 1.
    const auto guess = static_cast<std::size_t>(number - 1);
    if (number >= 1 && guess < facts_.size() && facts_[guess].Number == number)
        return &facts_[guess];
    const auto at = std::lower_bound(facts_.begin(), facts_.end(), number,
                                     [](const TFacts& f, int n) { return f.Number < n; });
    return at != facts_.end() && at->Number == number ? &*at : nullptr;
}

long long TMailRows::OctetsOf(int number) const {
    const TFacts* facts = FactsOf(number);
    return facts ? facts->Octets : -1;
}

std::optional<std::int64_t> TMailRows::DateOf(int number) const {
    const TFacts* facts = FactsOf(number);
    if (!facts || !facts->HasDate)
        return std::nullopt;
    return facts->DateMs;
}

QVariant TMailRows::SortKeyOf(const QListWidgetItem& row, int column) const {
    const int number = MessageNumberOf(row);
    if (column == 0)
        return number;
    const TFacts* facts = FactsOf(number);
    if (!facts)
        return {};
    switch (column) {
    case 1:
        return facts->Octets >= 0 ? QVariant(facts->Octets) : QVariant();
    case 2:
        return facts->HasDate ? QVariant(static_cast<qint64>(facts->DateMs)) : QVariant();
    case NewColumn:
        // New mails sort together, before or after the others.
        return facts->Sighted ? QVariant(facts->New ? 1 : 0) : QVariant();
    default:
        return {};
    }
}

QString TMailRows::ToolTipOf(const QListWidgetItem& row) const {
    const TFacts* facts = FactsOf(MessageNumberOf(row));
    if (!facts)
        return {};
    QString joined;
    for (const QString& line : facts->Tips) {
        if (line.isEmpty())
            continue;
        if (!joined.isEmpty())
            joined += u'\n';
        joined += line;
    }
    return joined;
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
    return OctetsOf(NumberAt(row));
}

std::optional<std::int64_t> TMailRows::DateAt(int row) const {
    return DateOf(NumberAt(row));
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
    const TFacts* facts = FactsOf(NumberAt(row));
    return facts && facts->Sighted && facts->New;
}

std::vector<int> TMailRows::RowsOf(std::vector<int> numbers) const {
    return RowsOfNumbers(list_, std::move(numbers));
}

int TMailRows::CurrentNumber() const {
    return CurrentMessageNumber(list_);
}

void TMailRows::SetTipAt(int row, TRowTip part, const QString& text) {
    const int number = NumberAt(row);
    if (number < 1)
        return;
    if (!FactsOf(number))
        Keep(MailRowData(number, -1, std::nullopt), {});
    FactsOf(number)->Tips[static_cast<std::size_t>(part)] = text;
}

QString TMailRows::TipAt(int row, TRowTip part) const {
    const TFacts* facts = FactsOf(NumberAt(row));
    return facts ? facts->Tips[static_cast<std::size_t>(part)] : QString();
}

QString TMailRows::ToolTipAt(int row) const {
    return ToolTipOf(*list_.item(row));
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

#include "records/ColumnSort.h"

#include "common/ByteFields.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <optional>
#include <utility>

namespace nxa::records {

namespace {

QStringView limited(QStringView text) {
    return text.left(kSortTextLimit);
}

qsizetype nonDigitCount(QStringView text) {
    return std::count_if(text.begin(), text.end(), [](QChar c) { return !isAsciiDigit(c); });
}

// Positions are 1-based as people count characters in a date.
bool nonDigitsAt(QStringView text, std::initializer_list<int> positions) {
    return std::all_of(positions.begin(), positions.end(),
                       [&](int p) { return p <= text.size() && !isAsciiDigit(text[p - 1]); });
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'z')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'Z')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

struct DateToken {
    QLatin1StringView name;
    int width;
    qint64 weight;
};

// Weights make the packed value order by year, month, day, hour, minute, second.
constexpr std::array<DateToken, 6> kDateTokens = {{{QLatin1StringView("%yyyy"), 4, 10000000000},
                                                   {QLatin1StringView("%mm"), 2, 100000000},
                                                   {QLatin1StringView("%dd"), 2, 1000000},
                                                   {QLatin1StringView("%hh"), 2, 10000},
                                                   {QLatin1StringView("%ii"), 2, 100},
                                                   {QLatin1StringView("%ss"), 2, 1}}};

// Keys travel with their row numbers, so the sort reads them in order
// rather than jumping through an index.
template <typename Key>
std::vector<int> stableOrder(std::vector<std::pair<Key, int>> &entries, SortDirection direction) {
    using Entry = std::pair<Key, int>;
    if (direction == SortDirection::Ascending)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry &a, const Entry &b) { return a.first < b.first; });
    else
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry &a, const Entry &b) { return b.first < a.first; });
    std::vector<int> order;
    order.reserve(entries.size());
    for (const Entry &entry : entries)
        order.push_back(entry.second);
    return order;
}

// Every distinct text of a key column is converted once, its values ranked
// (equal values share a rank) and the rows then placed by rank with a stable
// counting sort: the order a stable sort by value gives, without a single
// comparison between rows.
template <typename Key, typename Convert>
std::vector<int> orderByPooledValues(const DataloggerTable &table, int column,
                                     SortDirection direction, Convert convert) {
    const quint32 bound = table.valueIdBound(column);
    std::vector<std::pair<Key, quint32>> values;
    values.reserve(bound);
    for (quint32 id = 0; id < bound; ++id)
        values.emplace_back(convert(limited(table.valueText(column, id))), id);
    std::sort(values.begin(), values.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<quint32> rank(bound);
    quint32 ranks = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0 && values[i - 1].first < values[i].first)
            ++ranks;
        rank[values[i].second] = ranks;
    }
    ++ranks;
    if (direction != SortDirection::Ascending)
        for (quint32 &r : rank)
            r = ranks - 1 - r;

    const int rows = table.rowCount();
    std::vector<quint32> rowRank(static_cast<size_t>(rows));
    std::vector<int> start(ranks + 1, 0);
    for (int r = 0; r < rows; ++r) {
        rowRank[static_cast<size_t>(r)] = rank[table.valueId(r, column)];
        ++start[rowRank[static_cast<size_t>(r)] + 1];
    }
    for (quint32 k = 0; k < ranks; ++k)
        start[k + 1] += start[k];
    std::vector<int> order(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        order[static_cast<size_t>(start[rowRank[static_cast<size_t>(r)]]++)] = r;
    return order;
}

// The hidden record column is not pooled: its keys are taken row by row.
template <typename Key, typename Convert>
std::vector<int> orderBy(const DataloggerTable &table, int column, SortDirection direction,
                         Convert convert) {
    if (column < kKeyColumnCount)
        return orderByPooledValues<Key>(table, column, direction, convert);
    std::vector<std::pair<Key, int>> entries;
    entries.reserve(static_cast<size_t>(table.rowCount()));
    for (int r = 0; r < table.rowCount(); ++r)
        entries.emplace_back(convert(limited(table.cell(r, column))), r);
    return stableOrder(entries, direction);
}

QString textKey(QStringView text) {
    return text.toString().toCaseFolded();
}

template <typename T> int threeWay(const T &a, const T &b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

SortDirection nextDirection(SortDirection current) {
    switch (current) {
    case SortDirection::Ascending:
        return SortDirection::Descending;
    case SortDirection::Unreadable:
        return SortDirection::Unreadable;
    case SortDirection::Descending:
    case SortDirection::None:
        break;
    }
    return SortDirection::Ascending;
}

ColumnType detectColumnType(QStringView text) {
    text = limited(text);
    switch (nonDigitCount(text)) {
    case 0:
        return ColumnType::Integer;
    case 1:
        if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('.')))
            return ColumnType::Decimal;
        if (text.startsWith(QLatin1Char('$')) || text.startsWith(QLatin1Char('%')))
            return ColumnType::Integer;
        return ColumnType::Text;
    case 2:
        return text.size() == 10 && nonDigitsAt(text, {3, 6}) ? ColumnType::Date : ColumnType::Text;
    case 4:
        return text.size() == 16 && nonDigitsAt(text, {3, 6, 11, 14}) ? ColumnType::Date
                                                                      : ColumnType::Text;
    case 5:
        return text.size() == 19 && nonDigitsAt(text, {3, 6, 11, 14, 17}) ? ColumnType::Date
                                                                          : ColumnType::Text;
    default:
        return ColumnType::Text;
    }
}

QString detectDateMask(QStringView text) {
    text = limited(text);
    const qsizetype n = nonDigitCount(text);
    const bool dateOnly = n == 2 && text.size() == 10;
    const bool withMinutes = n == 4 && text.size() == 16;
    const bool withSeconds = n == 5 && text.size() == 19;
    if (!dateOnly && !withMinutes && !withSeconds)
        return {};
    if (nonDigitsAt(text, {5, 8}))
        return {};
    if (!nonDigitsAt(text, {3, 6}))
        return {};
    // The second number above 12 can only be a day: month first.
    const int second = digitValue(text[3], 10) * 10 + digitValue(text[4], 10);
    QString mask = second > 12 ? QStringLiteral("%mm") + text[2] + QStringLiteral("%dd")
                               : QStringLiteral("%dd") + text[2] + QStringLiteral("%mm");
    mask += text[5] + QStringLiteral("%yyyy");
    if (withMinutes || withSeconds)
        mask += text[10] + QStringLiteral("%hh") + text[13] + QStringLiteral("%ii");
    if (withSeconds)
        mask += text[16] + QStringLiteral("%ss");
    return mask;
}

ColumnType chooseColumnType(const DataloggerTable &table, int column, QString *dateMask) {
    const int rows = table.rowCount();
    // Empty cells say nothing about a column's type (a user without a name
    // would make a name column look numeric), so each sample is the nearest
    // non-empty cell, walking away from its row in the given step.
    const auto sample = [&](int from, int step) -> std::optional<QString> {
        for (int r = from; r >= 0 && r < rows; r += step) {
            QString text = table.cell(r, column).left(kSortTextLimit);
            if (!text.isEmpty())
                return text;
        }
        return std::nullopt;
    };
    const std::optional<QString> top = sample(0, 1);
    if (!top) {
        // Nothing to compare: every order is already sorted, the stable sort keeps it.
        if (dateMask)
            dateMask->clear();
        return ColumnType::Integer;
    }
    const QString first = *top;
    const QString last = *sample(rows - 1, -1);
    // All non-empty cells above the middle row: the last one stands in.
    const QString middle = sample(rows / 2, 1).value_or(last);

    ColumnType type = detectColumnType(first);
    if (detectColumnType(last) != type || detectColumnType(middle) != type)
        type = ColumnType::Text;

    QString mask;
    if (type == ColumnType::Date) {
        mask = detectDateMask(first);
        // A month-first mask in any sample wins; otherwise the first row's.
        for (QStringView sample : {last, middle}) {
            if (mask.isEmpty())
                break;
            const QString other = detectDateMask(sample);
            if (other.isEmpty())
                mask.clear();
            else if (other != mask && other.startsWith(QLatin1String("%mm")))
                mask = other;
        }
        if (mask.isEmpty())
            type = ColumnType::Text;
    }
    if (dateMask)
        *dateMask = mask;
    return type;
}

qint64 integerValue(QStringView text) {
    text = limited(text);
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    int base = 10;
    if (i < text.size() && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == QLatin1Char('%')) {
        base = 2;
        ++i;
    }
    // Too many digits give the largest value of that sign rather than wrapping.
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            break;
        if (value > (limit - quint64(digit)) / quint64(base))
            value = limit;
        else
            value = value * quint64(base) + quint64(digit);
    }
    if (negative)
        return value == limit ? std::numeric_limits<qint64>::min() : -qint64(value);
    return qint64(value);
}

double decimalValue(QStringView text) {
    QString copy = limited(text).toString();
    const qsizetype comma = copy.indexOf(QLatin1Char(','));
    if (comma >= 0)
        copy[comma] = QLatin1Char('.');

    // The longest leading [sign] digits [. digits] [e [sign] digits]; nothing
    // that reads as "nan" or "inf", so every text has an ordered value.
    qsizetype i = 0;
    const auto at = [&](qsizetype p) { return p < copy.size() ? copy[p] : QChar(); };
    while (at(i) == QLatin1Char(' ') || at(i) == QLatin1Char('\t') || at(i) == QLatin1Char('\n') ||
           at(i) == QLatin1Char('\r') || at(i) == QLatin1Char('\v') || at(i) == QLatin1Char('\f'))
        ++i;
    const qsizetype start = i;
    if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-'))
        ++i;
    qsizetype digits = 0;
    while (isAsciiDigit(at(i))) {
        ++i;
        ++digits;
    }
    if (at(i) == QLatin1Char('.')) {
        ++i;
        while (isAsciiDigit(at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (at(i) == QLatin1Char('e') || at(i) == QLatin1Char('E')) {
        qsizetype e = i + 1;
        if (at(e) == QLatin1Char('+') || at(e) == QLatin1Char('-'))
            ++e;
        if (isAsciiDigit(at(e))) {
            while (isAsciiDigit(at(e)))
                ++e;
            end = e;
        }
    }
    QByteArray number = copy.sliced(start, end - start).toLatin1();
    if (number.endsWith('.'))
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

qint64 dateValue(QStringView text, QStringView mask) {
    text = limited(text);
    qint64 value = 0;
    qsizetype t = 0;
    qsizetype m = 0;
    while (m < mask.size()) {
        const auto token = std::find_if(kDateTokens.begin(), kDateTokens.end(), [&](const auto &k) {
            return mask.sliced(m).startsWith(k.name);
        });
        if (token == kDateTokens.end()) {
            // A separator: any character stands for it.
            if (t >= text.size())
                return -1;
            ++t;
            ++m;
            continue;
        }
        if (t + token->width > text.size())
            return -1;
        qint64 field = 0;
        for (int k = 0; k < token->width; ++k, ++t) {
            if (!isAsciiDigit(text[t]))
                return -1;
            field = field * 10 + (text[t].unicode() - u'0');
        }
        value += field * token->weight;
        m += token->name.size();
    }
    return t == text.size() ? value : -1;
}

int compareCells(QStringView a, QStringView b, ColumnType type, QStringView dateMask) {
    a = limited(a);
    b = limited(b);
    if (a == b)
        return 0;
    switch (type) {
    case ColumnType::Integer:
        return threeWay(integerValue(a), integerValue(b));
    case ColumnType::Decimal:
        return threeWay(decimalValue(a), decimalValue(b));
    case ColumnType::Date:
        return threeWay(dateValue(a, dateMask), dateValue(b, dateMask));
    case ColumnType::Text:
        break;
    }
    return threeWay(textKey(a), textKey(b));
}

std::vector<int> sortedOrder(const DataloggerTable &table, int column, SortDirection direction) {
    if (column < 0 || column >= kColumnCount) {
        std::vector<int> order(static_cast<size_t>(table.rowCount()));
        std::iota(order.begin(), order.end(), 0);
        return order;
    }
    QString mask;
    switch (chooseColumnType(table, column, &mask)) {
    case ColumnType::Integer:
        return orderBy<qint64>(table, column, direction, integerValue);
    case ColumnType::Decimal:
        return orderBy<double>(table, column, direction, decimalValue);
    case ColumnType::Date:
        return orderBy<qint64>(table, column, direction,
                               [&](QStringView text) { return dateValue(text, mask); });
    case ColumnType::Text:
        break;
    }
    return orderBy<QString>(table, column, direction, textKey);
}

void sortTable(DataloggerTable &table, int column, SortDirection direction) {
    table.reorder(sortedOrder(table, column, direction));
}

} // namespace nxa::records

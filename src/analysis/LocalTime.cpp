#include "analysis/LocalTime.h"

#include <QDate>

namespace nxa::analysis {

namespace {

constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr int kDateLength = 10; // yyyy-mm-dd
constexpr int kTimeLength = 8;  // hh:mm:ss

int codeOf(char c) {
    return static_cast<unsigned char>(c);
}
int codeOf(QChar c) {
    return c.unicode();
}

// The number that `count` digits from `from` on spell; -1 when one is no digit.
template <class Text> int digits(Text text, int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const int code = codeOf(text[i]);
        if (code < '0' || code > '9')
            return -1;
        value = value * 10 + (code - '0');
    }
    return value;
}

template <class Text> std::optional<std::int32_t> dayOf(Text text) {
    if (text.size() != kDateLength || codeOf(text[4]) != '-' || codeOf(text[7]) != '-')
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const QDate date(year, month, day);
    if (year < 0 || !date.isValid())
        return std::nullopt;
    return static_cast<std::int32_t>(date.toJulianDay());
}

template <class Text> std::optional<std::int32_t> secondOf(Text text) {
    if (text.size() != kTimeLength || codeOf(text[2]) != ':' || codeOf(text[5]) != ':')
        return std::nullopt;
    const int hour = digits(text, 0, 2);
    const int minute = digits(text, 3, 2);
    const int second = digits(text, 6, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return hour * kSecondsPerHour + minute * kSecondsPerMinute + second;
}

} // namespace

std::optional<std::int32_t> localDay(QStringView text) {
    return dayOf(text);
}
std::optional<std::int32_t> localDay(QByteArrayView text) {
    return dayOf(text);
}
std::optional<std::int32_t> localSecond(QStringView text) {
    return secondOf(text);
}
std::optional<std::int32_t> localSecond(QByteArrayView text) {
    return secondOf(text);
}

} // namespace nxa::analysis

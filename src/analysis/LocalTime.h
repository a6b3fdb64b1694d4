#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <optional>

// The tester's local dates and times as the archive and the manager's table
// write them, read into the analysis's units. Every field is checked against
// its range: a stored "99:00:00" is no time of any day.
namespace nxa::analysis {

// "yyyy-mm-dd" as its Julian day (QDate::toJulianDay).
std::optional<std::int32_t> localDay(QStringView text);
std::optional<std::int32_t> localDay(QByteArrayView text);

// "hh:mm:ss", 00:00:00 to 23:59:59, as seconds since midnight.
std::optional<std::int32_t> localSecond(QStringView text);
std::optional<std::int32_t> localSecond(QByteArrayView text);

} // namespace nxa::analysis

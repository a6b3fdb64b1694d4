#include "audit/TablePlant.h"

#include "analysis/LocalTime.h"
#include "audit/ProfileCheck.h"
#include "config/StationConfig.h"
#include "records/DataloggerTable.h"

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>

namespace nxa::audit {

namespace {

constexpr std::int32_t kUnread = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInvalid = -1;

// Digits only, at most nine of them; kInvalid otherwise.
std::int32_t digitsValue(QStringView text) {
    if (text.isEmpty() || text.size() > 9)
        return kInvalid;
    std::int32_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return kInvalid;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::int32_t numberCell(QStringView text) {
    return digitsValue(text.trimmed());
}

// "yyyy-mm-dd" as the Julian day, or kInvalid.
std::int32_t dateCell(QStringView text) {
    return analysis::localDay(text.trimmed()).value_or(kInvalid);
}

// "hh:mm:ss" as seconds since midnight, or kInvalid.
std::int32_t timeCell(QStringView text) {
    return analysis::localSecond(text.trimmed()).value_or(kInvalid);
}

std::int32_t flagCell(QStringView text) {
    return text.trimmed() == QLatin1String("Y") ? 1 : 0;
}

std::int32_t keyboardCell(QStringView text) {
    return text.trimmed() == QLatin1String("Keyboard") ? 1 : 0;
}

// Each distinct text of a column is read once: a million rows repeat a few
// thousand dates, names and readings.
class ColumnValues {
public:
    ColumnValues(const records::DataloggerTable &table, int column,
                 std::int32_t (*read)(QStringView))
        : m_table(table), m_column(column), m_read(read),
          m_values(table.valueIdBound(column), kUnread) {}

    std::int32_t at(int row) {
        std::int32_t &value = m_values[m_table.valueId(row, m_column)];
        if (value == kUnread)
            value = m_read(m_table.keyCell(row, m_column));
        return value;
    }

private:
    const records::DataloggerTable &m_table;
    int m_column;
    std::int32_t (*m_read)(QStringView);
    std::vector<std::int32_t> m_values;
};

std::optional<std::int64_t> limitKohm(const QString &text) {
    const std::int32_t value = numberCell(text);
    return value >= 0 ? std::optional<std::int64_t>(value) : std::nullopt;
}

} // namespace

std::optional<TablePerson> personOfRow(const records::DataloggerTable &table, int row) {
    if (row < 0 || row >= table.rowCount())
        return std::nullopt;
    const std::int32_t pn = numberCell(table.keyCell(row, records::kColumnPn));
    const std::int32_t user = numberCell(table.keyCell(row, records::kColumnId));
    if (pn < 0 || user < 0 || user >= analysis::kUsersPerTester)
        return std::nullopt;
    return TablePerson{pn, user};
}

TablePlant tablePlant(const records::DataloggerTable &table,
                      const std::optional<TablePerson> &only) {
    using namespace records;
    ColumnValues pn(table, kColumnPn, numberCell), id(table, kColumnId, numberCell);
    ColumnValues visitor(table, kColumnVisitor, flagCell), pass(table, kColumnPass, flagCell);
    ColumnValues relay(table, kColumnRelay, flagCell);
    ColumnValues keyboard(table, kColumnRecognition, keyboardCell);
    ColumnValues ws(table, kColumnWristStrap, numberCell), l(table, kColumnLeft, numberCell);
    ColumnValues r(table, kColumnRight, numberCell), lr(table, kColumnLeftRight, numberCell);
    ColumnValues date(table, kColumnDate, dateCell), time(table, kColumnTime, timeCell);

    TablePlant result;
    // Peripheral number -> tester index, filled once every PN is known.
    std::map<int, int> testers;
    std::vector<std::int32_t> rowPn;
    std::map<int, qint64> invalid;
    std::vector<analysis::Access> &accesses = result.plant.accesses;
    for (int row = 0; row < table.rowCount(); ++row) {
        const std::int32_t p = pn.at(row);
        const std::int32_t user = id.at(row);
        if (p < 0 || user < 0 || user >= analysis::kUsersPerTester) {
            result.unreadRows += only ? 0 : 1;
            continue;
        }
        if (only && (only->peripheralNumber != p || only->user != user))
            continue;
        testers.emplace(p, 0);
        analysis::Access a;
        a.day = date.at(row);
        a.second = time.at(row);
        if (a.day == kInvalid || a.second == kInvalid) {
            ++invalid[p];
            continue;
        }
        a.user = std::int16_t(user);
        a.visitor = visitor.at(row) != 0;
        a.pass = pass.at(row) != 0;
        a.relay = relay.at(row) != 0;
        a.byKeyboard = keyboard.at(row) != 0;
        a.wsKohm = ws.at(row);
        a.lKohm = l.at(row);
        a.rKohm = r.at(row);
        a.lrKohm = lr.at(row);
        accesses.push_back(a);
        rowPn.push_back(p);
    }
    for (auto &[number, index] : testers) {
        index = int(result.peripheralNumbers.size());
        result.peripheralNumbers.push_back(number);
        result.plant.testers.push_back({});
        result.plant.testers.back().name = QStringLiteral("PN %1").arg(number);
        result.invalidTimes.push_back(invalid[number]);
    }
    for (size_t i = 0; i < accesses.size(); ++i)
        accesses[i].tester = testers[rowPn[i]];
    std::sort(accesses.begin(), accesses.end(),
              [](const analysis::Access &a, const analysis::Access &b) {
                  return std::tie(a.tester, a.user, a.day, a.second) <
                         std::tie(b.tester, b.user, b.day, b.second);
              });
    return result;
}

analysis::LimitsSnapshot limitsSnapshot(const config::StationConfig &config, qint64 takenMs,
                                        int fromDay) {
    analysis::LimitsSnapshot snapshot;
    snapshot.takenMs = takenMs;
    snapshot.fromDay = fromDay;
    snapshot.mode =
        config.mode == config::Mode::HandFree ? analysis::Mode::HandFree : analysis::Mode::Normal;
    for (size_t p = 0; p < snapshot.profiles.size() && p < config.profiles.size(); ++p) {
        const config::Profile &profile = config.profiles[p];
        analysis::ProfileLimits &limits = snapshot.profiles[p];
        limits.footwear = {limitKohm(profile.footwearMin), limitKohm(profile.footwearMax)};
        limits.wristStrap = {limitKohm(profile.wristStrapMin), limitKohm(profile.wristStrapMax)};
        limits.check = profileCheck(profile.check);
    }
    snapshot.users.resize(analysis::kUsersPerTester);
    for (size_t u = 0; u < snapshot.users.size() && u < config.users.size(); ++u) {
        const config::User &user = config.users[u];
        const bool chosen = user.profile >= 0 && user.profile < config::kProfileChoiceCount;
        snapshot.users[u] = {user.active, user.name, chosen ? user.profile : 0};
    }
    return snapshot;
}

} // namespace nxa::audit

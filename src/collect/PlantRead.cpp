#include "collect/PlantRead.h"

#include "analysis/LocalTime.h"
#include "analysis/SortedAccesses.h"
#include "audit/ProfileCheck.h"
#include "collect/Archive.h"
#include "collect/ArchiveRows.h"
#include "collect/Calibrations.h"
#include "collect/ReadOnlyArchive.h"
#include "collect/RosterStore.h"
#include "common/VisibleText.h"

#include <QDateTime>
#include <QHash>
#include <QMap>

#include <algorithm>
#include <thread>

namespace nxa::collect {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd";

// "yyyy-mm-dd hh:mm:ss", as the archive writes local times.
bool parseLocalTime(QByteArrayView text, std::int32_t &day, std::int32_t &second) {
    constexpr int kTimeAt = 11;
    constexpr int kTimeLength = 8;
    if (text.size() < kTimeAt + kTimeLength)
        return false;
    const std::optional<std::int32_t> date = analysis::localDay(text.first(kTimeAt - 1));
    const std::optional<std::int32_t> time =
        analysis::localSecond(text.sliced(kTimeAt, kTimeLength));
    if (!date || !time)
        return false;
    day = *date;
    second = *time;
    return true;
}

std::int32_t nullableKohm(const ArchiveRows &rows, int column) {
    return rows.isNull(column) ? analysis::kNotMeasured
                               : static_cast<std::int32_t>(rows.integer(column));
}

analysis::Range range(const ArchiveRows &rows, int minColumn) {
    analysis::Range r;
    if (!rows.isNull(minColumn))
        r.minKohm = rows.integer(minColumn);
    if (!rows.isNull(minColumn + 1))
        r.maxKohm = rows.integer(minColumn + 1);
    return r;
}

class Reader {
public:
    Reader(Archive &archive, const CollectConfig &config, const PlantRequest &request)
        : m_archive(archive), m_config(config), m_request(request) {}

    PlantRead read() {
        PlantRead result;
        if (!readTesters(result) || !readRoster() || !readSnapshots() || !readAttempts() ||
            !readAccesses() || !readInvalidTimes() || !readCalibrationsOf()) {
            if (result.error.isEmpty())
                result.error = QStringLiteral("cannot read the archive: %1").arg(m_error);
            return result;
        }
        m_plant.nowMs = m_request.nowMs;
        result.invalidTimes = std::move(m_invalidTimes);
        result.plant = std::move(m_plant);
        return result;
    }

private:
    bool fail(const ArchiveRows &rows) {
        m_error = rows.error();
        return false;
    }

    int addTester(const QString &name) {
        m_plant.testers.push_back({});
        // Shown on terminals, in mails and reports as they are.
        m_plant.testers.back().name = visibleText(name);
        return static_cast<int>(m_plant.testers.size()) - 1;
    }

    bool readTesters(PlantRead &result) {
        QHash<QString, QString> configuredName; // by key
        for (const TesterEntry &t : m_config.testers)
            configuredName.insert(t.key, t.name);
        struct Known {
            qint64 id;
            QString key;
            QString name;
        };
        std::vector<Known> archived;
        ArchiveRows rows(m_archive, QStringLiteral("SELECT id, tester_key, name FROM testers"), {});
        while (rows.next()) {
            const QString key = QString::fromUtf8(rows.text(1));
            archived.push_back(
                {rows.integer(0), key, configuredName.value(key, QString::fromUtf8(rows.text(2)))});
        }
        if (!rows.error().isEmpty())
            return fail(rows);
        QStringList names;
        for (const TesterEntry &t : m_config.testers)
            names.append(t.name);
        for (const Known &k : archived)
            if (!names.contains(k.name))
                names.append(k.name);
        for (const QString &wanted : m_request.testers) {
            if (!names.contains(wanted)) {
                result.unknownTester = true;
                result.error =
                    QStringLiteral("no tester named \"%1\" in the configuration or the archive")
                        .arg(wanted);
                return false;
            }
        }
        auto chosen = [this](const QString &name) {
            return m_request.testers.isEmpty() || m_request.testers.contains(name);
        };
        // The configuration's order first, then the archive's other testers.
        for (const TesterEntry &t : m_config.testers) {
            if (!chosen(t.name))
                continue;
            const int index = addTester(t.name);
            m_configuredIndex.insert(t.name, index);
            analysis::TesterInput &input = m_plant.testers.back();
            input.plan = {t.plan.wristStrap, t.plan.footwear};
            input.calibrationEveryDays = t.plan.calibrationEveryDays;
            for (const Known &k : archived)
                if (k.key == t.key)
                    m_index.insert(k.id, index);
        }
        // A tester that left the configuration keeps its last name, told
        // apart by its key when a configured tester has taken that name.
        for (const Known &k : archived) {
            if (configuredName.contains(k.key) || !chosen(k.name))
                continue;
            const bool taken = std::any_of(m_config.testers.begin(), m_config.testers.end(),
                                           [&k](const TesterEntry &t) { return t.name == k.name; });
            m_index.insert(
                k.id, addTester(taken ? QStringLiteral("%1 (%2)").arg(k.name, k.key) : k.name));
        }
        return true;
    }

    // The roster in force at the end of the period, its persons' enrolments at
    // the chosen testers.
    bool readRoster() {
        const qint64 endMs =
            QDateTime(m_request.to.addDays(1), QTime(0, 0)).toMSecsSinceEpoch() - 1;
        RosterInForce roster = rosterInForce(m_archive, m_config.testers, endMs);
        if (!roster.error.isEmpty()) {
            m_error = roster.error;
            return false;
        }
        for (const RosterEntry &e : roster.entries) {
            const auto tester = m_configuredIndex.constFind(e.tester);
            if (tester == m_configuredIndex.cend())
                continue;
            if (m_plant.roster.empty() || m_plant.roster.back().id != visibleText(e.person)) {
                analysis::RosterPerson person;
                person.id = visibleText(e.person);
                person.name = visibleText(e.name);
                person.workdays = e.workdays;
                m_plant.roster.push_back(std::move(person));
            }
            m_plant.roster.back().enrolments.push_back(
                {*tester, static_cast<std::int16_t>(e.user)});
        }
        return true;
    }

    bool readSnapshots() {
        QHash<qint64, std::pair<int, size_t>> where; // configuration id -> tester, position
        {
            ArchiveRows rows(m_archive,
                             QStringLiteral("SELECT id, tester, taken, mode FROM configurations "
                                            "ORDER BY tester, taken, id"),
                             {});
            while (rows.next()) {
                const auto tester = m_index.constFind(rows.integer(1));
                if (tester == m_index.cend())
                    continue;
                analysis::LimitsSnapshot snapshot;
                snapshot.takenMs = rows.integer(2);
                snapshot.fromDay = static_cast<std::int32_t>(
                    QDateTime::fromMSecsSinceEpoch(snapshot.takenMs).date().toJulianDay());
                snapshot.mode =
                    rows.text(3) == "HandFree" ? analysis::Mode::HandFree : analysis::Mode::Normal;
                snapshot.users.resize(kUserCount);
                auto &list = m_plant.testers[static_cast<size_t>(*tester)].limits;
                where.insert(rows.integer(0), {*tester, list.size()});
                list.push_back(std::move(snapshot));
            }
            if (!rows.error().isEmpty())
                return fail(rows);
        }
        auto snapshotOf = [&](qint64 id) -> analysis::LimitsSnapshot * {
            const auto found = where.constFind(id);
            if (found == where.cend())
                return nullptr;
            return &m_plant.testers[static_cast<size_t>(found->first)].limits[found->second];
        };
        {
            ArchiveRows rows(m_archive,
                             QStringLiteral("SELECT configuration, profile, footwear_min, "
                                            "footwear_max, wrist_strap_min, wrist_strap_max, "
                                            "check_choice FROM profile_limits"),
                             {});
            while (rows.next()) {
                analysis::LimitsSnapshot *snapshot = snapshotOf(rows.integer(0));
                const qint64 profile = rows.integer(1) - config::kFirstProfileNumber;
                if (!snapshot || profile < 0 || profile >= config::kProfileCount)
                    continue;
                analysis::ProfileLimits &limits = snapshot->profiles[static_cast<size_t>(profile)];
                limits.footwear = range(rows, 2);
                limits.wristStrap = range(rows, 4);
                limits.check = audit::profileCheck(QString::fromUtf8(rows.text(6)));
            }
            if (!rows.error().isEmpty())
                return fail(rows);
        }
        ArchiveRows rows(m_archive,
                         QStringLiteral("SELECT configuration, user_number, active, name, profile "
                                        "FROM configuration_users"),
                         {});
        while (rows.next()) {
            analysis::LimitsSnapshot *snapshot = snapshotOf(rows.integer(0));
            const qint64 user = rows.integer(1);
            if (!snapshot || user < 0 || user >= kUserCount)
                continue;
            analysis::UserEntry &entry = snapshot->users[static_cast<size_t>(user)];
            entry.active = rows.integer(2) != 0;
            entry.name = visibleText(QString::fromUtf8(rows.text(3)));
            entry.profile = rows.isNull(4)
                                ? 0
                                : static_cast<int>(rows.integer(4)) - config::kFirstProfileNumber;
        }
        return rows.error().isEmpty() || fail(rows);
    }

    bool readAttempts() {
        // The attempts of the period, and the last success before it, which
        // says how long a tester has been out of reach.
        const qint64 since = QDateTime(m_request.from, QTime(0, 0)).toMSecsSinceEpoch();
        ArchiveRows rows(m_archive,
                         QStringLiteral("SELECT tester, started, result, image_records FROM "
                                        "attempts WHERE started >= ? OR id IN (SELECT MAX(id) "
                                        "FROM attempts WHERE result = 0 GROUP BY tester) ORDER "
                                        "BY tester, started, id"),
                         {since});
        while (rows.next()) {
            const auto tester = m_index.constFind(rows.integer(0));
            if (tester == m_index.cend())
                continue;
            analysis::CollectionAttempt attempt;
            attempt.startedMs = rows.integer(1);
            attempt.succeeded = rows.integer(2) == 0;
            attempt.imageRecords = attempt.succeeded ? static_cast<int>(rows.integer(3)) : -1;
            m_plant.testers[static_cast<size_t>(*tester)].attempts.push_back(attempt);
        }
        return rows.error().isEmpty() || fail(rows);
    }

    // The accesses of archive testers `lowId` to `highId` into `out`, sorted
    // as the analysis wants them; an error text, empty on success.
    QString readAccessRange(Archive &archive, qint64 lowId, qint64 highId,
                            std::vector<analysis::Access> &out) const {
        const QString from = m_request.from.toString(QLatin1String(kDateFormat));
        const QString to = m_request.to.toString(QLatin1String(kDateFormat));
        ArchiveRows rows(
            archive,
            QStringLiteral("SELECT tester, CAST(local_time AS TEXT), user_number, is_visitor, "
                           "is_pass, relay_on, by_keyboard, ws_kohm, l_kohm, r_kohm, lr_kohm "
                           "FROM records WHERE tester >= ? AND tester <= ? AND local_date >= %1 "
                           "AND local_date <= %2")
                .arg(archive.asDate(QStringLiteral("?")), archive.asDate(QStringLiteral("?"))),
            {lowId, highId, from, to});
        while (rows.next()) {
            const auto tester = m_index.constFind(rows.integer(0));
            if (tester == m_index.cend())
                continue;
            analysis::Access a;
            if (!parseLocalTime(rows.text(1), a.day, a.second))
                continue;
            a.tester = *tester;
            a.user = static_cast<std::int16_t>(rows.integer(2));
            a.visitor = rows.integer(3) != 0;
            a.pass = rows.integer(4) != 0;
            a.relay = rows.integer(5) != 0;
            a.byKeyboard = rows.integer(6) != 0;
            a.wsKohm = nullableKohm(rows, 7);
            a.lKohm = nullableKohm(rows, 8);
            a.rKohm = nullableKohm(rows, 9);
            a.lrKohm = nullableKohm(rows, 10);
            out.push_back(a);
        }
        std::sort(out.begin(), out.end(), analysis::accessBefore);
        return rows.error();
    }

    bool readAccesses() {
        std::vector<qint64> ids(m_index.keyBegin(), m_index.keyEnd());
        if (ids.empty())
            return true;
        std::sort(ids.begin(), ids.end());
        std::vector<analysis::Access> &accesses = m_plant.accesses;
        // A SQLite archive is read in two halves of its testers at once, on
        // a second connection of its own: the scan is most of a check.
        const size_t half = ids.size() / 2;
        std::vector<analysis::Access> upper;
        QString upperError;
        std::thread second;
        if (m_archive.isSqlite() && half > 0) {
            second = std::thread([&] {
                LockWaitBudget budget(m_config.lockWaitMs);
                Archive::Opened opened =
                    Archive::open(m_archive.location(), budget, Archive::Access::Read);
                upperError = opened.archive
                                 ? readAccessRange(*opened.archive, ids[half], ids.back(), upper)
                                 : opened.error;
            });
        }
        const qint64 lowerEnd = second.joinable() ? ids[half - 1] : ids.back();
        m_error = readAccessRange(m_archive, ids.front(), lowerEnd, accesses);
        if (second.joinable())
            second.join();
        if (m_error.isEmpty())
            m_error = upperError;
        if (!m_error.isEmpty())
            return false;
        const auto middle = accesses.insert(accesses.end(), upper.begin(), upper.end());
        std::inplace_merge(accesses.begin(), middle, accesses.end(), analysis::accessBefore);
        return true;
    }

    bool readInvalidTimes() {
        m_invalidTimes.assign(m_plant.testers.size(), 0);
        ArchiveRows rows(m_archive,
                         QStringLiteral("SELECT tester, COUNT(*) FROM records WHERE local_time "
                                        "IS NULL GROUP BY tester"),
                         {});
        while (rows.next())
            if (const auto tester = m_index.constFind(rows.integer(0)); tester != m_index.cend())
                m_invalidTimes[static_cast<size_t>(*tester)] += rows.integer(1);
        return rows.error().isEmpty() || fail(rows);
    }

    // The calibrations of the configured testers: only they have an interval.
    bool readCalibrationsOf() {
        CalibrationsRead read = readCalibrations(m_archive);
        if (!read.error.isEmpty()) {
            m_error = read.error;
            return false;
        }
        for (const TesterEntry &t : m_config.testers)
            if (const auto index = m_configuredIndex.constFind(t.name);
                index != m_configuredIndex.cend())
                m_plant.testers[static_cast<size_t>(*index)].calibrations = read.byKey.value(t.key);
        return true;
    }

    Archive &m_archive;
    const CollectConfig &m_config;
    const PlantRequest &m_request;
    QHash<QString, int> m_configuredIndex; // plant tester of each configured name
    analysis::Plant m_plant;
    QHash<qint64, int> m_index; // archive tester id -> index in the plant
    std::vector<qint64> m_invalidTimes;
    QString m_error;
};

} // namespace

PlantRequest driftRequest(const QDate &from, const QDate &to, const QStringList &testers,
                          const analysis::AnalysisSettings &settings) {
    PlantRequest request;
    request.from = std::min(from, to.addDays(1 - settings.driftWindowDays));
    request.to = to;
    request.testers = testers;
    request.nowMs = QDateTime::currentMSecsSinceEpoch();
    return request;
}

PlantRead readPlant(Archive &archive, const CollectConfig &config, const PlantRequest &request) {
    return Reader(archive, config, request).read();
}

PlantRead readPlant(const CollectConfig &config, const PlantRequest &request) {
    ReadOnlyArchive opened(config);
    if (!opened.archive()) {
        PlantRead failed;
        failed.error = opened.error();
        return failed;
    }
    return readPlant(*opened.archive(), config, request);
}

} // namespace nxa::collect

#pragma once

#include "config/StationConfig.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// What the analysis reads: typed accesses, the limits in force, and what the
// collector knows of each tester. Plain values, so that the archive, the
// manager's table and the tests can all fill them.
namespace nxa::analysis {

// A resistance the tester did not measure (wrist strap in HandFree mode, the
// single feet when both were measured as one value).
inline constexpr std::int32_t kNotMeasured = -1;

// One access as the tester recorded it, in its own local time.
struct Access {
    std::int32_t tester = 0; // index into Plant::testers
    std::int32_t day = 0;    // Julian day number of the local date (QDate::toJulianDay)
    std::int32_t second = 0; // seconds since local midnight, 0-86399
    std::int16_t user = 0;   // user number 0-999
    bool visitor = false;
    bool pass = false;
    bool relay = false;
    bool byKeyboard = false;
    // kOhm, or kNotMeasured.
    std::int32_t wsKohm = kNotMeasured;
    std::int32_t lKohm = kNotMeasured;
    std::int32_t rKohm = kNotMeasured;
    std::int32_t lrKohm = kNotMeasured; // both feet as one value (HandFree)
};

// A limit the configuration leaves empty checks nothing.
struct Range {
    std::optional<std::int64_t> minKohm;
    std::optional<std::int64_t> maxKohm;
    friend bool operator==(const Range &, const Range &) = default;
};

// What a profile checks: the check choice of the configuration.
enum class Check { WristStrapAndShoes, WristStrap, Shoes };
enum class Mode { Normal, HandFree };

struct ProfileLimits {
    Range footwear;   // per shoe in Normal mode, both feet as one in HandFree mode
    Range wristStrap; // Normal mode only
    Check check = Check::WristStrapAndShoes;
    friend bool operator==(const ProfileLimits &, const ProfileLimits &) = default;
};

struct UserEntry {
    bool active = false;
    QString name;
    int profile = 0; // 0-9
    friend bool operator==(const UserEntry &, const UserEntry &) = default;
};

// One configuration of a tester, in force from `fromDay` until the next one.
struct LimitsSnapshot {
    std::int64_t takenMs = 0; // when it was downloaded, ms since 1970 UTC
    std::int32_t fromDay = 0; // Julian day it is taken to be in force from
    Mode mode = Mode::Normal;
    std::array<ProfileLimits, config::kProfileCount> profiles;
    std::vector<UserEntry> users; // kUserCount entries
};

struct CollectionAttempt {
    std::int64_t startedMs = 0;
    bool succeeded = false;
    int imageRecords = -1; // the image header's count; -1 when no image came
};

// One calibration or verification of a tester, as recorded.
struct Calibration {
    std::int32_t day = 0;        // Julian day it was made
    std::int64_t recordedMs = 0; // when it was recorded, ms since 1970 UTC
    bool failed = false;         // it found the tester out of tolerance
    QString by;
    QString certificate;
    QString note;
};

// The plant's ESD plan for one tester: the range each measure's limits must
// keep within. A measure without a range, or with a range that sets neither
// side, is not compared.
struct PlanRanges {
    std::optional<Range> wristStrap;
    std::optional<Range> footwear;
};

struct TesterInput {
    QString name;
    PlanRanges plan;
    // Days a calibration holds; none: calibrations are only shown.
    std::optional<int> calibrationEveryDays;
    // Oldest first by day, then by the order they were recorded.
    std::vector<Calibration> calibrations;
    // Oldest first; empty when no configuration was ever collected. A day
    // before the first snapshot is taken to be under the first one.
    std::vector<LimitsSnapshot> limits;
    // Oldest first.
    std::vector<CollectionAttempt> attempts;
};

// A person of the plant's roster: the same person may be enrolled at several
// testers, under other user numbers.
struct RosterPerson {
    QString id; // the plant's own
    QString name;
    std::uint8_t workdays = 0x1F; // bit 0 Monday ... bit 6 Sunday
    struct Enrolment {
        std::int32_t tester = 0; // index into Plant::testers
        std::int16_t user = 0;
    };
    std::vector<Enrolment> enrolments;
};

struct Plant {
    std::vector<TesterInput> testers;
    // Sorted by tester, user, day, second.
    std::vector<Access> accesses;
    // Empty without a roster: a person is then a user number of one tester,
    // as is every user number the roster does not enrol.
    std::vector<RosterPerson> roster;
    std::int64_t nowMs = 0; // the time the analysis is made for, ms since 1970 UTC
};

} // namespace nxa::analysis

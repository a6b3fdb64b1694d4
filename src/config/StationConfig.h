#pragma once

#include "common/ImageRecords.h"

#include <QString>

#include <array>

namespace nxa::config {

enum class SecurityLevel { Max, Middle, Min };
enum class Mode { Normal, HandFree };
enum class TestVoltage { V100, V50 };

inline constexpr int kProfileCount = 11; // profiles 1-10 and the visitors profile
inline constexpr int kVisitorsProfile = 10;
// Profiles are numbered from 1 where people read them (and in the archive);
// index 0 here is profile 1.
inline constexpr int kFirstProfileNumber = 1;
// A user's profile is one of the ten measurement profiles, never the visitors one.
inline constexpr int kProfileChoiceCount = 10;
using nxa::kUserCount;
inline constexpr int kMinPeripheralNumber = 1;
inline constexpr int kMaxPeripheralNumber = 100;
// A choice (check, relay, profile) that selects no entry.
inline constexpr int kNoChoice = -1;

// Check choice indices: "WS + Shoes", "WS", "Shoes".
// Relay choice indices: "Off", "Always", "If Check is OK".
struct Profile {
    QString footwearMin = QStringLiteral("100");
    QString footwearMax = QStringLiteral("70000");
    QString wristStrapMin = QStringLiteral("750");
    QString wristStrapMax = QStringLiteral("35000");
    int check = 0;
    int relay = 2;
    bool visitorsQualifier = true; // unused by the visitors profile

    friend bool operator==(const Profile &, const Profile &) = default;
};

struct User {
    bool active = true;
    QString name;
    int profile = 0; // 0-9 shown as "Profile  1" ... "Profile 10"

    friend bool operator==(const User &, const User &) = default;
};

// The tester's configuration as the configuration tabs show and edit it.
class StationConfig {
public:
    StationConfig();

    int peripheralNumber() const { return m_peripheralNumber; }
    // Brings a value outside 1-100 to the nearer bound.
    void setPeripheralNumber(int number);

    QString description = QStringLiteral("EPA Area");
    SecurityLevel securityLevel = SecurityLevel::Min;
    QString generator = QStringLiteral("QJX");
    Mode mode = Mode::Normal;
    TestVoltage voltage = TestVoltage::V100;
    std::array<Profile, kProfileCount> profiles;
    std::array<User, kUserCount> users;

    friend bool operator==(const StationConfig &, const StationConfig &) = default;

private:
    int m_peripheralNumber = 1;
};

} // namespace nxa::config

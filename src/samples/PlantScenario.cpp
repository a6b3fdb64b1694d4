#include "samples/PlantScenario.h"

#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "samples/DataloggerImageBuilder.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace nxa::samples {

namespace {

using records::AccessRecord;

constexpr int kHistoryDays = 60;
constexpr int kRetestMinutes = 3;
constexpr int kSecondsPerMinute = 60;
// One first test in twenty fails: a person in a cycle of twenty days.
constexpr int kUsualFailureCycle = 20;
constexpr int kUsualFailureStep = 7;
constexpr int kRelayProfile = 1; // "Profile  2"
constexpr int kRelayAlways = 1;
// A wrist strap that does not reach the skin reads far above its maximum.
constexpr quint32 kDryWristStrapKohm = 48000;
constexpr quint32 kHighFootwearKohm = 95000;
constexpr char kLoosenedWristStrapMax[] = "50000";

// The same numbers on every machine and library: the planted truth must not
// depend on the standard library's distributions.
class Dice {
public:
    explicit Dice(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    quint32 next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<quint32>(m_state >> 32);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint32>(n)); }
    // Uniform in [-1, 1).
    double symmetric() { return next() / 2147483648.0 - 1.0; }

private:
    quint64 m_state;
};

struct Person {
    int user = 0;
    QByteArray name;
    double wsKohm = 0;
    double footKohm = 0;
    double driftPerDay = 0; // log10 per day, both shoes
    bool absentYesterday = false;
    // A north person who came through the south entrance yesterday at noon,
    // and never before: enrolled there under a south user number.
    bool sharedVisit = false;
};

struct Access {
    QDateTime at;
    const Person *person = nullptr;
    quint32 ws = 0, l = 0, r = 0;
    bool pass = true;
    bool relay = true;
};

quint32 kohm(double value) {
    return static_cast<quint32>(std::lround(value));
}

// One day's usual test of a person: values around the person's own, with the
// spread of a real measurement (about ±7 %).
Access usualTest(const Person &p, const QDate &day, int offset, Dice &dice) {
    Access a;
    a.person = &p;
    const int minute = 7 * 60 + dice.below(90);
    a.at = QDateTime(day, QTime(minute / 60, minute % 60, dice.below(30) * 2));
    const double drift = std::pow(10.0, p.driftPerDay * (offset + kHistoryDays));
    a.ws = kohm(p.wsKohm * std::pow(10.0, 0.03 * dice.symmetric()));
    a.l = kohm(p.footKohm * drift * std::pow(10.0, 0.03 * dice.symmetric()));
    a.r = kohm(p.footKohm * drift * std::pow(10.0, 0.03 * dice.symmetric()));
    return a;
}

Access later(const Access &a, int minutes) {
    Access b = a;
    b.at = a.at.addSecs(minutes * kSecondsPerMinute);
    return b;
}

Access failed(Access a, quint32 wsKohm) {
    a.ws = wsKohm;
    a.pass = false;
    a.relay = false;
    return a;
}

std::vector<Person> persons(const QString &tester, const PlantOptions &options) {
    const bool renamed = options.renamed;
    std::vector<Person> list;
    auto add = [&list](const char *name, double ws, double foot) {
        Person p;
        p.user = static_cast<int>(list.size()) + 1;
        p.name = name;
        p.wsKohm = ws;
        p.footKohm = foot;
        list.push_back(p);
        return &list.back();
    };
    if (tester == QLatin1String("north")) {
        add("Ada Drift", 4200, 5000)->driftPerDay = 0.015;
        add("Ben Drift", 6100, 4600)->driftPerDay = 0.015;
        add("Cy Retry", 3900, 2100);
        add("Di Nopass", 5200, 1800);
        add("Ed Relay", 4700, 2500);
        add("Flo Absent", 3600, 1500)->absentYesterday = true;
        add(renamed ? "Gus Newname" : "Gus Renamed", 5400, 2900);
        for (int i = 8; i <= 40; ++i)
            add(QByteArray("North ") + QByteArray::number(i), 2500 + 150 * i, 900 + 80 * i);
    } else if (tester == QLatin1String("south")) {
        for (int i = 1; i <= 10; ++i)
            add(QByteArray("South ") + QByteArray::number(i), 3000 + 300 * i, 1200 + 100 * i);
        if (options.sharedEntrance) {
            add("Di Nopass", 5200, 1800)->sharedVisit = true;
            add("Flo Absent", 3600, 1500)->sharedVisit = true;
        }
    } else {
        for (int i = 1; i <= 3; ++i)
            add(QByteArray("East ") + QByteArray::number(i), 4000 + 500 * i, 1500 + 200 * i);
    }
    return list;
}

std::vector<Access> accesses(const QString &tester, const std::vector<Person> &people,
                             const QDate &today) {
    std::vector<Access> out;
    const bool north = tester == QLatin1String("north");
    const bool south = tester == QLatin1String("south");
    const quint64 testerSeed = north ? 1 : south ? 2 : 3;
    for (int offset = -kHistoryDays; offset <= -1; ++offset) {
        const QDate day = today.addDays(offset);
        const bool yesterday = offset == -1;
        if (!north && !south && offset > -3)
            continue; // east has gone quiet
        const bool coldMorning = north && (offset == -15 || offset == -30 || offset == -45);
        int southFailures = 0;
        for (const Person &p : people) {
            Dice dice(testerSeed * 100003 + static_cast<quint64>(offset + 1000) * 1009 +
                      static_cast<quint64>(p.user));
            if ((p.absentYesterday && yesterday) || (p.sharedVisit && !yesterday))
                continue;
            Access a = usualTest(p, day, offset, dice);
            if (p.sharedVisit) {
                a.at = QDateTime(day, QTime(12, 5 * (p.user - 11), 0));
                out.push_back(a);
                continue;
            }
            // Spread evenly, so that no day's fail rate stands out by chance.
            const bool usualFailure =
                (kUsualFailureStep * p.user + offset + 1000) % kUsualFailureCycle == 0;
            const bool cold = coldMorning && p.user >= 8 && p.user < 11;
            if (cold)
                a.at = QDateTime(day, QTime(6, 10 + 6 * (p.user - 8), 0));
            if (north && p.name == "Cy Retry" && offset == -3) {
                out.push_back(failed(a, kDryWristStrapKohm));
                Access shoes = later(a, 2);
                shoes.l = shoes.r = kHighFootwearKohm;
                shoes.pass = shoes.relay = false;
                out.push_back(shoes);
                out.push_back(failed(later(a, 5), kDryWristStrapKohm));
                out.push_back(later(a, 11));
            } else if (north && yesterday && p.name == "Di Nopass") {
                out.push_back(failed(a, kDryWristStrapKohm));
                out.push_back(failed(later(a, 4), kDryWristStrapKohm));
            } else if (north && yesterday && p.name == "Ed Relay") {
                Access through = failed(a, kDryWristStrapKohm);
                through.relay = true;
                out.push_back(through);
                out.push_back(later(a, 2));
            } else if ((south && yesterday && southFailures < 6) || cold ||
                       (usualFailure && !yesterday && (!north || p.user >= 8))) {
                southFailures += south && yesterday ? 1 : 0;
                out.push_back(failed(a, kDryWristStrapKohm));
                out.push_back(later(a, kRetestMinutes));
            } else {
                out.push_back(a);
            }
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Access &a, const Access &b) { return a.at < b.at; });
    return out;
}

config::StationConfig configuration(const std::vector<Person> &people, int peripheral,
                                    const PlantOptions &options) {
    config::StationConfig station;
    if (options.loosened)
        station.profiles[0].wristStrapMax = QLatin1String(kLoosenedWristStrapMax);
    station.setPeripheralNumber(peripheral);
    station.profiles[kRelayProfile].relay = kRelayAlways;
    for (config::User &user : station.users)
        user.active = options.userTable == UserTable::FactoryDefault;
    for (const Person &p : people) {
        config::User &user = station.users[static_cast<size_t>(p.user)];
        user.active = true;
        user.name = QString::fromLatin1(p.name);
        user.profile = p.name == "Ed Relay" ? kRelayProfile : 0;
    }
    return station;
}

} // namespace

QStringList plantTesterNames() {
    return {QStringLiteral("north"), QStringLiteral("south"), QStringLiteral("east")};
}

std::optional<PlantTester> plantTester(const QString &name, const QDate &today, bool renamed) {
    PlantOptions options;
    options.renamed = renamed;
    return plantTester(name, today, options);
}

std::optional<PlantTester> plantTester(const QString &name, const QDate &today,
                                       const PlantOptions &options) {
    const qsizetype index = plantTesterNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    const int peripheral = static_cast<int>(index) + 1;
    const std::vector<Person> people = persons(name, options);
    records::DataloggerImageBuilder builder;
    builder.setPeripheralNumber(peripheral);
    for (const Person &p : people)
        builder.setUserName(p.user, p.name);
    for (const Access &a : accesses(name, people, today)) {
        AccessRecord record;
        record.user = static_cast<quint16>(a.person->user);
        record.footwear = a.l;
        record.right = a.r;
        record.wristStrap = a.ws;
        const QDate d = a.at.date();
        const QTime t = a.at.time();
        record.timestamp = AccessRecord::dosTimestamp(d.year(), d.month(), d.day(), t.hour(),
                                                      t.minute(), t.second());
        record.flags = static_cast<quint8>((a.pass ? records::kFlagPass : 0) |
                                           (a.relay ? records::kFlagRelay : 0));
        builder.addRecord(record);
    }
    PlantTester tester;
    tester.datalogger = builder.transferImage();
    tester.configuration =
        config::encodeConfigurationTransfer(configuration(people, peripheral, options));
    return tester;
}

} // namespace nxa::samples

// The plant's ESD plan through the real nxa-collect: plan limits against the
// profiles a tester holds, the configuration changes the archive saw, and
// the testers' calibrations. Each case serves its own configuration from a
// simulated tester on loopback and collects it into a fresh archive.

#include "SimulatorThread.h"
#include "common/TesterAddress.h"
#include "config/ConfigurationImage.h"
#include "link/TesterConnection.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace nxa;

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// A station whose users are all inactive but user 1 (profile 1), so that
// only profile 1 and the visitors profile are in use unless a case says
// otherwise.
config::StationConfig station() {
    config::StationConfig c;
    for (config::User &user : c.users)
        user.active = false;
    c.users[1].active = true;
    c.users[1].name = QStringLiteral("Ann Plan");
    return c;
}

using Edit = std::function<void(config::StationConfig &)>;

// One tester "t" on loopback serving `configuration`, an archive and a
// configuration file in a folder of their own.
class Site {
public:
    explicit Site(const config::StationConfig &configuration) {
        sim::SimulatorSettings settings;
        settings.dataloggerImage = records::DataloggerImageBuilder().transferImage();
        settings.configurationImage = config::encodeConfigurationTransfer(configuration);
        m_simulator = std::make_unique<sim::SimulatorThread>(settings);
        m_started = m_simulator->start(QHostAddress(QStringLiteral("127.0.0.1")));
        const QString passwordFile = m_folder.filePath(QStringLiteral("tester.pw"));
        test::writeFile(passwordFile, "583041\n");
        QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner);
    }

    bool started() const { return m_started; }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    // The configuration: `global` before the tester, `own` in its group.
    void writeIni(const QString &global, const QString &own = {}) {
        test::writeFile(
            m_folder.filePath(QStringLiteral("nxa-collect.ini")),
            QStringLiteral("%1\n[t]\naddress=127.0.0.1\nport=%2\npassword-file=tester.pw\n%3")
                .arg(global)
                .arg(m_simulator->port())
                .arg(own)
                .toUtf8());
    }

    // Uploads a configuration to the tester the way the manager does.
    bool upload(const config::StationConfig &configuration) {
        link::LinkTimings timings;
        timings.uploadPacingStepMs = 1;
        link::TesterConnection connection(timings);
        return connection.connectAndLogin(parseDottedAddress(QStringLiteral("127.0.0.1")),
                                          m_simulator->port(),
                                          QStringLiteral("583041")) == link::Outcome::Success &&
               connection.uploadConfiguration(QStringLiteral("583041"),
                                              config::encodeConfigurationTransfer(configuration)) ==
                   link::Outcome::Success;
    }

    Run run(const QStringList &arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(NXA_BINARY_DIR "/src/collect/nxa-collect"), arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        Run result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
        result.errors = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<sim::SimulatorThread> m_simulator;
    bool m_started = false;
};

QString day(int fromToday) {
    return QDate::currentDate().addDays(fromToday).toString(Qt::ISODate);
}

// The entries of one section of a check, without its title.
QStringList section(const QStringList &lines, const QString &title) {
    QStringList found;
    bool inside = false;
    for (const QString &line : lines)
        if (!line.startsWith(QLatin1Char(' ')))
            inside = line.startsWith(title + QStringLiteral(" ("));
        else if (inside)
            found.append(line.mid(2));
    return found;
}

const QString kPlan = QStringLiteral("plan-wrist-strap=750-35000\nplan-footwear=100-100000");

} // namespace

class TestEsdPlan : public QObject {
    Q_OBJECT

private slots:
    // A plan key is read as min-max in kOhm, either side empty; anything
    // else refuses the whole configuration with its line. Without any plan
    // range, status says once that nothing is compared.
    void readsThePlanKeys_data() {
        QTest::addColumn<QString>("global");
        QTest::addColumn<QString>("own");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said"); // on standard error, or the no-plan line's count

        // clang-format off
        QTest::newRow("both ranges")       << kPlan                              << ""                          << 0 << "0";
        QTest::newRow("open sides")        << "plan-wrist-strap=-35000\nplan-footwear=100-" << ""           << 0 << "0";
        QTest::newRow("tester's own")      << ""                                 << "plan-footwear=100-50000\n" << 0 << "0";
        QTest::newRow("interval only")     << "calibration-every=365"            << ""                          << 0 << "1";
        QTest::newRow("nothing")           << ""                                 << ""                          << 0 << "1";
        QTest::newRow("one number")        << "plan-wrist-strap=35000"           << ""                          << 2 << "line 1: plan-wrist-strap must be kOhm as min-max";
        QTest::newRow("letters")           << "archive=a.sqlite\nplan-footwear=1k-2k" << ""                     << 2 << "line 2: plan-footwear must be kOhm as min-max";
        QTest::newRow("three sides")       << "plan-footwear=1-2-3"              << ""                          << 2 << "line 1: plan-footwear must be kOhm as min-max";
        QTest::newRow("min above max")     << "plan-footwear=5000-100"           << ""                          << 2 << "line 1: plan-footwear: the min 5000 is above the max 100";
        QTest::newRow("eight digits")      << "plan-footwear=100-10000000"       << ""                          << 2 << "line 1: plan-footwear must be kOhm";
        QTest::newRow("bad in the group")  << kPlan                              << "plan-wrist-strap=x\n"      << 2 << "line 7: plan-wrist-strap must be kOhm";
        QTest::newRow("no interval")       << "calibration-every=0"              << ""                          << 2 << "line 1: calibration-every must be days from 1 to 3650";
        QTest::newRow("interval in words") << ""                                 << "calibration-every=yearly\n" << 2 << "line 6: calibration-every must be days";
        // clang-format on
    }
    void readsThePlanKeys() {
        QFETCH(QString, global);
        QFETCH(QString, own);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        Site site(station());
        QVERIFY(site.started());
        site.writeIni(QString(), QString());
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        site.writeIni(global, own);
        const Run status = site.run({QStringLiteral("status")});
        QCOMPARE(status.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY2(status.errors.contains(said), qPrintable(status.errors));
            return;
        }
        QCOMPARE(
            QString::number(status.lines.filter(QStringLiteral("# no plan-wrist-strap=")).size()),
            said);
    }

    // The profiles in force that the plan would not allow: the visitors
    // profile and those of active users, whatever the profile of an
    // inactive user holds.
    void listsProfilesLooserThanThePlan_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("global");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QStringList>("looser");

        const Edit none = [](config::StationConfig &) {};
        // clang-format off
        QTest::newRow("within the plan") << none << kPlan << "" << QStringList{};
        QTest::newRow("max above")
            << Edit([](config::StationConfig &c) { c.profiles[0].footwearMax = "150000"; }) << kPlan << ""
            << QStringList{"t  profile 1 (1 active user): footwear max 150000 kOhm, above the plan's 100000 kOhm"};
        QTest::newRow("no min")
            << Edit([](config::StationConfig &c) { c.profiles[0].wristStrapMin = ""; }) << kPlan << ""
            << QStringList{"t  profile 1 (1 active user): no wrist strap min, the plan's is 750 kOhm"};
        QTest::newRow("min below, no max")
            << Edit([](config::StationConfig &c) { c.profiles[0].footwearMin = "50"; c.profiles[0].footwearMax = ""; })
            << kPlan << ""
            << QStringList{"t  profile 1 (1 active user): no footwear max, the plan's is 100000 kOhm; "
                           "footwear min 50 kOhm, below the plan's 100 kOhm"};
        QTest::newRow("footwear left out")
            << Edit([](config::StationConfig &c) { c.profiles[0].check = 1; }) << kPlan << ""
            << QStringList{"t  profile 1 (1 active user): checks WS only: the footwear is not measured"};
        QTest::newRow("HandFree")
            << Edit([](config::StationConfig &c) { c.mode = config::Mode::HandFree; })
            << "plan-wrist-strap=750-35000" << ""
            << QStringList{"t  profile 1 (1 active user): HandFree mode does not measure the wrist strap",
                           "t  visitors profile: HandFree mode does not measure the wrist strap"};
        QTest::newRow("visitors")
            << Edit([](config::StationConfig &c) { c.profiles[10].wristStrapMax = "50000"; }) << kPlan << ""
            << QStringList{"t  visitors profile: wrist strap max 50000 kOhm, above the plan's 35000 kOhm"};
        QTest::newRow("inactive user's profile")
            << Edit([](config::StationConfig &c) {
                   c.profiles[2].footwearMax = "150000";
                   c.users[2].profile = 2; // inactive
                   c.users[3].active = true;
               })
            << kPlan << "" << QStringList{};
        QTest::newRow("active users' profile")
            << Edit([](config::StationConfig &c) {
                   c.profiles[2].footwearMax = "150000";
                   for (int u : {4, 5}) { c.users[u].active = true; c.users[u].profile = 2; }
               })
            << kPlan << ""
            << QStringList{"t  profile 3 (2 active users): footwear max 150000 kOhm, above the plan's 100000 kOhm"};
        QTest::newRow("the tester's own plan")
            << none << kPlan << "plan-footwear=100-50000\n"
            << QStringList{"t  profile 1 (1 active user): footwear max 70000 kOhm, above the plan's 50000 kOhm",
                           "t  visitors profile: footwear max 70000 kOhm, above the plan's 50000 kOhm"};
        QTest::newRow("no plan")
            << Edit([](config::StationConfig &c) { c.profiles[0].footwearMax = "150000"; }) << "" << ""
            << QStringList{};
        // clang-format on
    }
    void listsProfilesLooserThanThePlan() {
        QFETCH(Edit, edit);
        QFETCH(QString, global);
        QFETCH(QString, own);
        QFETCH(QStringList, looser);
        config::StationConfig configuration = station();
        edit(configuration);
        Site site(configuration);
        QVERIFY(site.started());
        site.writeIni(global, own);
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        const Run check = site.run({QStringLiteral("check"), QStringLiteral("--day"), day(0)});
        QCOMPARE(section(check.lines, QStringLiteral("limits looser than the plan")), looser);
        QCOMPARE(check.exitCode, looser.isEmpty() ? 0 : 4);
    }

    // A configuration uploaded between two downloads is listed once, on the
    // day it was first collected, with the old and the new values; a third
    // download that finds it unchanged adds nothing.
    void listsAConfigurationChangeOnTheDayFirstSeen_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QStringList>("changes");

        // clang-format off
        QTest::newRow("a limit")
            << Edit([](config::StationConfig &c) { c.profiles[0].footwearMax = "150000"; })
            << QStringList{"t  seen  profile 1  footwear max: 70000 kOhm -> 150000 kOhm"};
        QTest::newRow("a limit emptied")
            << Edit([](config::StationConfig &c) { c.profiles[10].wristStrapMin = ""; })
            << QStringList{"t  seen  visitors profile  wrist strap min: 750 kOhm -> none"};
        QTest::newRow("a check")
            << Edit([](config::StationConfig &c) { c.profiles[4].check = 2; })
            << QStringList{"t  seen  profile 5  check: WS + Shoes -> Shoes"};
        QTest::newRow("the mode")
            << Edit([](config::StationConfig &c) { c.mode = config::Mode::HandFree; })
            << QStringList{"t  seen  mode: Normal -> HandFree"};
        QTest::newRow("the user table")
            << Edit([](config::StationConfig &c) {
                   c.users[2].active = c.users[3].active = true;
                   c.users[1].active = false;
                   c.users[7].name = "Bo Renamed";
                   c.users[8].profile = 4;
               })
            << QStringList{"t  seen  user table: users: 2 activated, 1 deactivated, 1 renamed, "
                           "1 moved to another profile"};
        QTest::newRow("other settings")
            << Edit([](config::StationConfig &c) { c.description = "Hall 2"; })
            << QStringList{"t  seen  other settings: no limit, check or user changed"};
        // clang-format on
    }
    void listsAConfigurationChangeOnTheDayFirstSeen() {
        QFETCH(Edit, edit);
        QFETCH(QStringList, changes);
        const config::StationConfig before = station();
        Site site(before);
        QVERIFY(site.started());
        site.writeIni(QString());
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        config::StationConfig after = before;
        edit(after);
        QVERIFY(site.upload(after));
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        for (int d : {-1, 0, 1}) {
            const Run check = site.run({QStringLiteral("check"), QStringLiteral("--day"), day(d)});
            QCOMPARE(check.exitCode, 0);
            QStringList listed = section(check.lines, QStringLiteral("configuration changed"));
            listed.replaceInStrings(QRegularExpression(QStringLiteral("  seen \\d\\d:\\d\\d")),
                                    QStringLiteral("  seen"));
            QCOMPARE(listed, d == 0 ? changes : QStringList{});
        }
    }

    // A tester with an interval is due when its last calibration is older
    // than the interval, when it has none, or when the last one failed; a
    // later record of the same day corrects an earlier one. Testers due
    // within 14 days are only to review.
    void judgesCalibrationDue_data() {
        QTest::addColumn<QString>("global");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QList<QStringList>>("records"); // calibration options, one record each
        QTest::addColumn<QStringList>("due");
        QTest::addColumn<QStringList>("soon");
        QTest::addColumn<QString>("status");

        const QString every = QStringLiteral("calibration-every=365");
        const QStringList meter{"--by", "R. Meter", "--certificate", "C-17"};
        auto on = [&](int d, const QStringList &more = {}) {
            return QStringList{"--on", day(d)} + meter + more;
        };
        // clang-format off
        QTest::newRow("none, no interval") << "" << "" << QList<QStringList>{} << QStringList{} << QStringList{}
            << "  last calibration  never; no interval (calibration-every=)";
        QTest::newRow("none") << every << "" << QList<QStringList>{}
            << QStringList{"t  no calibration recorded (one every 365 days)"} << QStringList{}
            << "  last calibration  never; due now";
        QTest::newRow("recent") << every << "" << QList<QStringList>{on(-30)} << QStringList{} << QStringList{}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17; next due %2").arg(day(-30), day(335));
        QTest::newRow("overdue") << every << "" << QList<QStringList>{on(-500), on(-400)}
            << QStringList{QStringLiteral("t  due since %1, 35 days ago; the last: %2 by R. Meter, certificate C-17").arg(day(-35), day(-400))}
            << QStringList{}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17; was due %2, overdue").arg(day(-400), day(-35));
        QTest::newRow("the tester's own interval") << every << "calibration-every=30\n" << QList<QStringList>{on(-40)}
            << QStringList{QStringLiteral("t  due since %1, 10 days ago; the last: %2 by R. Meter, certificate C-17").arg(day(-10), day(-40))}
            << QStringList{}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17; was due %2, overdue").arg(day(-40), day(-10));
        QTest::newRow("due within 14 days") << every << "" << QList<QStringList>{on(-355)} << QStringList{}
            << QStringList{QStringLiteral("t  due %1, in 10 days; the last: %2 by R. Meter, certificate C-17").arg(day(10), day(-355))}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17; next due %2").arg(day(-355), day(10));
        QTest::newRow("failed") << "" << "" << QList<QStringList>{on(-10, {"--failed"})}
            << QStringList{QStringLiteral("t  the last calibration found it out of tolerance: %1 by R. Meter, certificate C-17, out of tolerance").arg(day(-10))}
            << QStringList{}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17, out of tolerance; due now").arg(day(-10));
        QTest::newRow("failed, then corrected") << every << ""
            << QList<QStringList>{on(-10, {"--failed"}), on(-10, {"--note", "corrects the record before: it passed"})}
            << QStringList{} << QStringList{}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17, note: corrects the record before: it passed; next due %2").arg(day(-10), day(355));
        QTest::newRow("failed, then repaired") << every << ""
            << QList<QStringList>{on(-20, {"--failed"}), on(-5)}
            << QStringList{} << QStringList{}
            << QStringLiteral("  last calibration  %1 by R. Meter, certificate C-17; next due %2").arg(day(-5), day(360));
        // clang-format on
    }
    void judgesCalibrationDue() {
        QFETCH(QString, global);
        QFETCH(QString, own);
        QFETCH(QList<QStringList>, records);
        QFETCH(QStringList, due);
        QFETCH(QStringList, soon);
        QFETCH(QString, status);
        Site site(station());
        QVERIFY(site.started());
        site.writeIni(global, own);
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        for (const QStringList &options : records) {
            const Run recorded =
                site.run(QStringList{QStringLiteral("calibration"), QStringLiteral("t")} + options);
            QVERIFY2(recorded.exitCode == 0, qPrintable(recorded.errors));
        }
        const Run check = site.run({QStringLiteral("check"), QStringLiteral("--day"), day(0)});
        QCOMPARE(section(check.lines, QStringLiteral("calibration due")), due);
        QCOMPARE(section(check.lines, QStringLiteral("to review: calibration due within 14 days")),
                 soon);
        QCOMPARE(check.exitCode, due.isEmpty() ? 0 : 4);
        const Run shown = site.run({QStringLiteral("status")});
        QVERIFY2(shown.lines.contains(status), qPrintable(shown.lines.join('\n')));
    }

    // A calibration that cannot be recorded as given is refused whole, with
    // the reason, and the archive gains nothing.
    void refusesACalibrationItCannotRecord_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("tomorrow")       << QStringList{"t", "--on", day(1), "--by", "R. Meter"}
                                        << QStringLiteral("--on %1 is in the future").arg(day(1));
        QTest::newRow("unknown tester") << QStringList{"u", "--on", day(0), "--by", "R. Meter"}
                                        << "no tester named \"u\" in the configuration";
        QTest::newRow("no one")         << QStringList{"t", "--on", day(0)}
                                        << "calibration needs a tester NAME, --on YYYY-MM-DD and --by TEXT";
        QTest::newRow("no date")        << QStringList{"t", "--on", "2026-02-30", "--by", "R. Meter"}
                                        << "\"2026-02-30\" is not a date (yyyy-mm-dd)";
        QTest::newRow("twice")          << QStringList{"t", "--on", day(0), "--by", "A", "--by", "B"}
                                        << "--by given twice";
        // clang-format on
    }
    void refusesACalibrationItCannotRecord() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        Site site(station());
        QVERIFY(site.started());
        site.writeIni(QStringLiteral("calibration-every=365"));
        QCOMPARE(site.run({QStringLiteral("download")}).exitCode, 0);
        const Run refused = site.run(QStringList{QStringLiteral("calibration")} + arguments);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.errors.contains(reason), qPrintable(refused.errors));
        QVERIFY(site.run({QStringLiteral("status")})
                    .lines.contains(QStringLiteral("  last calibration  never; due now")));
    }

    // The report lists the changes first seen in its period in the limits
    // section, and per tester the calibrations of the period with where the
    // tester stands at its end.
    void reportsTheChangesAndCalibrationsOfItsPeriod_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("left");

        const QString change = QStringLiteral(
            "<td>profile 1  footwear max</td><td>70000 kOhm</td><td>150000 kOhm</td>");
        const QString calibration =
            QStringLiteral("<td>%1</td><td>R. Meter</td><td>C-17</td><td>in tolerance</td>")
                .arg(day(-10));
        // clang-format off
        QTest::newRow("up to today")
            << -29 << 0
            << QStringList{change, QStringLiteral("<td>%1 ").arg(day(0)), calibration, QStringLiteral("next due %1 (one every 365 days)").arg(day(355))}
            << QStringList{"No configuration changed in the period.", "No calibration recorded in the period."};
        QTest::newRow("up to yesterday")
            << -29 << -1
            << QStringList{"No configuration changed in the period.", calibration}
            << QStringList{change};
        QTest::newRow("before the calibration")
            << -60 << -20
            << QStringList{"No calibration recorded in the period.", "due: no calibration recorded (one every 365 days)"}
            << QStringList{change, calibration};
        // clang-format on
    }
    void reportsTheChangesAndCalibrationsOfItsPeriod() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, left);
        if (!m_reported) {
            m_reported = std::make_unique<Site>(station());
            QVERIFY(m_reported->started());
            m_reported->writeIni(QStringLiteral("calibration-every=365"));
            QCOMPARE(m_reported->run({QStringLiteral("download")}).exitCode, 0);
            config::StationConfig after = station();
            after.profiles[0].footwearMax = QStringLiteral("150000");
            QVERIFY(m_reported->upload(after));
            QCOMPARE(m_reported->run({QStringLiteral("download")}).exitCode, 0);
            QCOMPARE(m_reported
                         ->run({QStringLiteral("calibration"), QStringLiteral("t"),
                                QStringLiteral("--on"), day(-10), QStringLiteral("--by"),
                                QStringLiteral("R. Meter"), QStringLiteral("--certificate"),
                                QStringLiteral("C-17")})
                         .exitCode,
                     0);
        }
        const Run report = m_reported->run({QStringLiteral("report"), QStringLiteral("--from"),
                                            day(from), QStringLiteral("--to"), day(to),
                                            QStringLiteral("--html"), QStringLiteral("r.html")});
        QVERIFY2(report.exitCode == 0, qPrintable(report.errors));
        const QString html =
            QString::fromUtf8(test::readFile(m_reported->path(QStringLiteral("r.html"))));
        for (const QString &text : shown)
            QVERIFY2(html.contains(text), qPrintable(text));
        for (const QString &text : left)
            QVERIFY2(!html.contains(text), qPrintable(text));
    }

private:
    std::unique_ptr<Site> m_reported;
};

QTEST_GUILESS_MAIN(TestEsdPlan)
#include "tst_esdplan.moc"

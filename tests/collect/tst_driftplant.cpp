// The morning check of the drift plant, collected by the real nxa-collect
// from its five testers simulated on loopback addresses: dry air, a worn
// plate and a tester that fails more are each named once, in their own
// section, and only persons who drift on their own are listed as drifting.

#include "SimulatorThread.h"
#include "samples/DriftScenario.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace nxa;

namespace {

QStringList section(const QStringList &lines, const QString &title) {
    QStringList found;
    bool inside = false;
    for (const QString &line : lines)
        if (!line.startsWith(QLatin1Char(' ')))
            inside = line.startsWith(title + QStringLiteral(" ("));
        else if (inside)
            found.append(line.trimmed());
    return found;
}

// The day a line names after "since", in days from the planted one.
int sinceOffBy(const QString &line, int plantedOffset) {
    const QRegularExpression since(QStringLiteral("since (\\d{4}-\\d\\d-\\d\\d)"));
    const QDate day = QDate::fromString(since.match(line).captured(1), Qt::ISODate);
    return day.isValid() ? static_cast<int>(QDate::currentDate().daysTo(day)) - plantedOffset
                         : 1000;
}

} // namespace

class TestDriftPlant : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString passwordFile = m_folder.filePath(QStringLiteral("tester.pw"));
        test::writeFile(passwordFile, "583041\n");
        QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner);
        QString ini = QStringLiteral("archive=nxa-archive.sqlite\n");
        quint16 port = 0;
        samples::DriftScenario scenario{true, true, true, true};
        const QStringList names = samples::scenarioTesterNames();
        for (int i = 0; i < names.size(); ++i) {
            const auto tester =
                samples::scenarioPlantTester(names[i], QDate::currentDate(), scenario);
            sim::SimulatorSettings settings;
            settings.dataloggerImage = tester->datalogger;
            settings.configurationImage = tester->configuration;
            m_simulators.push_back(std::make_unique<sim::SimulatorThread>(settings));
            const QString address = QStringLiteral("127.0.0.%1").arg(i + 2);
            QVERIFY(m_simulators.back()->start(QHostAddress(address), port));
            port = m_simulators.back()->port();
            ini += QStringLiteral("[%1]\naddress=%2\nport=%3\npassword-file=%4\n")
                       .arg(names[i], address)
                       .arg(port)
                       .arg(passwordFile);
        }
        test::writeFile(m_folder.filePath(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
        QCOMPARE(run({QStringLiteral("download")}), 0);
        QCOMPARE(run({QStringLiteral("check")}), 4);
    }

    // Each shared cause is one line of its own section, dated within three
    // days of its planted start.
    void namesEachSharedCauseOnce_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("begins");
        QTest::addColumn<int>("plantedOffset"); // 0: the line names no start

        // clang-format off
        QTest::newRow("dry air")      << "plant-wide level shifts" << "plant-wide footwear level \u00d7"           << samples::kDryAirFrom;
        QTest::newRow("worn plate")   << "tester level shifts"     << "north: every person's WS reading rises +"   << samples::kWornPlateFrom;
        QTest::newRow("raised fails") << "fail rate outside the plant's funnel limits" << "west  "             << 0;
        // clang-format on
    }
    void namesEachSharedCauseOnce() {
        QFETCH(QString, title);
        QFETCH(QString, begins);
        QFETCH(int, plantedOffset);
        const QStringList lines = section(m_check, title);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(begins), qPrintable(lines[0]));
        if (plantedOffset != 0)
            QVERIFY2(std::abs(sinceOffBy(lines[0], plantedOffset)) <= 3, qPrintable(lines[0]));
    }

    // Only the persons planted to drift on their own (users 1 to 3) are
    // listed as drifting, though everyone's footwear rose and every WS
    // reading at north rises.
    void listsOnlyOwnDrifters() {
        const QStringList lines = section(m_check, QStringLiteral("drifting toward a limit"));
        for (const QString &line : lines) {
            const int user = line.section(QStringLiteral("  "), 1, 1).mid(5).toInt();
            QVERIFY2(user >= 1 && user <= 3, qPrintable(line));
        }
    }

private:
    int run(const QStringList &arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(NXA_BINARY_DIR "/src/collect/nxa-collect"), arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        m_check = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }

    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
    QStringList m_check;
};

QTEST_GUILESS_MAIN(TestDriftPlant)
#include "tst_driftplant.moc"

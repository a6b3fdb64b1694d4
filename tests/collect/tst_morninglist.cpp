// The morning list as a plant set up the way testers leave the factory gets
// it: every user active, names that hold control characters, persons who use
// two entrances, and the plant's roster. The real nxa-collect against the
// sample plant's testers on loopback addresses.

#include "SimulatorThread.h"
#include "samples/PlantScenario.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace nxa;

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines;
    QByteArray output;
    QString errors;
};

// A name of the north tester's user 6, the same length with an escape
// character, in both images: the tester sends it in its user table and in
// its records' names.
const QByteArray kPlainName = "Flo Absent";
const QByteArray kControlName = "Flo\x1b[2JAbs";
const QString kShownName = QStringLiteral("Flo\\x1B[2JAbs");

// The sample plant: north, south and east, with every user of their tables
// active and the south entrance shared, collected once.
class FactoryPlant {
public:
    FactoryPlant() {
        const QString passwordFile = m_folder.filePath(QStringLiteral("tester.pw"));
        test::writeFile(passwordFile, "583041\n");
        QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner);
        QString ini = QStringLiteral("archive=nxa-archive.sqlite\n");
        quint16 port = 0;
        const QStringList names = samples::plantTesterNames();
        for (int i = 0; i < names.size(); ++i) {
            samples::PlantOptions options;
            options.userTable = samples::UserTable::FactoryDefault;
            options.sharedEntrance = true;
            std::optional<samples::PlantTester> tester =
                samples::plantTester(names[i], QDate::currentDate(), options);
            sim::SimulatorSettings settings;
            settings.dataloggerImage = tester->datalogger.replace(kPlainName, kControlName);
            settings.configurationImage = tester->configuration.replace(kPlainName, kControlName);
            m_simulators.push_back(std::make_unique<sim::SimulatorThread>(settings));
            const QString address = QStringLiteral("127.0.0.%1").arg(i + 2);
            if (!m_simulators.back()->start(QHostAddress(address), port))
                return;
            port = m_simulators.back()->port();
            ini += QStringLiteral("[%1]\naddress=%2\nport=%3\npassword-file=%4\n")
                       .arg(names[i], address)
                       .arg(port)
                       .arg(passwordFile);
        }
        test::writeFile(m_folder.filePath(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
        m_collected = run({QStringLiteral("download")}).exitCode == 0;
    }

    bool collected() const { return m_collected; }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    Run run(const QStringList &arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(NXA_BINARY_DIR "/src/collect/nxa-collect"), arguments);
        Run result;
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.output = process.readAllStandardOutput();
        result.errors = QString::fromUtf8(process.readAllStandardError());
        result.lines = QString::fromUtf8(result.output).split(QLatin1Char('\n'));
        return result;
    }

private:
    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
    bool m_collected = false;
};

// The lines of one section of a check: its title, then its entries.
QStringList section(const QStringList &lines, const QString &title) {
    QStringList found;
    bool inside = false;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1Char(' ')))
            inside = line.startsWith(title + QStringLiteral(" ("));
        if (inside)
            found.append(line);
    }
    return found;
}

} // namespace

// The sample plant's persons as the plant's roster: every one expected every
// day, and Di Nopass and Flo Absent enrolled at the south entrance too.
QList<QStringList> rosterRows() {
    QList<QStringList> rows{{"Person", "NAME", "tester", "user", "workdays", "department"}};
    auto add = [&rows](const QString &tester, int user, const QString &name) {
        rows.append({QStringLiteral("%1-%2").arg(tester).arg(user, 2, 10, QLatin1Char('0')), name,
                     tester, QString::number(user), QStringLiteral("Mon-Sun"),
                     QStringLiteral("Assembly; line 1")});
    };
    const QStringList north{"Ada Drift", "Ben Drift",  "Cy Retry",   "Di Nopass",
                            "Ed Relay",  "Flo Absent", "Gus Renamed"};
    for (int user = 1; user <= 40; ++user)
        add(QStringLiteral("north"), user,
            user <= 7 ? north[user - 1] : QStringLiteral("North %1").arg(user));
    for (int user = 1; user <= 10; ++user)
        add(QStringLiteral("south"), user, QStringLiteral("South %1").arg(user));
    for (int user = 1; user <= 3; ++user)
        add(QStringLiteral("east"), user, QStringLiteral("East %1").arg(user));
    rows.append({"north-04", "Di Nopass", "south", "11", "Mon-Sun", "Assembly; line 1"});
    rows.append({"north-06", "Flo Absent", "south", "12", "Mon-Sun", "Assembly; line 1"});
    return rows;
}

QByteArray csvOf(const QList<QStringList> &rows, QChar separator) {
    QByteArray csv = "\xEF\xBB\xBF";
    for (const QStringList &row : rows) {
        QStringList cells;
        for (const QString &cell : row)
            cells.append(cell.contains(separator) ? QLatin1Char('"') + cell + QLatin1Char('"')
                                                  : cell);
        csv += cells.join(separator).toUtf8() + "\r\n";
    }
    return csv;
}

// The rows as the first sheet of a workbook, written by openpyxl, with the
// user numbers as numbers.
bool writeWorkbook(const QList<QStringList> &rows, const QString &path) {
    QString script = QStringLiteral("import openpyxl,sys\nw=openpyxl.Workbook()\ns=w.active\n");
    for (const QStringList &row : rows) {
        QStringList cells;
        for (const QString &cell : row)
            cells.append(cell.toInt() || cell == QLatin1String("0")
                             ? cell
                             : QStringLiteral("'%1'").arg(cell));
        script += QStringLiteral("s.append([%1])\n").arg(cells.join(QLatin1Char(',')));
    }
    script += QStringLiteral("w.create_sheet('Other')\nw.save(sys.argv[1])\n");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    return python.waitForFinished(60000) && python.exitCode() == 0;
}

class TestMorningList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_plant.collected()); }

    // Yesterday the planted absentees are the only persons expected; the
    // factory's active slots are one line per tester. Today nobody has tested
    // yet, and the list stops at its fiftieth line unless --all is given.
    void listsPersonsNotSlots_data() {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("review");

        // North's 40 persons, south's 10 and east's 3 were all seen within
        // the last 30 days, and south's users 11 and 12 yesterday; north's
        // user 6 did not come to north yesterday, east has been quiet for
        // three days.
        QStringList yesterday;
        yesterday << QStringLiteral("to review: expected but not tested (4)")
                  << QStringLiteral("  north  user 6  %1  last tested ").arg(kShownName)
                  << QStringLiteral("  east  user 1  East 1  last tested ")
                  << QStringLiteral("  east  user 2  East 2  last tested ")
                  << QStringLiteral("  east  user 3  East 3  last tested ");
        const QString title = QStringLiteral("to review: expected but not tested (55)");
        const QStringList today = QStringList{title} + QStringList(50, QStringLiteral("  ")) +
                                  QStringList{QStringLiteral("  \u2026 and 5 more")};
        const QStringList all = QStringList{title} + QStringList(55, QStringLiteral("  "));

        // clang-format off
        QTest::newRow("yesterday")       << 1 << false << yesterday;
        QTest::newRow("today, capped")   << 0 << false << today;
        QTest::newRow("today, --all")    << 0 << true  << all;
        // clang-format on
    }
    void listsPersonsNotSlots() {
        QFETCH(int, daysAgo);
        QFETCH(bool, all);
        QFETCH(QStringList, review);
        QStringList arguments{QStringLiteral("check"), QStringLiteral("--day"),
                              QDate::currentDate().addDays(-daysAgo).toString(Qt::ISODate)};
        if (all)
            arguments.append(QStringLiteral("--all"));
        const Run check = m_plant.run(arguments);
        QCOMPARE(check.exitCode, 4);

        const QStringList found =
            section(check.lines, QStringLiteral("to review: expected but not tested"));
        QCOMPARE(found.size(), review.size());
        for (qsizetype i = 0; i < found.size(); ++i)
            QVERIFY2(found[i].startsWith(review[i]), qPrintable(found[i]));

        const QString notes = section(check.lines, QStringLiteral("notes")).join(QLatin1Char('\n'));
        for (const auto &[tester, persons] :
             {std::pair{"north", 40}, std::pair{"south", 12}, std::pair{"east", 3}})
            QVERIFY2(notes.contains(QStringLiteral("%1 users are active in the user table of %2 "
                                                   "but have no access in 30 days (deactivate "
                                                   "them, or import a roster)")
                                        .arg(1000 - persons)
                                        .arg(QLatin1String(tester))),
                     qPrintable(notes));
    }

    // A name with an escape character reaches no terminal, mail or file as
    // one: each output shows it as text.
    void showsControlCharactersAsText_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file"); // the output to read; empty: standard output

        // clang-format off
        QTest::newRow("check")  << QStringList{"check"}                        << QString();
        QTest::newRow("export") << QStringList{"export", "/TXT", "out.txt"}    << "out.txt";
        QTest::newRow("report") << QStringList{"report", "--html", "out.html"} << "out.html";
        // clang-format on
    }
    void showsControlCharactersAsText() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const Run run = m_plant.run(arguments);
        QVERIFY2(run.exitCode == 0 || run.exitCode == 4, qPrintable(QString::number(run.exitCode)));
        const QByteArray bytes = file.isEmpty() ? run.output : test::readFile(m_plant.path(file));
        QVERIFY(bytes.contains(kShownName.toUtf8()));
        for (const char c : bytes)
            QVERIFY2(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n' || c == '\t',
                     qPrintable(QString::number(c)));
    }

    // A roster file with any fault is refused whole, naming its line, and
    // leaves the archive without a roster.
    void refusesBadRosterWhole_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");

        const QByteArray header = "person,name,tester,user\n";
        // clang-format off
        QTest::newRow("a missing column") << QByteArray("person,name,tester\nP1,Ann,north\n")        << 1 << "the column \"user\" is missing";
        QTest::newRow("unknown tester")   << header + "P1,Ann,north,1\nP2,Bo,west,2\n"                << 3 << "\"west\" is no tester";
        QTest::newRow("user too large")   << header + "P1,Ann,north,1000\n"                           << 2 << "user \"1000\" is no number from 0 to 999";
        QTest::newRow("user not a number")<< header + "P1,Ann,north,x\n"                              << 2 << "user \"x\" is no number";
        QTest::newRow("slot of two")      << header + "P1,Ann,north,1\nP2,Bo,north,1\n"               << 3 << "north user 1 is enrolled for two persons: P1 (line 2) and P2";
        QTest::newRow("two names")        << header + "P1,Ann,north,1\nP1,Anne,south,1\n"             << 3 << "person P1 has two names";
        QTest::newRow("bad workdays")     << QByteArray("person;name;tester;user;workdays\nP1;Ann;north;1;Mon-Funday\n") << 2 << "workdays \"Mon-Funday\"";
        QTest::newRow("open quote")       << header + "P1,\"Ann,north,1\n"                            << 2 << "a quoted field is never closed";
        QTest::newRow("not UTF-8")        << header + "P1,Ann\xff,north,1\n"                          << 2 << "the text is not UTF-8";
        QTest::newRow("no person ID")     << header + "P1,Ann,north,1\n,Bo,north,2\n"                 << 3 << "no person ID";
        // clang-format on
    }
    void refusesBadRosterWhole() {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QString, reason);
        // The good rows before the fault must not be imported either.
        test::writeFile(m_plant.path(QStringLiteral("roster.csv")), file);
        const Run import = m_plant.run(
            {QStringLiteral("roster"), QStringLiteral("import"), QStringLiteral("roster.csv")});
        QCOMPARE(import.exitCode, 2);
        QVERIFY2(import.errors.contains(QStringLiteral("roster.csv line %1: ").arg(line)),
                 qPrintable(import.errors));
        QVERIFY2(import.errors.contains(reason), qPrintable(import.errors));
        const Run show = m_plant.run({QStringLiteral("roster"), QStringLiteral("show")});
        QCOMPARE(show.lines.value(0), QStringLiteral("# no roster: a person is one user number of "
                                                     "one tester"));
    }

    // With the roster, Di Nopass's pass at the south entrance after her
    // fails at north resolves them, and Flo Absent tested at south: neither
    // is listed. Enrolled users are no idle slots. A dry run changes
    // nothing; the workbook gives the same roster as the file.
    void judgesPersonsAcrossEntrances_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("stored");

        // clang-format off
        QTest::newRow("csv, first import")  << "roster.csv"  << "# the roster is in force from now on";
        QTest::newRow("xlsx, same roster")  << "roster.xlsx" << "# the roster in force is the same; nothing was stored";
        // clang-format on
    }
    void judgesPersonsAcrossEntrances() {
        QFETCH(QString, file);
        QFETCH(QString, stored);
        const QString path = m_plant.path(file);
        if (file.endsWith(QLatin1String(".csv")))
            QVERIFY(test::writeFile(path, csvOf(rosterRows(), QLatin1Char(';'))));
        else
            QVERIFY(writeWorkbook(rosterRows(), path));

        const Run dry = m_plant.run({QStringLiteral("roster"), QStringLiteral("import"), file,
                                     QStringLiteral("--dry-run")});
        QVERIFY2(dry.exitCode == 0, qPrintable(dry.errors));
        const bool first = stored.contains(QLatin1String("from now on"));
        QVERIFY2(dry.lines.contains(first ? QStringLiteral("persons added (53): east-01, east-02, "
                                                           "east-03, north-01, north-02, "
                                                           "north-03, north-04, north-05, "
                                                           "north-06, north-07, north-08, "
                                                           "north-09, north-10, north-11, "
                                                           "north-12, north-13, north-14, "
                                                           "north-15, north-16, north-17, "
                                                           "north-18, north-19, north-20, "
                                                           "north-21, north-22, north-23, "
                                                           "north-24, north-25, north-26, "
                                                           "north-27, north-28, north-29, "
                                                           "north-30, north-31, north-32, "
                                                           "north-33, north-34, north-35, "
                                                           "north-36, north-37, north-38, "
                                                           "north-39, north-40, south-01, "
                                                           "south-02, south-03, south-04, "
                                                           "south-05, south-06, south-07, "
                                                           "south-08, south-09, south-10")
                                          : QStringLiteral("persons added (0)")),
                 qPrintable(dry.lines.join('\n')));
        const Run before = m_plant.run({QStringLiteral("roster"), QStringLiteral("show")});
        QCOMPARE(before.lines.value(0).startsWith(QLatin1String("# no roster")), first);

        const Run import = m_plant.run({QStringLiteral("roster"), QStringLiteral("import"), file});
        QVERIFY2(import.exitCode == 0, qPrintable(import.errors));
        QVERIFY2(import.lines.contains(stored), qPrintable(import.lines.join('\n')));
        const Run show = m_plant.run({QStringLiteral("roster"), QStringLiteral("show")});
        QCOMPARE(show.lines.size(), 2 + 55 + 1); // comment, header, rows, final empty
        QVERIFY(show.lines.contains(
            QStringLiteral("north-04\tDi Nopass\tAssembly; line 1\tMon-Sun\t\tsouth\t11")));

        const Run check = m_plant.run({QStringLiteral("check")});
        QCOMPARE(check.exitCode, 4);
        QCOMPARE(section(check.lines, QStringLiteral("failed and not passed afterwards")),
                 QStringList());
        QCOMPARE(section(check.lines, QStringLiteral("relay on without a pass"))
                     .value(1)
                     .section(QStringLiteral("  at "), 0, 0),
                 QStringLiteral("  north-05  Ed Relay  (north user 5)"));
        QStringList review;
        for (const QString &line :
             section(check.lines, QStringLiteral("to review: expected but not tested")))
            review.append(line.section(QStringLiteral("  last tested"), 0, 0));
        QCOMPARE(review, QStringList({QStringLiteral("to review: expected but not tested (3)"),
                                      QStringLiteral("  east-01  East 1  (east user 1)"),
                                      QStringLiteral("  east-02  East 2  (east user 2)"),
                                      QStringLiteral("  east-03  East 3  (east user 3)")}));
        const QString notes = section(check.lines, QStringLiteral("notes")).join(QLatin1Char('\n'));
        for (const auto &[tester, enrolled] :
             {std::pair{"north", 40}, std::pair{"south", 12}, std::pair{"east", 3}})
            QVERIFY2(notes.contains(QStringLiteral("  %1 users are active in the user table of %2")
                                        .arg(1000 - enrolled)
                                        .arg(QLatin1String(tester))),
                     qPrintable(notes));
    }

private:
    FactoryPlant m_plant;
};

QTEST_GUILESS_MAIN(TestMorningList)
#include "tst_morninglist.moc"

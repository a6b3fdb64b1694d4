#include "CollectTestSupport.h"

using namespace nxa::collectsuite;

class CollectDownloadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
    }

    // Every scenario of the simulator gives the result code of the manager's
    // command line, in one collection of all of them at once.
    void reportsEveryTesterAsTheManager_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<int>("code");
        // clang-format off
        QTest::newRow("normal")             << int(Scenario::Normal)           << 0;
        QTest::newRow("drip")               << int(Scenario::Drip)             << 0;
        QTest::newRow("upload-refused")     << int(Scenario::UploadRefused)    << 0;
        QTest::newRow("busy")               << int(Scenario::Busy)             << 3;
        QTest::newRow("wrong-password")     << int(Scenario::WrongPassword)    << 4;
        QTest::newRow("silent")             << int(Scenario::Silent)           << 5;
        QTest::newRow("garbage")            << int(Scenario::Garbage)          << 5;
        QTest::newRow("nxao")               << int(Scenario::Nxao)             << 5;
        QTest::newRow("close-after-login")  << int(Scenario::CloseAfterLogin)  << 2;
        QTest::newRow("short")              << int(Scenario::Short)            << 2;
        QTest::newRow("long")               << int(Scenario::Long)             << 2;
        QTest::newRow("close-mid-transfer") << int(Scenario::CloseMidTransfer) << 2;
        QTest::newRow("unmarked")           << int(Scenario::Unmarked)         << 2;
        QTest::newRow("connect-hangs")      << int(Scenario::ConnectHangs)     << 6;
        QTest::newRow("no tester")          << -1                              << 6;
        // clang-format on
    }
    void reportsEveryTesterAsTheManager() {
        QFETCH(int, scenario);
        QFETCH(int, code);
        if (!m_scenarios) {
            m_scenarios = std::make_unique<Plant>();
            const QList<int> all = {0, 10, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13};
            for (int s : all)
                QVERIFY(m_scenarios->addTester(serving(sample(300, 7 + s), Scenario(s))));
            m_scenarios->addAbsentTester();
            m_scenarios->writeConfig();
            m_scenarioRun = m_scenarios->collect({QStringLiteral("download")});
            QCOMPARE(m_scenarioRun.exitCode, 1);
            QCOMPARE(testerLines(m_scenarioRun).size(), m_scenarios->testerCount());
            m_scenarioIndex = all;
        }
        const int index = scenario < 0 ? m_scenarios->testerCount() - 1
                                       : static_cast<int>(m_scenarioIndex.indexOf(scenario));
        const QString name = QStringLiteral("t%1").arg(index);
        const auto line = std::find_if(m_scenarioRun.lines.begin(), m_scenarioRun.lines.end(),
                                       [&](const QString &l) { return l.startsWith(name + "  "); });
        QVERIFY(line != m_scenarioRun.lines.end());
        const QStringList fields = line->split(QStringLiteral("  "));
        QCOMPARE(fields.value(1), m_scenarios->address(index));
        QCOMPARE(fields.value(2).toInt(), code);
        const int records = code == 0 ? 300 : 0;
        QCOMPARE(fields.value(4), QStringLiteral("%1/%1").arg(records));
        QCOMPARE(m_scenarios
                     ->value(QStringLiteral("SELECT COUNT(*) FROM attempts a JOIN testers "
                                            "t ON t.id = a.tester WHERE t.name = '%1' AND "
                                            "a.result = %2")
                                 .arg(name)
                                 .arg(code))
                     .toInt(),
                 1);
        if (code == 0) {
            QCOMPARE(m_scenarios->archivedRows(index), managerRows(m_scenarios->datalogger(index)));
            // The typed columns, read from the record bytes, say what the
            // manager's cells say.
            QCOMPARE(m_scenarios
                         ->value(QStringLiteral(
                                     "SELECT COUNT(*) FROM records r JOIN testers t ON t.id = "
                                     "r.tester WHERE t.name = '%1' AND NOT (r.user_number = "
                                     "CAST(r.user_id AS INTEGER) AND r.is_visitor = (r.visitor = "
                                     "'Y') AND r.is_pass = (r.passed = 'Y') AND r.relay_on = "
                                     "(r.relay = 'Y') AND r.by_keyboard = (r.recognition = "
                                     "'Keyboard') AND COALESCE(CAST(r.ws_kohm AS TEXT), '') = "
                                     "r.wrist_strap AND COALESCE(CAST(r.l_kohm AS TEXT), '') = "
                                     "r.shoe_l AND COALESCE(CAST(r.r_kohm AS TEXT), '') = r.shoe_r "
                                     "AND COALESCE(CAST(r.lr_kohm AS TEXT), '') = r.shoe_lr AND "
                                     "COALESCE(CAST(r.local_time AS TEXT), '') = r.record_date || "
                                     "' ' || r.record_time)")
                                     .arg(name))
                         .toInt(),
                     0);
        } else
            QCOMPARE(m_scenarios->archivedRows(index), QStringList());
        QCOMPARE(
            m_scenarios->manager(index, QStringLiteral("/TXT"), QStringLiteral("m.txt")).exitCode,
            code);
    }

    // The duplicate rule as a multiset: a second download adds exactly the
    // records the first did not bring, twins counted one by one.
    void archivesOnlyNewRecords_data() {
        const QDate d(2025, 6, 2);
        const AccessRecord a = access(1, d), b = access(2, d), c = access(3, d), e = access(4, d);
        // The same records in an image whose unused spare record differs: the
        // records themselves must be recognised, not the image.
        QByteArray respared = image({a, b, b});
        respared[3 * records::kRecordSize - 1] = 'Z';
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<int>("firstAdded");
        QTest::addColumn<int>("secondAdded");
        QTest::addColumn<int>("secondCode");
        // clang-format off
        QTest::newRow("same image again")   << image({a, b, b}) << image({a, b, b})    << 3 << 0 << 0;
        QTest::newRow("same records")       << image({a, b, b}) << respared            << 3 << 0 << 0;
        QTest::newRow("new records")        << image({a, b})    << image({a, b, c, e}) << 2 << 2 << 0;
        QTest::newRow("one more twin")      << image({a, b, b}) << image({a, b, b, b}) << 3 << 1 << 0;
        QTest::newRow("oldest overwritten") << image({a, b, c}) << image({c, e})       << 3 << 1 << 0;
        QTest::newRow("without its mark")   << image({a, b})    << QByteArray(192192, 'x') << 2 << 0 << 2;
        // clang-format on
    }
    void archivesOnlyNewRecords() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(int, firstAdded);
        QFETCH(int, secondAdded);
        QFETCH(int, secondCode);
        Plant plant;
        QVERIFY(plant.addTester(serving(first)));
        plant.writeConfig();
        QCOMPARE(counts(plant.collect({QStringLiteral("download")}))["t0"].first, firstAdded);
        QVERIFY(plant.restart(0, serving(second)));
        const Run again = plant.collect({QStringLiteral("download"), QStringLiteral("t0")});
        QCOMPARE(counts(again)["t0"].first, secondAdded);
        QCOMPARE(again.exitCode, secondCode == 0 ? 0 : 1);
        QCOMPARE(testerLines(again).value(0).split(QStringLiteral("  ")).value(2).toInt(),
                 secondCode);
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 firstAdded + secondAdded);
        QCOMPARE(plant.value(QStringLiteral("SELECT SUM(added) FROM attempts")).toInt(),
                 firstAdded + secondAdded);
    }

    // A tester whose datalogger moved on is stored from where its last image
    // ended: tester t0 takes that path, t1 (its last image forgotten before
    // each download) the whole image. Both must end with the same rows,
    // occurrences, places and attempts, and with the multiset of the images.
    void skipsWhatTheLastImageHeld_data() {
        const QDate d(2025, 6, 2);
        const AccessRecord a = access(1, d), b = access(2, d), c = access(3, d), e = access(4, d),
                           f = access(5, d), high = access(1000, d);
        QByteArray respared = image({a, b, b});
        respared[3 * records::kRecordSize - 1] = 'Z';
        std::vector<AccessRecord> ring;
        for (int i = 0; i < 10003; ++i)
            ring.push_back(access(quint16(i % 1000), d.addDays(i / 1000)));
        auto window = [&ring](int from) {
            return image(
                std::vector<AccessRecord>(ring.begin() + from, ring.begin() + from + 10000));
        };
        QTest::addColumn<QList<QByteArray>>("images");
        // clang-format off
        QTest::newRow("moved on")           << QList<QByteArray>{image({a, b, c, e}), image({c, e, f, a}), image({f, a, b})};
        QTest::newRow("twins at the seam")  << QList<QByteArray>{image({a, b, b}), image({b, b, b, c}), image({b, c, b})};
        QTest::newRow("all identical")      << QList<QByteArray>{image({a, a, a}), image({a, a, a, a}), image({a, a, a, a, a})};
        QTest::newRow("same records")       << QList<QByteArray>{image({a, b, b}), respared};
        QTest::newRow("cleared")            << QList<QByteArray>{image({a, b, c}), image({e, f}), image({a})};
        QTest::newRow("shorter")            << QList<QByteArray>{image({a, b, c}), image({a, b}), image({b, c, a})};
        QTest::newRow("pattern repeats")    << QList<QByteArray>{image({a, b, c, a, b}), image({a, b, a, b, e})};
        QTest::newRow("user above 999")     << QList<QByteArray>{image({a, high, b}), image({b, high, c}), image({high, c, high})};
        QTest::newRow("full, moved by 2")   << QList<QByteArray>{window(0), window(2), window(3)};
        // clang-format on
    }
    void skipsWhatTheLastImageHeld() {
        QFETCH(QList<QByteArray>, images);
        Plant plant;
        QVERIFY(plant.addTester(serving(images.first())));
        QVERIFY(plant.addTester(serving(images.first())));
        plant.writeConfig();
        QStringList expected;
        QHash<QString, int> held;
        for (int n = 0; n < images.size(); ++n) {
            if (n > 0) {
                QVERIFY(plant.restart(0, serving(images[n])));
                QVERIFY(plant.restart(1, serving(images[n])));
                plant.value(QStringLiteral("DELETE FROM last_images WHERE tester = (SELECT id "
                                           "FROM testers WHERE name = 't1')"));
                QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM last_images")).toInt(),
                         1);
            }
            const Run run = plant.collect({QStringLiteral("download")});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(counts(run)["t0"], counts(run)["t1"]);
            // The multiset rule: each record as often as the image that held
            // it most often.
            QHash<QString, int> inImage;
            for (const QString &row : managerRows(images[n])) {
                if (++inImage[row] > held[row]) {
                    ++held[row];
                    expected.append(row);
                }
            }
            expected.sort();
            QCOMPARE(plant.archivedRows(0), expected);
        }
        auto placed = [&](const char *name) {
            QSqlQuery query(plant.database());
            query.exec(QStringLiteral(
                           "SELECT r.raw, r.occurrence, r.seq, (SELECT COUNT(*) FROM attempts a "
                           "WHERE a.tester = r.tester AND a.id <= r.attempt) FROM records r JOIN "
                           "testers t ON t.id = r.tester WHERE t.name = '%1' ORDER BY r.raw, "
                           "r.occurrence")
                           .arg(QLatin1String(name)));
            QStringList rows;
            while (query.next())
                rows.append(QStringLiteral("%1 %2 %3 %4")
                                .arg(QLatin1String(query.value(0).toByteArray().toHex()))
                                .arg(query.value(1).toInt())
                                .arg(query.value(2).toInt())
                                .arg(query.value(3).toInt()));
            return rows;
        };
        QCOMPARE(placed("t0"), placed("t1"));
        QCOMPARE(plant.archivedRows(1), expected);
    }

    // Two downloads started at once never share the archive: the second is
    // refused and says so (or runs after the first); each record is stored once.
    void secondDownloadWaitsItsTurn() {
        Plant plant;
        for (int i = 0; i < 4; ++i)
            QVERIFY(plant.addTester(serving(sample(10000, 40 + i, i + 1))));
        plant.writeConfig();
        QProcess one, two;
        plant.start(one,
                    {QStringLiteral("download"), QStringLiteral("--jobs"), QStringLiteral("2")});
        plant.start(two,
                    {QStringLiteral("--jobs"), QStringLiteral("3"), QStringLiteral("download")});
        const Run first = finish(one), second = finish(two);
        for (const Run &run : {first, second}) {
            QVERIFY2(run.exitCode == 0 || run.exitCode == 3, qPrintable(run.errors));
            QCOMPARE(run.exitCode == 3, run.errors.contains(QStringLiteral(
                                            "another nxa-collect download is running")));
        }
        QVERIFY(first.exitCode == 0 || second.exitCode == 0);
        for (int i = 0; i < plant.testerCount(); ++i) {
            const QString name = QStringLiteral("t%1").arg(i);
            QCOMPARE(counts(first)[name].first + counts(second)[name].first, 10000);
            QCOMPARE(plant.archivedRows(i), managerRows(plant.datalogger(i)));
        }
    }

    // A collector killed in the middle leaves every tester's download either
    // wholly in the archive or not at all; the next run completes it.
    void killedCollectorLeavesArchiveConsistent() {
        Plant plant;
        for (int i = 0; i < 8; ++i)
            QVERIFY(plant.addTester(serving(sample(10000, 60 + i, i + 1))));
        plant.writeConfig();
        QProcess process;
        plant.start(process,
                    {QStringLiteral("download"), QStringLiteral("--jobs"), QStringLiteral("2")});
        // Killed once the first tester is stored, while the others are on their way.
        QVERIFY(process.waitForReadyRead(60000));
        process.kill();
        process.waitForFinished();

        if (!usePostgres())
            QCOMPARE(plant.value(QStringLiteral("PRAGMA integrity_check")).toString(),
                     QStringLiteral("ok"));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 plant.value(QStringLiteral("SELECT SUM(added) FROM attempts")).toInt());
        for (int i = 0; i < plant.testerCount(); ++i) {
            const qsizetype held = plant.archivedRows(i).size();
            QVERIFY2(held == 0 || held == 10000, qPrintable(QString::number(held)));
        }
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        for (int i = 0; i < plant.testerCount(); ++i)
            QCOMPARE(plant.archivedRows(i), managerRows(plant.datalogger(i)));
    }

    // A full tester that shares no record with what was archived of it lost
    // records in between: said in the line, the attempt and status; status
    // warns while less than a tenth of a full image was archived before.
    void reportsLostRecords_data() {
        QTest::addColumn<int>("shared");
        QTest::addColumn<int>("secondRecords");
        QTest::addColumn<bool>("gap");
        QTest::addColumn<bool>("warned");
        // clang-format off
        QTest::newRow("full, nothing shared")     << 0    << 10000 << true  << true;
        QTest::newRow("full, 999 shared")         << 999  << 10000 << false << true;
        QTest::newRow("full, 1000 shared")        << 1000 << 10000 << false << false;
        QTest::newRow("not full, nothing shared") << 0    << 9000  << false << false;
        // clang-format on
    }
    void reportsLostRecords() {
        QFETCH(int, shared);
        QFETCH(int, secondRecords);
        QFETCH(bool, gap);
        QFETCH(bool, warned);
        // Record i: user i % 1000 on day i / 1000, at a time of its own.
        const QDate first(2026, 1, 1);
        auto numbered = [&](int from, int count) {
            std::vector<AccessRecord> list;
            for (int i = from; i < from + count; ++i) {
                AccessRecord record = access(quint16(i % 1000), first);
                const QDate day = first.addDays(i / 1000);
                record.timestamp = AccessRecord::dosTimestamp(day.year(), day.month(), day.day(),
                                                              6 + (i % 1000) / 60, i % 60, 0);
                list.push_back(record);
            }
            return list;
        };
        Plant plant;
        QVERIFY(plant.addTester(serving(image(numbered(0, 10000)))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        QVERIFY(plant.restart(0, serving(image(numbered(10000 - shared, secondRecords)))));
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 0);
        // Newest archived before: record 9999 (day 9, 22:39); oldest new: 10000 (day 10, 06:00).
        const QString line = testerLines(run).value(0);
        QCOMPARE(line.contains(QStringLiteral("gap: the tester was full")), gap);
        QCOMPARE(
            line.contains(QStringLiteral("between 2026-01-10 22:39:00 and 2026-01-11 06:00:00")),
            gap);
        QVERIFY2(run.lines.last().endsWith(gap ? "; 1 gap" : "; 0 gaps"),
                 qPrintable(run.lines.last()));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM attempts WHERE gap")).toInt(),
                 gap ? 1 : 0);
        const QString status = plant.collect({QStringLiteral("status")}).lines.join('\n');
        QCOMPARE(status.contains(QStringLiteral("  gaps  1")), gap);
        QCOMPARE(status.contains(QStringLiteral("warning: the tester is full")), warned);
    }

    // An archive that cannot be used is reported and left byte for byte as it
    // was; a tester that cannot be stored or whose password file others can
    // read fails on its own line, with the reason on that line.
    void refusesWhatItCannotTrust_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("not a database")    << "garbage" << ""                                    << "not a SQLite database";
        QTest::newRow("another program's") << "foreign" << "CREATE TABLE notes (text TEXT)"      << "tables of another program";
        QTest::newRow("newer layout")      << "sqlite"  << "UPDATE archive_info SET value = '99'" << "newer nxa-collect";
        QTest::newRow("locked")            << "sqlite"  << "BEGIN IMMEDIATE"                     << "8  Error: Can't create file.  0/100  cannot write to the archive: the archive was locked for longer than lock-wait=1 s";
        QTest::newRow("readable password file") << "sqlite" << "chmod"                           << "1  Error: Wrong executable commandline parameters.  0/0  the password file";
        // clang-format on
    }
    void refusesWhatItCannotTrust() {
        QFETCH(QString, archive);
        QFETCH(QString, statement);
        QFETCH(QString, message);
        if (usePostgres())
            QSKIP("SQLite archive files only");
        Plant plant;
        QVERIFY(plant.addTester(serving(sample(100, 3))));
        QVERIFY(plant.addTester(serving(sample(100, 4))));
        plant.writeConfig();
        if (archive == QLatin1String("garbage")) {
            test::writeFile(plant.archive(), QByteArray(8192, 'G'));
        } else if (archive == QLatin1String("foreign")) {
            QSqlQuery query(plant.database());
            QVERIFY(query.exec(statement));
            plant.database().close();
        } else {
            QCOMPARE(plant.collect({QStringLiteral("download"), QStringLiteral("t0")}).exitCode, 0);
            if (statement == QLatin1String("chmod")) {
                const QString passwordFile = plant.folder() + QStringLiteral("/open.pw");
                test::writeFile(passwordFile, "583041");
                plant.writeConfig(120, passwordFile);
            } else {
                plant.writeConfig(1);
                QSqlQuery query(plant.database());
                QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
            }
        }
        const QByteArray before = test::readFile(plant.archive());
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, archive == QLatin1String("foreign") ? 2 : 1);
        const QString said = run.lines.join('\n') + run.errors;
        QVERIFY2(said.contains(message), qPrintable(said));
        if (archive != QLatin1String("sqlite")) {
            QCOMPARE(test::readFile(plant.archive()), before);
            QVERIFY(!QFile::exists(plant.archive() + QStringLiteral("-wal")));
        } else if (statement != QLatin1String("chmod")) {
            QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM attempts")).toInt(), 1);
        }
        if (statement == QLatin1String("BEGIN IMMEDIATE") || statement == QLatin1String("chmod")) {
            // Each tester fails on its own, with a line of its own.
            QCOMPARE(testerLines(run).size(), 2);
            QCOMPARE(run.lines.filter(message).size(), 2);
            QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
        }
    }

    // An access is archived once, whatever changes in how it is displayed or
    // in the group that collects it; it keeps the cells it first came with.
    void oneRowPerAccess_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("user renamed") << "names";
        QTest::newRow("peripheral number") << "pn";
        QTest::newRow("recognition letter") << "recognition";
        QTest::newRow("group renamed") << "group";
        QTest::newRow("id kept, address moved") << "moved";
    }
    void oneRowPerAccess() {
        QFETCH(QString, change);
        const QDate d(2025, 6, 2);
        const std::vector<AccessRecord> list = {access(1, d), access(2, d), access(2, d),
                                                access(3, d, false)};
        records::DataloggerImageBuilder builder;
        builder.setPeripheralNumber(1);
        for (int user = 0; user < 4; ++user)
            builder.setUserName(user, "User " + QByteArray::number(user));
        builder.addRecords(list);
        const QByteArray before = builder.transferImage();
        if (change == QLatin1String("names"))
            builder.setUserName(2, "Renamed");
        else if (change == QLatin1String("pn"))
            builder.setPeripheralNumber(2);
        else if (change == QLatin1String("recognition"))
            builder.setRecognitionType('X');
        Plant plant;
        QVERIFY(plant.addTester(serving(before)));
        QVERIFY(plant.addTester(serving(builder.transferImage())));
        const QString id =
            change == QLatin1String("moved") ? QStringLiteral("id=hall\n") : QString();
        auto config = [&](const QString &name, int index) {
            plant.writeIni(
                QStringLiteral("archive=%1\n[%2]\naddress=%3\nport=%4\npassword-file=%5\n%6")
                    .arg(plant.archive(), name, plant.address(index))
                    .arg(plant.port())
                    .arg(plant.passwordFile(), id));
        };
        config(QStringLiteral("t0"), 0);
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        if (change == QLatin1String("moved"))
            config(QStringLiteral("t0"), 1);
        else if (change == QLatin1String("group"))
            config(QStringLiteral("hall0"), 0);
        else
            QVERIFY(plant.restart(0, serving(builder.transferImage())));
        const Run again = plant.collect({QStringLiteral("download")});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(counts(again).first(), qMakePair(0, 4));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM testers")).toInt(), 1);
        QCOMPARE(plant.archivedRows(0, change == QLatin1String("group") ? "hall" : "t"),
                 managerRows(before));
    }

    // Whatever bytes a user name holds and whatever day a record names, the
    // archive holds the manager's cells and the record's local time exactly.
    // A record the archive refuses in the middle of a download leaves nothing
    // of that download stored. One tester per case, all collected at once.
    void storesEveryCellExactlyOrNothing_data() {
        QTest::addColumn<int>("tester");
        for (int t = 0; t < int(std::size(kOddCells)); ++t)
            QTest::newRow(kOddCells[t].tag) << t;
    }
    void storesEveryCellExactlyOrNothing() {
        QFETCH(int, tester);
        const OddCell &odd = kOddCells[tester];
        const QString name = QStringLiteral("t%1").arg(tester);
        if (!m_oddCells)
            collectOddCells();
        QVERIFY(m_oddCells);
        const auto line = std::find_if(m_oddCellsRun.lines.begin(), m_oddCellsRun.lines.end(),
                                       [&](const QString &l) { return l.startsWith(name + "  "); });
        QVERIFY(line != m_oddCellsRun.lines.end());
        const QString held = QStringLiteral("SELECT %1 FROM records r JOIN testers t ON t.id = "
                                            "r.tester WHERE t.name = '%2'");
        if (odd.refused) {
            QCOMPARE(line->split(QStringLiteral("  ")).value(2).toInt(), 8);
            QVERIFY2(line->contains(QStringLiteral("refused here")), qPrintable(*line));
            QCOMPARE(m_oddCells->value(held.arg(QStringLiteral("COUNT(*)"), name)).toInt(), 2);
            return;
        }
        QCOMPARE(counts(m_oddCellsRun)[name], qMakePair(41, 43));
        QCOMPARE(m_oddCells->archivedRows(tester), managerRows(m_oddCells->datalogger(tester)));
        QCOMPARE(m_oddCells
                     ->value(held.arg(QStringLiteral("COALESCE(CAST(local_time AS TEXT), '') || "
                                                     "'|' || COALESCE(CAST(local_date AS TEXT), "
                                                     "'')"),
                                      name) +
                             QStringLiteral(" AND r.user_number = 5"))
                     .toString(),
                 QString::fromLatin1(odd.localTime));
    }

    // An archive of the first layout, made by the collector before records
    // were known by their bytes: five downloads of one tester under two
    // group names, two peripheral numbers, user names removed and another
    // recognition letter, and a tester whose image holds three identical
    // records. Brought up to date in place, it holds each access once.
    void upgradesFirstLayoutInPlace() {
        Plant plant;
        const QString fixture = QStringLiteral(NXA_FIXTURES "/collect/v1-archive.sqlite");
        if (usePostgres())
            QVERIFY(copyFirstLayout(fixture, plant.database()));
        else
            QVERIFY(QFile::copy(fixture, plant.archive()) &&
                    QFile::setPermissions(plant.archive(), QFile::ReadOwner | QFile::WriteOwner));
        plant.writeIni(QStringLiteral("archive=%1\n[hall]\naddress=127.0.0.1\nport=47123\n"
                                      "password-file=%2\n")
                           .arg(plant.archive(), plant.passwordFile()));
        const Run refused = plant.collect({QStringLiteral("status")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.errors.contains(QStringLiteral("older layout (1)")));
        // The tester is not there: the run still brings the archive up to date.
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 1);
        auto number = [&](const char *sql) { return plant.value(QLatin1String(sql)).toInt(); };
        QCOMPARE(number("SELECT value FROM archive_info WHERE name = 'schema-version'"), 7);
        QCOMPARE(number("SELECT COUNT(*) FROM records"), 306);
        QCOMPARE(number("SELECT COUNT(*) FROM records r JOIN testers t ON t.id = r.tester "
                        "WHERE t.name = 'hall'"),
                 300);
        QCOMPARE(number("SELECT COUNT(*) FROM testers"), 3); // hall-a and hall-b are one
        QCOMPARE(number("SELECT SUM(added) FROM attempts"), 306);
        QCOMPARE(number("SELECT COUNT(*) FROM attempts"), 13);
        // The cells of the first download: peripheral 1, names present.
        QCOMPARE(number("SELECT COUNT(*) FROM records WHERE pn = '1' AND user_name <> ''"),
                 300 + 6);
        // The three identical records, and the one with month 13 counted as no time.
        QCOMPARE(number("SELECT COUNT(*) FROM records r JOIN testers t ON t.id = r.tester WHERE "
                        "t.name = 'twins' AND r.user_number = 7"),
                 3);
        QCOMPARE(number("SELECT COUNT(*) FROM records WHERE local_time IS NULL"), 1);
        QCOMPARE(number("SELECT COUNT(*) FROM records WHERE lr_kohm = 5000 AND by_keyboard AND "
                        "ws_kohm IS NULL"),
                 1);
    }

    // A configuration that could lose or double a tester is refused whole,
    // naming its line; so are command lines that cannot be carried out.
    void refusesUnusableRuns_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString a = QStringLiteral("[a]\naddress=127.0.0.2\npassword-file=p\n");
        const QStringList download = {QStringLiteral("download")};
        // clang-format off
        QTest::newRow("group twice")       << a + a                                           << download << 2 << "line 5: the tester \"a\" is named again (first at line 2)";
        QTest::newRow("quote in name")     << "[a\"b]\naddress=127.0.0.2\n"                  << download << 2 << "line 2: the tester name \"a\"b\"";
        QTest::newRow("slash in name")     << "[hall/a]\naddress=127.0.0.2\n"                 << download << 2 << "line 2: the tester name \"hall/a\"";
        QTest::newRow("bracket in name")   << "[a]b]\naddress=127.0.0.2\n"                    << download << 2 << "line 2: the tester name \"a]b\"";
        QTest::newRow("General")           << "[General]\naddress=127.0.0.2\n"                << download << 2 << "line 2: [General] is no tester name";
        QTest::newRow("no tester")         << "archive=x.sqlite\n"                            << download << 2 << "names no tester";
        QTest::newRow("binary")            << QString(QChar(0)) + "\x01\x02"                  << download << 2 << "is not a text file";
        QTest::newRow("no address")        << "[a]\npassword-file=p\n"                         << download << 2 << "line 2: the tester \"a\" has no address=";
        QTest::newRow("same tester twice") << a + "[b]\naddress=127.0.0.2\npassword-file=p\n" << download << 2 << "line 5: the tester \"b\" has the address and port of \"a\"";
        QTest::newRow("unknown key")       << a + "adress=1.2.3.4\n"                          << download << 2 << "line 5: unknown key \"adress\" in [a]";
        QTest::newRow("lock-wait nan")     << "lock-wait=nan\n" + a                           << download << 2 << "line 2: lock-wait must be seconds";
        QTest::newRow("unknown tester")    << a                                               << QStringList{"download", "b"} << 2 << "no tester named \"b\"";
        QTest::newRow("too many jobs")     << a                                               << QStringList{"--jobs", "33", "download"} << 2 << "--jobs needs a number from 1 to 32";
        QTest::newRow("password in URL")   << "archive=postgresql://u:secret@h/db\n" + a      << download << 2 << "a password does not belong";
        QTest::newRow("unknown parameter") << "archive=postgresql://u@h/db?sslmod=require\n" + a << download << 2 << "the parameter \"sslmod\"";
        QTest::newRow("server down")       << "archive=postgresql://postgres@127.0.0.1:1/nxa\n" + a << download << 1 << "cannot open the archive postgresql://postgres@127.0.0.1:1/nxa";
        QTest::newRow("run lock held")     << a                                               << download << 3 << "another nxa-collect download is running";
        // clang-format on
    }
    void refusesUnusableRuns() {
        QFETCH(QString, ini);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, message);
        Plant plant;
        // Lines count from the archive's, where the row does not name its own.
        plant.writeIni(ini.contains(QStringLiteral("archive="))
                           ? ini
                           : QStringLiteral("archive=%1\n").arg(plant.archive()) + ini);
        std::optional<QSqlQuery> serverLock;
        QFile lockFile(plant.archive() + QStringLiteral(".lock"));
        if (code == 3 && usePostgres()) {
            serverLock.emplace(plant.database());
            QVERIFY(serverLock->exec(
                QStringLiteral("SELECT pg_advisory_lock(%1)").arg(0x4e58415255LL)));
        } else if (code == 3) {
            QVERIFY(lockFile.open(QIODevice::WriteOnly));
            QCOMPARE(::flock(lockFile.handle(), LOCK_EX), 0);
        }
        const Run run = plant.collect(arguments);
        QCOMPARE(run.exitCode, code);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QCOMPARE(run.errors.count(QLatin1Char('\n')), 1); // one clear line, nothing else
        QVERIFY(run.lines.isEmpty());
    }

    // A dripping tester ends at its deadline; a locked archive costs the
    // whole run its lock wait once, not once per tester.
    void boundsEveryRun_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("dripping tester") << "drip";
        QTest::newRow("locked archive") << "locked";
    }
    void boundsEveryRun() {
        QFETCH(QString, kind);
        Plant plant;
        const int testers = kind == QLatin1String("drip") ? 1 : 10;
        for (int i = 0; i < testers; ++i) {
            sim::SimulatorSettings settings =
                serving(sample(50, 90 + i), kind == "drip" ? Scenario::Drip : Scenario::Normal);
            settings.dripBytes = 100;
            settings.dripIntervalMs = 200; // never idle for the 2 s time-out
            QVERIFY(plant.addTester(settings));
        }
        plant.writeConfig(2, {}, QStringLiteral("t"), QStringLiteral("deadline=2\n"));
        std::optional<QSqlQuery> holder;
        if (kind == QLatin1String("locked")) {
            QCOMPARE(plant.collect({QStringLiteral("download"), QStringLiteral("t0")}).exitCode, 0);
            holder.emplace(plant.database());
            for (const char *statement :
                 usePostgres()
                     ? QList<const char *>{"BEGIN", "LOCK TABLE attempts IN EXCLUSIVE MODE"}
                     : QList<const char *>{"BEGIN IMMEDIATE"})
                QVERIFY(holder->exec(QLatin1String(statement)));
        }
        QProcess process;
        plant.start(process, {QStringLiteral("download")});
        // Per tester, ten testers would wait 20 s for the lock, and the
        // dripping transfer would take 16 minutes.
        QVERIFY(process.waitForFinished(15000));
        const Run run = finish(process);
        QCOMPARE(run.exitCode, 1);
        const QStringList lines = testerLines(run);
        QCOMPARE(lines.size(), testers);
        for (const QString &line : lines)
            QVERIFY2(line.contains(kind == "drip" ? "  2  " : "  8  "), qPrintable(line));
        if (kind == QLatin1String("drip"))
            QVERIFY(lines.first().contains(QStringLiteral("deadline of 2 s")));
    }

    // The client library's own location forms reach the server as written:
    // its Unix socket, and TLS when asked for (the role "tlsonly" of the test
    // server may not connect without it).
    void reachesServerAsWritten_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("code");
        QTest::newRow("socket folder as host") << "postgresql://postgres@%1:%2/%3" << 0;
        QTest::newRow("socket folder as parameter") << "postgresql://postgres@:%2/%3?host=%4" << 0;
        QTest::newRow("TLS required")
            << "postgresql://tlsonly@127.0.0.1:%2/%3?sslmode=require" << 0;
        QTest::newRow("TLS refused") << "postgresql://tlsonly@127.0.0.1:%2/%3?sslmode=disable" << 1;
    }
    void reachesServerAsWritten() {
        QFETCH(QString, form);
        QFETCH(int, code);
        if (!usePostgres())
            QSKIP("PostgreSQL only");
        Plant plant;
        QVERIFY(plant.addTester(serving(sample(20, 2))));
        const QUrl url(plant.archive());
        const QString socket = qEnvironmentVariable("NXA_POSTGRES_SOCKET_DIR");
        // The encoded folder holds "%2F", so it goes in last.
        const QString archive =
            QString(form)
                .replace(QLatin1String("%2"), QString::number(url.port()))
                .replace(QLatin1String("%3"), url.path().mid(1))
                .replace(QLatin1String("%4"), socket)
                .replace(QLatin1String("%1"), QString::fromLatin1(QUrl::toPercentEncoding(socket)));
        plant.writeIni(QStringLiteral("archive=%1\n[t0]\naddress=%2\nport=%3\npassword-file=%4\n")
                           .arg(archive, plant.address(0), QString::number(plant.port()),
                                plant.passwordFile()));
        const Run run = plant.collect({QStringLiteral("download")});
        QVERIFY2(run.exitCode == code, qPrintable(run.errors));
        QCOMPARE(plant.value(QStringLiteral("SELECT COUNT(*) FROM records")).toInt(),
                 code == 0 ? 20 : 0);
    }

    // The configuration comes after every successful download and is kept
    // whenever it changed; a configuration that cannot be had never fails
    // the records' result.
    void keepsTheLimitsInForce_data() {
        QTest::addColumn<QString>("second"); // what the tester holds at the second run
        QTest::addColumn<QString>("extra");  // a line for the tester's group at the second run
        QTest::addColumn<int>("snapshots");
        QTest::addColumn<int>("result"); // of the second configuration download; -1: not tried
        QTest::addColumn<QString>("lineEnd");
        // clang-format off
        QTest::newRow("unchanged")   << "same"    << ""                   << 1 << 0  << "0/300";
        QTest::newRow("changed")     << "changed" << ""                   << 2 << 0  << "0/300";
        QTest::newRow("undecodable") << "garbage" << ""                   << 1 << 2
                                     << "0/300  configuration not collected: 2 Error: "
                                        "Communicatio failure. (Wrong data format)";
        QTest::newRow("turned off")  << "changed" << "configuration=no\n" << 1 << -1 << "0/300";
        // clang-format on
    }
    void keepsTheLimitsInForce() {
        QFETCH(QString, second);
        QFETCH(QString, extra);
        QFETCH(int, snapshots);
        QFETCH(int, result);
        QFETCH(QString, lineEnd);
        config::StationConfig first;
        first.users[3].name = QStringLiteral("Old Name");
        config::StationConfig changed = first;
        changed.profiles[0].footwearMax = QStringLiteral("50000");
        changed.profiles[0].wristStrapMin = QString();
        changed.users[3].name = QStringLiteral("New Name");
        sim::SimulatorSettings settings = serving(sample(300, 5));
        settings.configurationImage = config::encodeConfigurationTransfer(first);
        Plant plant;
        QVERIFY(plant.addTester(settings));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        settings.configurationImage = second == QLatin1String("garbage")
                                          ? QByteArray(config::kTransferSize, '\0')
                                          : config::encodeConfigurationTransfer(
                                                second == QLatin1String("same") ? first : changed);
        QVERIFY(plant.restart(0, settings));
        plant.writeConfig(120, {}, QStringLiteral("t"), extra);
        const Run run = plant.collect({QStringLiteral("download")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(testerLines(run).value(0).endsWith(lineEnd), qPrintable(run.lines.join('\n')));
        auto number = [&](const QString &sql) {
            const QVariant v = plant.value(sql);
            return v.isNull() ? -1 : v.toInt();
        };
        QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM configurations")), snapshots);
        QCOMPARE(number(QStringLiteral("SELECT config_result FROM attempts WHERE id = (SELECT "
                                       "MAX(id) FROM attempts)")),
                 result);
        // The newest snapshot holds what the tester held when it was taken.
        const bool newLimits = snapshots == 2;
        QCOMPARE(
            number(QStringLiteral("SELECT footwear_max FROM profile_limits WHERE profile = 1 AND "
                                  "configuration = (SELECT MAX(id) FROM configurations)")),
            newLimits ? 50000 : 70000);
        QCOMPARE(number(QStringLiteral(
                     "SELECT COUNT(*) FROM profile_limits WHERE profile = 1 AND wrist_strap_min "
                     "IS NULL AND configuration = (SELECT MAX(id) FROM configurations)")),
                 newLimits ? 1 : 0);
        QCOMPARE(plant
                     .value(QStringLiteral("SELECT name FROM configuration_users WHERE "
                                           "user_number = 3 AND configuration = (SELECT MAX(id) "
                                           "FROM configurations)"))
                     .toString(),
                 newLimits ? QStringLiteral("New Name") : QStringLiteral("Old Name"));
        QCOMPARE(number(QStringLiteral("SELECT COUNT(*) FROM configuration_users")),
                 1000 * snapshots);
        const Run status = plant.collect({QStringLiteral("status")});
        QVERIFY(status.lines.join('\n').contains(QStringLiteral("  last configuration  20")));
        QCOMPARE(status.lines.join('\n').contains(QStringLiteral("configuration download failed")),
                 result > 0);
    }

private:
    // Every case's tester collected once with two plain records, then with
    // the case's record among 40 new ones, the refusing trigger in place.
    void collectOddCells() {
        auto plant = std::make_unique<Plant>();
        const QDate d(2025, 6, 2);
        for (size_t t = 0; t < std::size(kOddCells); ++t)
            QVERIFY(plant->addTester(serving(image({access(1, d), access(2, d)}))));
        plant->writeConfig();
        QCOMPARE(plant->collect({QStringLiteral("download")}).exitCode, 0);
        const QStringList refuse =
            usePostgres()
                ? QStringList{QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE "
                                             "plpgsql AS $$BEGIN RAISE EXCEPTION 'refused here'; "
                                             "END$$"),
                              QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON records FOR "
                                             "EACH ROW WHEN (NEW.user_name = 'refuse me') "
                                             "EXECUTE FUNCTION refuse()")}
                : QStringList{QStringLiteral(
                      "CREATE TRIGGER refuse BEFORE INSERT ON records WHEN NEW.user_name = "
                      "'refuse me' BEGIN SELECT RAISE(ABORT, 'refused here'); END")};
        for (const QString &statement : refuse) {
            QSqlQuery query(plant->database());
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        }
        for (size_t t = 0; t < std::size(kOddCells); ++t) {
            std::vector<AccessRecord> list = {access(1, d), access(2, d)};
            for (int i = 0; i < 40; ++i)
                list.push_back(access(quint16(6 + i % 10), d.addDays(i), i % 3 != 0));
            AccessRecord odd = access(5, d);
            odd.timestamp = kOddCells[t].stamp;
            list.insert(list.begin() + 20, odd);
            records::DataloggerImageBuilder builder;
            builder.setPeripheralNumber(1);
            for (int user = 0; user < 20; ++user)
                builder.setUserName(user, user == 5 ? QByteArray(kOddCells[t].name)
                                                    : "User " + QByteArray::number(user));
            builder.addRecords(list);
            QVERIFY(plant->restart(int(t), serving(builder.transferImage())));
        }
        m_oddCellsRun = plant->collect({QStringLiteral("download")});
        m_oddCells = std::move(plant);
    }

    std::unique_ptr<Plant> m_oddCells;
    Run m_oddCellsRun;
    std::unique_ptr<Plant> m_scenarios;
    Run m_scenarioRun;
    QList<int> m_scenarioIndex;
};

QTEST_GUILESS_MAIN(CollectDownloadTest)
#include "tst_collect_download.moc"

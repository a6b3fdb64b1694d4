#include "config/ConfigurationFiles.h"
#include "support/GoldenConfiguration.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::config;

namespace {

const Notice kNameWarning{
    QStringLiteral("WARNING"),
    QStringLiteral("Not standard filename\n(Not like CONFIGXX.BRC where XX is the Peripheral "
                   "number)\n\nThe Peripheral number is set To 1, because it can't be read from "
                   "the filename"),
    NoticeIcon::Warning};
const Notice kWrongFormat{QStringLiteral("Error"), QStringLiteral("Wrong file format"),
                          NoticeIcon::Error};
const Notice kCantWrite{QStringLiteral("Error"), QStringLiteral("Can't write the file"),
                        NoticeIcon::Error};

QString fixture(const QString &name) {
    return QStringLiteral(NXA_FIXTURES "/config/") + name;
}

} // namespace

class TestConfigurationFiles : public QObject {
    Q_OBJECT

private slots:
    void fileName_data() {
        QTest::addColumn<int>("peripheral");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1 << "CONFIG01.BRC";
        QTest::newRow("7") << 7 << "CONFIG07.BRC";
        QTest::newRow("42") << 42 << "CONFIG42.BRC";
        QTest::newRow("100 keeps its first two digits") << 100 << "CONFIG10.BRC";
    }
    void fileName() {
        QFETCH(int, peripheral);
        QFETCH(QString, name);
        QCOMPARE(configurationFileName(peripheral), name);
    }

    void nameRule_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("peripheral");
        QTest::addColumn<bool>("warns");
        QTest::newRow("standard") << "CONFIG07.BRC" << 7 << false;
        QTest::newRow("99") << "CONFIG99.BRC" << 99 << false;
        QTest::newRow("00 goes to the nearer bound") << "CONFIG00.BRC" << 1 << false;
        QTest::newRow("lower case") << "config07.brc" << 1 << true;
        QTest::newRow("lower-case extension") << "CONFIG07.brc" << 1 << true;
        QTest::newRow("one digit") << "CONFIG7.BRC" << 1 << true;
        QTest::newRow("letter digit") << "CONFIG0A.BRC" << 1 << true;
        QTest::newRow("other prefix") << "MYCONFIG.BRC" << 1 << true;
        QTest::newRow("non-ASCII digits") << "CONFIG\u0660\u0667.BRC" << 1 << true;
        QTest::newRow("copy suffix") << "CONFIG07 (1).BRC" << 1 << true;
        QTest::newRow("odd directory, standard name")
            << "/home/me/my files!/CONFIG12.BRC" << 12 << false;
        QTest::newRow("backslash directory") << "C:\\Brontel\\Configs\\CONFIG33.BRC" << 33 << false;
        QTest::newRow("standard directory, odd name") << "/tmp/CONFIG07.BRC/notes.BRC" << 1 << true;
        QTest::newRow("path ending in a separator") << "/tmp/CONFIG07.BRC/" << 1 << true;
        QTest::newRow("empty") << "" << 1 << true;
    }
    void nameRule() {
        QFETCH(QString, path);
        QFETCH(int, peripheral);
        QFETCH(bool, warns);
        const FileNameRuleResult result = configurationFileNameRule(path);
        QCOMPARE(result.peripheralNumber, peripheral);
        QCOMPARE(result.warning.has_value(), warns);
        if (warns)
            QCOMPARE(*result.warning, kNameWarning);
    }

    void exportWritesTheImage_data() {
        QTest::addColumn<int>("peripheral");
        QTest::addColumn<QString>("name");
        QTest::newRow("7") << 7 << "CONFIG07.BRC";
        QTest::newRow("100") << 100 << "CONFIG10.BRC";
    }
    void exportWritesTheImage() {
        QFETCH(int, peripheral);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        StationConfig config;
        config.setPeripheralNumber(peripheral);
        // The folder as a requester returns it, ending with the separator.
        const ConfigurationExportResult result =
            exportConfiguration(config, dir.path() + QLatin1Char('/'));
        QVERIFY(result.ok);
        QCOMPARE(result.fileName, name);
        QCOMPARE(QFileInfo(result.path), QFileInfo(dir.filePath(name)));
        QCOMPARE(result.notices, Notices{(Notice{name, "Saved correctly the file:\n\n" + name,
                                                 NoticeIcon::Information})});
        const QByteArray bytes = test::readFile(dir.filePath(name));
        QCOMPARE(bytes.size(), 33924);
        QCOMPARE(bytes, golden::fileForm(golden::defaultRecords()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void exportReplacesAnExistingFile() {
        QTemporaryDir dir;
        StationConfig config;
        config.setPeripheralNumber(3);
        const QString path = dir.filePath(QStringLiteral("CONFIG03.BRC"));
        QVERIFY(test::writeFile(path, QByteArray(50000, 'x')));
        QVERIFY(exportConfiguration(config, dir.path()).ok);
        config.description = QStringLiteral("Second");
        QVERIFY(exportConfiguration(config, dir.path()).ok);
        const QByteArray bytes = test::readFile(path);
        QCOMPARE(bytes.size(), 33924);
        QCOMPARE(bytes.mid(2, 6), QByteArray("Second"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("CONFIG03.BRC")});
    }

    void exportFailures_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("target is a folder") << "folder";
    }
    void exportFailures() {
        QFETCH(QString, obstacle);
        QTemporaryDir dir;
        StationConfig config;
        config.setPeripheralNumber(5);
        QString directory = dir.path();
        if (obstacle == QLatin1String("missing"))
            directory = dir.filePath(QStringLiteral("no/such/folder"));
        else
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("CONFIG05.BRC")));
        const ConfigurationExportResult result = exportConfiguration(config, directory);
        QVERIFY(!result.ok);
        QCOMPARE(result.notices, Notices{kCantWrite});
        QVERIFY(!QFileInfo(directory + QStringLiteral("/CONFIG05.BRC")).isFile());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
    }

    void importRoundTrip() {
        QTemporaryDir dir;
        StationConfig config;
        config.setPeripheralNumber(7);
        config.description = QStringLiteral("Line 1");
        config.generator = QStringLiteral("AZ9");
        config.users[123] = User{false, QStringLiteral("Ann"), 6};
        QVERIFY(exportConfiguration(config, dir.path()).ok);

        StationConfig imported;
        imported.setPeripheralNumber(60);
        const DecodeResult result =
            importConfiguration(imported, dir.filePath(QStringLiteral("CONFIG07.BRC")));
        QVERIFY(result.ok);
        QVERIFY(result.notices.isEmpty());
        QCOMPARE(result.caption, QStringLiteral("CONFIG07.BRC"));
        QCOMPARE(imported.peripheralNumber(), 7);
        QCOMPARE(imported.description, QStringLiteral("Line 1"));
        QCOMPARE(imported.generator, QStringLiteral("AZ9"));
        QCOMPARE(imported.users[123], (User{false, QStringLiteral("Ann"), 6}));
    }

    void importNonStandardNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << "config07.brc";
        QTest::newRow("one digit") << "CONFIG7.BRC";
        QTest::newRow("letter") << "CONFIG0A.BRC";
        QTest::newRow("other name") << "MYCONFIG.BRC";
    }
    void importNonStandardNames() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QList<QByteArray> records = golden::defaultRecords();
        records[0].replace(2, 6, "Line 9");
        QVERIFY(test::writeFile(dir.filePath(name), golden::fileForm(records)));
        StationConfig config;
        config.setPeripheralNumber(40);
        const DecodeResult result = importConfiguration(config, dir.filePath(name));
        QVERIFY(result.ok);
        QCOMPARE(result.notices, Notices{kNameWarning});
        QCOMPARE(result.caption, name);
        QCOMPARE(config.peripheralNumber(), 1);
        QCOMPARE(config.description, QStringLiteral("Line 9ea"));
    }

    void importBadFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("peripheral");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<Notices>("notices");
        QTest::newRow("missing file, standard name")
            << QStringLiteral(NXA_FIXTURES "/config/CONFIG05.BRC") << 5 << false
            << Notices{kWrongFormat};
        QTest::newRow("a folder") << QStringLiteral(NXA_FIXTURES "/config") << 1 << false
                                  << Notices{kNameWarning, kWrongFormat};
        QTest::newRow("empty") << fixture("Empty.BRC") << 1 << false
                               << Notices{kNameWarning, kWrongFormat};
        QTest::newRow("not a configuration") << fixture("NotAConfiguration.BRC") << 1 << false
                                             << Notices{kNameWarning, kWrongFormat};
        QTest::newRow("random bytes")
            << fixture("RandomBytes.BRC") << 1 << true << Notices{kNameWarning};
        QTest::newRow("truncated in the profiles")
            << fixture("TruncatedInProfiles.BRC") << 1 << true << Notices{kNameWarning};
    }
    void importBadFiles() {
        QFETCH(QString, path);
        QFETCH(int, peripheral);
        QFETCH(bool, ok);
        QFETCH(Notices, notices);
        StationConfig config;
        config.setPeripheralNumber(77);
        config.description = QStringLiteral("unchanged");
        const DecodeResult result = importConfiguration(config, path);
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.notices, notices);
        QCOMPARE(config.peripheralNumber(), peripheral);
        if (!ok) {
            QCOMPARE(result.caption, QString());
            QCOMPARE(config.description, QStringLiteral("unchanged"));
        }
    }

    void truncatedFileReadsZeros() {
        StationConfig config;
        for (User &user : config.users)
            user.name = QStringLiteral("before");
        QVERIFY(importConfiguration(config, fixture("TruncatedInProfiles.BRC")).ok);
        QCOMPARE(config.description, QStringLiteral("EPA Area"));
        // Profile 1 ends inside wrist strap max: "000" of "00035000" arrived.
        QCOMPARE(config.profiles[0].footwearMin, QStringLiteral("100"));
        QCOMPARE(config.profiles[0].wristStrapMin, QStringLiteral("750"));
        QCOMPARE(config.profiles[0].wristStrapMax, QString());
        QCOMPARE(config.profiles[0].check, 0);
        QCOMPARE(config.profiles[0].relay, 0);
        QCOMPARE(config.profiles[0].visitorsQualifier, false);
        QCOMPARE(config.profiles[5], (Profile{{}, {}, {}, {}, 0, 0, false}));
        QCOMPARE(config.profiles[10], (Profile{{}, {}, {}, {}, 0, 0, true}));
        QCOMPARE(config.users[0], (User{false, QString(), 0}));
        QCOMPARE(config.users[1].name, QStringLiteral("before"));
        QCOMPARE(config.users[999].name, QStringLiteral("before"));
    }
};

QTEST_GUILESS_MAIN(TestConfigurationFiles)
#include "tst_configurationfiles.moc"

#include "CollectTestSupport.h"

using namespace nxa::collectsuite;

class CollectStatusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (usePostgres() && qEnvironmentVariableIsEmpty("NXA_POSTGRES_URL"))
            QSKIP("NXA_POSTGRES_URL names no PostgreSQL server (scripts/with-postgres.sh)");
    }

    // Archive files hold names and access history: private to the owner and
    // the folder's group, also under a permissive umask; an account of that
    // group that may not write reads them with status and export.
    void archiveIsPrivateAndReadable() {
        if (usePostgres())
            QSKIP("SQLite archive files only");
        Plant plant;
        QVERIFY(plant.addTester(serving(sample(20, 1))));
        plant.writeConfig();
        QCOMPARE(plant.collect({QStringLiteral("download")}).exitCode, 0);
        for (const QString &suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral(".lock")}) {
            const QFileInfo file(plant.archive() + suffix);
            QVERIFY2(file.exists(), qPrintable(file.filePath()));
            QCOMPARE(file.permissions() &
                         (QFile::ReadOther | QFile::WriteOther | QFile::WriteGroup),
                     QFile::Permissions());
        }
        if (::geteuid() != 0)
            QSKIP("another account needs root to try");
        // "nobody" in the archive's group, with its own copy of the program.
        const QString program = plant.folder() + QStringLiteral("/nxa-collect");
        QVERIFY(QFile::copy(binary("src/collect/nxa-collect"), program));
        QVERIFY(QFile::setPermissions(plant.folder(), QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ExeOwner | QFile::ReadGroup |
                                                          QFile::ExeGroup));
        const QString exported =
            QDir::tempPath() +
            QStringLiteral("/nxa-reader-%1.txt").arg(QCoreApplication::applicationPid());
        for (const QStringList &command :
             {QStringList{QStringLiteral("status")},
              QStringList{QStringLiteral("export"), QStringLiteral("/TXT"), exported}}) {
            QProcess process;
            process.setProcessEnvironment(quietEnvironment());
            process.setWorkingDirectory(plant.folder());
            process.start(
                QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=65534"),
                            QStringLiteral("--regid=%1").arg(QFileInfo(plant.archive()).groupId()),
                            QStringLiteral("--clear-groups"), QStringLiteral("--"), program} +
                    command);
            const Run run = finish(process);
            QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        }
        QVERIFY(QFile::remove(exported));
    }
};

QTEST_GUILESS_MAIN(CollectStatusTest)
#include "tst_collect_status.moc"

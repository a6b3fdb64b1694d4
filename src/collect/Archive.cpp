#include "collect/Archive.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace nxa::collect {

namespace {

// Every SQLite file starts with these 16 bytes.
constexpr char kSqliteHeader[] = "SQLite format 3";
constexpr int kSqliteHeaderSize = 16;
constexpr int kLockRetryMs = 50;
constexpr int kAdvisoryLockKey = 0x4e5841; // "NXA": one schema change at a time

QString connectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("nxa-collect-%1").arg(counter.fetchAndAddRelaxed(1));
}

// An existing file must be a SQLite database before anything may write to it;
// an empty file is a database that has no tables yet.
QString checkSqliteFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("the archive %1 is not a regular file").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read the archive %1").arg(path);
    const QByteArray head = file.read(kSqliteHeaderSize);
    if (head.isEmpty())
        return {};
    if (head != QByteArray(kSqliteHeader, kSqliteHeaderSize))
        return QStringLiteral("the archive %1 is not a SQLite database (damaged or another "
                              "file); it was left as it is")
            .arg(path);
    return {};
}

} // namespace

QString sqlError(const QSqlError &error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (!error.nativeErrorCode().isEmpty())
        text += QStringLiteral(" (%1)").arg(error.nativeErrorCode());
    return text;
}

bool isTransient(const QSqlError &error) {
    return isTransientCode(error.nativeErrorCode());
}

bool isTransientCode(const QString &nativeCode) {
    // SQLite: LOCKED, BUSY_RECOVERY, BUSY_SNAPSHOT, IOERR_SHORT_READ (a plain
    // BUSY has already waited the whole lock wait); PostgreSQL: serialization
    // failure, deadlock.
    static const QStringList codes = {
        QStringLiteral("6"),   QStringLiteral("261"),   QStringLiteral("517"),
        QStringLiteral("522"), QStringLiteral("40001"), QStringLiteral("40P01"),
    };
    return codes.contains(nativeCode);
}

void Archive::setLastError(const QSqlError &error) {
    m_lastError = sqlError(error);
    m_lastTransient = isTransient(error);
}

void Archive::setLastError(const QString &text, const QString &nativeCode) {
    m_lastError = QStringLiteral("%1 (%2)").arg(text, nativeCode);
    m_lastTransient = isTransientCode(nativeCode);
}

Archive::Archive(ArchiveLocation location)
    : m_location(std::move(location)), m_connectionName(connectionName()) {}

Archive::~Archive() {
    if (m_database.isOpen())
        m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

Archive::Opened Archive::open(const ArchiveLocation &location, int lockWaitMs, bool prepare) {
    Opened opened;
    if (location.kind == ArchiveLocation::Kind::Sqlite) {
        opened.error = checkSqliteFile(location.path);
        if (!opened.error.isEmpty())
            return opened;
        if (!prepare && !QFileInfo::exists(location.path)) {
            opened.error = QStringLiteral("there is no archive %1 yet").arg(location.path);
            return opened;
        }
    }
    std::unique_ptr<Archive> archive(new Archive(location));
    if (!archive->connect(lockWaitMs)) {
        opened.error = QStringLiteral("cannot open the archive %1: %2")
                           .arg(location.displayName(), archive->lastError());
        return opened;
    }
    opened.error = archive->prepareSchema(prepare);
    if (opened.error.isEmpty())
        opened.archive = std::move(archive);
    return opened;
}

bool Archive::connect(int lockWaitMs) {
    if (isSqlite()) {
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_database.setDatabaseName(m_location.path);
        m_database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(lockWaitMs));
    } else {
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
        m_database.setHostName(m_location.host);
        m_database.setPort(m_location.port);
        m_database.setUserName(m_location.user);
        m_database.setDatabaseName(m_location.database);
        m_database.setConnectOptions(QStringLiteral("connect_timeout=10"));
    }
    if (!m_database.isValid()) {
        m_lastError = QStringLiteral("the Qt SQL driver for it is not installed");
        return false;
    }
    if (!m_database.open()) {
        m_lastError = sqlError(m_database.lastError());
        return false;
    }
    if (!isSqlite())
        return exec(QStringLiteral("SET client_min_messages = warning"));
    // WAL lets exports and status read while a download writes; NORMAL
    // synchronisation still survives a killed process intact.
    // Switching a new archive to WAL needs it to itself for a moment, and
    // SQLite does not wait for that on its own when another collector is
    // switching it at the same time.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QSqlQuery mode(m_database);
        if (mode.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && mode.next())
            break;
        setLastError(mode.lastError());
        if (mode.lastError().nativeErrorCode() != QLatin1String("5") ||
            waited.elapsed() > lockWaitMs)
            return false;
        QThread::msleep(kLockRetryMs);
    }
    return exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
}

sqlite3 *Archive::sqliteHandle() {
    if (!isSqlite())
        return nullptr;
    const QVariant handle = m_database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

bool Archive::exec(const QString &statement) {
    QSqlQuery query(m_database);
    if (query.exec(statement))
        return true;
    setLastError(query.lastError());
    return false;
}

bool Archive::beginWrite() {
    return exec(isSqlite() ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
}

bool Archive::commit() {
    if (exec(QStringLiteral("COMMIT")))
        return true;
    const QString error = m_lastError;
    const bool transient = m_lastTransient;
    rollback();
    m_lastError = error;
    m_lastTransient = transient;
    return false;
}

void Archive::rollback() {
    QSqlQuery query(m_database);
    query.exec(QStringLiteral("ROLLBACK"));
}

std::optional<int> Archive::layoutVersion(QString &error) {
    const QStringList tables = m_database.tables();
    if (!tables.contains(QStringLiteral("archive_info"))) {
        if (tables.isEmpty())
            return 0;
        error = QStringLiteral("%1 holds tables of another program; it was left as it is")
                    .arg(m_location.displayName());
        return std::nullopt;
    }
    QSqlQuery query(m_database);
    if (!query.exec(
            QStringLiteral("SELECT value FROM archive_info WHERE name = 'schema-version'")) ||
        !query.next()) {
        error = QStringLiteral("the archive %1 cannot be read (%2); it was left as it is")
                    .arg(m_location.displayName(), sqlError(query.lastError()));
        return std::nullopt;
    }
    return query.value(0).toInt();
}

QString Archive::prepareSchema(bool create) {
    const QString name = m_location.displayName();
    QString error;
    std::optional<int> version = layoutVersion(error);
    if (!version)
        return error;
    if (*version > kSchemaVersion)
        return QStringLiteral("the archive %1 was written by a newer nxa-collect (layout %2; "
                              "this one knows up to %3); it was left as it is")
            .arg(name)
            .arg(*version)
            .arg(kSchemaVersion);
    if (*version == kSchemaVersion)
        return {};
    if (!create)
        return *version == 0
                   ? QStringLiteral("the archive %1 is empty; run a download first").arg(name)
                   : QStringLiteral("the archive %1 has an older layout (%2); a "
                                    "download brings it up to date")
                         .arg(name)
                         .arg(*version);

    // Another collector may be preparing the same archive: decide again
    // under the write lock.
    if (!beginWrite())
        return QStringLiteral("cannot prepare the archive %1: %2").arg(name, m_lastError);
    if (!isSqlite())
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kAdvisoryLockKey));
    version = layoutVersion(error);
    if (!version || *version != 0) {
        rollback();
        return version ? QString() : error;
    }
    // Layout 1 is the first; a later layout adds its upgrade step after it.
    error = createSchema();
    if (error.isEmpty() && !commit())
        error = m_lastError;
    if (!error.isEmpty()) {
        rollback();
        return QStringLiteral("cannot prepare the archive %1: %2").arg(name, error);
    }
    return {};
}

QString Archive::createSchema() {
    const QString id = isSqlite() ? QStringLiteral("INTEGER PRIMARY KEY")
                                  : QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY "
                                                   "PRIMARY KEY");
    const QString bytes = isSqlite() ? QStringLiteral("BLOB") : QStringLiteral("BYTEA");
    // The records table is its own unique index: keyed by the duplicate rule,
    // it holds each row once instead of once in a table and again in an index.
    const QString withoutRowid = isSqlite() ? QStringLiteral(" WITHOUT ROWID") : QString();
    const QStringList statements = {
        QStringLiteral("CREATE TABLE archive_info (name TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE testers (id %1, name TEXT NOT NULL UNIQUE, address TEXT NOT "
                       "NULL, port INTEGER NOT NULL)")
            .arg(id),
        QStringLiteral("CREATE TABLE attempts (id %1, tester BIGINT NOT NULL REFERENCES "
                       "testers (id), started BIGINT NOT NULL, ended BIGINT NOT NULL, result "
                       "INTEGER NOT NULL, received INTEGER NOT NULL, added INTEGER NOT NULL, "
                       "image_digest %2)")
            .arg(id, bytes),
        QStringLiteral("CREATE INDEX attempts_by_tester ON attempts (tester, id)"),
        // Cells 0-12 as the manager shows them plus the occurrence among
        // identical records of one image: the manager's duplicate test,
        // counted as a multiset. The hidden record cell is the raw bytes.
        QStringLiteral(
            "CREATE TABLE records (tester BIGINT NOT NULL REFERENCES testers (id), "
            "record_date TEXT NOT NULL, record_time TEXT NOT NULL, pn TEXT NOT NULL, "
            "user_id TEXT NOT NULL, visitor TEXT NOT NULL, user_name TEXT NOT NULL, "
            "wrist_strap TEXT NOT NULL, shoe_l TEXT NOT NULL, shoe_r TEXT NOT NULL, "
            "shoe_lr TEXT NOT NULL, passed TEXT NOT NULL, relay TEXT NOT NULL, "
            "recognition TEXT NOT NULL, occurrence INTEGER NOT NULL, "
            "attempt BIGINT NOT NULL REFERENCES attempts (id), seq INTEGER NOT NULL, "
            "raw %1 NOT NULL, "
            "PRIMARY KEY (tester, record_date, record_time, user_id, pn, visitor, user_name, "
            "wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, recognition, occurrence))%2")
            .arg(bytes, withoutRowid),
        QStringLiteral("INSERT INTO archive_info (name, value) VALUES ('schema-version', '%1')")
            .arg(kSchemaVersion),
    };
    for (const QString &statement : statements)
        if (!exec(statement))
            return m_lastError;
    return {};
}

} // namespace nxa::collect

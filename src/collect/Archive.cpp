#include "collect/Archive.h"

#include "collect/ArchiveSchema.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

namespace nxa::collect {

namespace {

// Every SQLite file starts with these 16 bytes.
constexpr char kSqliteHeader[] = "SQLite format 3";
constexpr int kSqliteHeaderSize = 16;
constexpr int kLockRetryMs = 50;
constexpr int kBusyStepMs = 20;
constexpr int kAdvisoryLockKey = 0x4e5841; // "NXA": one schema change at a time
// The archive holds names and access history: its owner writes, its group
// (the folder's, for a reader account) reads, nobody else.
constexpr mode_t kArchiveFileMode = 0640;
constexpr char kPostgresLockTimeout[] = "55P03";
constexpr char kSqliteBusy[] = "5";
// Our archives carry this in the SQLite header ("NXAA"), so a database of
// another program is never taken for an empty archive.
constexpr int kApplicationId = 0x4e584141;
constexpr double kMsPerSecond = 1000.0;

// Every table of each layout, for telling a complete archive from a
// half-made one.
QStringList tablesOfLayout(int layout) {
    QStringList tables = {QStringLiteral("archive_info"), QStringLiteral("testers"),
                          QStringLiteral("attempts"), QStringLiteral("records")};
    if (layout >= 3)
        tables << QStringLiteral("configurations") << QStringLiteral("profile_limits")
               << QStringLiteral("configuration_users");
    if (layout >= 4)
        tables << QStringLiteral("last_images");
    return tables;
}

// What a download writes, and what the read commands read.
const QString &writtenTables() {
    static const QString tables =
        QStringLiteral("testers, attempts, records, last_images, configurations, profile_limits, "
                       "configuration_users");
    return tables;
}
const QString &readTables() {
    static const QString tables = QStringLiteral("archive_info, testers, attempts, records, "
                                                 "configurations, profile_limits, "
                                                 "configuration_users");
    return tables;
}

// The server's notices (a shutdown's "terminating connection") are no
// message of ours; failures reach the caller through the statements.
extern "C" void dropNotice(void *, const char *) {}

QString connectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("nxa-collect-%1").arg(counter.fetchAndAddRelaxed(1));
}

// An existing file must be a SQLite database before anything may open it;
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

// SQLite gives its log and shared-memory files the mode of the database file,
// so creating that one private is enough.
QString createPrivateFile(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kArchiveFileMode);
    if (fd < 0 && errno != EEXIST)
        return QStringLiteral("cannot create the archive %1: %2")
            .arg(path, QString::fromLocal8Bit(strerror(errno)));
    if (fd >= 0)
        ::close(fd);
    return {};
}

extern "C" int waitOnBusyArchive(void *budget, int) {
    auto *waits = static_cast<LockWaitBudget *>(budget);
    if (waits->exhausted())
        return 0;
    sqlite3_sleep(kBusyStepMs);
    waits->spend(kBusyStepMs);
    return 1;
}

} // namespace

QString sqlError(const QSqlError &error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    // The driver gives no text when its connection is gone.
    if (text.isEmpty())
        text = QStringLiteral("the connection to the archive was lost");
    // The server's text may run over lines (DETAIL, HINT): one line per message.
    text.replace(QLatin1Char('\n'), QLatin1String("; "));
    if (!error.nativeErrorCode().isEmpty())
        text += QStringLiteral(" (%1)").arg(error.nativeErrorCode());
    return text;
}

bool isTransient(const QSqlError &error) {
    return isTransientCode(error.nativeErrorCode());
}

bool isTransientCode(const QString &nativeCode) {
    // SQLite: LOCKED, BUSY_RECOVERY, BUSY_SNAPSHOT, IOERR_SHORT_READ (a plain
    // BUSY has already waited what the run may wait); PostgreSQL:
    // serialization failure, deadlock.
    static const QStringList codes = {
        QStringLiteral("6"),   QStringLiteral("261"),   QStringLiteral("517"),
        QStringLiteral("522"), QStringLiteral("40001"), QStringLiteral("40P01"),
    };
    return codes.contains(nativeCode);
}

QString Archive::failure(const QSqlQuery &query) {
    setLastError(query.lastError());
    return m_lastError;
}

void Archive::setLastError(const QSqlError &error) {
    noteFailure(sqlError(error), error.nativeErrorCode());
}

void Archive::setLastError(const QString &text, const QString &nativeCode) {
    noteFailure(QStringLiteral("%1 (%2)").arg(text, nativeCode), nativeCode);
}

void Archive::noteFailure(const QString &message, const QString &nativeCode) {
    m_lastError = message;
    m_lastTransient = isTransientCode(nativeCode);
    // A server restarted since: the whole transaction is worth trying again
    // on a new connection, which says why when it cannot be made.
    if (pg_conn *connection = postgresHandle();
        connection && PQstatus(connection) == CONNECTION_BAD)
        m_lastTransient = true;
    // The server waited its whole lock_timeout for one lock: that much of
    // the run's wait is gone.
    const bool serverTimeout = nativeCode == QLatin1String(kPostgresLockTimeout);
    if (serverTimeout)
        m_budget.spend(m_lockTimeoutMs);
    if ((serverTimeout || nativeCode == QLatin1String(kSqliteBusy)) && m_budget.exhausted())
        m_lastError = QStringLiteral("the archive was locked for longer than lock-wait=%1 s")
                          .arg(double(m_budget.totalMs()) / kMsPerSecond);
}

Archive::Archive(ArchiveLocation location, LockWaitBudget &budget)
    : m_location(std::move(location)), m_budget(budget), m_connectionName(connectionName()) {}

Archive::~Archive() {
    closeConnection();
}

void Archive::closeConnection() {
    if (m_database.isOpen())
        m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

Archive::Opened Archive::open(const ArchiveLocation &location, LockWaitBudget &budget,
                              Access access, const UpgradeProgress &progress) {
    Opened opened;
    std::unique_ptr<Archive> archive(new Archive(location, budget));
    auto cannotOpen = [&]() {
        opened.error = QStringLiteral("cannot open the archive %1: %2")
                           .arg(location.displayName(), archive->lastError());
        return std::move(opened);
    };
    if (location.kind == ArchiveLocation::Kind::Sqlite) {
        opened.error = checkSqliteFile(location.path);
        if (!opened.error.isEmpty())
            return opened;
        const bool emptyFile = QFileInfo(location.path).size() == 0;
        if (!QFileInfo::exists(location.path)) {
            if (access != Access::Prepare) {
                opened.error = QStringLiteral("there is no archive %1 yet").arg(location.path);
                return opened;
            }
            opened.error = createPrivateFile(location.path);
            if (!opened.error.isEmpty())
                return opened;
        }
        // Looked at read-only first: a database of another program must not
        // be switched to our journal mode, or changed in any other way.
        if (!archive->connect(true))
            return cannotOpen();
        if (!emptyFile) {
            opened.error = archive->checkOwnership(opened.foreign);
            if (!opened.error.isEmpty())
                return opened;
        }
        if (access != Access::Read) {
            archive->closeConnection();
            if (!archive->connect(false))
                return cannotOpen();
            // Marked ours before anything else is written, so a run stopped
            // half-way leaves a file the next run still knows.
            QSqlQuery id(archive->m_database);
            if (!id.exec(QStringLiteral("PRAGMA application_id")) || !id.next() ||
                (id.value(0).toInt() != kApplicationId &&
                 !archive->exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId))))
                return cannotOpen();
            id.finish();
            if (!archive->useWal())
                return cannotOpen();
        }
    } else if (!archive->connect(false)) {
        return cannotOpen();
    }
    opened.error = archive->prepareSchema(access, progress);
    if (opened.error.isEmpty() && access == Access::Read && !archive->beginRead())
        return cannotOpen();
    if (opened.error.isEmpty())
        opened.archive = std::move(archive);
    else
        opened.foreign = opened.error.contains(QLatin1String("another program"));
    return opened;
}

QString Archive::checkOwnership(bool &foreign) {
    const QString name = m_location.displayName();
    QSqlQuery query(m_database);
    int applicationId = 0;
    int userVersion = 0;
    if (query.exec(QStringLiteral("PRAGMA application_id")) && query.next())
        applicationId = query.value(0).toInt();
    if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next())
        userVersion = query.value(0).toInt();
    query.finish();
    if (applicationId == kApplicationId)
        return {};
    QString error;
    const std::optional<int> version = layoutVersion(error);
    if (!version) {
        foreign = error.contains(QLatin1String("another program"));
        return error;
    }
    // Archives made before the mark carry their archive_info and no mark.
    if (applicationId == 0 && userVersion == 0 && *version > 0)
        return {};
    foreign = true;
    if (applicationId != 0 || userVersion != 0)
        return QStringLiteral("%1 is a database of another program (application_id %2, "
                              "user_version %3); it was left as it is")
            .arg(name)
            .arg(applicationId)
            .arg(userVersion);
    return QStringLiteral("%1 is a database of another program (neither empty nor an archive "
                          "of nxa-collect); it was left as it is")
        .arg(name);
}

bool Archive::connect(bool readOnly) {
    m_connectionName = connectionName();
    if (isSqlite()) {
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_database.setDatabaseName(m_location.path);
        if (readOnly)
            m_database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    } else {
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
        m_database.setHostName(m_location.host);
        m_database.setPort(m_location.port);
        m_database.setUserName(m_location.user);
        m_database.setDatabaseName(m_location.database);
        QStringList options = m_location.parameters;
        if (!std::any_of(options.cbegin(), options.cend(), [](const QString &option) {
                return option.startsWith(QLatin1String("connect_timeout="));
            }))
            options.append(QStringLiteral("connect_timeout=10"));
        m_database.setConnectOptions(options.join(QLatin1Char(';')));
    }
    if (!m_database.isValid()) {
        m_lastError = QStringLiteral("the Qt SQL driver for it is not installed");
        return false;
    }
    if (!m_database.open()) {
        m_lastError = sqlError(m_database.lastError());
        return false;
    }
    // A read blocked by another session's lock must not wait past what the
    // run may wait either.
    if (!isSqlite()) {
        if (pg_conn *connection = postgresHandle())
            PQsetNoticeProcessor(connection, dropNotice, nullptr);
        return exec(QStringLiteral("SET client_min_messages = warning")) && limitLockWait(false);
    }
    // Every wait of the run comes out of one budget instead of a time-out per
    // statement.
    if (sqlite3 *db = sqliteHandle())
        sqlite3_busy_handler(db, waitOnBusyArchive, &m_budget);
    return true;
}

bool Archive::useWal() {
    // WAL lets exports and status read while a download writes; NORMAL
    // synchronisation still survives a killed process intact. Switching a
    // new archive to WAL needs it to itself for a moment, and SQLite does not
    // wait for that on its own when another collector is switching it.
    for (;;) {
        QSqlQuery mode(m_database);
        if (mode.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && mode.next())
            break;
        setLastError(mode.lastError());
        if (mode.lastError().nativeErrorCode() != QLatin1String("5") || m_budget.exhausted())
            return false;
        QThread::msleep(kLockRetryMs);
        m_budget.spend(kLockRetryMs);
    }
    // The log and shared-memory files stay when the last writer closes, so a
    // reader account that may not create files in the folder can still read.
    if (sqlite3 *db = sqliteHandle()) {
        int persist = 1;
        sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
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

pg_conn *Archive::postgresHandle() {
    if (isSqlite())
        return nullptr;
    const QVariant handle = m_database.driver()->handle();
    // Qt names the type as the compiler spells it, behind libpq's typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<pg_conn *const *>(handle.constData());
}

bool Archive::exec(const QString &statement) {
    QSqlQuery query(m_database);
    if (query.exec(statement))
        return true;
    setLastError(query.lastError());
    return false;
}

bool Archive::limitLockWait(bool local) {
    // The server waits for a lock at most what the run may still wait; zero
    // would mean forever.
    const qint64 timeout = std::max<qint64>(1, m_budget.remainingMs());
    if (!exec(QStringLiteral("SET %1lock_timeout = %2")
                  .arg(local ? QStringLiteral("LOCAL ") : QString())
                  .arg(timeout)))
        return false;
    m_lockTimeoutMs = timeout;
    return true;
}

bool Archive::lockTables(const QString &mode) {
    // The one statement of the transaction that waits for another program:
    // what it waited, granted or not, comes out of the run's budget.
    QElapsedTimer waited;
    waited.start();
    QSqlQuery lock(m_database);
    const bool locked = lock.exec(
        QStringLiteral("LOCK TABLE %1 IN %2 MODE")
            .arg(mode == QLatin1String("ACCESS SHARE") ? readTables() : writtenTables(), mode));
    if (locked) {
        m_budget.spend(waited.elapsed());
        return true;
    }
    setLastError(lock.lastError());
    return false;
}

bool Archive::beginWrite() {
    if (isSqlite())
        return exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!exec(QStringLiteral("BEGIN")))
        return false;
    if (limitLockWait(true) && lockTables(QStringLiteral("ROW EXCLUSIVE")))
        return true;
    rollback();
    return false;
}

bool Archive::beginRead() {
    if (isSqlite())
        return true;
    // One snapshot for all of a command's reads, too.
    if (!exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")))
        return false;
    if (limitLockWait(true) && lockTables(QStringLiteral("ACCESS SHARE")))
        return true;
    rollback();
    return false;
}

void Archive::endRead() {
    if (!isSqlite())
        rollback();
}

bool Archive::beginSchemaChange() {
    if (isSqlite())
        return exec(QStringLiteral("BEGIN IMMEDIATE"));
    // Another collector may be preparing the same archive at this moment;
    // the tables may not be there yet, so the lock is an advisory one.
    QElapsedTimer waited;
    waited.start();
    if (exec(QStringLiteral("BEGIN")) && limitLockWait(true) &&
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kAdvisoryLockKey))) {
        m_budget.spend(waited.elapsed());
        return true;
    }
    rollback();
    return false;
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

QString Archive::idType() const {
    return isSqlite() ? QStringLiteral("INTEGER PRIMARY KEY")
                      : QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
}
QString Archive::bytesType() const {
    return isSqlite() ? QStringLiteral("BLOB") : QStringLiteral("BYTEA");
}
QString Archive::boolType() const {
    return isSqlite() ? QStringLiteral("INTEGER") : QStringLiteral("BOOLEAN");
}
QString Archive::timestampType() const {
    return isSqlite() ? QStringLiteral("TEXT") : QStringLiteral("TIMESTAMP");
}
QString Archive::dateType() const {
    return isSqlite() ? QStringLiteral("TEXT") : QStringLiteral("DATE");
}
QString Archive::asTimestamp(const QString &textExpression) const {
    return isSqlite() ? textExpression
                      : QStringLiteral("CAST(%1 AS TIMESTAMP)").arg(textExpression);
}
QString Archive::asDate(const QString &textExpression) const {
    return isSqlite() ? textExpression : QStringLiteral("CAST(%1 AS DATE)").arg(textExpression);
}

std::optional<int> Archive::layoutVersion(QString &error) {
    const QStringList tables = m_database.tables();
    if (!tables.contains(QStringLiteral("archive_info"))) {
        if (tables.isEmpty() && !m_database.lastError().isValid())
            return 0;
        error = m_database.lastError().isValid()
                    ? QStringLiteral("the archive %1 cannot be read (%2); it was left as it is")
                          .arg(m_location.displayName(), sqlError(m_database.lastError()))
                    : QStringLiteral("%1 holds tables of another program; it was left as it is")
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

QString Archive::prepareSchema(Access access, const UpgradeProgress &progress) {
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
    if (*version > 0) {
        const QStringList present = m_database.tables();
        for (const QString &table : tablesOfLayout(std::min(*version, kSchemaVersion)))
            if (!present.contains(table))
                return QStringLiteral("%1 is not a complete archive of nxa-collect (layout %2; "
                                      "the table %3 is missing); it was left as it is")
                    .arg(name)
                    .arg(*version)
                    .arg(table);
    }
    if (*version == kSchemaVersion)
        return {};
    if (access != Access::Prepare)
        return *version == 0
                   ? QStringLiteral("the archive %1 is empty; run a download first").arg(name)
                   : QStringLiteral("the archive %1 has an older layout (%2); a "
                                    "download brings it up to date")
                         .arg(name)
                         .arg(*version);

    // Another collector may be preparing the same archive: decide again
    // under the write lock.
    if (!beginSchemaChange())
        return QStringLiteral("cannot prepare the archive %1: %2").arg(name, m_lastError);
    version = layoutVersion(error);
    if (!version || *version == kSchemaVersion) {
        rollback();
        return version ? QString() : error;
    }
    // Everything below happens in this one transaction: an archive is at
    // one layout or the other, never in between.
    error = *version == 0 ? createArchiveTables(*this) : upgradeArchive(*this, *version, progress);
    if (error.isEmpty() && !commit())
        error = m_lastError;
    if (!error.isEmpty()) {
        rollback();
        return QStringLiteral("cannot prepare the archive %1: %2").arg(name, error);
    }
    return {};
}

} // namespace nxa::collect

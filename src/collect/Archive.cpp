#include "collect/Archive.h"

#include "collect/ArchiveSchema.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

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
    // A server-side lock wait ran to its limit: it used up the run's wait.
    if (nativeCode == QLatin1String(kPostgresLockTimeout) && m_writeStartedMs > 0)
        m_budget.spend(QDateTime::currentMSecsSinceEpoch() - m_writeStartedMs);
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
                              Access access) {
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
        QString error;
        const std::optional<int> version = archive->layoutVersion(error);
        if (!version) {
            opened.error = error;
            return opened;
        }
        if (access != Access::Read) {
            archive->closeConnection();
            if (!archive->connect(false) || !archive->useWal())
                return cannotOpen();
        }
    } else if (!archive->connect(false)) {
        return cannotOpen();
    }
    opened.error = archive->prepareSchema(access);
    if (opened.error.isEmpty())
        opened.archive = std::move(archive);
    return opened;
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
    if (!isSqlite())
        return exec(QStringLiteral("SET client_min_messages = warning")) &&
               exec(QStringLiteral("SET lock_timeout = %1")
                        .arg(std::max<qint64>(1, m_budget.remainingMs())));
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

bool Archive::beginWrite() {
    m_writeStartedMs = QDateTime::currentMSecsSinceEpoch();
    if (isSqlite())
        return exec(QStringLiteral("BEGIN IMMEDIATE"));
    // The server waits for a lock at most what the run may still wait; zero
    // would mean forever.
    return exec(QStringLiteral("BEGIN")) &&
           exec(QStringLiteral("SET LOCAL lock_timeout = %1")
                    .arg(std::max<qint64>(1, m_budget.remainingMs())));
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

QString Archive::prepareSchema(Access access) {
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
    if (access != Access::Prepare)
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
    if (!version || *version == kSchemaVersion) {
        rollback();
        return version ? QString() : error;
    }
    // Everything below happens in this one transaction: an archive is at
    // one layout or the other, never in between.
    error = *version == 0 ? createArchiveTables(*this) : upgradeArchive(*this, *version);
    if (error.isEmpty() && !commit())
        error = m_lastError;
    if (!error.isEmpty()) {
        rollback();
        return QStringLiteral("cannot prepare the archive %1: %2").arg(name, error);
    }
    return {};
}

} // namespace nxa::collect

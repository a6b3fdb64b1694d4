#pragma once

#include "collect/ArchiveSchema.h"
#include "collect/CollectConfig.h"
#include "collect/LockWaitBudget.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSqlQuery;
struct sqlite3;
struct pg_conn;

namespace nxa::collect {

// The newest archive layout this program writes; an archive that carries a
// higher number was made by a newer nxa-collect and is refused.
inline constexpr int kSchemaVersion = 7;

// An empty text bound as NULL.
inline QVariant nullIfEmpty(const QString &text) {
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

// A database failure as one line for messages: the server's or SQLite's own
// text and its code.
QString sqlError(const QSqlError &error);
// A failure that may pass when the whole transaction is tried again: the lock
// was taken by another writer, or SQLite read another process's log while it
// was being reset.
bool isTransient(const QSqlError &error);
bool isTransientCode(const QString &nativeCode);

// One connection to the archive, usable on the thread that opened it only.
// SQLite and PostgreSQL share every statement; the few words where their
// dialects differ come from here.
class Archive {
public:
    ~Archive();
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    enum class Access {
        Read,    // status, export: never writes, so a reader account may use it
        Write,   // a download's worker: the archive must be at kSchemaVersion
        Prepare, // creates a missing archive and brings an older layout up to date
    };
    struct Opened {
        std::unique_ptr<Archive> archive;
        QString error;
        // The location holds another program's database: a fault of the
        // configuration, not of the archive.
        bool foreign = false;
    };
    // Opens the archive. A SQLite file is first opened read-only and looked
    // at: one that is no archive of ours is reported and left byte for byte
    // as it was. A new archive file is created private to its owner and
    // group. Waits for locks are counted against `budget`, which must
    // outlive the connection.
    // `progress` hears how far bringing an older layout up to date has come.
    static Opened open(const ArchiveLocation &location, LockWaitBudget &budget, Access access,
                       const UpgradeProgress &progress = {});

    QSqlDatabase &database() { return m_database; }
    bool isSqlite() const { return m_location.kind == ArchiveLocation::Kind::Sqlite; }
    const ArchiveLocation &location() const { return m_location; }
    // SQLite's own handle of this connection, for the bulk paths that the Qt
    // layer would slow down; null for PostgreSQL.
    sqlite3 *sqliteHandle();
    // The PostgreSQL driver's libpq connection, for COPY; null for SQLite.
    // Statements sent on it share the transaction the Qt layer began.
    pg_conn *postgresHandle();

    // Starts a write transaction that holds the write lock from its start,
    // so two writers never deadlock half-way through. On PostgreSQL it takes
    // every lock its statements need first, in one wait counted against the
    // run's budget: a statement, or the driver preparing one, never waits
    // on its own after that.
    bool beginWrite();
    // A read that another program's lock must not hold up past the run's
    // budget either: the same on PostgreSQL with the locks of a reader,
    // nothing on SQLite, whose every wait is counted already.
    bool beginRead();
    void endRead();
    bool commit();
    void rollback();

    // The last failure of this connection, for messages.
    QString lastError() const { return m_lastError; }
    bool lastErrorTransient() const { return m_lastTransient; }
    // Runs one statement; false (with lastError set) when it fails.
    bool exec(const QString &statement);
    void setLastError(const QSqlError &error);
    // Notes the statement's failure as the last error and returns its text.
    QString failure(const QSqlQuery &query);
    void setLastError(const QString &text, const QString &nativeCode);

    // Column types where the dialects differ.
    QString idType() const;
    QString bytesType() const;
    QString boolType() const;
    QString timestampType() const;
    QString dateType() const;
    // A "yyyy-MM-dd hh:mm:ss" text expression as a value of timestampType().
    QString asTimestamp(const QString &textExpression) const;
    QString asDate(const QString &textExpression) const;

private:
    Archive(ArchiveLocation location, LockWaitBudget &budget);
    bool connect(bool readOnly);
    // SET (LOCAL) lock_timeout to what the run may still wait.
    bool limitLockWait(bool local);
    bool lockTables(const QString &mode);
    bool beginSchemaChange();
    // A SQLite file holds our archive, no table at all, or is no database
    // of ours; the last also for a foreign application_id or user_version.
    QString checkOwnership(bool &foreign);
    bool useWal();
    QString prepareSchema(Access access, const UpgradeProgress &progress);
    // 0 for an archive without tables; nothing (and `error`) when unreadable.
    std::optional<int> layoutVersion(QString &error);
    QString upgrade(int from);
    void closeConnection();
    // `message` already names the code; the code decides what the failure means.
    void noteFailure(const QString &message, const QString &nativeCode);

    ArchiveLocation m_location;
    LockWaitBudget &m_budget;
    QString m_connectionName;
    QSqlDatabase m_database;
    QString m_lastError;
    bool m_lastTransient = false;
    qint64 m_lockTimeoutMs = 0; // the server's lock_timeout now
};

} // namespace nxa::collect

#pragma once

#include "collect/CollectConfig.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <memory>

struct sqlite3;
#include <optional>

namespace nxa::collect {

// The newest archive layout this program writes; an archive that carries a
// higher number was made by a newer nxa-collect and is refused.
inline constexpr int kSchemaVersion = 1;

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

    struct Opened {
        std::unique_ptr<Archive> archive;
        QString error;
    };
    // Opens the archive. With `prepare`, creates a missing archive and brings
    // an older layout up to date; without, refuses an archive that is not
    // already at kSchemaVersion. A file that is not a SQLite database is
    // reported and left untouched.
    static Opened open(const ArchiveLocation &location, int lockWaitMs, bool prepare);

    QSqlDatabase &database() { return m_database; }
    bool isSqlite() const { return m_location.kind == ArchiveLocation::Kind::Sqlite; }
    const ArchiveLocation &location() const { return m_location; }
    // SQLite's own handle of this connection, for the bulk paths that the Qt
    // layer would slow down; null for PostgreSQL.
    sqlite3 *sqliteHandle();

    // Starts a write transaction that holds the write lock from its start,
    // so two writers never deadlock half-way through.
    bool beginWrite();
    bool commit();
    void rollback();

    // The last failure of this connection, for messages.
    QString lastError() const { return m_lastError; }
    bool lastErrorTransient() const { return m_lastTransient; }
    // Runs one statement; false (with lastError set) when it fails.
    bool exec(const QString &statement);
    void setLastError(const QSqlError &error);
    void setLastError(const QString &text, const QString &nativeCode);

private:
    explicit Archive(ArchiveLocation location);
    bool connect(int lockWaitMs);
    QString prepareSchema(bool create);
    // 0 for an archive without tables; nothing (and `error`) when unreadable.
    std::optional<int> layoutVersion(QString &error);
    QString createSchema();

    ArchiveLocation m_location;
    QString m_connectionName;
    QSqlDatabase m_database;
    QString m_lastError;
    bool m_lastTransient = false;
};

} // namespace nxa::collect

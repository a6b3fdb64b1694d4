#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace nxa::collect {

// Where the archive lives: a SQLite file, or a PostgreSQL database named by a
// "postgresql://user@host:port/db" URL.
struct ArchiveLocation {
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    QString path; // SQLite: absolute file path
    QString host; // PostgreSQL: host name, address or Unix socket folder
    int port = 5432;
    QString user;
    QString database;

    // What messages show: the file path or the URL (never a password).
    QString displayName() const;
};

// One tester group of the configuration. A tester whose entry is unusable is
// kept with its problem, so a download reports it (result 1) instead of
// silently leaving it out.
struct TesterEntry {
    QString name;
    QString addressText;
    quint32 address = 0;
    quint16 port = 80;
    QString passwordFile; // absolute
    QString problem;
};

struct CollectConfig {
    ArchiveLocation archive;
    QList<TesterEntry> testers; // in name order
    // How long a writer waits for a SQLite archive that another program holds.
    int lockWaitMs = 30000;
};

struct ConfigRead {
    std::optional<CollectConfig> config;
    QString error;
};

inline constexpr char kDefaultConfigName[] = "nxa-collect.ini";
inline constexpr char kDefaultArchiveName[] = "nxa-archive.sqlite";

// Reads nxa-collect.ini. Relative paths (archive, password files) count from
// the configuration's folder. Fails only when the file itself or its archive
// entry is unusable; a bad tester group is reported through its entry.
ConfigRead readCollectConfig(const QString &path);

// The archive entry: a "postgresql://" URL, or a SQLite path resolved against
// `folder`; empty text gives the default file in `folder`.
std::optional<ArchiveLocation> parseArchiveLocation(const QString &text, const QString &folder,
                                                    QString *error);

} // namespace nxa::collect

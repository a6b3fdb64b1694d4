#pragma once

#include "collect/PlanSettings.h"

#include <QList>
#include <QString>

#include <optional>

namespace nxa::collect {

// Where the archive lives: a SQLite file, or a PostgreSQL database named by a
// "postgresql://" URL in the client library's own form.
struct ArchiveLocation {
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    QString path; // SQLite: absolute file path
    QString host; // PostgreSQL: host name, address or Unix socket folder
    int port = 5432;
    QString user;
    QString database;
    // PostgreSQL: the client parameters passed through as they stand
    // (sslmode, sslrootcert, ...), "name=value" each.
    QStringList parameters;
    // PostgreSQL: the URL as the configuration gives it, which holds no
    // password (one is refused).
    QString written;

    // What messages show: the file path or the URL as written.
    QString displayName() const;
};

// One tester group of the configuration. A tester whose address, port or
// password file is unusable is kept with its problem, so a download reports
// it (result 1) instead of silently leaving it out.
struct TesterEntry {
    QString name;
    QString addressText;
    quint32 address = 0;
    quint16 port = 80;
    QString passwordFile; // absolute
    QString problem;
    // The archive's identity of the tester: its id= key when given, else its
    // address and port, so renaming the group keeps its records.
    QString key;
    QString explicitId; // the id= value, empty when none
    int deadlineMs = 0; // a download that takes longer fails as a communication failure
    // Whether a successful download also brings the tester's configuration,
    // whose limits the analysis needs.
    bool collectConfiguration = true;
    // The plant's plan for this tester: its own keys, else the global ones.
    PlanSettings plan;
    int line = 0; // of its [name] in the configuration
};

inline constexpr int kDefaultDeadlineMs = 5 * 60 * 1000;
inline constexpr int kDefaultLockWaitMs = 30000;

struct CollectConfig {
    ArchiveLocation archive;
    QList<TesterEntry> testers; // in the configuration's order
    // The longest the whole run waits, all waits together, for an archive
    // that another program holds locked.
    int lockWaitMs = kDefaultLockWaitMs;
    // Whether any plan-wrist-strap= or plan-footwear= was given at all.
    bool planGiven = false;
    // The private key that signs the log's checkpoints (absolute; empty:
    // none is made), and the folders that receive a copy of each.
    QString checkpointKey;
    QStringList witnesses;
    // serve: the TLS certificate and its private key (PEM), and the users
    // file, absolute; empty when not given. Needed together to serve on
    // anything but a loopback address.
    QString tlsCert;
    QString tlsKey;
    QString webUsers;
};

struct ConfigRead {
    std::optional<CollectConfig> config;
    QString error;
};

inline constexpr char kDefaultConfigName[] = "nxa-collect.ini";
inline constexpr char kDefaultArchiveName[] = "nxa-archive.sqlite";

// Reads nxa-collect.ini. Relative paths (archive, password files) count from
// the configuration's folder. Anything that could make a tester silently
// vanish or be collected twice (an unknown key, a name used twice, a name
// that is no plain word, two groups for one tester, no tester at all) fails
// with a message naming its line.
ConfigRead readCollectConfig(const QString &path);

// The archive entry: a "postgresql://" URL, or a SQLite path resolved against
// `folder`; empty text gives the default file in `folder`.
std::optional<ArchiveLocation> parseArchiveLocation(const QString &text, const QString &folder,
                                                    QString *error);

} // namespace nxa::collect

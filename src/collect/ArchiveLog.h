#pragma once

#include "collect/MerkleTree.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace nxa::collect {

class Archive;
class ArchiveRows;

// What a leaf of the archive's log stands for. Every fact the archive keeps
// is one: a record, an attempt with its result, a configuration with its
// limits and users, a roster import with the rows it made and ended, and a
// tester's key each time a tester is first seen or given another.
enum class LeafKind {
    Tester = 1,
    Record = 2,
    Attempt = 3,
    Configuration = 4,
    RosterImport = 5,
    // A tester's calibration as the coordinator recorded it: the due dates
    // an auditor is shown rest on it.
    Calibration = 6,
};

// The log's tables: log_leaves (what each leaf stands for and its hash),
// log_edges (the tree's right edge after each transaction that added
// leaves) and checkpoints; and the log's origin in archive_info.
QStringList logStatements(const Archive &archive);

// Brings an archive of an older layout into the log, in the upgrade's
// transaction: its rows become leaves in the order they were archived, and
// an unsigned checkpoint marks where the log begins.
QString buildLogFromRows(Archive &archive);

// Inside a download's transaction, before it commits: the leaves of the
// tester (when its key is new to the log), of a configuration the attempt
// stored, of the records it archived, and of the attempt.
QString logAttempt(Archive &archive, qint64 testerId, const QString &testerKey, qint64 attempt);
// Inside the transaction that stored it: one row of a kind other than a
// record or a tester.
QString logRow(Archive &archive, LeafKind kind, qint64 id);

// The columns of a record and of an attempt in the form their leaves are
// made of; `recordLeafText` and `attemptLeafText` take a row of them.
QString recordColumns(const QString &prefix);
QString attemptColumns(const QString &prefix);
inline constexpr int kRecordColumnCount = 29;
inline constexpr int kAttemptColumnCount = 16;
QByteArray recordLeafText(const QString &testerKey, const ArchiveRows &row, int first);
QByteArray attemptLeafText(const ArchiveRows &row, int first);
QByteArray testerLeafText(qint64 id, const QString &key);
// Configurations, roster imports and calibrations: read whole, with the rows that belong
// to them. Nothing when the row is missing or unreadable (`error` says which).
std::optional<QByteArray> rowLeafText(Archive &archive, LeafKind kind, qint64 id, QString &error);

// The table of the rows of a kind that rowLeafText() reads.
QString rowTable(LeafKind kind);
// The leaf texts of every row of every kind that rowLeafText() reads, by
// kind and id: read before a long query starts, since a PostgreSQL
// connection streams one query at a time.
using RowLeafTexts = std::map<LeafKind, QHash<qint64, QByteArray>>;
std::optional<RowLeafTexts> allRowLeafTexts(Archive &archive, QString &error);

// The log's name in its checkpoints.
std::optional<QString> logOrigin(Archive &archive, QString &error);

struct LogHead {
    TreeEdge edge;
    QString error;
};
// The tree as the last transaction that added leaves left it.
LogHead readLogHead(Archive &archive);

// Takes the log's lock until the transaction ends: leaves are numbered one
// transaction after the other.
bool lockLog(Archive &archive);

} // namespace nxa::collect

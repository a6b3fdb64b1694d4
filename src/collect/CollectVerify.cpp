#include "collect/CollectVerify.h"

#include "collect/Archive.h"
#include "collect/ArchiveLog.h"
#include "collect/ArchiveRows.h"
#include "collect/Checkpoint.h"
#include "collect/CollectCheckpoint.h"
#include "collect/CollectCommandLine.h"
#include "collect/LeafRangeWalk.h"
#include "collect/LockWaitBudget.h"
#include "records/AccessRecordFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>

#include <map>
#include <thread>

namespace nxa::collect {

namespace {

constexpr char kProofHeader[] = "c2sp.org/tlog-proof@v1";
constexpr int kFileLimit = 1 << 20;
constexpr int kRootPrefix = 16;

QString timeText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString rootText(const QByteArray &root) {
    return QString::fromLatin1(root.toHex().left(kRootPrefix));
}

std::optional<QByteArray> readFile(const QString &path, QString &error) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kFileLimit + 1);
    if (bytes.size() > kFileLimit) {
        error = QStringLiteral("%1 is too large").arg(path);
        return std::nullopt;
    }
    return bytes;
}

// A checkpoint the archive's log must match: its size and root.
struct Target {
    quint64 size = 0;
    QByteArray root;
    QString label;
    bool external = false; // a witness's or one given on the command line
    bool isSigned = true;
    qint64 made = 0; // a stored one's time
};

class Verification {
public:
    void disagree(const QString &text) {
        if (m_first.isEmpty())
            m_first = text;
    }
    bool intact() const { return m_first.isEmpty(); }
    const QString &first() const { return m_first; }

private:
    QString m_first;
};

// The names an auditor knows: a tester by its group, an access by its time
// and user, read from the 16 bytes the log kept even when the row is gone.
struct Names {
    QHash<qint64, QString> testerName;
    QHash<qint64, QString> testerKey;

    QString tester(qint64 id) const {
        return testerName.contains(id) ? testerName.value(id) : QStringLiteral("#%1").arg(id);
    }
    QString record(qint64 tester, const QByteArray &raw) const {
        const std::optional<records::Row> row = records::formatAccessRecord(raw, {}, 'F', 0);
        if (!row)
            return QStringLiteral("a record of tester %1").arg(this->tester(tester));
        return QStringLiteral("the record of tester %1 at %2 %3, user %4")
            .arg(this->tester(tester), (*row)[records::kColumnDate], (*row)[records::kColumnTime],
                 (*row)[records::kColumnId]);
    }
};

bool readNames(Archive &archive, Names &names, QString &error) {
    QSqlQuery query(archive.database());
    if (!query.exec(QStringLiteral("SELECT id, name, tester_key FROM testers"))) {
        error = archive.failure(query);
        return false;
    }
    while (query.next()) {
        names.testerName.insert(query.value(0).toLongLong(), query.value(1).toString());
        names.testerKey.insert(query.value(0).toLongLong(), query.value(2).toString());
    }
    return true;
}

// A checkpoint from a file: one more target, a disagreement, or nothing
// when it belongs to another log.
void addCheckpointFile(const QString &path, const QByteArray &note, const VerifierKey &key,
                       const QString &origin, const QString &what, QList<Target> &targets,
                       Verification &v, QStringList &lines) {
    const ParsedCheckpoint parsed = parseCheckpoint(note, key);
    if (!parsed.body) {
        v.disagree(QStringLiteral("%1 %2 is no checkpoint (%3)").arg(what, path, parsed.error));
        return;
    }
    if (!parsed.signedByKey) {
        v.disagree(QStringLiteral("%1 %2: its signature does not verify with the key %3")
                       .arg(what, path, key.fingerprint()));
        return;
    }
    if (parsed.body->origin != origin) {
        lines.append(QStringLiteral("%1 %2 belongs to another log (%3): not checked")
                         .arg(what, path, parsed.body->origin));
        return;
    }
    targets.append({parsed.body->size, parsed.body->root,
                    QStringLiteral("%1 %2 (size %3)").arg(what, path).arg(parsed.body->size),
                    true});
}

// Leaves walked per thread and round: bounds what a round holds (about
// 50 bytes a leaf) whatever the log's size.
constexpr quint64 kWalkChunk = quint64(1) << 19;
constexpr int kWalkThreads = 2;

// A tester's key as logged, from the leaf of that number on.
struct LoggedKey {
    quint64 idx;
    qint64 tester;
    QString key;
};

std::optional<std::vector<LoggedKey>> readLoggedKeys(Archive &archive, QString &error) {
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT idx, tester, tester_key FROM log_leaves WHERE kind = 1 ORDER BY idx"))) {
        error = archive.failure(query);
        return std::nullopt;
    }
    std::vector<LoggedKey> keys;
    while (query.next())
        keys.push_back({quint64(query.value(0).toLongLong()), query.value(1).toLongLong(),
                        query.value(2).toString()});
    return keys;
}

// Each tester's key as last logged before leaf `idx`.
QHash<qint64, QString> keysBefore(const std::vector<LoggedKey> &keys, quint64 idx) {
    QHash<qint64, QString> before;
    for (const LoggedKey &k : keys)
        if (k.idx < idx)
            before.insert(k.tester, k.key);
    return before;
}

struct Walked {
    quint64 leaves = 0;
    std::map<LeafKind, qint64> found; // rows each kind's leaves found
    QHash<qint64, QString> loggedKey; // each tester's key as last logged
};

class LogWalk {
public:
    LogWalk(const CollectConfig &config, Archive &archive, const Names &names, Verification &v,
            QList<Target> &targets, QStringList &lines)
        : m_config(config), m_archive(archive), m_names(names), m_v(v), m_targets(targets),
          m_lines(lines) {}

    bool run(QString &error) {
        if (!readEdge(error))
            return false;
        // Read first: the walk below streams one query at a time.
        std::optional<RowLeafTexts> texts = allRowLeafTexts(m_archive, error);
        std::optional<std::vector<LoggedKey>> keys =
            texts ? readLoggedKeys(m_archive, error) : std::nullopt;
        const std::optional<QVariant> bound =
            keys ? singleValue(m_archive,
                               QStringLiteral("SELECT COALESCE(MAX(idx) + 1, 0) FROM log_leaves"),
                               {}, error)
                 : std::nullopt;
        if (!bound)
            return false;
        const RowLeafTexts &rowTexts = *texts;
        const quint64 end = quint64(std::max<qint64>(0, bound->toLongLong()));
        // SQLite: the ranges of a round are walked side by side, each on a
        // connection of its own; the tree is then built from their hashes in
        // order. The rows below `end` are the same on every connection: the
        // log is only ever added to.
        const int parts = m_archive.isSqlite() ? kWalkThreads : 1;
        const LeafNamer name = [this](LeafKind kind, qint64 tester, qint64 ref,
                                      const QByteArray &raw) {
            return leafName(kind, tester, ref, raw);
        };
        TreeEdge edge;
        checkAt(edge);
        for (quint64 round = 0; round < end; round += quint64(parts) * kWalkChunk) {
            std::vector<LeafRange> ranges(static_cast<size_t>(parts));
            std::vector<std::thread> threads;
            for (int p = 1; p < parts; ++p) {
                const quint64 from = round + quint64(p) * kWalkChunk;
                if (from >= end)
                    break;
                threads.emplace_back([&, p, from] {
                    LockWaitBudget budget(m_config.lockWaitMs);
                    Archive::Opened opened =
                        Archive::open(m_config.archive, budget, Archive::Access::Read);
                    if (!opened.archive) {
                        ranges[size_t(p)].error = opened.error;
                        return;
                    }
                    opened.archive->exec(QStringLiteral("PRAGMA cache_size = -65536"));
                    ranges[size_t(p)] =
                        walkLeafRange(*opened.archive, rowTexts, keysBefore(*keys, from), from,
                                      std::min(end, from + kWalkChunk), name);
                });
            }
            ranges[0] = walkLeafRange(m_archive, rowTexts, keysBefore(*keys, round), round,
                                      std::min(end, round + kWalkChunk), name);
            for (std::thread &thread : threads)
                thread.join();
            for (const LeafRange &range : ranges) {
                if (!range.error.isEmpty()) {
                    error = range.error;
                    return false;
                }
                for (const auto &[kind, count] : range.found)
                    m_walked.found[kind] += count;
                for (const WalkedLeaf &leaf : range.leaves) {
                    if (leaf.idx != edge.size())
                        m_v.disagree(
                            QStringLiteral("leaf %1 is missing from the log").arg(edge.size()));
                    // A range names its first disagreement only: a later one
                    // of it comes after a disagreement already kept.
                    if (leaf.disagrees)
                        m_v.disagree(range.firstDisagreement);
                    edge.append(QByteArray(leaf.hash.data(), kHashSize));
                    checkAt(edge);
                }
            }
        }
        m_walked.loggedKey = keysBefore(*keys, end);
        m_walked.leaves = edge.size();
        if (m_edgeSize > edge.size())
            m_v.disagree(QStringLiteral("the log's stored edge counts %1 leaves, its table %2")
                             .arg(m_edgeSize)
                             .arg(edge.size()));
        return true;
    }

    const Walked &walked() const { return m_walked; }

private:
    QString leafName(LeafKind kind, qint64 tester, qint64 ref, const QByteArray &raw) const {
        switch (kind) {
        case LeafKind::Tester:
            return QStringLiteral("the key of tester %1").arg(m_names.tester(tester));
        case LeafKind::Record:
            return m_names.record(tester, raw);
        case LeafKind::Attempt:
            return QStringLiteral("attempt %1").arg(ref);
        default:
            return QStringLiteral("%1 %2")
                .arg(rowTable(kind).chopped(1).replace(QLatin1Char('_'), QLatin1Char(' ')))
                .arg(ref);
        }
    }

    bool readEdge(QString &error) {
        const LogHead head = readLogHead(m_archive);
        if (!head.error.isEmpty()) {
            m_v.disagree(head.error);
            return true;
        }
        m_edgeSize = head.edge.size();
        m_edgeBytes = head.edge.toBytes();
        (void)error;
        return true;
    }

    void checkAt(const TreeEdge &edge) {
        const quint64 size = edge.size();
        if (size == m_edgeSize && edge.toBytes() != m_edgeBytes)
            m_v.disagree(QStringLiteral("the log's stored edge at %1 leaves is not the tree's: "
                                        "it was edited")
                             .arg(size));
        QByteArray root;
        for (const Target &t : std::as_const(m_targets)) {
            if (t.size != size)
                continue;
            if (root.isEmpty())
                root = edge.root();
            const bool match = t.root == root;
            m_lines.append(
                QStringLiteral("%1, root %2: %3")
                    .arg(t.label, rootText(t.root),
                         match ? QStringLiteral("matches") : QStringLiteral("does NOT match")));
            if (!match)
                m_v.disagree(QStringLiteral("%1 does not match the archive's first %2 leaves")
                                 .arg(t.label)
                                 .arg(size));
        }
    }

    const CollectConfig &m_config;
    Archive &m_archive;
    const Names &m_names;
    Verification &m_v;
    QList<Target> &m_targets;
    QStringList &m_lines;
    Walked m_walked;
    quint64 m_edgeSize = 0;
    QByteArray m_edgeBytes;
};

// Rows that no leaf stands for were added behind the log's back.
void findUnlogged(Archive &archive, const Names &names, const Walked &walked, Verification &v,
                  QString &error) {
    struct Kind {
        LeafKind kind;
        const char *table;
        const char *unlogged;
    };
    // As joins, not NOT EXISTS: SQLite then builds a transient index of the
    // leaves instead of scanning all of them for every row (hours for a
    // million records with one leaf removed).
    const Kind kinds[] = {
        {LeafKind::Record, "records",
         "SELECT r.tester, r.raw FROM records r LEFT JOIN log_leaves l ON l.kind = 2 AND l.tester "
         "= r.tester AND l.raw = r.raw AND l.occurrence = r.occurrence WHERE l.idx IS NULL LIMIT "
         "1"},
        {LeafKind::Attempt, "attempts",
         "SELECT a.id FROM attempts a LEFT JOIN log_leaves l ON l.kind = 3 AND l.ref = a.id WHERE "
         "l.idx IS NULL ORDER BY a.id LIMIT 1"},
        {LeafKind::Configuration, "configurations",
         "SELECT c.id FROM configurations c LEFT JOIN log_leaves l ON l.kind = 4 AND l.ref = c.id "
         "WHERE l.idx IS NULL ORDER BY c.id LIMIT 1"},
        {LeafKind::RosterImport, "roster_imports",
         "SELECT i.id FROM roster_imports i LEFT JOIN log_leaves l ON l.kind = 5 AND l.ref = i.id "
         "WHERE l.idx IS NULL ORDER BY i.id LIMIT 1"},
        {LeafKind::Calibration, "calibrations",
         "SELECT c.id FROM calibrations c LEFT JOIN log_leaves l ON l.kind = 6 AND l.ref = c.id "
         "WHERE l.idx IS NULL ORDER BY c.id LIMIT 1"},
    };
    for (const Kind &k : kinds) {
        QSqlQuery count(archive.database());
        if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(k.table))) ||
            !count.next()) {
            error = archive.failure(count);
            return;
        }
        const auto found = walked.found.find(k.kind);
        if (count.value(0).toLongLong() <= (found == walked.found.end() ? 0 : found->second))
            continue;
        QSqlQuery extra(archive.database());
        if (!extra.exec(QString::fromLatin1(k.unlogged))) {
            error = archive.failure(extra);
            return;
        }
        if (!extra.next())
            continue;
        const QString what =
            k.kind == LeafKind::Record
                ? names.record(extra.value(0).toLongLong(), extra.value(1).toByteArray())
                : QStringLiteral("%1 %2")
                      .arg(QString::fromLatin1(k.table).chopped(1).replace(QLatin1Char('_'),
                                                                           QLatin1Char(' ')))
                      .arg(extra.value(0).toLongLong());
        v.disagree(QStringLiteral("%1 is in the archive but in no leaf of the log: it was added "
                                  "afterwards")
                       .arg(what));
    }
    for (auto it = names.testerKey.cbegin(); it != names.testerKey.cend(); ++it)
        if (walked.loggedKey.value(it.key()) != it.value())
            v.disagree(QStringLiteral("tester %1: its key %2 is not the one logged (%3)")
                           .arg(names.tester(it.key()), it.value(),
                                walked.loggedKey.value(it.key(), QStringLiteral("none"))));
}

struct StoredCheckpoint {
    quint64 size = 0;
    qint64 made = 0;
    QByteArray note;
};

bool readStoredCheckpoints(Archive &archive, QList<StoredCheckpoint> &out, QString &error) {
    QSqlQuery query(archive.database());
    if (!query.exec(QStringLiteral("SELECT size, made, note FROM checkpoints ORDER BY id"))) {
        error = archive.failure(query);
        return false;
    }
    while (query.next())
        out.append({quint64(query.value(0).toLongLong()), query.value(1).toLongLong(),
                    query.value(2).toString().toUtf8()});
    return true;
}

std::optional<VerifierKey> keyFor(const CollectConfig &config, const QString &given,
                                  QString &error) {
    if (!given.isEmpty())
        return readVerifierKey(given, error);
    if (config.checkpointKey.isEmpty()) {
        error = QStringLiteral("no key: give --key FILE.pub, or set checkpoint-key in the "
                               "configuration");
        return std::nullopt;
    }
    return readVerifierKey(config.checkpointKey + QStringLiteral(".pub"), error);
}

bool takeValue(const QStringList &args, qsizetype &i, QString &value, QString &error) {
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(args[i]);
        return false;
    }
    value = args[++i];
    return true;
}

} // namespace

int keygenCommand(const QStringList &args, QTextStream &out, QTextStream &err) {
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        err << "nxa-collect: keygen needs one file: keygen FILE" << Qt::endl;
        return kExitUsage;
    }
    const KeyWritten written = generateKeyPair(args[0]);
    if (!written.ok) {
        err << "nxa-collect: " << written.error << Qt::endl;
        return kExitFailed;
    }
    QString error;
    const std::optional<VerifierKey> key = readVerifierKey(args[0] + QStringLiteral(".pub"), error);
    out << "private key " << args[0] << " (readable by its owner only), public key " << args[0]
        << ".pub; fingerprint " << (key ? key->fingerprint() : error) << Qt::endl;
    return kExitOk;
}

LogCheck checkArchiveLog(const CollectConfig &config, const QString &keyPath,
                         const QStringList &witnesses, const QStringList &files) {
    LogCheck check;
    QString error;
    const std::optional<VerifierKey> key = keyFor(config, keyPath, error);
    if (!key) {
        check.error = error;
        return check;
    }
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Read);
    if (!opened.archive) {
        check.error = opened.error;
        return check;
    }
    Archive &archive = *opened.archive;
    // One snapshot: a download running meanwhile changes nothing we read.
    if (archive.isSqlite()) {
        // The walk looks records up in the order they were logged, all over
        // the table: a large cache keeps the pages it visits.
        archive.exec(QStringLiteral("PRAGMA cache_size = -262144"));
        archive.exec(QStringLiteral("BEGIN"));
    } else {
        archive.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    }
    Names names;
    QList<StoredCheckpoint> stored;
    const std::optional<QString> origin = logOrigin(archive, error);
    if (!origin || !readNames(archive, names, error) ||
        !readStoredCheckpoints(archive, stored, error)) {
        check.error = QStringLiteral("the archive's log cannot be read: %1").arg(error);
        return check;
    }
    Verification v;
    QStringList lines;
    QList<Target> targets;
    quint64 begins = 0;
    for (const StoredCheckpoint &c : std::as_const(stored)) {
        const ParsedCheckpoint parsed = parseCheckpoint(c.note, *key);
        const QString label =
            QStringLiteral("stored checkpoint %1 of %2").arg(c.size).arg(timeText(c.made));
        if (!parsed.body || parsed.body->size != c.size || parsed.body->origin != *origin) {
            v.disagree(QStringLiteral("%1 is damaged").arg(label));
            continue;
        }
        if (!parsed.hasSignature) {
            // Only where the log began may stand unsigned: written before a key existed.
            if (!parsed.body->extensions.contains(QString::fromLatin1(kLogBeginsHere))) {
                v.disagree(QStringLiteral("%1 carries no signature").arg(label));
                continue;
            }
            begins = c.size;
            targets.append({c.size, parsed.body->root, label + QStringLiteral(" (unsigned)"), false,
                            false, c.made});
            continue;
        }
        if (!parsed.signedByKey) {
            v.disagree(QStringLiteral("%1: its signature does not verify with the key %2")
                           .arg(label, key->fingerprint()));
            continue;
        }
        if (parsed.body->extensions.contains(QString::fromLatin1(kLogBeginsHere)))
            begins = c.size;
        targets.append({c.size, parsed.body->root, label, false, true, c.made});
    }
    // Only a signed checkpoint proves anything: the unsigned one where the
    // log began could have been written by whoever holds the database.
    quint64 newestStored = 0;
    for (const Target &t : std::as_const(targets))
        if (t.isSigned)
            newestStored = std::max(newestStored, t.size);
    for (const QString &folder : std::as_const(witnesses)) {
        if (!QFileInfo(folder).isDir()) {
            check.error = QStringLiteral("the witness folder %1 cannot be read").arg(folder);
            return check;
        }
        const QStringList names =
            QDir(folder).entryList({QStringLiteral("*.checkpoint")}, QDir::Files, QDir::Name);
        if (names.isEmpty())
            lines.append(QStringLiteral("witness %1 holds no checkpoint").arg(folder));
        for (const QString &name : names) {
            const QString path = QDir(folder).filePath(name);
            const std::optional<QByteArray> note = readFile(path, error);
            if (!note) {
                check.error = error;
                return check;
            }
            addCheckpointFile(path, *note, *key, *origin, QStringLiteral("witness"), targets, v,
                              lines);
        }
    }
    for (const QString &path : std::as_const(files)) {
        const std::optional<QByteArray> note = readFile(path, error);
        if (!note) {
            check.error = error;
            return check;
        }
        addCheckpointFile(path, *note, *key, *origin, QStringLiteral("checkpoint"), targets, v,
                          lines);
    }
    LogWalk walk(config, archive, names, v, targets, lines);
    if (!walk.run(error)) {
        check.error = QStringLiteral("the archive's log cannot be read: %1").arg(error);
        return check;
    }
    const Walked &walked = walk.walked();
    findUnlogged(archive, names, walked, v, error);
    if (!error.isEmpty()) {
        check.error = QStringLiteral("the archive cannot be read: %1").arg(error);
        return check;
    }
    for (const Target &t : std::as_const(targets))
        if (t.size > walked.leaves)
            v.disagree(t.external
                           ? QStringLiteral("rollback: %1 holds %2 leaves, the archive only %3: "
                                            "it was restored from an older copy or cut back")
                                 .arg(t.label)
                                 .arg(t.size)
                                 .arg(walked.leaves)
                           : QStringLiteral("%1 counts more leaves than the log holds (%2)")
                                 .arg(t.label)
                                 .arg(walked.leaves));
    auto count = [&](LeafKind kind) {
        const auto it = walked.found.find(kind);
        return it == walked.found.end() ? 0 : it->second;
    };
    check.keyFingerprint = key->fingerprint();
    check.lines.append(QStringLiteral("verify of %1 with the key %2")
                           .arg(config.archive.displayName(), check.keyFingerprint));
    check.lines.append(QStringLiteral("log %1: %2 leaves: %3 records, %4 attempts, %5 "
                                      "configurations, %6 roster imports, %7 calibrations, %8 "
                                      "tester keys")
                           .arg(*origin)
                           .arg(walked.leaves)
                           .arg(count(LeafKind::Record))
                           .arg(count(LeafKind::Attempt))
                           .arg(count(LeafKind::Configuration))
                           .arg(count(LeafKind::RosterImport))
                           .arg(count(LeafKind::Calibration))
                           .arg(count(LeafKind::Tester)));
    check.lines += lines;
    if (begins > 0)
        check.lines.append(QStringLiteral("%1 (the log's first %2 leaves were built from the rows "
                                          "of an older archive)")
                               .arg(QLatin1String(kLogBeginsHere))
                               .arg(begins));
    if (newestStored == 0)
        check.lines.append(QStringLiteral("no signed checkpoint: nothing proves the archive"));
    else if (newestStored < walked.leaves)
        check.lines.append(QStringLiteral("%1 leaves after the newest checkpoint are proven by "
                                          "none yet")
                               .arg(walked.leaves - newestStored));
    for (const Target &t : std::as_const(targets))
        if (t.isSigned && !t.external && t.size == newestStored)
            check.newest = {t.size, t.root, t.made};
    if (!v.intact()) {
        check.disagreement = v.first();
        check.lines.append(QStringLiteral("NOT INTACT: %1").arg(v.first()));
    } else if (newestStored == 0) {
        check.lines.append(QStringLiteral("unproven"));
    } else {
        check.intact = true;
        check.lines.append(QStringLiteral("intact"));
    }
    return check;
}

int verifyCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                  QTextStream &err) {
    QString keyPath;
    QStringList witnesses;
    QStringList files;
    QString error;
    for (qsizetype i = 0; i < args.size() && error.isEmpty(); ++i) {
        QString value;
        if (args[i] == QLatin1String("--key")) {
            if (takeValue(args, i, value, error))
                keyPath = value;
        } else if (args[i] == QLatin1String("--witness")) {
            if (takeValue(args, i, value, error))
                witnesses.append(value);
        } else if (args[i] == QLatin1String("--checkpoint")) {
            if (takeValue(args, i, value, error))
                files.append(value);
        } else {
            error = QStringLiteral("unexpected \"%1\"").arg(args[i]);
        }
    }
    if (!error.isEmpty()) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitUsage;
    }
    const LogCheck check = checkArchiveLog(config, keyPath, witnesses, files);
    if (!check.error.isEmpty()) {
        err << "nxa-collect: " << check.error << Qt::endl;
        return kExitUsage;
    }
    for (const QString &line : check.lines)
        out << "# " << line << Qt::endl;
    return check.intact ? kExitOk : kExitTampered;
}
int proveCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                 QTextStream &err) {
    QString testerName, recordText, userText, output, error;
    for (qsizetype i = 0; i < args.size() && error.isEmpty(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--tester"))
            takeValue(args, i, testerName, error);
        else if (a == QLatin1String("--record"))
            takeValue(args, i, recordText, error);
        else if (a == QLatin1String("--user"))
            takeValue(args, i, userText, error);
        else if (a == QLatin1String("--output"))
            takeValue(args, i, output, error);
        else
            error = QStringLiteral("unexpected \"%1\"").arg(a);
    }
    bool userOk = false;
    const int user = userText.toInt(&userOk);
    const QDateTime when = QDateTime::fromString(recordText, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (error.isEmpty() && (testerName.isEmpty() || !when.isValid() || !userOk))
        error = QStringLiteral("prove needs --tester NAME --record \"yyyy-mm-dd hh:mm:ss\" "
                               "--user N");
    if (!error.isEmpty()) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitUsage;
    }
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Read);
    if (!opened.archive) {
        err << "nxa-collect: " << opened.error << Qt::endl;
        return kExitFailed;
    }
    Archive &archive = *opened.archive;
    QString key;
    for (const TesterEntry &t : config.testers)
        if (t.name == testerName)
            key = t.key;
    QSqlQuery find(archive.database());
    find.prepare(QStringLiteral(
        "SELECT l.idx, l.hash, l.tester FROM records r JOIN testers t ON t.id = r.tester JOIN "
        "log_leaves l ON l.kind = 2 AND l.tester = r.tester AND l.raw = r.raw AND l.occurrence = "
        "r.occurrence WHERE (t.tester_key = ? OR t.name = ?) AND r.record_date = ? AND "
        "r.record_time = ? AND r.user_number = ? ORDER BY r.attempt, r.seq"));
    find.addBindValue(key.isEmpty() ? testerName : key);
    find.addBindValue(testerName);
    find.addBindValue(when.toString(QStringLiteral("yyyy-MM-dd")));
    find.addBindValue(when.toString(QStringLiteral("hh:mm:ss")));
    find.addBindValue(user);
    if (!find.exec()) {
        err << "nxa-collect: " << archive.failure(find) << Qt::endl;
        return kExitFailed;
    }
    if (!find.next()) {
        err << "nxa-collect: no logged record of tester " << testerName << " at " << recordText
            << ", user " << user << Qt::endl;
        return kExitUsage;
    }
    const quint64 index = quint64(find.value(0).toLongLong());
    const QByteArray hash = find.value(1).toByteArray();
    const qint64 testerId = find.value(2).toLongLong();
    find.finish();
    // The leaf as it was logged, for the auditor to read and hash.
    QString loggedKey;
    {
        QSqlQuery k(archive.database());
        k.prepare(QStringLiteral("SELECT tester_key FROM log_leaves WHERE kind = 1 AND kind <> 2 "
                                 "AND tester = ? AND idx < ? ORDER BY idx DESC LIMIT 1"));
        k.addBindValue(testerId);
        k.addBindValue(qint64(index));
        if (k.exec() && k.next())
            loggedKey = k.value(0).toString();
    }
    QByteArray leaf;
    {
        ArchiveRows row(archive,
                        QStringLiteral("SELECT %1 FROM records r JOIN log_leaves l ON l.kind = 2 "
                                       "AND l.tester = r.tester AND l.raw = r.raw AND "
                                       "l.occurrence = r.occurrence WHERE l.idx = ?")
                            .arg(recordColumns(QStringLiteral("r."))),
                        {qint64(index)});
        if (row.next())
            leaf = recordLeafText(loggedKey, row, 0);
    }
    QList<StoredCheckpoint> stored;
    if (!readStoredCheckpoints(archive, stored, error)) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitFailed;
    }
    const StoredCheckpoint *newest = nullptr;
    for (const StoredCheckpoint &c : std::as_const(stored))
        if (c.note.contains("\n\n") && (!newest || c.size >= newest->size))
            newest = &c;
    if (!newest || newest->size <= index) {
        err << "nxa-collect: no signed checkpoint covers that record yet (leaf " << index
            << "); the next download with a checkpoint-key makes one" << Qt::endl;
        return kExitFailed;
    }
    std::vector<QByteArray> hashes;
    hashes.reserve(newest->size);
    ArchiveRows rows(archive,
                     QStringLiteral("SELECT hash FROM log_leaves WHERE idx < ? ORDER BY idx"),
                     {qint64(newest->size)});
    while (rows.next())
        hashes.push_back(rows.bytes(0));
    const QList<QByteArray> path = inclusionProof(hashes, index);
    const std::optional<CheckpointBody> body =
        parseCheckpointBody(newest->note.left(newest->note.indexOf("\n\n") + 1), error);
    const std::optional<QByteArray> root =
        rootFromInclusion(leafHash(leaf), index, newest->size, path);
    if (!body || hashes.size() != newest->size || leafHash(leaf) != hash || !root ||
        *root != body->root) {
        err << "nxa-collect: the archive does not match its newest checkpoint; run nxa-collect "
               "verify"
            << Qt::endl;
        return kExitTampered;
    }
    QByteArray proof = QByteArray(kProofHeader) + '\n';
    proof += "extra " + leaf.toBase64() + '\n';
    proof += "index " + QByteArray::number(qulonglong(index)) + '\n';
    for (const QByteArray &p : path)
        proof += p.toBase64() + '\n';
    proof += '\n' + newest->note;
    if (output.isEmpty()) {
        out << QString::fromUtf8(proof);
        out.flush();
        return kExitOk;
    }
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(proof) != proof.size() || !file.commit()) {
        err << "nxa-collect: cannot write " << output << Qt::endl;
        return kExitFailed;
    }
    out << "proof of leaf " << index << " in the checkpoint of " << newest->size
        << " leaves: " << output << " (" << proof.size() << " bytes)" << Qt::endl;
    return kExitOk;
}

int verifyProofCommand(const QStringList &args, QTextStream &out, QTextStream &err) {
    QString file, keyPath, error;
    for (qsizetype i = 0; i < args.size() && error.isEmpty(); ++i)
        if (args[i] == QLatin1String("--key"))
            takeValue(args, i, keyPath, error);
        else if (file.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            file = args[i];
        else
            error = QStringLiteral("unexpected \"%1\"").arg(args[i]);
    if (error.isEmpty() && (file.isEmpty() || keyPath.isEmpty()))
        error = QStringLiteral("verify-proof needs a proof file and --key FILE.pub");
    const std::optional<VerifierKey> key =
        error.isEmpty() ? readVerifierKey(keyPath, error) : std::nullopt;
    const std::optional<QByteArray> proof = key ? readFile(file, error) : std::nullopt;
    if (!proof) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitUsage;
    }
    auto refuse = [&](const QString &why) {
        out << "# proof REFUSED: " << why << Qt::endl;
        return kExitTampered;
    };
    const qsizetype blank = proof->indexOf("\n\n");
    if (blank < 0)
        return refuse(QStringLiteral("no checkpoint in it"));
    QList<QByteArray> lines = proof->left(blank).split('\n');
    const QByteArray note = proof->mid(blank + 2);
    if (lines.size() < 3 || lines[0] != kProofHeader || !lines[1].startsWith("extra ") ||
        !lines[2].startsWith("index "))
        return refuse(QStringLiteral("not in the form of a log proof with its record"));
    const QByteArray leaf =
        QByteArray::fromBase64(lines[1].mid(6), QByteArray::AbortOnBase64DecodingErrors);
    bool ok = false;
    const quint64 index = lines[2].mid(6).toULongLong(&ok);
    if (!ok || QByteArray::number(qulonglong(index)) != lines[2].mid(6) ||
        leaf.toBase64() != lines[1].mid(6))
        return refuse(QStringLiteral("its record or index line is malformed"));
    QList<QByteArray> path;
    for (qsizetype i = 3; i < lines.size(); ++i) {
        const QByteArray hash =
            QByteArray::fromBase64(lines[i], QByteArray::AbortOnBase64DecodingErrors);
        if (hash.size() != kHashSize || hash.toBase64() != lines[i])
            return refuse(QStringLiteral("proof line %1 is no hash").arg(i + 1));
        path.append(hash);
    }
    const ParsedCheckpoint checkpoint = parseCheckpoint(note, *key);
    if (!checkpoint.body)
        return refuse(checkpoint.error);
    if (!checkpoint.signedByKey)
        return refuse(QStringLiteral("the checkpoint's signature does not verify with the key %1")
                          .arg(key->fingerprint()));
    const std::optional<QByteArray> root =
        rootFromInclusion(leafHash(leaf), index, checkpoint.body->size, path);
    if (!root || *root != checkpoint.body->root)
        return refuse(
            QStringLiteral("the record and its path do not lead to the checkpoint's root"));
    const QList<QByteArray> fields = leaf.split('\t');
    out << "# checkpoint " << checkpoint.body->origin << ", " << checkpoint.body->size
        << " leaves, root " << rootText(checkpoint.body->root) << ", signed by "
        << key->fingerprint() << Qt::endl;
    if (fields.size() >= 19 && fields[0] == "record")
        out << "# leaf " << index << ": the record of tester " << QString::fromUtf8(fields[1])
            << " at " << fields[17] << " " << fields[18] << ", user "
            << QString::fromUtf8(fields[7]) << " " << QString::fromUtf8(fields[9]) << ", passed "
            << fields[14] << Qt::endl;
    out << "# proof good" << Qt::endl;
    return kExitOk;
}

} // namespace nxa::collect

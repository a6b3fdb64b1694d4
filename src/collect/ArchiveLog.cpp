#include "collect/ArchiveLog.h"

#include "collect/Archive.h"
#include "collect/ArchiveRows.h"
#include "collect/Checkpoint.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace nxa::collect {

namespace {

constexpr int kLogLockKey = 0x4e584c; // "NXL": one log writer at a time
constexpr int kInsertBatch = 200;
constexpr int kOriginBytes = 16;

constexpr char kCellColumns[] = "pn, user_id, visitor, user_name, wrist_strap, shoe_l, shoe_r, "
                                "shoe_lr, passed, relay, recognition, record_date, record_time";

// One field of a leaf's text: escaped so that no value can pass for two.
void addField(QByteArray &text, QByteArrayView value) {
    text += '\t';
    // Most values hold nothing to escape: appended whole.
    if (std::none_of(value.begin(), value.end(),
                     [](char c) { return c == '\\' || c == '\t' || c == '\n'; })) {
        text += value;
        return;
    }
    for (const char c : value)
        if (c == '\\')
            text += "\\\\";
        else if (c == '\t')
            text += "\\t";
        else if (c == '\n')
            text += "\\n";
        else
            text += c;
}

void addColumn(QByteArray &text, const ArchiveRows &row, int column, bool binary) {
    if (row.isNull(column))
        text += "\t\\N";
    else if (binary)
        addField(text, row.bytes(column).toHex());
    else
        addField(text, row.text(column));
}

QString withPrefix(const QString &prefix, const QStringList &columns) {
    QStringList out;
    for (const QString &c : columns)
        out.append(c.contains(QLatin1Char('%')) ? c.arg(prefix) : prefix + c);
    return out.join(QStringLiteral(", "));
}

struct PendingLeaf {
    LeafKind kind;
    qint64 tester = 0;
    QByteArray raw;
    int occurrence = 0;
    qint64 ref = 0;
    QString testerKey;
    QByteArray hash;
};

// Adds leaves to the tree and their rows to log_leaves, a batch at a time;
// the edge is stored once at the end.
class LogAppender {
public:
    explicit LogAppender(Archive &archive) : m_archive(archive) {}
    ~LogAppender() { sqlite3_finalize(m_insert); }
    LogAppender(const LogAppender &) = delete;
    LogAppender &operator=(const LogAppender &) = delete;

    bool start(QString &error) {
        if (!lockLog(m_archive)) {
            error = m_archive.lastError();
            return false;
        }
        LogHead head = readLogHead(m_archive);
        m_edge = head.edge;
        error = head.error;
        return error.isEmpty();
    }

    void add(PendingLeaf leaf, const QByteArray &text) {
        leaf.hash = leafHash(text);
        m_edge.append(leaf.hash);
        m_pending.push_back(std::move(leaf));
    }

    bool flushIfFull(QString &error) {
        return m_pending.size() < size_t(kInsertBatch) || flush(error);
    }

    bool finish(QString &error) {
        if (!flush(error))
            return false;
        if (m_edge.size() == m_storedSize)
            return true;
        QSqlQuery query(m_archive.database());
        query.prepare(QStringLiteral("INSERT INTO log_edges (size, edge) VALUES (?, ?)"));
        query.addBindValue(qint64(m_edge.size()));
        query.addBindValue(m_edge.toBytes());
        if (query.exec())
            return true;
        error = m_archive.failure(query);
        return false;
    }

    const TreeEdge &edge() const { return m_edge; }
    std::uint64_t startSize() const { return m_storedSize; }
    void setStartSize(std::uint64_t size) { m_storedSize = size; }

private:
    bool flush(QString &error) {
        if (m_pending.empty())
            return true;
        if (sqlite3 *db = m_archive.sqliteHandle())
            return flushSqlite(db, error);
        QString sql = QStringLiteral("INSERT INTO log_leaves (idx, kind, tester, raw, occurrence, "
                                     "ref, tester_key, hash) VALUES ");
        for (size_t i = 0; i < m_pending.size(); ++i)
            sql += (i ? QStringLiteral(",") : QString()) + QStringLiteral("(?,?,?,?,?,?,?,?)");
        QSqlQuery query(m_archive.database());
        query.prepare(sql);
        std::uint64_t idx = m_edge.size() - m_pending.size();
        const QVariant noNumber(QMetaType::fromType<qint64>());
        const QVariant noBytes(QMetaType::fromType<QByteArray>());
        for (const PendingLeaf &leaf : m_pending) {
            const bool record = leaf.kind == LeafKind::Record;
            const bool tester = leaf.kind == LeafKind::Tester;
            query.addBindValue(qint64(idx++));
            query.addBindValue(int(leaf.kind));
            query.addBindValue(record || tester ? QVariant(leaf.tester) : noNumber);
            query.addBindValue(record ? QVariant(leaf.raw) : noBytes);
            query.addBindValue(record ? QVariant(leaf.occurrence) : QVariant(noNumber));
            query.addBindValue(record || tester ? noNumber : QVariant(leaf.ref));
            query.addBindValue(tester ? QVariant(leaf.testerKey)
                                      : QVariant(QMetaType::fromType<QString>()));
            query.addBindValue(leaf.hash);
        }
        m_pending.clear();
        if (query.exec())
            return true;
        error = m_archive.failure(query);
        return false;
    }

    // SQLite: one row at a time through SQLite's own interface. Qt's driver
    // looks every value of a many-row statement up by its place, which costs
    // more than the insert itself.
    bool flushSqlite(sqlite3 *db, QString &error) {
        auto fail = [&] {
            m_archive.setLastError(QString::fromUtf8(sqlite3_errmsg(db)),
                                   QString::number(sqlite3_extended_errcode(db)));
            error = m_archive.lastError();
            m_pending.clear();
            return false;
        };
        static constexpr char kInsert[] = "INSERT INTO log_leaves (idx, kind, tester, raw, "
                                          "occurrence, ref, tester_key, hash) VALUES (?, ?, ?, ?, "
                                          "?, ?, ?, ?)";
        if (!m_insert && sqlite3_prepare_v2(db, kInsert, -1, &m_insert, nullptr) != SQLITE_OK)
            return fail();
        std::uint64_t idx = m_edge.size() - m_pending.size();
        for (const PendingLeaf &leaf : m_pending) {
            const bool record = leaf.kind == LeafKind::Record;
            const bool tester = leaf.kind == LeafKind::Tester;
            sqlite3_clear_bindings(m_insert);
            sqlite3_bind_int64(m_insert, 1, sqlite3_int64(idx++));
            sqlite3_bind_int(m_insert, 2, int(leaf.kind));
            if (record || tester)
                sqlite3_bind_int64(m_insert, 3, leaf.tester);
            if (record) {
                sqlite3_bind_blob(m_insert, 4, leaf.raw.constData(), int(leaf.raw.size()),
                                  SQLITE_STATIC);
                sqlite3_bind_int(m_insert, 5, leaf.occurrence);
            }
            if (!record && !tester)
                sqlite3_bind_int64(m_insert, 6, leaf.ref);
            const QByteArray key = leaf.testerKey.toUtf8();
            if (tester)
                sqlite3_bind_text(m_insert, 7, key.constData(), int(key.size()), SQLITE_STATIC);
            sqlite3_bind_blob(m_insert, 8, leaf.hash.constData(), int(leaf.hash.size()),
                              SQLITE_STATIC);
            const int step = sqlite3_step(m_insert);
            sqlite3_reset(m_insert);
            if (step != SQLITE_DONE)
                return fail();
        }
        m_pending.clear();
        return true;
    }

    Archive &m_archive;
    sqlite3_stmt *m_insert = nullptr;
    TreeEdge m_edge;
    std::uint64_t m_storedSize = 0;
    std::vector<PendingLeaf> m_pending;
};

bool addRecords(Archive &archive, LogAppender &log, qint64 testerId, const QString &key,
                qint64 attempt, QString &error) {
    ArchiveRows rows(archive,
                     QStringLiteral("SELECT %1 FROM records r WHERE r.attempt = ? ORDER BY r.seq")
                         .arg(recordColumns(QStringLiteral("r."))),
                     {attempt});
    // Read whole before the first insert: a PostgreSQL connection streams
    // one query at a time.
    std::vector<std::pair<PendingLeaf, QByteArray>> leaves;
    while (rows.next())
        leaves.emplace_back(
            PendingLeaf{LeafKind::Record, testerId, rows.bytes(1), int(rows.integer(2)), 0, {}, {}},
            recordLeafText(key, rows, 0));
    error = rows.error();
    if (!error.isEmpty())
        return false;
    for (auto &[leaf, text] : leaves) {
        log.add(std::move(leaf), text);
        if (!log.flushIfFull(error))
            return false;
    }
    return true;
}

bool addRowLeaf(Archive &archive, LogAppender &log, LeafKind kind, qint64 id, QString &error) {
    const std::optional<QByteArray> text = rowLeafText(archive, kind, id, error);
    if (!text)
        return false;
    log.add(PendingLeaf{kind, 0, {}, 0, id, {}, {}}, *text);
    return log.flushIfFull(error);
}

bool addAttempt(Archive &archive, LogAppender &log, qint64 attempt, QString &error) {
    QByteArray text;
    {
        ArchiveRows row(archive,
                        QStringLiteral("SELECT %1 FROM attempts a WHERE a.id = ?")
                            .arg(attemptColumns(QStringLiteral("a."))),
                        {attempt});
        if (!row.next()) {
            error = row.error().isEmpty() ? QStringLiteral("attempt %1 is missing").arg(attempt)
                                          : row.error();
            return false;
        }
        text = attemptLeafText(row, 0);
        while (row.next()) {
        }
    }
    log.add(PendingLeaf{LeafKind::Attempt, 0, {}, 0, attempt, {}, {}}, text);
    return log.flushIfFull(error);
}

QString newOrigin() {
    QByteArray bytes(kOriginBytes, Qt::Uninitialized);
    randombytes_buf(bytes.data(), size_t(bytes.size()));
    return QStringLiteral("nxa-collect/") + QString::fromLatin1(bytes.toHex());
}

} // namespace

QString recordColumns(const QString &prefix) {
    QStringList columns = {QStringLiteral("tester"), QStringLiteral("raw"),
                           QStringLiteral("occurrence"), QStringLiteral("attempt"),
                           QStringLiteral("seq")};
    columns += QString::fromLatin1(kCellColumns).split(QStringLiteral(", "));
    columns += {QStringLiteral("CAST(%1local_time AS TEXT)"),
                QStringLiteral("CAST(%1local_date AS TEXT)"),
                QStringLiteral("user_number"),
                QStringLiteral("CASE WHEN %1is_visitor THEN 1 ELSE 0 END"),
                QStringLiteral("CASE WHEN %1is_pass THEN 1 ELSE 0 END"),
                QStringLiteral("CASE WHEN %1relay_on THEN 1 ELSE 0 END"),
                QStringLiteral("CASE WHEN %1by_keyboard THEN 1 ELSE 0 END"),
                QStringLiteral("ws_kohm"),
                QStringLiteral("l_kohm"),
                QStringLiteral("r_kohm"),
                QStringLiteral("lr_kohm")};
    Q_ASSERT(columns.size() == kRecordColumnCount);
    return withPrefix(prefix, columns);
}

QString attemptColumns(const QString &prefix) {
    const QStringList columns = {QStringLiteral("id"),
                                 QStringLiteral("tester"),
                                 QStringLiteral("started"),
                                 QStringLiteral("ended"),
                                 QStringLiteral("result"),
                                 QStringLiteral("received"),
                                 QStringLiteral("added"),
                                 QStringLiteral("image_digest"),
                                 QStringLiteral("image_records"),
                                 QStringLiteral("CASE WHEN %1gap THEN 1 ELSE 0 END"),
                                 QStringLiteral("CAST(%1gap_from AS TEXT)"),
                                 QStringLiteral("CAST(%1gap_to AS TEXT)"),
                                 QStringLiteral("detail"),
                                 QStringLiteral("config_result"),
                                 QStringLiteral("config_detail"),
                                 QStringLiteral("configuration")};
    Q_ASSERT(columns.size() == kAttemptColumnCount);
    return withPrefix(prefix, columns);
}

QByteArray recordLeafText(const QString &testerKey, const ArchiveRows &row, int first) {
    // Room for a whole record's fields at once: growing it field by field
    // cost more than hashing it.
    constexpr qsizetype kRecordLeafRoom = 384;
    QByteArray text;
    text.reserve(kRecordLeafRoom);
    text += "record";
    addField(text, testerKey.toUtf8());
    // The tester's number stands in the key; the rest as stored.
    for (int c = 1; c < kRecordColumnCount; ++c)
        addColumn(text, row, first + c, c == 1);
    return text;
}

QByteArray attemptLeafText(const ArchiveRows &row, int first) {
    QByteArray text = "attempt";
    for (int c = 0; c < kAttemptColumnCount; ++c)
        addColumn(text, row, first + c, c == 7);
    return text;
}

QByteArray testerLeafText(qint64 id, const QString &key) {
    QByteArray text = "tester";
    addField(text, QByteArray::number(id));
    addField(text, key.toUtf8());
    return text;
}

std::optional<QByteArray> rowLeafText(Archive &archive, LeafKind kind, qint64 id, QString &error) {
    struct Part {
        const char *word;
        QString sql;
        QList<int> binary;
        bool sorted; // rows of texts: sorted here, the same on both engines
    };
    QList<Part> parts;
    if (kind == LeafKind::Configuration) {
        parts = {
            {"configuration",
             QStringLiteral("SELECT id, tester, taken, digest, image, peripheral_number, "
                            "description, mode FROM configurations WHERE id = ?"),
             {3, 4},
             false},
            {"limits",
             QStringLiteral("SELECT profile, footwear_min, footwear_max, wrist_strap_min, "
                            "wrist_strap_max, check_choice, relay_choice FROM profile_limits "
                            "WHERE configuration = ? ORDER BY profile"),
             {},
             false},
            {"user",
             QStringLiteral("SELECT user_number, CASE WHEN active THEN 1 ELSE 0 END, name, "
                            "profile FROM configuration_users WHERE configuration = ? ORDER BY "
                            "user_number"),
             {},
             false},
        };
    } else if (kind == LeafKind::RosterImport) {
        const QString entry = QStringLiteral("SELECT person, name, department, workdays, email, "
                                             "tester_key, user_number, valid_from FROM "
                                             "roster_entries WHERE ");
        parts = {
            {"roster-import",
             QStringLiteral("SELECT id, imported, source FROM roster_imports WHERE id = ?"),
             {},
             false},
            {"made", entry + QStringLiteral("valid_from = ?"), {}, true},
            {"ended", entry + QStringLiteral("valid_until = ?"), {}, true},
        };
    } else if (kind == LeafKind::Calibration) {
        parts = {
            {"calibration",
             QStringLiteral("SELECT id, tester_key, CAST(done_on AS TEXT), recorded, by_whom, "
                            "certificate, CASE WHEN failed THEN 1 ELSE 0 END, note FROM "
                            "calibrations WHERE id = ?"),
             {},
             false},
        };
    } else {
        error = QStringLiteral("no leaf of kind %1 is read by its number").arg(int(kind));
        return std::nullopt;
    }
    QByteArray text;
    for (const Part &part : std::as_const(parts)) {
        ArchiveRows rows(archive, part.sql, {id});
        QList<QByteArray> lines;
        while (rows.next()) {
            QByteArray line = part.word;
            // The first statement's columns are counted from its text.
            const int columns =
                int(part.sql.section(QStringLiteral(" FROM "), 0, 0).count(QLatin1Char(','))) + 1;
            for (int c = 0; c < columns; ++c)
                addColumn(line, rows, c, part.binary.contains(c));
            lines.append(line);
        }
        if (!rows.error().isEmpty()) {
            error = rows.error();
            return std::nullopt;
        }
        if (&part == &parts.first() && lines.isEmpty()) {
            error = QStringLiteral("%1 %2 is missing").arg(QLatin1String(part.word)).arg(id);
            return std::nullopt;
        }
        if (part.sorted)
            std::sort(lines.begin(), lines.end());
        for (const QByteArray &line : std::as_const(lines))
            text += line + '\n';
    }
    return text;
}

QString rowTable(LeafKind kind) {
    switch (kind) {
    case LeafKind::Configuration:
        return QStringLiteral("configurations");
    case LeafKind::RosterImport:
        return QStringLiteral("roster_imports");
    case LeafKind::Calibration:
        return QStringLiteral("calibrations");
    default:
        return {};
    }
}

std::optional<RowLeafTexts> allRowLeafTexts(Archive &archive, QString &error) {
    RowLeafTexts all;
    for (const LeafKind kind :
         {LeafKind::Configuration, LeafKind::RosterImport, LeafKind::Calibration}) {
        QList<qint64> ids;
        {
            QSqlQuery query(archive.database());
            if (!query.exec(QStringLiteral("SELECT id FROM %1").arg(rowTable(kind)))) {
                error = archive.failure(query);
                return std::nullopt;
            }
            while (query.next())
                ids.append(query.value(0).toLongLong());
        }
        QHash<qint64, QByteArray> &texts = all[kind];
        for (const qint64 id : std::as_const(ids)) {
            const std::optional<QByteArray> text = rowLeafText(archive, kind, id, error);
            if (!text)
                return std::nullopt;
            texts.insert(id, *text);
        }
    }
    return all;
}

QStringList logStatements(const Archive &archive) {
    const QString bytes = archive.bytesType();
    return {
        // One row per leaf, numbered from 0 in the order the leaves were
        // added; the row it stands for is named by its key.
        QStringLiteral("CREATE TABLE log_leaves (idx %1, kind INTEGER NOT NULL, tester BIGINT, raw "
                       "%2, occurrence INTEGER, ref BIGINT, tester_key TEXT, hash %2 NOT NULL)")
            .arg(archive.isSqlite() ? QStringLiteral("INTEGER PRIMARY KEY")
                                    : QStringLiteral("BIGINT PRIMARY KEY"),
                 bytes),
        QStringLiteral("CREATE INDEX log_leaves_of_rows ON log_leaves (kind, tester, ref) WHERE "
                       "kind <> 2"),
        QStringLiteral("CREATE TABLE log_edges (size BIGINT PRIMARY KEY, edge %1 NOT NULL)")
            .arg(bytes),
        QStringLiteral("CREATE TABLE checkpoints (id %1, size BIGINT NOT NULL, made BIGINT NOT "
                       "NULL, note TEXT NOT NULL)")
            .arg(archive.idType()),
        // The records of one attempt in the order the tester kept them, for
        // the log and for whoever reads an attempt back.
        QStringLiteral("CREATE INDEX IF NOT EXISTS records_by_attempt ON records (attempt, seq)"),
        QStringLiteral("INSERT INTO archive_info (name, value) VALUES ('log-origin', '%1')")
            .arg(newOrigin()),
    };
}

bool lockLog(Archive &archive) {
    // SQLite's write transaction holds the whole file already.
    return archive.isSqlite() ||
           archive.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kLogLockKey));
}

LogHead readLogHead(Archive &archive) {
    LogHead head;
    QSqlQuery query(archive.database());
    if (!query.exec(
            QStringLiteral("SELECT size, edge FROM log_edges ORDER BY size DESC LIMIT 1"))) {
        head.error = archive.failure(query);
        return head;
    }
    if (!query.next())
        return head;
    const std::optional<TreeEdge> edge = TreeEdge::fromBytes(
        std::uint64_t(query.value(0).toLongLong()), query.value(1).toByteArray());
    if (!edge)
        head.error = QStringLiteral("the log's last edge is damaged");
    else
        head.edge = *edge;
    return head;
}

std::optional<QString> logOrigin(Archive &archive, QString &error) {
    const std::optional<QVariant> origin = singleValue(
        archive, QStringLiteral("SELECT value FROM archive_info WHERE name = 'log-origin'"), {},
        error);
    if (!origin)
        return std::nullopt;
    if (origin->isNull()) {
        error = QStringLiteral("the archive has no log");
        return std::nullopt;
    }
    return origin->toString();
}

QString logAttempt(Archive &archive, qint64 testerId, const QString &testerKey, qint64 attempt) {
    LogAppender log(archive);
    QString error;
    if (!log.start(error))
        return error;
    log.setStartSize(log.edge().size());
    const std::optional<QVariant> logged = singleValue(
        archive,
        QStringLiteral(
            "SELECT tester_key FROM log_leaves WHERE kind = 1 AND kind <> 2 AND tester = ? "
            "ORDER BY idx DESC LIMIT 1"),
        {testerId}, error);
    if (!logged)
        return error;
    if (logged->isNull() || logged->toString() != testerKey)
        log.add(PendingLeaf{LeafKind::Tester, testerId, {}, 0, 0, testerKey, {}},
                testerLeafText(testerId, testerKey));
    const std::optional<QVariant> configuration = singleValue(
        archive,
        QStringLiteral(
            "SELECT a.configuration FROM attempts a WHERE a.id = ? AND NOT EXISTS "
            "(SELECT 1 FROM log_leaves l WHERE l.kind = 4 AND l.kind <> 2 AND l.tester IS "
            "NULL AND l.ref = a.configuration)"),
        {attempt}, error);
    if (!configuration)
        return error;
    if (!configuration->isNull() &&
        !addRowLeaf(archive, log, LeafKind::Configuration, configuration->toLongLong(), error))
        return error;
    if (!addRecords(archive, log, testerId, testerKey, attempt, error) ||
        !addAttempt(archive, log, attempt, error) || !log.finish(error))
        return error;
    return {};
}

QString logRow(Archive &archive, LeafKind kind, qint64 id) {
    LogAppender log(archive);
    QString error;
    if (!log.start(error))
        return error;
    log.setStartSize(log.edge().size());
    if (!addRowLeaf(archive, log, kind, id, error) || !log.finish(error))
        return error;
    return {};
}

QString buildLogFromRows(Archive &archive) {
    LogAppender log(archive);
    QString error;
    if (!log.start(error))
        return error;
    QHash<qint64, QString> keys;
    {
        QSqlQuery testers(archive.database());
        if (!testers.exec(QStringLiteral("SELECT id, tester_key FROM testers ORDER BY id")))
            return archive.failure(testers);
        while (testers.next())
            keys.insert(testers.value(0).toLongLong(), testers.value(1).toString());
    }
    // Roster imports and calibrations, stored between downloads, in the
    // order they were made.
    struct Between {
        qint64 when;
        LeafKind kind;
        qint64 id;
        bool operator<(const Between &o) const {
            return std::tie(when, kind, id) < std::tie(o.when, o.kind, o.id);
        }
    };
    std::vector<Between> between;
    for (const auto &[kind, made] : {std::pair{LeafKind::RosterImport, "imported"},
                                     std::pair{LeafKind::Calibration, "recorded"}}) {
        QSqlQuery query(archive.database());
        if (!query.exec(
                QStringLiteral("SELECT id, %1 FROM %2").arg(QLatin1String(made), rowTable(kind))))
            return archive.failure(query);
        while (query.next())
            between.push_back({query.value(1).toLongLong(), kind, query.value(0).toLongLong()});
    }
    std::sort(between.begin(), between.end());
    std::optional<RowLeafTexts> read = allRowLeafTexts(archive, error);
    if (!read)
        return error;
    RowLeafTexts &texts = *read;
    const QHash<qint64, QByteArray> &configurations = texts[LeafKind::Configuration];
    struct OldAttempt {
        qint64 id, tester, started;
        std::optional<qint64> configuration;
        QByteArray text;
    };
    std::vector<OldAttempt> attempts;
    {
        ArchiveRows rows(archive,
                         QStringLiteral("SELECT %1 FROM attempts a ORDER BY a.id")
                             .arg(attemptColumns(QStringLiteral("a."))),
                         {});
        while (rows.next())
            attempts.push_back(
                {rows.integer(0), rows.integer(1), rows.integer(2),
                 rows.isNull(15) ? std::nullopt : std::optional<qint64>(rows.integer(15)),
                 attemptLeafText(rows, 0)});
        if (!rows.error().isEmpty())
            return rows.error();
    }
    // SQLite: every record in one pass in the order they are logged, instead
    // of a statement per attempt; a PostgreSQL connection reads one query at
    // a time and so takes them attempt by attempt.
    std::unique_ptr<ArchiveRows> records;
    bool haveRecord = false;
    if (archive.isSqlite()) {
        records = std::make_unique<ArchiveRows>(
            archive,
            QStringLiteral("SELECT %1 FROM records r ORDER BY r.attempt, r.seq")
                .arg(recordColumns(QStringLiteral("r."))),
            QVariantList{});
        haveRecord = records->next();
    }
    constexpr int kAttemptColumn = 3;
    auto addStreamedRecords = [&](const OldAttempt &attempt) {
        const QString key = keys.value(attempt.tester);
        // A record of no attempt stays out of the log, as it does attempt by
        // attempt: verify names it as added afterwards.
        while (haveRecord && records->integer(kAttemptColumn) < attempt.id)
            haveRecord = records->next();
        while (haveRecord && records->integer(kAttemptColumn) == attempt.id) {
            log.add(PendingLeaf{LeafKind::Record,
                                attempt.tester,
                                records->bytes(1),
                                int(records->integer(2)),
                                0,
                                {},
                                {}},
                    recordLeafText(key, *records, 0));
            if (!log.flushIfFull(error))
                return false;
            haveRecord = records->next();
        }
        return true;
    };
    size_t next = 0;
    QSet<qint64> loggedTesters;
    QSet<qint64> loggedConfigurations;
    auto addBetween = [&] {
        const Between &row = between[next++];
        log.add(PendingLeaf{row.kind, 0, {}, 0, row.id, {}, {}}, texts[row.kind].value(row.id));
    };
    // Attempts in the order they were made, each with its records in the
    // order of its image; a roster import or a calibration goes before the
    // first attempt that started after it.
    for (const OldAttempt &attempt : attempts) {
        while (next < between.size() && between[next].when <= attempt.started)
            addBetween();
        if (!loggedTesters.contains(attempt.tester)) {
            loggedTesters.insert(attempt.tester);
            log.add(
                PendingLeaf{
                    LeafKind::Tester, attempt.tester, {}, 0, 0, keys.value(attempt.tester), {}},
                testerLeafText(attempt.tester, keys.value(attempt.tester)));
        }
        if (attempt.configuration && !loggedConfigurations.contains(*attempt.configuration)) {
            loggedConfigurations.insert(*attempt.configuration);
            log.add(PendingLeaf{LeafKind::Configuration, 0, {}, 0, *attempt.configuration, {}, {}},
                    configurations.value(*attempt.configuration));
        }
        if (records ? !addStreamedRecords(attempt)
                    : !addRecords(archive, log, attempt.tester, keys.value(attempt.tester),
                                  attempt.id, error))
            return error;
        log.add(PendingLeaf{LeafKind::Attempt, 0, {}, 0, attempt.id, {}, {}}, attempt.text);
        if (!log.flushIfFull(error))
            return error;
    }
    if (records && !records->error().isEmpty())
        return records->error();
    while (next < between.size())
        addBetween();
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        if (!loggedTesters.contains(it.key()))
            log.add(PendingLeaf{LeafKind::Tester, it.key(), {}, 0, 0, it.value(), {}},
                    testerLeafText(it.key(), it.value()));
    if (!log.finish(error))
        return error;
    if (log.edge().size() == 0)
        return {};
    const std::optional<QString> origin = logOrigin(archive, error);
    if (!origin)
        return error;
    CheckpointBody body{
        *origin, log.edge().size(), log.edge().root(), {QString::fromLatin1(kLogBeginsHere)}};
    QSqlQuery mark(archive.database());
    mark.prepare(QStringLiteral("INSERT INTO checkpoints (size, made, note) VALUES (?, ?, ?)"));
    mark.addBindValue(qint64(body.size));
    mark.addBindValue(QDateTime::currentMSecsSinceEpoch());
    mark.addBindValue(QString::fromUtf8(body.text()));
    return mark.exec() ? QString() : archive.failure(mark);
}

} // namespace nxa::collect

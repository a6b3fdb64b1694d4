#include "collect/RosterStore.h"

#include "collect/ArchiveLog.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>

namespace nxa::collect {

namespace {

// Every column of a row: two rows alike in all of them are the same row.
constexpr char kEntryColumns[] =
    "person, name, department, workdays, email, tester_key, user_number";

QString rowKey(const RosterEntry &e, const QString &testerKey) {
    return QStringList{e.person, e.name,    e.department,           QString::number(e.workdays),
                       e.email,  testerKey, QString::number(e.user)}
        .join(QChar(0));
}

// An empty text as a value: the columns are NOT NULL, and a missing
// optional column reads as a null text.
QString storedText(const QString &text) {
    return text.isNull() ? QStringLiteral("") : text;
}

void sortEntries(std::vector<RosterEntry> &entries) {
    std::sort(
        entries.begin(), entries.end(),
        [](const RosterEntry &a, const RosterEntry &b) {
            return std::tie(a.person, a.tester, a.user) < std::tie(b.person, b.tester, b.user);
        });
}

struct StoredRow {
    RosterEntry entry;
    QString testerKey;
};

// The rows the statement selects, with `values` bound in order.
bool readRows(Archive &archive, const QString &where, const QVariantList &values,
              const QHash<QString, QString> &nameOfKey, std::vector<StoredRow> &rows) {
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM roster_entries WHERE %2")
                      .arg(QLatin1String(kEntryColumns), where));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        archive.failure(query);
        return false;
    }
    while (query.next()) {
        StoredRow row;
        row.entry.person = query.value(0).toString();
        row.entry.name = query.value(1).toString();
        row.entry.department = query.value(2).toString();
        row.entry.workdays = static_cast<std::uint8_t>(query.value(3).toInt());
        row.entry.email = query.value(4).toString();
        row.testerKey = query.value(5).toString();
        row.entry.tester = nameOfKey.value(row.testerKey, row.testerKey);
        row.entry.user = query.value(6).toInt();
        rows.push_back(std::move(row));
    }
    return true;
}

QHash<QString, QString> namesByKey(const QList<TesterEntry> &testers) {
    QHash<QString, QString> names;
    for (const TesterEntry &t : testers)
        names.insert(t.key, t.name);
    return names;
}

} // namespace

QStringList rosterStatements(const Archive &archive) {
    return {
        QStringLiteral("CREATE TABLE roster_imports (id %1, imported BIGINT NOT NULL, source TEXT "
                       "NOT NULL)")
            .arg(archive.idType()),
        // A tester by its key, as its records are, so that renaming its group
        // keeps its persons.
        QStringLiteral("CREATE TABLE roster_entries (person TEXT NOT NULL, name TEXT NOT NULL, "
                       "department TEXT NOT NULL, workdays INTEGER NOT NULL, email TEXT NOT "
                       "NULL, tester_key TEXT NOT NULL, user_number INTEGER NOT NULL, valid_from "
                       "BIGINT NOT NULL REFERENCES roster_imports (id), valid_until BIGINT "
                       "REFERENCES roster_imports (id))"),
        QStringLiteral("CREATE INDEX roster_entries_in_force ON roster_entries (valid_until, "
                       "valid_from)"),
    };
}

RosterInForce rosterInForce(Archive &archive, const QList<TesterEntry> &testers, qint64 atMs) {
    RosterInForce roster;
    QSqlQuery last(archive.database());
    last.prepare(QStringLiteral("SELECT id, imported FROM roster_imports WHERE imported <= ? "
                                "ORDER BY id DESC LIMIT 1"));
    last.addBindValue(atMs);
    if (!last.exec()) {
        roster.error = archive.failure(last);
        return roster;
    }
    if (!last.next()) {
        // Before the first import, the first roster is the best knowledge of
        // who worked there, as a tester's first configuration is of its limits.
        if (!last.exec(
                QStringLiteral("SELECT id, imported FROM roster_imports ORDER BY id LIMIT 1"))) {
            roster.error = archive.failure(last);
            return roster;
        }
        if (!last.next())
            return roster;
    }
    const qint64 import = last.value(0).toLongLong();
    roster.importedMs = last.value(1).toLongLong();
    std::vector<StoredRow> rows;
    if (!readRows(archive,
                  QStringLiteral("valid_from <= ? AND (valid_until IS NULL OR valid_until > ?)"),
                  {import, import}, namesByKey(testers), rows)) {
        roster.error = archive.lastError();
        return roster;
    }
    for (StoredRow &row : rows)
        roster.entries.push_back(std::move(row.entry));
    sortEntries(roster.entries);
    return roster;
}

RosterStored storeRoster(Archive &archive, const QList<TesterEntry> &testers,
                         const std::vector<RosterEntry> &entries, const QString &source,
                         qint64 importedMs) {
    RosterStored stored;
    QHash<QString, QString> keyOfName;
    for (const TesterEntry &t : testers)
        keyOfName.insert(t.name, t.key);
    if (!archive.beginWrite()) {
        stored.error = archive.lastError();
        return stored;
    }
    auto failed = [&] {
        stored.error = archive.lastError();
        archive.rollback();
        return stored;
    };
    std::vector<StoredRow> current;
    if (!readRows(archive, QStringLiteral("valid_until IS NULL"), {}, namesByKey(testers), current))
        return failed();
    QSet<QString> wanted;
    for (const RosterEntry &e : entries)
        wanted.insert(rowKey(e, keyOfName.value(e.tester)));
    QSet<QString> kept;
    std::vector<const StoredRow *> ended;
    for (const StoredRow &row : current) {
        const QString key = rowKey(row.entry, row.testerKey);
        if (wanted.contains(key))
            kept.insert(key);
        else
            ended.push_back(&row);
    }
    std::vector<const RosterEntry *> added;
    for (const RosterEntry &e : entries)
        if (!kept.contains(rowKey(e, keyOfName.value(e.tester))))
            added.push_back(&e);
    if (ended.empty() && added.empty()) {
        archive.rollback();
        return stored;
    }

    QSqlQuery import(archive.database());
    import.prepare(
        QStringLiteral("INSERT INTO roster_imports (imported, source) VALUES (?, ?) RETURNING id"));
    import.addBindValue(importedMs);
    import.addBindValue(source);
    if (!import.exec() || !import.next()) {
        archive.failure(import);
        return failed();
    }
    const qint64 id = import.value(0).toLongLong();
    import.finish(); // SQLite commits nothing while a statement is still open

    QSqlQuery end(archive.database());
    end.prepare(
        QStringLiteral("UPDATE roster_entries SET valid_until = ? WHERE valid_until IS "
                       "NULL AND person = ? AND name = ? AND department = ? AND "
                       "workdays = ? AND email = ? AND tester_key = ? AND user_number = ?"));
    for (const StoredRow *row : ended) {
        const RosterEntry &e = row->entry;
        for (const QVariant &value : QVariantList{id, e.person, e.name, e.department, e.workdays,
                                                  e.email, row->testerKey, e.user})
            end.addBindValue(value);
        if (!end.exec()) {
            archive.failure(end);
            return failed();
        }
    }
    QSqlQuery insert(archive.database());
    insert.prepare(QStringLiteral("INSERT INTO roster_entries (%1, valid_from) VALUES (?, ?, ?, "
                                  "?, ?, ?, ?, ?)")
                       .arg(QLatin1String(kEntryColumns)));
    for (const RosterEntry *e : added) {
        for (const QVariant &value :
             QVariantList{e->person, e->name, storedText(e->department), e->workdays,
                          storedText(e->email), keyOfName.value(e->tester), e->user, id})
            insert.addBindValue(value);
        if (!insert.exec()) {
            archive.failure(insert);
            return failed();
        }
    }
    if (const QString logged = logRow(archive, LeafKind::RosterImport, id); !logged.isEmpty()) {
        archive.setLastError(logged, {});
        return failed();
    }
    if (!archive.commit())
        return failed();
    stored.changed = true;
    return stored;
}

} // namespace nxa::collect

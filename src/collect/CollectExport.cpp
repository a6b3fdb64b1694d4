#include "collect/CollectExport.h"

#include "collect/ReadOnlyArchive.h"
#include "export/ExportResult.h"
#include "export/PlantExport.h"
#include "records/DataloggerTable.h"

#include <QHash>

#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace nxa::collect {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd";

// Selected columns, in the order of a table row's cells 0 to 12, then the
// tester's name.
constexpr char kCellColumns[] = "r.pn, r.user_id, r.visitor, r.user_name, r.wrist_strap, "
                                "r.shoe_l, r.shoe_r, r.shoe_lr, r.passed, r.relay, "
                                "r.recognition, r.record_date, r.record_time, t.name";
constexpr int kTesterColumn = records::kKeyColumnCount;

struct Selection {
    QString sql;
    QVariantList values;
};

Selection selection(const ExportRequest &request) {
    Selection s;
    s.sql = QStringLiteral("SELECT %1 FROM records r JOIN testers t ON t.id = r.tester WHERE 1 = 1")
                .arg(QLatin1String(kCellColumns));
    if (!request.testers.isEmpty()) {
        QStringList marks;
        for (const QString &name : request.testers) {
            marks.append(QStringLiteral("?"));
            s.values.append(name);
        }
        s.sql += QStringLiteral(" AND t.name IN (%1)").arg(marks.join(QLatin1Char(',')));
    }
    // The date cell is "yyyy-MM-dd" with fixed widths, so text order is date
    // order; cells that are no valid date are sorted out afterwards.
    if (request.from) {
        s.sql += QStringLiteral(" AND r.record_date >= ?");
        s.values.append(request.from->toString(QLatin1String(kDateFormat)));
    }
    if (request.to) {
        s.sql += QStringLiteral(" AND r.record_date <= ?");
        s.values.append(request.to->toString(QLatin1String(kDateFormat)));
    }
    if (request.failedOnly)
        s.sql += QStringLiteral(" AND r.passed = 'N'");
    // Oldest first: each row then goes on top, as the manager's merge does,
    // which leaves the newest on top and twins in the merge's order.
    s.sql += QStringLiteral(" ORDER BY r.record_date, r.record_time, r.attempt, r.seq");
    return s;
}

bool validDate(const QString &cell) {
    return QDate::fromString(cell, QLatin1String(kDateFormat)).isValid();
}

using RowSink = std::function<void(records::Row &&, const QString &tester)>;

QString readRowsPortable(Archive &archive, const Selection &s, const RowSink &take) {
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    query.prepare(s.sql);
    for (const QVariant &value : s.values)
        query.addBindValue(value);
    if (!query.exec())
        return sqlError(query.lastError());
    while (query.next()) {
        records::Row row;
        for (int c = 0; c < records::kKeyColumnCount; ++c)
            row[c] = query.value(c).toString();
        take(std::move(row), query.value(kTesterColumn).toString());
    }
    return query.lastError().isValid() ? sqlError(query.lastError()) : QString();
}

// The last few texts of one column. Most cells repeat ("Y", "Fingerprint",
// the day, an empty cell), and a repeated one shares the earlier text instead
// of allocating its own: a million rows hold 13 million cells.
class RecentTexts {
public:
    QString text(const char *utf8, int size) {
        for (size_t i = 0; i < m_texts.size(); ++i) {
            if (equalsAscii(m_texts[i], utf8, size)) {
                std::rotate(m_texts.begin(), m_texts.begin() + static_cast<qsizetype>(i),
                            m_texts.begin() + static_cast<qsizetype>(i) + 1);
                return m_texts.front();
            }
        }
        QString text = QString::fromUtf8(utf8, size);
        if (m_texts.size() < kKept)
            m_texts.insert(m_texts.begin(), text);
        else {
            std::rotate(m_texts.begin(), m_texts.end() - 1, m_texts.end());
            m_texts.front() = text;
        }
        return text;
    }

private:
    static bool equalsAscii(const QString &text, const char *utf8, int size) {
        if (text.size() != size)
            return false;
        for (int i = 0; i < size; ++i)
            if (static_cast<unsigned char>(utf8[i]) >= 0x80 ||
                text[i].unicode() != char16_t(utf8[i]))
                return false;
        return true;
    }
    static constexpr size_t kKept = 4;
    std::vector<QString> m_texts;
};

// SQLite: the same statement read through SQLite's own interface; a million
// rows through the Qt layer cost more than writing the workbook's sheet.
QString readRowsSqlite(Archive &archive, const Selection &s, const RowSink &take) {
    sqlite3 *db = archive.sqliteHandle();
    const QByteArray sql = s.sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    QString error;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) ==
        SQLITE_OK) {
        QList<QByteArray> values;
        for (const QVariant &value : s.values)
            values.append(value.toString().toUtf8());
        for (int i = 0; i < values.size(); ++i)
            sqlite3_bind_text(statement, i + 1, values[i].constData(), int(values[i].size()),
                              SQLITE_STATIC);
        std::array<RecentTexts, records::kKeyColumnCount + 1> recent;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            records::Row row;
            for (int c = 0; c < records::kKeyColumnCount; ++c)
                row[c] = recent[static_cast<size_t>(c)].text(
                    reinterpret_cast<const char *>(sqlite3_column_text(statement, c)),
                    sqlite3_column_bytes(statement, c));
            take(std::move(row),
                 recent[kTesterColumn].text(
                     reinterpret_cast<const char *>(sqlite3_column_text(statement, kTesterColumn)),
                     sqlite3_column_bytes(statement, kTesterColumn)));
        }
        if (step != SQLITE_DONE)
            error = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    return error;
}

QString unknownTester(Archive &archive, const QStringList &names) {
    for (const QString &name : names) {
        QSqlQuery query(archive.database());
        query.prepare(QStringLiteral("SELECT 1 FROM testers WHERE name = ?"));
        query.addBindValue(name);
        if (!query.exec() || !query.next())
            return name;
    }
    return {};
}

// The writers say only that the file was not made; the system's own reason
// is asked again for the message.
QString whyNotWritten(const QString &path) {
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    probe.cancelWriting();
    return QStringLiteral("writing it failed (is the disk full?)");
}

} // namespace

ExportOutcome runExport(const CollectConfig &config, const ExportRequest &request) {
    ExportOutcome outcome;
    ReadOnlyArchive opened(config);
    if (!opened.archive()) {
        outcome.message = opened.error();
        return outcome;
    }
    Archive &archive = *opened.archive();
    if (const QString name = unknownTester(archive, request.testers); !name.isEmpty()) {
        outcome.message = QStringLiteral("the archive holds no tester named \"%1\"").arg(name);
        return outcome;
    }

    const Selection s = selection(request);
    const bool dateLimited = request.from || request.to;
    records::DataloggerTable table;
    // Rows come oldest first and each goes on top, so the testers, kept in
    // reading order, are turned round afterwards.
    std::vector<quint32> testerOfRow;
    QStringList testerNames;
    QHash<QString, quint32> testerIndex;
    // The hidden record cell stays empty: neither writer puts it in the file.
    const auto take = [&](records::Row &&row, const QString &tester) {
        if (dateLimited && !validDate(row[records::kColumnDate]))
            return;
        auto index = testerIndex.constFind(tester);
        if (index == testerIndex.cend()) {
            index = testerIndex.insert(tester, quint32(testerNames.size()));
            testerNames.append(tester);
        }
        testerOfRow.push_back(*index);
        table.insertAtTop(row);
    };
    const QString error = archive.sqliteHandle() ? readRowsSqlite(archive, s, take)
                                                 : readRowsPortable(archive, s, take);
    if (!error.isEmpty()) {
        outcome.message = QStringLiteral("cannot read the archive: %1").arg(error);
        return outcome;
    }

    std::reverse(testerOfRow.begin(), testerOfRow.end());
    const exports::ExportResult written =
        request.text ? exports::plantTextExport(table, testerOfRow, testerNames, request.path)
                     : exports::plantWorkbookExport(table, testerOfRow, testerNames, request.path);
    outcome.ok = written.ok;
    outcome.rows = table.rowCount();
    // The file actually written: a workbook's name gains its ".xlsx".
    outcome.message =
        written.ok ? QStringLiteral("Saved %1 (%2 records)").arg(written.path).arg(outcome.rows)
                   : QStringLiteral("Can't create file %1: %2")
                         .arg(written.path, whyNotWritten(written.path));
    if (const QString continued = exports::sheetsContinuedLine(written); !continued.isEmpty())
        outcome.message += QLatin1Char('\n') + continued;
    return outcome;
}

} // namespace nxa::collect

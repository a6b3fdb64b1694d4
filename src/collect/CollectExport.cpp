#include "collect/CollectExport.h"

#include "collect/Archive.h"
#include "export/ExportResult.h"
#include "export/TextExport.h"
#include "export/WorkbookExport.h"
#include "records/AccessRecordFormat.h"
#include "records/DataloggerTable.h"

#include <QSqlError>
#include <QSqlQuery>

namespace nxa::collect {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd";

// Selected columns, in the order of a table row's cells 0 to 12.
constexpr char kCellColumns[] = "r.pn, r.user_id, r.visitor, r.user_name, r.wrist_strap, "
                                "r.shoe_l, r.shoe_r, r.shoe_lr, r.passed, r.relay, "
                                "r.recognition, r.record_date, r.record_time, r.raw";

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

} // namespace

ExportOutcome runExport(const CollectConfig &config, const ExportRequest &request) {
    ExportOutcome outcome;
    Archive::Opened opened = Archive::open(config.archive, config.lockWaitMs, false);
    if (!opened.archive) {
        outcome.message = opened.error;
        return outcome;
    }
    Archive &archive = *opened.archive;
    if (const QString name = unknownTester(archive, request.testers); !name.isEmpty()) {
        outcome.message = QStringLiteral("the archive holds no tester named \"%1\"").arg(name);
        return outcome;
    }

    const Selection s = selection(request);
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    query.prepare(s.sql);
    for (const QVariant &value : s.values)
        query.addBindValue(value);
    if (!query.exec()) {
        outcome.message =
            QStringLiteral("cannot read the archive: %1").arg(sqlError(query.lastError()));
        return outcome;
    }
    const bool dateLimited = request.from || request.to;
    records::DataloggerTable table;
    while (query.next()) {
        records::Row row;
        for (int c = 0; c < records::kKeyColumnCount; ++c)
            row[c] = query.value(c).toString();
        if (dateLimited && !validDate(row[records::kColumnDate]))
            continue;
        row[records::kRecordColumn] =
            records::recordCellText(query.value(records::kRecordColumn).toByteArray());
        table.insertAtTop(std::move(row));
    }
    if (query.lastError().isValid()) {
        outcome.message =
            QStringLiteral("cannot read the archive: %1").arg(sqlError(query.lastError()));
        return outcome;
    }
    query.finish();

    const exports::ExportResult written = request.text
                                              ? exports::textExport(table, request.path)
                                              : exports::workbookExport(table, request.path);
    outcome.ok = written.ok;
    outcome.rows = table.rowCount();
    outcome.message = exports::exportEventLine(written, request.path);
    return outcome;
}

} // namespace nxa::collect

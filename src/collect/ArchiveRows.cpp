#include "collect/ArchiveRows.h"

#include "collect/Archive.h"

#include <QSqlError>

#include <sqlite3.h>

namespace nxa::collect {

ArchiveRows::ArchiveRows(Archive &archive, const QString &sql, const QVariantList &values)
    : m_archive(archive) {
    if (sqlite3 *db = archive.sqliteHandle()) {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_statement, nullptr) !=
            SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(db));
            return;
        }
        int index = 1;
        for (const QVariant &value : values) {
            if (value.typeId() == QMetaType::QString) {
                const QByteArray text = value.toString().toUtf8();
                sqlite3_bind_text(m_statement, index++, text.constData(), int(text.size()),
                                  SQLITE_TRANSIENT);
            } else if (value.typeId() == QMetaType::QByteArray) {
                const QByteArray bytes = value.toByteArray();
                sqlite3_bind_blob(m_statement, index++, bytes.constData(), int(bytes.size()),
                                  SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(m_statement, index++, value.toLongLong());
            }
        }
        return;
    }
    m_query = std::make_unique<QSqlQuery>(archive.database());
    m_query->setForwardOnly(true);
    m_query->prepare(sql);
    for (const QVariant &value : values)
        m_query->addBindValue(value);
    if (!m_query->exec())
        m_error = sqlError(m_query->lastError());
}

ArchiveRows::~ArchiveRows() {
    if (m_statement)
        sqlite3_finalize(m_statement);
}

bool ArchiveRows::next() {
    if (!m_error.isEmpty())
        return false;
    if (m_statement) {
        const int step = sqlite3_step(m_statement);
        if (step == SQLITE_ROW)
            return true;
        if (step != SQLITE_DONE)
            m_error = QString::fromUtf8(sqlite3_errmsg(m_archive.sqliteHandle()));
        return false;
    }
    if (m_query->next())
        return true;
    if (m_query->lastError().isValid())
        m_error = sqlError(m_query->lastError());
    return false;
}

bool ArchiveRows::isNull(int column) const {
    return m_statement ? sqlite3_column_type(m_statement, column) == SQLITE_NULL
                       : m_query->isNull(column);
}

qint64 ArchiveRows::integer(int column) const {
    if (m_statement)
        return sqlite3_column_int64(m_statement, column);
    // Booleans come from the server as booleans.
    const QVariant value = m_query->value(column);
    return value.typeId() == QMetaType::Bool ? qint64(value.toBool()) : value.toLongLong();
}

QByteArray ArchiveRows::text(int column) const {
    if (m_statement) {
        const auto *bytes =
            reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QByteArray::fromRawData(bytes, sqlite3_column_bytes(m_statement, column));
    }
    return m_query->value(column).toString().toUtf8();
}

QByteArray ArchiveRows::bytes(int column) const {
    if (m_statement) {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }
    return m_query->value(column).toByteArray();
}

std::optional<QVariant> singleValue(Archive &archive, const QString &sql,
                                    const QVariantList &values, QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        error = archive.failure(query);
        return std::nullopt;
    }
    return query.next() ? query.value(0) : QVariant();
}

} // namespace nxa::collect

#pragma once

#include <QByteArray>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>
#include <optional>

struct sqlite3_stmt;

namespace nxa::collect {

class Archive;

// The first column of the first row of one statement, with `values` bound in
// order: null when there is no row, nothing (and `error`) when it failed.
std::optional<QVariant> singleValue(Archive &archive, const QString &sql,
                                    const QVariantList &values, QString &error);

// Reads the rows of one query forward only. On SQLite it goes through
// SQLite's own interface: the Qt layer costs more per value than SQLite
// spends per row, and the analysis reads up to millions of them.
class ArchiveRows {
public:
    ArchiveRows(Archive &archive, const QString &sql, const QVariantList &values);
    ~ArchiveRows();
    ArchiveRows(const ArchiveRows &) = delete;
    ArchiveRows &operator=(const ArchiveRows &) = delete;

    bool next();
    bool isNull(int column) const;
    qint64 integer(int column) const;
    // The bytes of a text column, valid until the next call of next().
    QByteArray text(int column) const;
    // The bytes of a binary column, a copy.
    QByteArray bytes(int column) const;
    // Empty while every step succeeded.
    QString error() const { return m_error; }

private:
    Archive &m_archive;
    sqlite3_stmt *m_statement = nullptr;
    std::unique_ptr<QSqlQuery> m_query;
    QString m_error;
};

} // namespace nxa::collect

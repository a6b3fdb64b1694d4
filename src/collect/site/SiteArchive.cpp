#include "collect/site/SiteArchive.h"

#include "collect/LockWaitBudget.h"

#include <QSqlQuery>

#include <memory>

namespace nxa::collect {

namespace {

struct ThreadConnection {
    std::unique_ptr<LockWaitBudget> budget;
    Archive::Opened opened;
};

} // namespace

Archive *threadArchive(const CollectConfig &config, QString &error) {
    thread_local ThreadConnection connection;
    if (!connection.opened.archive) {
        connection.budget = std::make_unique<LockWaitBudget>(config.lockWaitMs);
        connection.opened =
            Archive::open(config.archive, *connection.budget, Archive::Access::Read);
        if (!connection.opened.archive) {
            error = connection.opened.error;
            return nullptr;
        }
        return connection.opened.archive.get();
    }
    Archive &archive = *connection.opened.archive;
    connection.budget->refill();
    if (!archive.isSqlite()) {
        if (!archive.beginRead()) {
            error = archive.lastError();
            // Opened again on the next request: the server may have restarted.
            connection.opened.archive.reset();
            return nullptr;
        }
    }
    return &archive;
}

void endThreadRead(Archive &archive) {
    archive.endRead();
}

QString archiveChangeMark(Archive &archive, QString &error) {
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT COALESCE(MAX(id), 0) FROM attempts), (SELECT COALESCE(MAX(id), 0) "
            "FROM calibrations), (SELECT COALESCE(MAX(id), 0) FROM roster_imports), (SELECT "
            "COALESCE(MAX(id), 0) FROM checkpoints)")) ||
        !query.next()) {
        error = archive.failure(query);
        return {};
    }
    return QStringLiteral("%1.%2.%3.%4")
        .arg(query.value(0).toLongLong())
        .arg(query.value(1).toLongLong())
        .arg(query.value(2).toLongLong())
        .arg(query.value(3).toLongLong());
}

} // namespace nxa::collect

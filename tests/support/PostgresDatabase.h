#pragma once

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QUrl>

namespace nxa::test {

// A database of the test's own on the server NXA_POSTGRES_URL names
// (scripts/with-postgres.sh starts one), as a URL the collector takes.
inline QString freshPostgresDatabase() {
    static int counter = 0;
    const QUrl server(qEnvironmentVariable("NXA_POSTGRES_URL"));
    const QString name =
        QStringLiteral("nxa_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(server.host());
        admin.setPort(server.port());
        admin.setUserName(server.userName());
        admin.setDatabaseName(server.path().mid(1));
        if (admin.open())
            QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + name);
    }
    QSqlDatabase::removeDatabase(name);
    QUrl url = server;
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

// A connection of the test's own, by name, to the archive at `archive`: a
// PostgreSQL URL or a SQLite file. Opened once, then the same.
inline QSqlDatabase archiveConnection(const QString &connection, const QString &archive,
                                      bool postgres) {
    if (QSqlDatabase::contains(connection))
        return QSqlDatabase::database(connection);
    QSqlDatabase db;
    if (postgres) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        const QUrl url(archive);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(archive);
    }
    db.open();
    return db;
}

} // namespace nxa::test

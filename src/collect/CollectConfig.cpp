#include "collect/CollectConfig.h"

#include "common/TesterAddress.h"
#include "link/LinkConstants.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace nxa::collect {

namespace {

constexpr int kDefaultPostgresPort = 5432;

TesterEntry readTester(QSettings &settings, const QString &name, const QDir &folder) {
    TesterEntry entry;
    entry.name = name;
    settings.beginGroup(name);
    entry.addressText = settings.value(QStringLiteral("address")).toString().trimmed();
    const QString portText = settings.value(QStringLiteral("port")).toString().trimmed();
    const QString passwordFile = settings.value(QStringLiteral("password-file")).toString();
    settings.endGroup();

    entry.address = parseDottedAddress(entry.addressText);
    // The manager's own check: only the dotted form it would write back passes.
    if (entry.addressText.isEmpty() || formatAddress(entry.address) != entry.addressText)
        entry.problem =
            QStringLiteral("address \"%1\" is not a dotted IPv4 address").arg(entry.addressText);

    entry.port = link::testerPort();
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok, 10);
        if (!ok || port == 0 || port > 65535)
            entry.problem =
                QStringLiteral("port \"%1\" is not a number from 1 to 65535").arg(portText);
        else
            entry.port = static_cast<quint16>(port);
    }

    if (passwordFile.isEmpty() && entry.problem.isEmpty())
        entry.problem = QStringLiteral("no password-file");
    else if (!passwordFile.isEmpty())
        entry.passwordFile = QDir::cleanPath(folder.absoluteFilePath(passwordFile));
    return entry;
}

} // namespace

QString ArchiveLocation::displayName() const {
    if (kind == Kind::Sqlite)
        return path;
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

std::optional<ArchiveLocation> parseArchiveLocation(const QString &text, const QString &folder,
                                                    QString *error) {
    ArchiveLocation location;
    if (text.startsWith(QLatin1String("postgresql://")) ||
        text.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(text, QUrl::StrictMode);
        location.kind = ArchiveLocation::Kind::Postgres;
        location.host = url.host(QUrl::FullyDecoded);
        location.port = url.port(kDefaultPostgresPort);
        location.user = url.userName(QUrl::FullyDecoded);
        location.database = url.path(QUrl::FullyDecoded).mid(1);
        // A password would end up in a file that others may read; the
        // PostgreSQL client takes it from ~/.pgpass or PGPASSFILE instead.
        if (!url.isValid() || location.database.isEmpty() || !url.password().isEmpty()) {
            if (error)
                *error = QStringLiteral("archive: expected postgresql://user@host:port/database "
                                        "without a password (use ~/.pgpass)");
            return std::nullopt;
        }
        // A host that is a folder names the server's Unix socket; QUrl cannot
        // carry one, so it comes percent-encoded ("%2Ftmp%2Fpg").
        if (location.host.isEmpty())
            location.host = QUrl::fromPercentEncoding(
                text.section(QLatin1Char('@'), 1).section(QLatin1Char(':'), 0, 0).toUtf8());
        return location;
    }
    const QString path = text.isEmpty() ? QString::fromLatin1(kDefaultArchiveName) : text;
    location.path = QDir::cleanPath(QDir(folder).absoluteFilePath(path));
    return location;
}

ConfigRead readCollectConfig(const QString &path) {
    ConfigRead result;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isReadable()) {
        result.error = QStringLiteral("cannot read the configuration %1").arg(path);
        return result;
    }
    QSettings settings(info.absoluteFilePath(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        result.error = QStringLiteral("the configuration %1 is not a valid INI file").arg(path);
        return result;
    }
    const QDir folder = info.absoluteDir();

    CollectConfig config;
    QString error;
    const std::optional<ArchiveLocation> archive = parseArchiveLocation(
        settings.value(QStringLiteral("archive")).toString().trimmed(), folder.path(), &error);
    if (!archive) {
        result.error = QStringLiteral("%1: %2").arg(path, error);
        return result;
    }
    config.archive = *archive;

    const QString lockWait = settings.value(QStringLiteral("lock-wait")).toString().trimmed();
    if (!lockWait.isEmpty()) {
        bool ok = false;
        const double seconds = lockWait.toDouble(&ok);
        if (!ok || seconds < 0 || seconds > 3600) {
            result.error = QStringLiteral("%1: lock-wait must be seconds from 0 to 3600").arg(path);
            return result;
        }
        config.lockWaitMs = static_cast<int>(seconds * 1000);
    }

    for (const QString &group : settings.childGroups())
        config.testers.append(readTester(settings, group, folder));
    result.config = std::move(config);
    return result;
}

} // namespace nxa::collect

#include "collect/CollectConfig.h"

#include "common/TesterAddress.h"
#include "link/LinkConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QUrl>

#include <cmath>

namespace nxa::collect {

namespace {

constexpr int kDefaultPostgresPort = 5432;
// A configuration names a plant's testers; anything this large is another file.
constexpr qint64 kMaxConfigBytes = 1024 * 1024;
constexpr double kMaxLockWaitSeconds = 3600;
constexpr double kMaxDeadlineSeconds = 86400;

// The client parameters a location may carry. A password is left out on
// purpose: it belongs in ~/.pgpass, not in a file that others may read.
const QStringList &passedParameters() {
    static const QStringList names = {
        QStringLiteral("host"),
        QStringLiteral("hostaddr"),
        QStringLiteral("port"),
        QStringLiteral("sslmode"),
        QStringLiteral("sslrootcert"),
        QStringLiteral("sslcert"),
        QStringLiteral("sslkey"),
        QStringLiteral("sslcrl"),
        QStringLiteral("sslcrldir"),
        QStringLiteral("sslsni"),
        QStringLiteral("ssl_min_protocol_version"),
        QStringLiteral("ssl_max_protocol_version"),
        QStringLiteral("channel_binding"),
        QStringLiteral("require_auth"),
        QStringLiteral("gssencmode"),
        QStringLiteral("krbsrvname"),
        QStringLiteral("passfile"),
        QStringLiteral("connect_timeout"),
        QStringLiteral("application_name"),
        QStringLiteral("target_session_attrs"),
        QStringLiteral("keepalives"),
        QStringLiteral("keepalives_idle"),
        QStringLiteral("keepalives_interval"),
        QStringLiteral("keepalives_count"),
        QStringLiteral("tcp_user_timeout"),
    };
    return names;
}

// A value as the client library's "name=value" form quotes it.
QString quotedParameter(const QString &value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

std::optional<ArchiveLocation> parsePostgresUrl(const QString &text, QString *error) {
    auto fail = [error](const QString &why) -> std::optional<ArchiveLocation> {
        if (error)
            *error = QStringLiteral("archive: %1").arg(why);
        return std::nullopt;
    };
    ArchiveLocation location;
    location.kind = ArchiveLocation::Kind::Postgres;
    location.written = text;
    QString rest = text.section(QLatin1String("://"), 1);
    QString query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return fail(QStringLiteral("expected postgresql://user@host:port/database"));
    location.database = QUrl::fromPercentEncoding(rest.mid(slash + 1).toUtf8());
    QString authority = rest.left(slash);
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        if (userInfo.contains(QLatin1Char(':')))
            return fail(QStringLiteral("a password does not belong in the configuration; the "
                                       "PostgreSQL client takes it from ~/.pgpass"));
        location.user = QUrl::fromPercentEncoding(userInfo.toUtf8());
    }
    // host, [v6 address] or a percent-encoded socket folder, then :port.
    QString host = authority;
    QString portText;
    if (authority.startsWith(QLatin1Char('['))) {
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        if (close < 0)
            return fail(QStringLiteral("unclosed [ in the host"));
        host = authority.mid(1, close - 1);
        const QString after = authority.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return fail(QStringLiteral("unexpected \"%1\" after the host").arg(after));
        portText = after.mid(1);
    } else if (const qsizetype colon = authority.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = authority.left(colon);
        portText = authority.mid(colon + 1);
    }
    if (host.contains(QLatin1Char(',')))
        return fail(QStringLiteral("one server only"));
    location.host = QUrl::fromPercentEncoding(host.toUtf8());
    location.port = kDefaultPostgresPort;
    if (!portText.isEmpty()) {
        bool ok = false;
        location.port = portText.toInt(&ok);
        if (!ok || location.port < 1 || location.port > 65535)
            return fail(
                QStringLiteral("port \"%1\" is not a number from 1 to 65535").arg(portText));
    }
    for (const QString &pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const QString name =
            QUrl::fromPercentEncoding(pair.section(QLatin1Char('='), 0, 0).toUtf8());
        const QString value = QUrl::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toUtf8());
        if (name == QLatin1String("password"))
            return fail(QStringLiteral("a password does not belong in the configuration; the "
                                       "PostgreSQL client takes it from ~/.pgpass"));
        if (name == QLatin1String("user")) {
            location.user = value;
            continue;
        }
        if (name == QLatin1String("dbname")) {
            location.database = value;
            continue;
        }
        if (!passedParameters().contains(name))
            return fail(QStringLiteral("the parameter \"%1\" is not one nxa-collect passes to the "
                                       "PostgreSQL client (%2)")
                            .arg(name, passedParameters().join(QStringLiteral(", "))));
        // The driver joins its options with ";", so a value cannot hold one.
        if (value.contains(QLatin1Char(';')))
            return fail(QStringLiteral("the value of \"%1\" holds a \";\"").arg(name));
        if (name == QLatin1String("host"))
            location.host = value;
        else if (name == QLatin1String("port")) {
            bool ok = false;
            location.port = value.toInt(&ok);
            if (!ok || location.port < 1 || location.port > 65535)
                return fail(
                    QStringLiteral("port \"%1\" is not a number from 1 to 65535").arg(value));
        } else
            location.parameters.append(name + QLatin1Char('=') + quotedParameter(value));
    }
    if (location.database.isEmpty())
        return fail(QStringLiteral("expected postgresql://user@host:port/database"));
    return location;
}

// A tester name goes into every output line and the archive: plain words only.
bool plainName(const QString &name) {
    if (name.isEmpty())
        return false;
    for (const QChar c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') &&
            c != QLatin1Char('.'))
            return false;
    return true;
}

std::optional<double> seconds(const QString &text, double most) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > most)
        return std::nullopt;
    return value;
}

// One key of the file with the line it came from.
struct Setting {
    QString value;
    int line = 0;
};

struct Section {
    QString name;
    int line = 0;
    QHash<QString, Setting> keys;
};

class ConfigParser {
public:
    ConfigParser(QString path, QDir folder)
        : m_path(std::move(path)), m_folder(std::move(folder)) {}

    std::optional<CollectConfig> parse(const QByteArray &bytes, QString &error);

private:
    bool fail(int line, const QString &why) {
        m_error = line > 0 ? QStringLiteral("%1 line %2: %3").arg(m_path).arg(line).arg(why)
                           : QStringLiteral("%1: %2").arg(m_path, why);
        return false;
    }
    bool readLines(const QString &text);
    bool readLine(const QString &line, int number);
    bool readGlobals(CollectConfig &config);
    std::optional<TesterEntry> readTester(const Section &section, int deadlineMs);
    // The section's deadline= in milliseconds, `otherwise` without one;
    // nothing (and the error set) when it is no number of seconds.
    std::optional<int> readDeadline(const Section &section, int otherwise);
    // The section's plan keys; nothing (and the error set) when one is unusable.
    std::optional<PlanSettings> readPlan(const Section &section);

    QString m_path;
    QDir m_folder;
    QString m_error;
    Section m_globals;
    PlanSettings m_globalPlan;
    QList<Section> m_testers;
    QStringList m_witnesses;
    Section *m_current = &m_globals;
};

bool ConfigParser::readLines(const QString &text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!readLine(line.trimmed(), i + 1))
            return false;
    }
    return true;
}

bool ConfigParser::readLine(const QString &line, int number) {
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
        return true;
    if (line.startsWith(QLatin1Char('['))) {
        if (!line.endsWith(QLatin1Char(']')))
            return fail(number, QStringLiteral("a tester group is written [name]"));
        const QString name = line.mid(1, line.size() - 2).trimmed();
        if (!plainName(name))
            return fail(number, QStringLiteral("the tester name \"%1\" may hold letters, digits, "
                                               "\"-\", \"_\" and \".\" only")
                                    .arg(name));
        if (name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
            return fail(number, QStringLiteral("[%1] is no tester name: keys for the whole "
                                               "collection go before the first [name]")
                                    .arg(name));
        for (const Section &other : std::as_const(m_testers))
            if (other.name == name)
                return fail(number, QStringLiteral("the tester \"%1\" is named again (first at "
                                                   "line %2)")
                                        .arg(name)
                                        .arg(other.line));
        m_testers.append(Section{name, number, {}});
        m_current = &m_testers.last();
        return true;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return fail(number, QStringLiteral("expected [name], key=value or a comment"));
    const QString key = line.left(equals).trimmed();
    QString value = line.mid(equals + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    static const QStringList globalKeys = {
        QStringLiteral("archive"),        QStringLiteral("lock-wait"), QStringLiteral("deadline"),
        QStringLiteral("checkpoint-key"), QStringLiteral("witness"),   QStringLiteral("tls-cert"),
        QStringLiteral("tls-key"),        QStringLiteral("web-users")};
    static const QStringList testerKeys = {
        QStringLiteral("address"), QStringLiteral("port"),     QStringLiteral("password-file"),
        QStringLiteral("id"),      QStringLiteral("deadline"), QStringLiteral("configuration")};
    const bool global = m_current == &m_globals;
    const QStringList known = (global ? globalKeys : testerKeys) + planKeys();
    if (!known.contains(key))
        return fail(number, QStringLiteral("unknown key \"%1\" %2 (known: %3)")
                                .arg(key,
                                     global ? QStringLiteral("before the first tester")
                                            : QStringLiteral("in [%1]").arg(m_current->name),
                                     known.join(QStringLiteral(", "))));
    // Every witness= is one more folder.
    if (global && key == QLatin1String("witness")) {
        if (value.isEmpty())
            return fail(number, QStringLiteral("witness needs a folder"));
        m_witnesses.append(QDir::cleanPath(m_folder.absoluteFilePath(value)));
        return true;
    }
    if (const auto earlier = m_current->keys.constFind(key); earlier != m_current->keys.cend())
        return fail(
            number,
            QStringLiteral("\"%1\" is set again (first at line %2)").arg(key).arg(earlier->line));
    m_current->keys.insert(key, Setting{value, number});
    return true;
}

bool ConfigParser::readGlobals(CollectConfig &config) {
    const Setting archiveSetting = m_globals.keys.value(QStringLiteral("archive"));
    // Written but empty is a mistake, not a wish for the default.
    if (archiveSetting.line > 0 && archiveSetting.value.isEmpty())
        return fail(archiveSetting.line,
                    QStringLiteral("archive= is empty: give a file or a postgresql:// URL, or "
                                   "leave the line out for %1")
                        .arg(QString::fromLatin1(kDefaultArchiveName)));
    QString error;
    const std::optional<ArchiveLocation> archive =
        parseArchiveLocation(archiveSetting.value, m_folder.path(), &error);
    if (!archive)
        return fail(archiveSetting.line, error);
    config.archive = *archive;
    if (const auto key = m_globals.keys.constFind(QStringLiteral("checkpoint-key"));
        key != m_globals.keys.cend()) {
        if (key->value.isEmpty())
            return fail(key->line, QStringLiteral("checkpoint-key needs a file"));
        config.checkpointKey = QDir::cleanPath(m_folder.absoluteFilePath(key->value));
    }
    config.witnesses = m_witnesses;
    for (const auto &[key, target] : {std::pair{QStringLiteral("tls-cert"), &config.tlsCert},
                                      std::pair{QStringLiteral("tls-key"), &config.tlsKey},
                                      std::pair{QStringLiteral("web-users"), &config.webUsers}}) {
        const auto setting = m_globals.keys.constFind(key);
        if (setting == m_globals.keys.cend())
            continue;
        if (setting->value.isEmpty())
            return fail(setting->line, QStringLiteral("%1 needs a file").arg(key));
        *target = QDir::cleanPath(m_folder.absoluteFilePath(setting->value));
    }
    if (const auto lockWait = m_globals.keys.constFind(QStringLiteral("lock-wait"));
        lockWait != m_globals.keys.cend()) {
        const std::optional<double> value = seconds(lockWait->value, kMaxLockWaitSeconds);
        if (!value)
            return fail(lockWait->line, QStringLiteral("lock-wait must be seconds from 0 to 3600"));
        config.lockWaitMs = static_cast<int>(*value * 1000);
    }
    const std::optional<PlanSettings> plan = readPlan(m_globals);
    if (!plan)
        return false;
    m_globalPlan = *plan;
    return true;
}

std::optional<PlanSettings> ConfigParser::readPlan(const Section &section) {
    PlanSettings plan;
    for (const QString &key : planKeys()) {
        const auto setting = section.keys.constFind(key);
        if (setting == section.keys.cend())
            continue;
        if (const QString why = readPlanKey(key, setting->value, plan); !why.isEmpty()) {
            fail(setting->line, why);
            return std::nullopt;
        }
    }
    return plan;
}

std::optional<int> ConfigParser::readDeadline(const Section &section, int otherwise) {
    const auto deadline = section.keys.constFind(QStringLiteral("deadline"));
    if (deadline == section.keys.cend())
        return otherwise;
    const std::optional<double> value = seconds(deadline->value, kMaxDeadlineSeconds);
    if (!value || *value <= 0) {
        fail(deadline->line, QStringLiteral("deadline must be seconds from 1 to 86400"));
        return std::nullopt;
    }
    return static_cast<int>(*value * 1000);
}

std::optional<TesterEntry> ConfigParser::readTester(const Section &section, int deadlineMs) {
    TesterEntry entry;
    entry.name = section.name;
    entry.line = section.line;
    entry.deadlineMs = deadlineMs;
    const auto address = section.keys.constFind(QStringLiteral("address"));
    if (address == section.keys.cend() || address->value.isEmpty()) {
        fail(section.line, QStringLiteral("the tester \"%1\" has no address=").arg(section.name));
        return std::nullopt;
    }
    entry.addressText = address->value;
    entry.address = parseDottedAddress(entry.addressText);
    // The manager's own check: only the dotted form it would write back passes.
    if (formatAddress(entry.address) != entry.addressText) {
        fail(address->line,
             QStringLiteral("address \"%1\" is not a dotted IPv4 address").arg(entry.addressText));
        return std::nullopt;
    }

    entry.port = link::testerPort();
    if (const auto port = section.keys.constFind(QStringLiteral("port"));
        port != section.keys.cend()) {
        bool ok = false;
        const uint value = port->value.toUInt(&ok, 10);
        if (!ok || value == 0 || value > 65535) {
            fail(port->line,
                 QStringLiteral("port \"%1\" is not a number from 1 to 65535").arg(port->value));
            return std::nullopt;
        }
        entry.port = static_cast<quint16>(value);
    }
    if (const std::optional<int> deadline = readDeadline(section, deadlineMs))
        entry.deadlineMs = *deadline;
    else
        return std::nullopt;

    if (const auto configuration = section.keys.constFind(QStringLiteral("configuration"));
        configuration != section.keys.cend()) {
        if (configuration->value != QLatin1String("yes") &&
            configuration->value != QLatin1String("no")) {
            fail(configuration->line, QStringLiteral("configuration must be yes or no"));
            return std::nullopt;
        }
        entry.collectConfiguration = configuration->value == QLatin1String("yes");
    }

    const std::optional<PlanSettings> plan = readPlan(section);
    if (!plan)
        return std::nullopt;
    entry.plan = testerPlan(m_globalPlan, *plan);

    const QString passwordFile = section.keys.value(QStringLiteral("password-file")).value;
    if (passwordFile.isEmpty() && entry.problem.isEmpty())
        entry.problem = QStringLiteral("no password-file");
    else if (!passwordFile.isEmpty())
        entry.passwordFile = QDir::cleanPath(m_folder.absoluteFilePath(passwordFile));

    if (const auto id = section.keys.constFind(QStringLiteral("id")); id != section.keys.cend()) {
        if (!plainName(id->value)) {
            fail(id->line, QStringLiteral("the id \"%1\" may hold letters, digits, \"-\", \"_\" "
                                          "and \".\" only")
                               .arg(id->value));
            return std::nullopt;
        }
        entry.explicitId = id->value;
        entry.key = QStringLiteral("id:") + id->value;
    } else {
        entry.key = QStringLiteral("%1:%2").arg(entry.addressText).arg(entry.port);
    }
    return entry;
}

std::optional<CollectConfig> ConfigParser::parse(const QByteArray &bytes, QString &error) {
    CollectConfig config;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    bool ok = !decoder.hasError() && !bytes.contains('\0');
    if (!ok)
        fail(0, QStringLiteral("is not a text file (UTF-8 without NUL bytes)"));
    ok = ok && readLines(text) && readGlobals(config);
    if (ok && m_testers.isEmpty())
        ok = fail(0, QStringLiteral("names no tester: add a [name] group with address= and "
                                    "password-file="));
    const std::optional<int> globalDeadline =
        ok ? readDeadline(m_globals, kDefaultDeadlineMs) : std::nullopt;
    ok = ok && globalDeadline;
    const int deadlineMs = globalDeadline.value_or(kDefaultDeadlineMs);
    QHash<QString, const TesterEntry *> byKey;
    for (qsizetype i = 0; ok && i < m_testers.size(); ++i) {
        std::optional<TesterEntry> entry = readTester(m_testers[i], deadlineMs);
        if (!entry) {
            ok = false;
            break;
        }
        config.planGiven = config.planGiven || entry->plan.wristStrap || entry->plan.footwear;
        config.testers.append(std::move(*entry));
    }
    // Two groups for one tester would collect it twice under two names.
    for (qsizetype i = 0; ok && i < config.testers.size(); ++i) {
        const TesterEntry &tester = config.testers[i];
        if (const TesterEntry *other = byKey.value(tester.key)) {
            ok = fail(tester.line,
                      tester.explicitId.isEmpty()
                          ? QStringLiteral("the tester \"%1\" has the address and port of \"%2\" "
                                           "(line %3); one tester needs one group")
                                .arg(tester.name, other->name)
                                .arg(other->line)
                          : QStringLiteral("the tester \"%1\" has the id of \"%2\" (line %3)")
                                .arg(tester.name, other->name)
                                .arg(other->line));
        }
        byKey.insert(tester.key, &tester);
    }
    if (!ok) {
        error = m_error;
        return std::nullopt;
    }
    return config;
}

} // namespace

QString ArchiveLocation::displayName() const {
    return kind == Kind::Sqlite ? path : written;
}

std::optional<ArchiveLocation> parseArchiveLocation(const QString &text, const QString &folder,
                                                    QString *error) {
    if (text.startsWith(QLatin1String("postgresql://")) ||
        text.startsWith(QLatin1String("postgres://")))
        return parsePostgresUrl(text, error);
    ArchiveLocation location;
    const QString path = text.isEmpty() ? QString::fromLatin1(kDefaultArchiveName) : text;
    location.path = QDir::cleanPath(QDir(folder).absoluteFilePath(path));
    return location;
}

ConfigRead readCollectConfig(const QString &path) {
    ConfigRead result;
    const QFileInfo info(path);
    QFile file(info.absoluteFilePath());
    if (!info.exists() || !info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read the configuration %1").arg(path);
        return result;
    }
    if (file.size() > kMaxConfigBytes) {
        result.error = QStringLiteral("%1: is too large for a configuration").arg(path);
        return result;
    }
    const QByteArray bytes = file.read(kMaxConfigBytes + 1);
    ConfigParser parser(path, info.absoluteDir());
    result.config = parser.parse(bytes, result.error);
    return result;
}

} // namespace nxa::collect

#include "collect/CollectCommandLine.h"

#include "collect/CollectCalibration.h"
#include "collect/CollectCheck.h"
#include "collect/CollectCheckpoint.h"
#include "collect/CollectConfig.h"
#include "collect/CollectDownload.h"
#include "collect/CollectExport.h"
#include "collect/CollectReport.h"
#include "collect/CollectRoster.h"
#include "collect/CollectServe.h"
#include "collect/CollectStatus.h"
#include "collect/CollectVerify.h"

#include <QDateTime>
#include <QDir>

namespace nxa::collect {

namespace {

// Each job holds a whole image and its decoded rows (about 11 MB) and one
// archive connection; more than this many only wait for the archive.
constexpr int kMaxJobs = 32;

struct Parsed {
    QString config = QString::fromLatin1(kDefaultConfigName);
    QString command;
    QStringList rest;
    QString error;
};

// Takes --config and --jobs (anywhere) and the command word; the rest
// belongs to the command.
Parsed parse(const QStringList &arguments) {
    Parsed parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--config") || a == QLatin1String("--jobs")) {
            if (i + 1 >= arguments.size()) {
                parsed.error = QStringLiteral("%1 needs a value").arg(a);
                return parsed;
            }
            if (a == QLatin1String("--config"))
                parsed.config = arguments[++i];
            else
                parsed.rest << a << arguments[++i];
        } else if (a.startsWith(QLatin1String("--config="))) {
            parsed.config = a.mid(9);
        } else if (a.startsWith(QLatin1String("--jobs="))) {
            parsed.rest << QStringLiteral("--jobs") << a.mid(7);
        } else if (parsed.command.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            parsed.command = a;
        } else {
            parsed.rest.append(a);
        }
    }
    return parsed;
}

// The value after an option, or an error.
bool takeValue(const QStringList &args, qsizetype &i, QString &value, QString &error) {
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(args[i]);
        return false;
    }
    value = args[++i];
    return true;
}

std::optional<QDate> parseDate(const QString &text, QString &error) {
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        error = QStringLiteral("\"%1\" is not a date (yyyy-mm-dd)").arg(text);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

int download(const CollectConfig &config, const QStringList &args, QTextStream &out,
             QTextStream &err) {
    DownloadRequest request;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString value;
        QString error;
        if (args[i] == QLatin1String("--jobs")) {
            bool ok = takeValue(args, i, value, error);
            const int jobs = ok ? value.toInt(&ok) : 0;
            if (!ok || jobs < 1 || jobs > kMaxJobs) {
                err << "nxa-collect: --jobs needs a number from 1 to " << kMaxJobs
                    << " (each job holds about 11 MB)" << Qt::endl;
                return kExitUsage;
            }
            request.jobs = jobs;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            err << "nxa-collect: unknown option " << args[i] << Qt::endl;
            return kExitUsage;
        } else {
            request.names.append(args[i]);
        }
    }
    request.upgradeProgress = [&err](int percent) {
        err << "upgrading the archive: " << percent << " %" << Qt::endl;
    };
    int ok = 0;
    int failed = 0;
    qint64 added = 0;
    int gaps = 0;
    const DownloadRun run = runDownloads(
        config, request,
        [&](int testers) {
            out << "# " << now() << "  download of " << testers << " tester"
                << (testers == 1 ? "" : "s") << " into " << config.archive.displayName()
                << Qt::endl;
        },
        [&](const TesterResult &result) {
            out << resultLine(result) << Qt::endl;
            (result.code == ResultCode::Ok ? ok : failed) += 1;
            added += result.added;
            gaps += result.gap ? 1 : 0;
        });
    switch (run.outcome) {
    case DownloadRun::Outcome::UnknownTester:
        err << "nxa-collect: " << run.error << Qt::endl;
        return kExitUsage;
    case DownloadRun::Outcome::Busy:
        err << "nxa-collect: " << run.error << Qt::endl;
        return kExitBusy;
    case DownloadRun::Outcome::Foreign:
        err << "nxa-collect: " << run.error << Qt::endl;
        return kExitUsage;
    case DownloadRun::Outcome::Unusable:
        err << "nxa-collect: " << run.error << Qt::endl;
        return kExitFailed;
    case DownloadRun::Outcome::Ran:
        break;
    }
    // Only what committed is signed: every worker is done.
    const CheckpointRun checkpoint = checkpointAfterDownload(config);
    for (const QString &line : checkpoint.lines)
        out << "# " << line << Qt::endl;
    if (!checkpoint.error.isEmpty())
        err << "nxa-collect: checkpoint: " << checkpoint.error << Qt::endl;
    out << "# " << now() << "  " << ok << " OK, " << failed << " failed; " << added
        << " records added; " << gaps << (gaps == 1 ? " gap" : " gaps") << Qt::endl;
    return failed == 0 && checkpoint.error.isEmpty() ? kExitOk : kExitFailed;
}

int exportRecords(const CollectConfig &config, const QStringList &args, QTextStream &out,
                  QTextStream &err) {
    ExportRequest request;
    QString format;
    QString error;
    for (qsizetype i = 0; i < args.size() && error.isEmpty(); ++i) {
        QString value;
        const QString &a = args[i];
        if (a == QLatin1String("--tester")) {
            if (takeValue(args, i, value, error))
                request.testers.append(value);
        } else if (a == QLatin1String("--from")) {
            if (takeValue(args, i, value, error))
                request.from = parseDate(value, error);
        } else if (a == QLatin1String("--to")) {
            if (takeValue(args, i, value, error))
                request.to = parseDate(value, error);
        } else if (a == QLatin1String("--failed")) {
            request.failedOnly = true;
        } else if (format.isEmpty() &&
                   (a == QLatin1String("/TXT") || a == QLatin1String("/XLSX"))) {
            format = a;
        } else if (!format.isEmpty() && request.path.isEmpty() && !a.isEmpty()) {
            request.path = a;
        } else {
            error = QStringLiteral("unexpected \"%1\"").arg(a);
        }
    }
    if (error.isEmpty() && (format.isEmpty() || request.path.isEmpty()))
        error = QStringLiteral("export needs /TXT or /XLSX and a file");
    if (error.isEmpty() && request.from && request.to && *request.from > *request.to)
        error = QStringLiteral("--from is after --to");
    if (!error.isEmpty()) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitUsage;
    }
    request.text = format == QLatin1String("/TXT");
    const ExportOutcome outcome = runExport(config, request);
    if (!outcome.ok) {
        err << "nxa-collect: " << outcome.message << Qt::endl;
        return kExitFailed;
    }
    out << outcome.message << Qt::endl;
    return kExitOk;
}

int status(const CollectConfig &config, const QStringList &args, QTextStream &out,
           QTextStream &err) {
    if (!args.isEmpty()) {
        err << "nxa-collect: status takes no arguments" << Qt::endl;
        return kExitUsage;
    }
    const StatusRead read = readStatus(config, QDate::currentDate());
    if (!read.error.isEmpty()) {
        err << "nxa-collect: " << read.error << Qt::endl;
        return kExitFailed;
    }
    for (const QString &warning : read.warnings)
        out << warning << Qt::endl;
    for (const TesterStatus &tester : read.testers)
        for (const QString &line : statusLines(tester, QDateTime::currentDateTime()))
            out << line << Qt::endl;
    if (!config.planGiven)
        out << kNoPlanLine << Qt::endl;
    out << logStatusLine(config) << Qt::endl;
    return kExitOk;
}

int check(const CollectConfig &config, const QStringList &args, QTextStream &out,
          QTextStream &err) {
    CheckRequest request;
    request.day = QDate::currentDate().addDays(-1);
    QString error;
    for (qsizetype i = 0; i < args.size() && error.isEmpty(); ++i) {
        QString value;
        if (args[i] == QLatin1String("--day")) {
            if (takeValue(args, i, value, error))
                if (const std::optional<QDate> day = parseDate(value, error))
                    request.day = *day;
        } else if (args[i] == QLatin1String("--tester")) {
            if (takeValue(args, i, value, error))
                request.testers.append(value);
        } else if (args[i] == QLatin1String("--all")) {
            request.all = true;
        } else {
            error = QStringLiteral("unexpected \"%1\"").arg(args[i]);
        }
    }
    if (!error.isEmpty()) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitUsage;
    }
    const CheckOutcome outcome = runCheck(config, request);
    if (!outcome.error.isEmpty()) {
        err << "nxa-collect: " << outcome.error << Qt::endl;
        return outcome.unknownTester ? kExitUsage : kExitFailed;
    }
    out << "# " << now() << "  check of " << request.day.toString(QStringLiteral("yyyy-MM-dd"))
        << " in " << config.archive.displayName() << Qt::endl;
    for (const QString &line : outcome.lines)
        out << line << Qt::endl;
    out << "# " << (outcome.attention ? "something to act on" : "nothing to act on") << Qt::endl;
    return outcome.attention ? kExitAttention : kExitOk;
}

int report(const CollectConfig &config, const QStringList &args, QTextStream &out,
           QTextStream &err) {
    ReportRequest request;
    std::optional<QDate> from;
    std::optional<QDate> to;
    QString error;
    int outputs = 0;
    for (qsizetype i = 0; i < args.size() && error.isEmpty(); ++i) {
        QString value;
        const QString &a = args[i];
        if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            if (takeValue(args, i, value, error))
                (a == QLatin1String("--from") ? from : to) = parseDate(value, error);
        } else if (a == QLatin1String("--tester")) {
            if (takeValue(args, i, value, error))
                request.testers.append(value);
        } else if (a == QLatin1String("--person")) {
            if (takeValue(args, i, value, error))
                request.persons.append(value);
        } else if (a == QLatin1String("--html") || a == QLatin1String("--pdf")) {
            if (takeValue(args, i, value, error)) {
                request.path = value;
                request.pdf = a == QLatin1String("--pdf");
                ++outputs;
            }
        } else {
            error = QStringLiteral("unexpected \"%1\"").arg(a);
        }
    }
    if (error.isEmpty() && outputs != 1)
        error = QStringLiteral("report needs one of --html FILE or --pdf FILE");
    // Whole days: the last 30 up to yesterday, or 30 up to the end given.
    request.to = to.value_or(QDate::currentDate().addDays(-1));
    request.from = from.value_or(request.to.addDays(-29));
    if (error.isEmpty() && request.from > request.to)
        error = QStringLiteral("--from is after --to");
    if (!error.isEmpty()) {
        err << "nxa-collect: " << error << Qt::endl;
        return kExitUsage;
    }
    const ReportOutcome outcome = runReport(config, request);
    if (!outcome.ok) {
        err << "nxa-collect: " << outcome.message << Qt::endl;
        return outcome.usage ? kExitUsage : kExitFailed;
    }
    out << outcome.message << Qt::endl;
    return kExitOk;
}

} // namespace

QString commandWord(const QStringList &arguments) {
    return parse(arguments).command;
}

QString usageText() {
    return QStringLiteral(
        "Usage: nxa-collect [--config FILE] COMMAND\n"
        "\n"
        "Collects the dataloggers of Brontel NXA testers into one archive.\n"
        "\n"
        "Commands:\n"
        "  download [--jobs N] [NAME...]   download every tester (or the named ones),\n"
        "                                  N at a time (1 to 32, default 8)\n"
        "  export [--tester NAME]... [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--failed]\n"
        "         /TXT|/XLSX FILE          write archived records, newest first\n"
        "  status                          last attempt, last success, records and\n"
        "                                  failed accesses per tester\n"
        "  check [--day YYYY-MM-DD] [--tester NAME]... [--all]\n"
        "                                  the day's exceptions, drift toward limits,\n"
        "                                  fail rates and silent testers (default:\n"
        "                                  yesterday); --all: every line of a long\n"
        "                                  section\n"
        "  report [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--tester NAME]...\n"
        "         [--person [TESTER:]NUMBER]... --html FILE | --pdf FILE\n"
        "                                  the audit report of a period (default:\n"
        "                                  the 30 days up to yesterday)\n"
        "  roster import FILE [--dry-run]  make a CSV or XLSX list of persons (person,\n"
        "                                  name, tester, user) the roster in force\n"
        "  roster show                     the roster in force\n"
        "  calibration NAME --on YYYY-MM-DD --by TEXT [--certificate TEXT] [--failed]\n"
        "              [--note TEXT]       record a calibration of tester NAME\n"
        "  keygen FILE                     a key pair to sign checkpoints: FILE (private)\n"
        "                                  and FILE.pub\n"
        "  verify [--key FILE.pub] [--witness FOLDER | --checkpoint FILE]...\n"
        "                                  rebuild the archive's log and hold it against\n"
        "                                  every checkpoint\n"
        "  prove --tester NAME --record \"YYYY-MM-DD hh:mm:ss\" --user N [--output FILE]\n"
        "                                  the proof that one access is in the log\n"
        "  verify-proof FILE --key FILE.pub\n"
        "                                  check such a proof, no archive needed\n"
        "  serve [--listen ADDRESS:PORT]   a read-only web view of the archive (default\n"
        "                                  127.0.0.1:8080); any other than a loopback\n"
        "                                  address needs tls-cert=, tls-key= and\n"
        "                                  web-users= in the configuration\n"
        "  web-user add NAME               add a user of the web view to the web-users=\n"
        "                                  file, or give one a new password (read from\n"
        "                                  the terminal, or standard input)"
        "\n"
        "--config FILE   the configuration (default nxa-collect.ini in the working folder)\n"
        "\n"
        "Exit status: 0 success, 1 a tester, the archive or the export failed,\n"
        "2 unusable command line or configuration, 3 another download is running\n"
        "on the same archive (nothing was done), 4 check found something to act on,\n"
        "5 verify or verify-proof: the archive or proof does not match its checkpoints.\n");
}

int runCollect(const QStringList &arguments, QTextStream &out, QTextStream &err) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        out << usageText();
        return kExitOk;
    }
    const Parsed parsed = parse(arguments);
    if (!parsed.error.isEmpty() || parsed.command.isEmpty()) {
        err << "nxa-collect: "
            << (parsed.error.isEmpty() ? QStringLiteral("no command") : parsed.error) << "\n\n"
            << usageText();
        return kExitUsage;
    }
    // Neither needs a configuration: an auditor has none.
    if (parsed.command == QLatin1String("keygen"))
        return keygenCommand(parsed.rest, out, err);
    if (parsed.command == QLatin1String("verify-proof"))
        return verifyProofCommand(parsed.rest, out, err);
    using Command =
        int (*)(const CollectConfig &, const QStringList &, QTextStream &, QTextStream &);
    Command command = nullptr;
    if (parsed.command == QLatin1String("download"))
        command = download;
    else if (parsed.command == QLatin1String("export"))
        command = exportRecords;
    else if (parsed.command == QLatin1String("status"))
        command = status;
    else if (parsed.command == QLatin1String("check"))
        command = check;
    else if (parsed.command == QLatin1String("report"))
        command = report;
    else if (parsed.command == QLatin1String("roster"))
        command = rosterCommand;
    else if (parsed.command == QLatin1String("calibration"))
        command = calibrationCommand;
    else if (parsed.command == QLatin1String("verify"))
        command = verifyCommand;
    else if (parsed.command == QLatin1String("prove"))
        command = proveCommand;
    else if (parsed.command == QLatin1String("serve"))
        command = serveCommand;
    else if (parsed.command == QLatin1String("web-user"))
        command = webUserCommand;
    if (!command) {
        err << "nxa-collect: unknown command \"" << parsed.command << "\"\n\n" << usageText();
        return kExitUsage;
    }
    const ConfigRead config = readCollectConfig(parsed.config);
    if (!config.config) {
        err << "nxa-collect: " << config.error << Qt::endl;
        return kExitUsage;
    }
    return command(*config.config, parsed.rest, out, err);
}

} // namespace nxa::collect

#include "collect/CollectCalibration.h"

#include "analysis/CalibrationDue.h"
#include "audit/AnalysisTexts.h"
#include "collect/Archive.h"
#include "collect/Calibrations.h"
#include "collect/CollectCommandLine.h"
#include "common/VisibleText.h"

#include <QDateTime>

#include <algorithm>

namespace nxa::collect {

namespace {

struct Request {
    QString name;
    std::optional<QDate> on;
    analysis::Calibration calibration;
    QString error;
};

Request parseRequest(const QStringList &args) {
    Request r;
    QStringList given;
    for (qsizetype i = 0; i < args.size() && r.error.isEmpty(); ++i) {
        const QString &a = args[i];
        const bool takesValue = a == QLatin1String("--on") || a == QLatin1String("--by") ||
                                a == QLatin1String("--certificate") || a == QLatin1String("--note");
        if (takesValue || a == QLatin1String("--failed")) {
            if (given.contains(a)) {
                r.error = QStringLiteral("%1 given twice").arg(a);
                break;
            }
            given.append(a);
        }
        if (takesValue && i + 1 >= args.size()) {
            r.error = QStringLiteral("%1 needs a value").arg(a);
        } else if (a == QLatin1String("--on")) {
            const QString text = args[++i];
            const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
            if (!date.isValid())
                r.error = QStringLiteral("\"%1\" is not a date (yyyy-mm-dd)").arg(text);
            r.on = date;
        } else if (a == QLatin1String("--by")) {
            r.calibration.by = args[++i].trimmed();
        } else if (a == QLatin1String("--certificate")) {
            r.calibration.certificate = args[++i].trimmed();
        } else if (a == QLatin1String("--note")) {
            r.calibration.note = args[++i].trimmed();
        } else if (a == QLatin1String("--failed")) {
            r.calibration.failed = true;
        } else if (r.name.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            r.name = a;
        } else {
            r.error = QStringLiteral("unexpected \"%1\"").arg(a);
        }
    }
    if (r.error.isEmpty() && (r.name.isEmpty() || !r.on || r.calibration.by.isEmpty()))
        r.error = QStringLiteral("calibration needs a tester NAME, --on YYYY-MM-DD and --by TEXT");
    // Recorded today, so a calibration cannot have happened later than now.
    if (r.error.isEmpty() && *r.on > QDate::currentDate())
        r.error = QStringLiteral("--on %1 is in the future").arg(r.on->toString(Qt::ISODate));
    return r;
}

} // namespace

int calibrationCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                       QTextStream &err) {
    Request request = parseRequest(args);
    const auto tester = std::find_if(config.testers.begin(), config.testers.end(),
                                     [&](const TesterEntry &t) { return t.name == request.name; });
    if (request.error.isEmpty() && tester == config.testers.end())
        request.error =
            QStringLiteral("no tester named \"%1\" in the configuration").arg(request.name);
    if (!request.error.isEmpty()) {
        err << "nxa-collect: " << visibleText(request.error) << Qt::endl;
        return kExitUsage;
    }
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Prepare);
    if (!opened.archive) {
        err << "nxa-collect: " << opened.error << Qt::endl;
        return kExitFailed;
    }
    analysis::Calibration &c = request.calibration;
    c.day = static_cast<std::int32_t>(request.on->toJulianDay());
    c.recordedMs = QDateTime::currentMSecsSinceEpoch();
    if (const QString error = addCalibration(*opened.archive, tester->key, c); !error.isEmpty()) {
        err << "nxa-collect: cannot store the calibration: " << error << Qt::endl;
        return kExitFailed;
    }
    out << "# calibration of " << tester->name << " on " << audit::dayText(c.day) << " by "
        << visibleText(c.by) << (c.failed ? ", out of tolerance," : "") << " recorded";
    if (c.failed)
        out << "; the tester is due again";
    else if (tester->plan.calibrationEveryDays)
        out << "; next due " << audit::dayText(c.day + *tester->plan.calibrationEveryDays);
    else
        out << "; no calibration-every= for it, so no due date";
    out << Qt::endl;
    return kExitOk;
}

} // namespace nxa::collect

#include "collect/PlanCheck.h"

#include "analysis/CalibrationDue.h"
#include "analysis/ConfigurationChanges.h"
#include "analysis/PlanComparison.h"
#include "audit/AnalysisTexts.h"
#include "audit/PlanTexts.h"

#include <QDateTime>

namespace nxa::collect {

namespace {

QString testerName(const analysis::Plant &plant, int tester) {
    return plant.testers[static_cast<size_t>(tester)].name;
}

} // namespace

QStringList looserProfileLines(const analysis::Plant &plant, int day) {
    QStringList lines;
    for (const analysis::LooserProfile &p : analysis::looserThanPlan(plant, day)) {
        QStringList reasons;
        for (const analysis::Looseness &l : p.reasons)
            reasons.append(audit::loosenessText(l, p.mode, p.check));
        const QString users =
            p.profile == config::kVisitorsProfile
                ? QString()
                : QStringLiteral(" (%1 active %2)")
                      .arg(p.activeUsers)
                      .arg(p.activeUsers == 1 ? QStringLiteral("user") : QStringLiteral("users"));
        lines.append(QStringLiteral("%1  %2%3: %4")
                         .arg(testerName(plant, p.tester), audit::profileText(p.profile), users,
                              reasons.join(QStringLiteral("; "))));
    }
    return lines;
}

QStringList configurationChangeLines(const analysis::Plant &plant, int day) {
    QStringList lines;
    for (const analysis::ConfigurationChange &change :
         analysis::configurationChanges(plant, day, day)) {
        const QString seen =
            QDateTime::fromMSecsSinceEpoch(change.takenMs).toString(QStringLiteral("hh:mm"));
        for (const audit::ChangeText &text : audit::changeTexts(change))
            lines.append(text.before.isEmpty() ? QStringLiteral("%1  seen %2  %3: %4")
                                                     .arg(testerName(plant, change.tester), seen,
                                                          text.what, text.after)
                                               : QStringLiteral("%1  seen %2  %3: %4 -> %5")
                                                     .arg(testerName(plant, change.tester), seen,
                                                          text.what, text.before, text.after));
    }
    return lines;
}

QStringList calibrationDueLines(const analysis::Plant &plant, int day) {
    using State = analysis::CalibrationStanding::State;
    QStringList lines;
    for (size_t t = 0; t < plant.testers.size(); ++t) {
        const analysis::TesterInput &tester = plant.testers[t];
        const analysis::CalibrationStanding s = analysis::calibrationStanding(tester, day);
        if (!s.due())
            continue;
        QString why;
        if (s.state == State::Never)
            why = QStringLiteral("no calibration recorded (one every %1 days)")
                      .arg(*tester.calibrationEveryDays);
        else if (s.state == State::Failed)
            why = QStringLiteral("the last calibration found it out of tolerance: %1")
                      .arg(audit::calibrationText(*s.last));
        else
            why = QStringLiteral("due since %1, %2 days ago; the last: %3")
                      .arg(audit::dayText(*s.dueDay))
                      .arg(day - *s.dueDay)
                      .arg(audit::calibrationText(*s.last));
        lines.append(QStringLiteral("%1  %2").arg(tester.name, why));
    }
    return lines;
}

QStringList calibrationSoonLines(const analysis::Plant &plant, int day) {
    QStringList lines;
    for (const analysis::TesterInput &tester : plant.testers) {
        const analysis::CalibrationStanding s = analysis::calibrationStanding(tester, day);
        if (s.state != analysis::CalibrationStanding::State::DueSoon)
            continue;
        lines.append(QStringLiteral("%1  due %2, in %3 days; the last: %4")
                         .arg(tester.name, audit::dayText(*s.dueDay))
                         .arg(*s.dueDay - day)
                         .arg(audit::calibrationText(*s.last)));
    }
    return lines;
}

} // namespace nxa::collect

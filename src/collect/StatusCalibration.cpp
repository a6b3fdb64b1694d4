#include "collect/StatusCalibration.h"

#include "analysis/CalibrationDue.h"
#include "audit/AnalysisTexts.h"
#include "audit/PlanTexts.h"

namespace nxa::collect {

QString calibrationStatusLine(const std::vector<analysis::Calibration> &calibrations,
                              std::optional<int> everyDays, const QDate &today) {
    using State = analysis::CalibrationStanding::State;
    analysis::TesterInput tester;
    tester.calibrations = calibrations;
    tester.calibrationEveryDays = everyDays;
    const int day = static_cast<int>(today.toJulianDay());
    const analysis::CalibrationStanding s = analysis::calibrationStanding(tester, day);
    const QString last = s.last ? audit::calibrationText(*s.last) : QStringLiteral("never");
    QString next;
    switch (s.state) {
    case State::NotTracked:
        next = QStringLiteral("no interval (calibration-every=)");
        break;
    case State::Never:
    case State::Failed:
        next = QStringLiteral("due now");
        break;
    case State::Overdue:
        next = QStringLiteral("was due %1, overdue").arg(audit::dayText(*s.dueDay));
        break;
    case State::Ok:
    case State::DueSoon:
        next = QStringLiteral("next due %1").arg(audit::dayText(*s.dueDay));
        break;
    }
    return QStringLiteral("  last calibration  %1; %2").arg(last, next);
}

} // namespace nxa::collect

#include "analysis/CalibrationDue.h"

namespace nxa::analysis {

CalibrationStanding calibrationStanding(const TesterInput &tester, int day) {
    using State = CalibrationStanding::State;
    CalibrationStanding standing;
    for (const Calibration &c : tester.calibrations)
        if (c.day <= day &&
            (!standing.last || c.day > standing.last->day ||
             (c.day == standing.last->day && c.recordedMs >= standing.last->recordedMs)))
            standing.last = c;
    const std::optional<int> every = tester.calibrationEveryDays;
    if (standing.last && standing.last->failed) {
        standing.state = State::Failed;
        standing.dueDay = day;
        return standing;
    }
    if (!every)
        return standing;
    if (!standing.last) {
        standing.state = State::Never;
        standing.dueDay = day;
        return standing;
    }
    standing.dueDay = standing.last->day + *every;
    if (day > *standing.dueDay)
        standing.state = State::Overdue;
    else if (*standing.dueDay - day <= kCalibrationReviewDays)
        standing.state = State::DueSoon;
    else
        standing.state = State::Ok;
    return standing;
}

} // namespace nxa::analysis

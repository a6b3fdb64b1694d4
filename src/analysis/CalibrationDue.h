#pragma once

#include "analysis/AnalysisInput.h"

#include <optional>

namespace nxa::analysis {

// Testers due this many days ahead are worth a look before they are late.
inline constexpr int kCalibrationReviewDays = 14;

struct CalibrationStanding {
    enum class State {
        NotTracked, // no interval, and the last one did not fail
        Ok,
        DueSoon, // due within kCalibrationReviewDays
        Overdue, // the last one is older than the interval
        Never,   // an interval, and no calibration yet
        Failed,  // the last one found the tester out of tolerance
    };
    State state = State::NotTracked;
    // The newest calibration on or before the day: the latest day, and of
    // one day the last recorded, so a later record corrects an earlier one.
    std::optional<Calibration> last;
    std::optional<int> dueDay; // Julian day the next one is due, with an interval
    // Something to act on: overdue, never calibrated, or failed.
    bool due() const {
        return state == State::Overdue || state == State::Never || state == State::Failed;
    }
};

// Where a tester stands on `day`, from the calibrations made on or before it.
CalibrationStanding calibrationStanding(const TesterInput &tester, int day);

} // namespace nxa::analysis

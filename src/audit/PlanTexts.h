#pragma once

#include "analysis/CalibrationDue.h"
#include "analysis/ConfigurationChanges.h"
#include "analysis/PlanComparison.h"

#include <QString>
#include <QStringList>

// How the plan comparison, the configuration changes and the calibrations
// read in the check's lines and in the report, so both say the same.
namespace nxa::audit {

// "profile 3", "visitors profile".
QString profileText(int profile);
// "WS + Shoes", "WS", "Shoes", as the configuration's choice reads.
QString checkChoiceText(analysis::Check check);
// "12000 kOhm", or "none" for an empty limit.
QString limitText(const std::optional<std::int64_t> &kohm);
// "wrist strap max 50000 kOhm, above the plan's 35000 kOhm".
QString loosenessText(const analysis::Looseness &looseness, analysis::Mode mode,
                      analysis::Check check);
// What one configuration changed, one text per limit or check changed, one
// for the mode, one for the user table's counts; one saying that only other
// settings changed when that is all.
struct ChangeText {
    QString what;   // "profile 2  footwear max", "mode", "user table"
    QString before; // empty for the user table's counts and other settings
    QString after;  // the counts, or what changed
};
std::vector<ChangeText> changeTexts(const analysis::ConfigurationChange &change);
// "2026-11-02 by R. Meter, certificate C-17, out of tolerance, note: ...".
QString calibrationText(const analysis::Calibration &calibration);

} // namespace nxa::audit

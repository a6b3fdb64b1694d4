#pragma once

#include "analysis/AnalysisInput.h"

#include <QString>

namespace nxa::audit {

// A profile's Check choice as the analysis reads it: by its index among
// config::checkChoices(), as the configuration holds it, or by its text, as
// the archive keeps it. A choice that selects no item checks both.
analysis::Check profileCheck(int choice);
analysis::Check profileCheck(const QString &choiceText);

} // namespace nxa::audit

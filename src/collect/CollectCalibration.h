#pragma once

#include "collect/CollectConfig.h"

#include <QStringList>
#include <QTextStream>

namespace nxa::collect {

// "calibration NAME --on YYYY-MM-DD --by TEXT [--certificate TEXT] [--failed]
// [--note TEXT]": records one calibration or verification of a tester. The
// archive only ever gains records; a mistaken one is corrected by a later
// one that says so in its note.
int calibrationCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                       QTextStream &err);

} // namespace nxa::collect

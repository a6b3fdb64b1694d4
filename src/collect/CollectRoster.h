#pragma once

#include "collect/CollectConfig.h"

#include <QStringList>
#include <QTextStream>

namespace nxa::collect {

// "roster import FILE [--dry-run]" and "roster show": the plant's persons and
// where each is enrolled, kept in the archive with their history.
int rosterCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                  QTextStream &err);

} // namespace nxa::collect

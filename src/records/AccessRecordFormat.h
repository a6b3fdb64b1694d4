#pragma once

#include "records/DataloggerTable.h"

#include <QByteArrayView>
#include <QStringList>

#include <optional>

namespace nxa::records {

// The 14 cells of one 16-byte access record (missing bytes read as 0), or no
// row when its user number is above 999. userNames[k] is the name of user k
// (missing entries are empty names). Written by AccessRowBuilder, which
// builds a whole image's rows without this call's list of names.
std::optional<Row> formatAccessRecord(QByteArrayView record, const QStringList &userNames,
                                      char recognitionType, int peripheralNumber);

} // namespace nxa::records

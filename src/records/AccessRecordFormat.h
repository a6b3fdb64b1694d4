#pragma once

#include "records/DataloggerTable.h"

#include <QByteArrayView>
#include <QStringList>

#include <optional>

namespace nxa::records {

// Date and time cells of a DOS time stamp. The fields are shown as stored, so
// a stamp that is no valid date (month 13, 62 seconds) still shows what the
// tester wrote: "%yyyy-%mm-%dd" and "%hh:%ii:%ss".
QString formatRecordDate(quint32 timestamp);
QString formatRecordTime(quint32 timestamp);

// The 14 cells of one 16-byte access record (missing bytes read as 0), or no
// row when its user number is above 999. userNames[k] is the name of user k
// (missing entries are empty names).
std::optional<Row> formatAccessRecord(QByteArrayView record, const QStringList &userNames,
                                      char recognitionType, int peripheralNumber);

// The hidden record cell of an access record: its 16 bytes (missing ones read
// as 0), each in decimal followed by "-".
QString recordCellText(QByteArrayView record);
// The 16 bytes a hidden record cell stands for; empty when the text is not
// such a cell (rows of the text import have none).
QByteArray recordCellBytes(QStringView cell);

} // namespace nxa::records

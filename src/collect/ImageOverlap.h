#pragma once

#include <QByteArrayView>

namespace nxa::collect {

// A tester's datalogger only appends and overwrites its oldest records, so a
// new image starts with the newest records of the one before. Given both as
// 16-byte records back to back, how many leading records of `current` are
// the last records of `previous`: the most that end `previous` and start
// `current` alike, 0 when none do.
int repeatedRecords(QByteArrayView previous, QByteArrayView current);

} // namespace nxa::collect

#pragma once

#include "collect/Archive.h"
#include "collect/CollectConfig.h"

#include <QString>

namespace nxa::collect {

// The archive as the web view reads it: one read-only connection per server
// thread (a Qt SQL connection belongs to the thread that opened it, and each
// has a name of its own), opened on the thread's first request and kept.
// Every request starts with the whole lock-wait budget and, on PostgreSQL,
// a fresh snapshot.
Archive *threadArchive(const CollectConfig &config, QString &error);
// Ends the request's read: on PostgreSQL no snapshot or lock outlives it, so
// an idle server holds back neither a download nor an upgrade.
void endThreadRead(Archive &archive);

// What changes whenever the archive learns something: a download's attempt,
// a calibration, a roster import, a checkpoint. Pages computed for one mark
// hold until it changes.
QString archiveChangeMark(Archive &archive, QString &error);

} // namespace nxa::collect

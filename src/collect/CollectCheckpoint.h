#pragma once

#include "collect/CollectConfig.h"

#include <QString>
#include <QStringList>

namespace nxa::collect {

struct CheckpointRun {
    QStringList lines; // what the run prints about it
    QString error;     // a checkpoint that could not be made or handed to a witness
};

// Ends a download: with a checkpoint-key, signs a checkpoint of the log as
// committed, when it grew since the last one, stores it in the archive and
// writes the newest one to every witness folder, one file per size. Without
// a key nothing happens.
CheckpointRun checkpointAfterDownload(const CollectConfig &config);

// The witness file of a checkpoint of `size` leaves.
QString witnessFileName(quint64 size);

// One line for `status`: how far the log is proven.
QString logStatusLine(const CollectConfig &config);

} // namespace nxa::collect

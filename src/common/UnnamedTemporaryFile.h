#pragma once

#include <QFile>
#include <QString>

namespace nxa {

// Opens `file` for reading and writing on a new file in `folder` that has no
// name: nothing is left behind however the process ends (even by SIGKILL),
// and no name has to fit beside another. Where the file system cannot create
// such a file, a named one is created and its name removed at once. False
// when no file could be created there.
bool openUnnamedTemporaryFile(QFile &file, const QString &folder);

} // namespace nxa

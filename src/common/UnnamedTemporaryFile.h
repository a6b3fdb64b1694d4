#pragma once

#include <QFile>
#include <QString>

#include <sys/types.h>

namespace nxa {

// Opens `file` for reading and writing on a new file in `folder` that has no
// name: nothing is left behind however the process ends (even by SIGKILL),
// and no name has to fit beside another. Where the file system cannot create
// such a file (vfat, CIFS, NFSv3), a named one is created and its name
// removed at once. False when no file could be created there. `mode` is
// given to the file as open(2) does, the umask applied.
bool openUnnamedTemporaryFile(QFile &file, const QString &folder, mode_t mode = 0600);

// Puts the bytes of `file`, opened by openUnnamedTemporaryFile in the folder
// of `target`, in place of `target`, whole or not at all. The file takes a
// short name of its own beside the target only for the moment of the rename
// (where the file system cannot give an unnamed file a name, its bytes are
// copied into the named file first), so the target's name may use every
// byte a name can have. An earlier target keeps nothing but its
// permissions. False, with `target` as it was, when any step fails.
bool replaceWithUnnamedFile(QFile &file, const QString &target);

} // namespace nxa

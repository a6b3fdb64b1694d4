#pragma once

#include <QSaveFile>

namespace nxa {

// Commits a save file only when every byte written to it is in the file.
// A short write (a full disk, a file size limit) can leave the buffered tail
// unwritten without an error being reported, and the rename would then put a
// cut file in place of a good one.
inline bool commitComplete(QSaveFile &file) {
    const qint64 written = file.pos();
    if (!file.flush() || file.size() != written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace nxa

#pragma once

#include "export/PartBuffer.h"

#include <QByteArray>

namespace nxa::exports {

// What the workbook writer needs from the archive it stores parts in. Parts
// arrive one after another: whole (addPart) or streamed (beginPart with the
// exact size, then chunks through writeChunk, then endPart).
class PartPackager : public PartOutput {
public:
    virtual bool addPart(const char *name, const QByteArray &bytes) = 0;
    virtual bool beginPart(const char *name, qint64 size) = 0;
    virtual bool endPart() = 0;
    // Finishes the archive; false if anything failed on the way.
    virtual bool close() = 0;
};

} // namespace nxa::exports

#pragma once

#include "export/PartBuffer.h"

#include <QByteArray>
#include <QIODevice>

struct archive;

namespace nxa::exports {

// Stores parts as entries of a ZIP archive written to a device: regular files,
// mode 0644, deflate at level 6, no directory entries. It only zips; what the
// parts hold is the business of the generators.
class ZipPackager : public PartOutput {
public:
    explicit ZipPackager(QIODevice &device);
    ~ZipPackager() override;
    ZipPackager(const ZipPackager &) = delete;
    ZipPackager &operator=(const ZipPackager &) = delete;

    bool open();
    bool addPart(const char *name, const QByteArray &bytes);

    // A part streamed in chunks: its exact size is declared first, then the
    // chunks arrive through writeChunk; endPart fails unless exactly that
    // many bytes came.
    bool beginPart(const char *name, qint64 size);
    bool writeChunk(const char *data, qsizetype size) override;
    bool endPart();

    // Writes the central directory; false if anything failed on the way.
    bool close();

    bool failed() const;

    // What the archive's write callback needs: the device and whether a
    // write to it failed.
    struct Target {
        QIODevice *device;
        bool failed = false;
    };

private:
    Target m_target;
    struct archive *m_archive = nullptr;
    qint64 m_declared = 0;
    qint64 m_written = 0;
    bool m_failed = false;
    bool m_closed = false;
};

} // namespace nxa::exports

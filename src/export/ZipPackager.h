#pragma once

#include "export/PartPackager.h"

#include <QByteArray>
#include <QIODevice>

#include <ctime>

struct archive;

namespace nxa::exports {

// Stores parts as entries of a ZIP archive written to a device: regular files,
// mode 0644, deflate at level 6, no directory entries. It only zips; what the
// parts hold is the business of the generators.
class ZipPackager : public PartPackager {
public:
    // entryTime stamps every entry; 0 takes the time each entry is begun.
    explicit ZipPackager(QIODevice &device, std::time_t entryTime = 0);
    ~ZipPackager() override;
    ZipPackager(const ZipPackager &) = delete;
    ZipPackager &operator=(const ZipPackager &) = delete;

    bool open();
    bool addPart(const char *name, const QByteArray &bytes) override;

    // A part streamed in chunks: its exact size is declared first, then the
    // chunks arrive through writeChunk; endPart fails unless exactly that
    // many bytes came.
    bool beginPart(const char *name, qint64 size) override;
    bool writeChunk(const char *data, qsizetype size) override;
    bool endPart() override;

    // Writes the central directory; false if anything failed on the way.
    bool close() override;

    bool failed() const;

    // What the archive's write callback needs: the device and whether a
    // write to it failed.
    struct Target {
        QIODevice *device;
        bool failed = false;
    };

private:
    Target m_target;
    std::time_t m_entryTime;
    struct archive *m_archive = nullptr;
    qint64 m_declared = 0;
    qint64 m_written = 0;
    bool m_failed = false;
    bool m_closed = false;
};

} // namespace nxa::exports

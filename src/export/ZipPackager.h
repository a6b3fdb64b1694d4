#pragma once

#include "export/ChunkedDeflate.h"
#include "export/PartPackager.h"

#include <QByteArray>
#include <QIODevice>

#include <ctime>
#include <vector>

namespace nxa::exports {

// Stores parts as entries of a ZIP archive written to a device: regular files,
// mode 0644, deflate at level 6, no directory entries; a part is streamed
// (sizes and CRC in a data descriptor after its data) and never held whole.
// Zip64 records are added only where a size or an offset needs them. It only
// zips; what the parts hold is the business of the generators.
class ZipPackager : public PartPackager {
public:
    // entryTime stamps every entry; 0 takes the time each entry is begun.
    // helpers: threads that compress besides the caller's; the archive's
    // bytes are the same for any number.
    explicit ZipPackager(QIODevice &device, std::time_t entryTime = 0, int helpers = 0);
    ~ZipPackager() override = default;
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

    bool failed() const { return m_failed; }

private:
    struct Entry {
        QByteArray name;
        quint32 crc = 0;
        quint64 compressedSize = 0;
        quint64 size = 0;
        quint64 offset = 0;
        std::time_t time = 0;
    };

    bool writeBytes(const char *data, qint64 size);
    bool writeBytes(const QByteArray &bytes) { return writeBytes(bytes.constData(), bytes.size()); }

    QIODevice &m_device;
    std::time_t m_entryTime;
    ChunkedDeflate m_deflate;
    std::vector<Entry> m_entries;
    quint64 m_offset = 0;
    qint64 m_declared = 0;
    qint64 m_written = 0;
    bool m_inPart = false;
    bool m_opened = false;
    bool m_failed = false;
    bool m_closed = false;
};

} // namespace nxa::exports

#include "export/ZipPackager.h"

#include <QtEndian>

#include <limits>

namespace nxa::exports {

namespace {

constexpr quint32 kLocalHeaderSignature = 0x04034b50;
constexpr quint32 kDataDescriptorSignature = 0x08074b50;
constexpr quint32 kCentralHeaderSignature = 0x02014b50;
constexpr quint32 kZip64EndSignature = 0x06064b50;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr quint32 kEndSignature = 0x06054b50;

constexpr quint16 kVersion = 20;           // deflate
constexpr quint16 kZip64Version = 45;      // needed once a Zip64 record is present
constexpr quint16 kMadeOnUnix = 3 << 8;    // high byte of "version made by"
constexpr quint16 kFlagDataDescriptor = 8; // sizes and CRC follow the data
constexpr quint16 kMethodDeflate = 8;
constexpr quint32 kRegularFile0644 = 0100644u << 16;

constexpr quint16 kExtendedTimestampId = 0x5455;
constexpr quint8 kModificationTimeFlag = 1;
constexpr quint16 kUnixOwnerId = 0x7875;
constexpr quint16 kZip64Id = 0x0001;

constexpr quint64 kMax32 = std::numeric_limits<quint32>::max();
constexpr quint64 kMax16 = std::numeric_limits<quint16>::max();

// Little-endian fields appended to a record.
class Record {
public:
    Record &u8(quint8 value) { return put(value); }
    Record &u16(quint16 value) { return put(value); }
    Record &u32(quint32 value) { return put(value); }
    Record &u64(quint64 value) { return put(value); }
    Record &bytes(const QByteArray &more) {
        m_bytes.append(more);
        return *this;
    }
    const QByteArray &data() const { return m_bytes; }

private:
    template <typename T> Record &put(T value) {
        char field[sizeof(T)];
        qToLittleEndian(value, field);
        m_bytes.append(field, sizeof(T));
        return *this;
    }
    QByteArray m_bytes;
};

struct DosTime {
    quint16 time = 0;
    quint16 date = 0;
};

// MS-DOS fields count from 1980 in local time, two seconds a step.
DosTime dosTime(std::time_t stamp) {
    std::tm local{};
    localtime_r(&stamp, &local);
    if (local.tm_year < 80)
        return {0, (1 << 5) | 1}; // 1980-01-01, the earliest the fields hold
    return {static_cast<quint16>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2)),
            static_cast<quint16>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) |
                                 local.tm_mday)};
}

// The modification time and the owner (root, as the archives always said).
QByteArray unixExtras(std::time_t stamp) {
    return Record()
        .u16(kExtendedTimestampId)
        .u16(5)
        .u8(kModificationTimeFlag)
        .u32(static_cast<quint32>(stamp))
        .u16(kUnixOwnerId)
        .u16(11)
        .u8(1)
        .u8(4)
        .u32(0)
        .u8(4)
        .u32(0)
        .data();
}

quint32 capped(quint64 value) {
    return static_cast<quint32>(std::min(value, kMax32));
}

} // namespace

ZipPackager::ZipPackager(QIODevice &device, std::time_t entryTime, int helpers)
    : m_device(device), m_entryTime(entryTime),
      m_deflate(helpers, [this](const char *data, size_t size) {
          return writeBytes(data, static_cast<qint64>(size));
      }) {}

bool ZipPackager::open() {
    m_opened = m_device.isWritable();
    m_failed = !m_opened;
    return m_opened;
}

bool ZipPackager::writeBytes(const char *data, qint64 size) {
    if (m_failed)
        return false;
    if (size > 0 && m_device.write(data, size) != size) {
        m_failed = true;
        return false;
    }
    m_offset += static_cast<quint64>(size);
    return true;
}

bool ZipPackager::beginPart(const char *name, qint64 size) {
    if (m_failed || !m_opened || m_inPart || m_closed || size < 0)
        return false;
    Entry entry;
    entry.name = QByteArray(name);
    entry.size = static_cast<quint64>(size);
    entry.offset = m_offset;
    entry.time = m_entryTime != 0 ? m_entryTime : std::time(nullptr);
    const bool large = entry.size >= kMax32;
    const DosTime dos = dosTime(entry.time);
    QByteArray extras = unixExtras(entry.time);
    // A part of 4 GiB or more says so up front, so readers expect 8-byte
    // sizes in its data descriptor.
    if (large)
        extras += Record().u16(kZip64Id).u16(16).u64(entry.size).u64(0).data();
    const Record header = Record()
                              .u32(kLocalHeaderSignature)
                              .u16(large ? kZip64Version : kVersion)
                              .u16(kFlagDataDescriptor)
                              .u16(kMethodDeflate)
                              .u16(dos.time)
                              .u16(dos.date)
                              .u32(0)
                              .u32(large ? capped(entry.size) : 0)
                              .u32(capped(entry.size))
                              .u16(static_cast<quint16>(entry.name.size()))
                              .u16(static_cast<quint16>(extras.size()))
                              .bytes(entry.name)
                              .bytes(extras);
    if (!writeBytes(header.data()))
        return false;
    m_entries.push_back(std::move(entry));
    m_declared = size;
    m_written = 0;
    m_inPart = true;
    m_deflate.begin();
    return true;
}

bool ZipPackager::writeChunk(const char *data, qsizetype size) {
    if (m_failed || !m_inPart)
        return false;
    if (m_written + size > m_declared) {
        m_failed = true;
        return false;
    }
    m_written += size;
    if (!m_deflate.write(data, static_cast<size_t>(size)))
        m_failed = true;
    return !m_failed;
}

bool ZipPackager::endPart() {
    if (m_failed || !m_inPart)
        return false;
    m_inPart = false;
    if (m_written != m_declared || !m_deflate.finish()) {
        m_failed = true;
        return false;
    }
    Entry &entry = m_entries.back();
    entry.crc = m_deflate.crc();
    entry.compressedSize = m_deflate.outputSize();
    Record descriptor;
    descriptor.u32(kDataDescriptorSignature).u32(entry.crc);
    if (entry.size >= kMax32)
        descriptor.u64(entry.compressedSize).u64(entry.size);
    else
        descriptor.u32(capped(entry.compressedSize)).u32(static_cast<quint32>(entry.size));
    return writeBytes(descriptor.data());
}

bool ZipPackager::addPart(const char *name, const QByteArray &bytes) {
    return beginPart(name, bytes.size()) &&
           (bytes.isEmpty() || writeChunk(bytes.constData(), bytes.size())) && endPart();
}

bool ZipPackager::close() {
    if (m_failed || !m_opened || m_inPart || m_closed)
        return false;
    const quint64 directoryOffset = m_offset;
    for (const Entry &entry : m_entries) {
        Record zip64;
        if (entry.size >= kMax32)
            zip64.u64(entry.size);
        if (entry.compressedSize >= kMax32)
            zip64.u64(entry.compressedSize);
        if (entry.offset >= kMax32)
            zip64.u64(entry.offset);
        QByteArray extras = unixExtras(entry.time);
        if (!zip64.data().isEmpty())
            extras += Record()
                          .u16(kZip64Id)
                          .u16(static_cast<quint16>(zip64.data().size()))
                          .bytes(zip64.data())
                          .data();
        const DosTime dos = dosTime(entry.time);
        const quint16 version = zip64.data().isEmpty() ? kVersion : kZip64Version;
        const Record header = Record()
                                  .u32(kCentralHeaderSignature)
                                  .u16(kMadeOnUnix | version)
                                  .u16(version)
                                  .u16(kFlagDataDescriptor)
                                  .u16(kMethodDeflate)
                                  .u16(dos.time)
                                  .u16(dos.date)
                                  .u32(entry.crc)
                                  .u32(capped(entry.compressedSize))
                                  .u32(capped(entry.size))
                                  .u16(static_cast<quint16>(entry.name.size()))
                                  .u16(static_cast<quint16>(extras.size()))
                                  .u16(0) // comment
                                  .u16(0) // disk
                                  .u16(0) // internal attributes
                                  .u32(kRegularFile0644)
                                  .u32(capped(entry.offset))
                                  .bytes(entry.name)
                                  .bytes(extras);
        if (!writeBytes(header.data()))
            return false;
    }
    const quint64 directorySize = m_offset - directoryOffset;
    const quint64 count = m_entries.size();
    if (count >= kMax16 || directorySize >= kMax32 || directoryOffset >= kMax32) {
        const quint64 zip64End = m_offset;
        const Record records = Record()
                                   .u32(kZip64EndSignature)
                                   .u64(44) // size of the rest of this record
                                   .u16(kMadeOnUnix | kZip64Version)
                                   .u16(kZip64Version)
                                   .u32(0)
                                   .u32(0)
                                   .u64(count)
                                   .u64(count)
                                   .u64(directorySize)
                                   .u64(directoryOffset)
                                   .u32(kZip64LocatorSignature)
                                   .u32(0)
                                   .u64(zip64End)
                                   .u32(1);
        if (!writeBytes(records.data()))
            return false;
    }
    const Record end = Record()
                           .u32(kEndSignature)
                           .u16(0)
                           .u16(0)
                           .u16(static_cast<quint16>(std::min(count, kMax16)))
                           .u16(static_cast<quint16>(std::min(count, kMax16)))
                           .u32(capped(directorySize))
                           .u32(capped(directoryOffset))
                           .u16(0);
    m_closed = writeBytes(end.data());
    return m_closed;
}

} // namespace nxa::exports

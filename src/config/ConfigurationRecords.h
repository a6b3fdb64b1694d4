#pragma once

#include "config/ConfigurationImage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

class QIODevice;

namespace nxa::config {

// One 64-byte record of the configuration image.
using ConfigurationRecord = std::array<char, kRecordSize>;

// Where Encode configuration puts its records.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void emitRecord(const ConfigurationRecord &record) = 0;
};

// Appends records to a byte array, with or without CR LF after each.
class BufferRecordSink final : public RecordSink {
public:
    enum class LineEnds { None, CrLf };
    BufferRecordSink(QByteArray &buffer, LineEnds lineEnds);
    void emitRecord(const ConfigurationRecord &record) override;

private:
    QByteArray &m_buffer;
    LineEnds m_lineEnds;
};

// Writes records in file form (CR LF after each) to a device.
class DeviceRecordSink final : public RecordSink {
public:
    explicit DeviceRecordSink(QIODevice &device) : m_device(device) {}
    void emitRecord(const ConfigurationRecord &record) override;
    // False once any write came up short.
    bool ok() const { return m_ok; }

private:
    QIODevice &m_device;
    bool m_ok = true;
};

// Where Decode configuration takes its records from. Bytes past the end of
// the data read as 0.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual ConfigurationRecord nextRecord() = 0;
};

// Reads records from memory; `stride` is 64 for the transfer form and 66 for
// the file form (the two line-end bytes are skipped unseen).
class BufferRecordSource final : public RecordSource {
public:
    BufferRecordSource(QByteArrayView data, qsizetype stride) : m_data(data), m_stride(stride) {}
    ConfigurationRecord nextRecord() override;

private:
    QByteArrayView m_data;
    qsizetype m_stride;
    qsizetype m_position = 0;
};

// Reads file-form records from a device: 64 bytes, then 2 discarded.
class DeviceRecordSource final : public RecordSource {
public:
    explicit DeviceRecordSource(QIODevice *device) : m_device(device) {}
    ConfigurationRecord nextRecord() override;

private:
    QIODevice *m_device; // may be null: every record reads as zeros
    bool m_ended = false;
};

} // namespace nxa::config

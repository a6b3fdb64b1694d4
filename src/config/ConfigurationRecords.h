#pragma once

#include "config/ConfigurationImage.h"

#include <QByteArray>

class QIODevice;

namespace nxa::config {

// One 64-byte record of the configuration image.
using ConfigurationRecord = ImageRecord;

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

} // namespace nxa::config

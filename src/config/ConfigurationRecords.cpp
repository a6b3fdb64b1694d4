#include "config/ConfigurationRecords.h"

#include <QIODevice>

#include <algorithm>

namespace nxa::config {

namespace {
constexpr char kLineEnd[kLineEndSize] = {'\r', '\n'};
}

BufferRecordSink::BufferRecordSink(QByteArray &buffer, LineEnds lineEnds)
    : m_buffer(buffer), m_lineEnds(lineEnds) {}

void BufferRecordSink::emitRecord(const ConfigurationRecord &record) {
    m_buffer.append(record.data(), kRecordSize);
    if (m_lineEnds == LineEnds::CrLf)
        m_buffer.append(kLineEnd, kLineEndSize);
}

void DeviceRecordSink::emitRecord(const ConfigurationRecord &record) {
    if (!m_ok)
        return;
    char line[kFileRecordSize];
    std::copy(record.begin(), record.end(), line);
    std::copy(std::begin(kLineEnd), std::end(kLineEnd), line + kRecordSize);
    m_ok = m_device.write(line, kFileRecordSize) == kFileRecordSize;
}

ConfigurationRecord BufferRecordSource::nextRecord() {
    ConfigurationRecord record{};
    if (m_position < m_data.size()) {
        const qsizetype available = std::min<qsizetype>(kRecordSize, m_data.size() - m_position);
        std::copy_n(m_data.data() + m_position, available, record.begin());
    }
    m_position += m_stride;
    return record;
}

ConfigurationRecord DeviceRecordSource::nextRecord() {
    ConfigurationRecord record{};
    if (m_device == nullptr || m_ended)
        return record;
    // A short read leaves zeros in the rest of the record; a device that
    // reports an error or no more data is not asked again.
    qsizetype filled = 0;
    while (filled < kRecordSize) {
        const qint64 got = m_device->read(record.data() + filled, kRecordSize - filled);
        if (got <= 0) {
            m_ended = true;
            return record;
        }
        filled += got;
    }
    char lineEnd[kLineEndSize];
    qsizetype skipped = 0;
    while (skipped < kLineEndSize) {
        const qint64 got = m_device->read(lineEnd, kLineEndSize - skipped);
        if (got <= 0) {
            m_ended = true;
            break;
        }
        skipped += got;
    }
    return record;
}

} // namespace nxa::config

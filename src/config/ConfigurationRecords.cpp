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

} // namespace nxa::config

#include "common/ImageRecords.h"

#include <QIODevice>

#include <algorithm>

namespace nxa {

RecordReader RecordReader::fromTransfer(QByteArrayView image) {
    RecordReader reader;
    reader.m_data = image;
    return reader;
}

RecordReader RecordReader::fromFileBytes(QByteArrayView image) {
    RecordReader reader;
    reader.m_data = image;
    reader.m_stride = kFileRecordSize;
    return reader;
}

RecordReader RecordReader::fromFile(QIODevice *device) {
    RecordReader reader;
    reader.m_device = device;
    reader.m_ended = device == nullptr || !device->isReadable();
    return reader;
}

ImageRecord RecordReader::next() {
    if (m_device || m_ended)
        return nextFromDevice();
    ImageRecord record{};
    if (m_position < m_data.size()) {
        const qsizetype take = std::min<qsizetype>(kRecordSize, m_data.size() - m_position);
        std::copy_n(m_data.data() + m_position, take, record.begin());
    }
    m_position += m_stride;
    return record;
}

ImageRecord RecordReader::nextFromDevice() {
    ImageRecord record{};
    if (!m_ended && m_buffer.size() - m_bufferAt < kFileRecordSize)
        refill();
    const qsizetype take = std::min<qsizetype>(kRecordSize, m_buffer.size() - m_bufferAt);
    if (take > 0)
        std::copy_n(m_buffer.constData() + m_bufferAt, take, record.begin());
    m_bufferAt = std::min(m_bufferAt + kFileRecordSize, m_buffer.size());
    return record;
}

// Records come from the device a batch at a time: a read per record cost
// more than decoding it. A device may hand out fewer bytes than asked without
// being at its end (a pipe, a socket), so the batch is read until it is whole
// or the data ends; the reader never asks for more than a batch ahead.
void RecordReader::refill() {
    constexpr qsizetype kBatchBytes = 128 * kFileRecordSize;
    m_buffer.remove(0, m_bufferAt);
    m_bufferAt = 0;
    qsizetype filled = m_buffer.size();
    m_buffer.resize(kBatchBytes);
    while (!m_ended && filled < kBatchBytes) {
        const qint64 got = m_device->read(m_buffer.data() + filled, kBatchBytes - filled);
        if (got <= 0)
            m_ended = true;
        else
            filled += got;
    }
    m_buffer.resize(filled);
}

void RecordReader::skip(int records) {
    for (int i = 0; i < records; ++i)
        next();
}

} // namespace nxa

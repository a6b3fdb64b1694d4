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

// A device may hand out fewer bytes than asked without being at its end (a
// pipe, a socket), so each record is read until it is whole or the data ends.
ImageRecord RecordReader::nextFromDevice() {
    ImageRecord record{};
    const auto fill = [this](char *into, qsizetype size) {
        qsizetype filled = 0;
        while (!m_ended && filled < size) {
            const qint64 got = m_device->read(into + filled, size - filled);
            if (got <= 0)
                m_ended = true;
            else
                filled += got;
        }
    };
    fill(record.data(), kRecordSize);
    char lineEnd[kLineEndSize];
    fill(lineEnd, kLineEndSize);
    return record;
}

void RecordReader::skip(int records) {
    for (int i = 0; i < records; ++i)
        next();
}

} // namespace nxa

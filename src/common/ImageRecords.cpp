#include "common/ImageRecords.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

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
    ImageRecord record;
    readOne(record.data());
    return record;
}

void RecordReader::read(char *out, int count) {
    while (count > 0) {
        // Whole records at hand are copied in one run; a short or missing one
        // goes the long way.
        if (m_device && !m_ended && m_buffer.size() - m_bufferAt < kFileRecordSize)
            refill();
        const bool buffered = m_device || m_ended;
        const qsizetype stride = buffered ? kFileRecordSize : m_stride;
        const QByteArrayView data = buffered ? QByteArrayView(m_buffer) : m_data;
        qsizetype &at = buffered ? m_bufferAt : m_position;
        const qsizetype whole =
            data.size() - at >= kRecordSize ? (data.size() - at - kRecordSize) / stride + 1 : 0;
        const int run = static_cast<int>(std::clamp<qsizetype>(whole, 0, count));
        if (run == 0) {
            readOne(out);
            out += kRecordSize;
            --count;
            continue;
        }
        const char *from = data.data() + at;
        for (int i = 0; i < run; ++i)
            std::memcpy(out + qsizetype(i) * kRecordSize, from + i * stride, kRecordSize);
        // The last record's line end may be missing at the end of the data.
        at = std::min(at + run * stride, data.size());
        out += qsizetype(run) * kRecordSize;
        count -= run;
    }
}

void RecordReader::readOne(char *out) {
    QByteArrayView from;
    if (m_device || m_ended) {
        if (!m_ended && m_buffer.size() - m_bufferAt < kFileRecordSize)
            refill();
        from = QByteArrayView(m_buffer).sliced(m_bufferAt);
        m_bufferAt = std::min(m_bufferAt + kFileRecordSize, m_buffer.size());
    } else {
        from = m_data.sliced(std::min(m_position, m_data.size()));
        m_position += m_stride;
    }
    const qsizetype take = std::min<qsizetype>(kRecordSize, from.size());
    if (take > 0)
        std::memcpy(out, from.data(), static_cast<size_t>(take));
    std::memset(out + take, 0, static_cast<size_t>(kRecordSize - take));
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

#include "records/RecordSource.h"

#include <QIODevice>

#include <algorithm>

namespace nxa::records {

RecordSource RecordSource::fromTransfer(QByteArrayView image) {
    RecordSource source;
    source.m_transfer = image;
    return source;
}

RecordSource RecordSource::fromFile(QIODevice *device) {
    RecordSource source;
    source.m_device = device;
    return source;
}

QByteArray RecordSource::next() {
    QByteArray record(kRecordSize, '\0');
    if (m_device) {
        if (m_device->isReadable()) {
            // A failed or short read leaves the rest of the record at 0; the
            // line end is read and dropped.
            const QByteArray got = m_device->read(kRecordSize);
            std::copy(got.begin(), got.end(), record.begin());
            m_device->read(kLineEndSize);
        }
        return record;
    }
    if (m_position < m_transfer.size()) {
        const qsizetype take = std::min<qsizetype>(kRecordSize, m_transfer.size() - m_position);
        std::copy_n(m_transfer.data() + m_position, take, record.data());
    }
    m_position += kRecordSize;
    return record;
}

void RecordSource::skip(int records) {
    for (int i = 0; i < records; ++i)
        next();
}

} // namespace nxa::records

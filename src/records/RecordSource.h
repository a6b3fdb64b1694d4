#pragma once

#include "records/DataloggerImage.h"

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

namespace nxa::records {

// Hands out the 64-byte records of an image, from the transfer buffer (back to
// back) or from a file (each record followed by two line-end bytes that are
// skipped). Bytes missing at the end read as 0; bytes past the image are
// never looked at.
class RecordSource {
public:
    static RecordSource fromTransfer(QByteArrayView image);
    // The device must be open for reading, or reads give zeros. It is not owned.
    static RecordSource fromFile(QIODevice *device);

    // The next record, always kRecordSize bytes.
    QByteArray next();
    void skip(int records);

private:
    RecordSource() = default;

    QByteArrayView m_transfer;
    qsizetype m_position = 0;
    QIODevice *m_device = nullptr;
};

} // namespace nxa::records

#pragma once

#include <QBuffer>

namespace nxa::test {

// A device that takes only so many bytes, like a disk that fills up: a write
// that would go past its room fails whole.
class FullDevice : public QBuffer {
public:
    explicit FullDevice(qint64 room) : m_room(room) {}

protected:
    qint64 writeData(const char *data, qint64 size) override {
        if (pos() + size > m_room)
            return -1;
        return QBuffer::writeData(data, size);
    }

private:
    qint64 m_room;
};

} // namespace nxa::test

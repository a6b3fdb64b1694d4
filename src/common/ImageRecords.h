#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

class QIODevice;

// Every image the tester exchanges is a run of 64-byte records: back to back
// on the link (transfer form), followed by CR LF each in a file (file form).
namespace nxa {

inline constexpr int kRecordSize = 64;
inline constexpr int kLineEndSize = 2;
inline constexpr int kFileRecordSize = kRecordSize + kLineEndSize;

// A tester holds this many users, numbered 0 to 999.
inline constexpr int kUserCount = 1000;

using ImageRecord = std::array<char, kRecordSize>;

// Hands out the records of an image in either form, from memory or from a
// device. Bytes missing at the end of the data read as 0, and once the data
// has ended every later record is all zeros: a short file never shifts the
// records that follow, and bytes past the image are never looked at.
class RecordReader {
public:
    static RecordReader fromTransfer(QByteArrayView image);
    static RecordReader fromFileBytes(QByteArrayView image);
    // The device must be open for reading, or every record reads as zeros. It
    // is not owned; a null device reads as zeros too.
    static RecordReader fromFile(QIODevice *device);

    ImageRecord next();
    // The next `count` records' 64 bytes each, back to back at out.
    void read(char *out, int count);
    void skip(int records);

private:
    RecordReader() = default;
    void readOne(char *out);
    void refill();

    QByteArrayView m_data;
    qsizetype m_stride = kRecordSize;
    qsizetype m_position = 0;
    QIODevice *m_device = nullptr;
    QByteArray m_buffer; // read from the device, from m_bufferAt on not handed out yet
    qsizetype m_bufferAt = 0;
    bool m_ended = false;
};

} // namespace nxa

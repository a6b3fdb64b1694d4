#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QtGlobal>

// The field rules shared by every image the tester exchanges: numbers are
// big-endian, text is one byte per character.
namespace nxa {

// The unsigned big-endian number in the `size` bytes (1 to 4) at `bytes`.
inline quint32 readBigEndian(const char *bytes, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | static_cast<quint8>(bytes[i]);
    return value;
}

// Writes the low `size` bytes (1 to 4) of value, most significant first.
inline void writeBigEndian(char *out, quint32 value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        out[i] = static_cast<char>(value & 0xFF);
}

// Only the ten ASCII digits; QChar::isDigit also takes other scripts' digits.
inline bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}
inline bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// Byte b becomes the character with code b; a byte 0 adds no character, so a
// field padded with zeros reads as its text alone.
inline QString textFromBytes(QByteArrayView field) {
    QString text;
    text.reserve(field.size());
    for (const char byte : field) {
        if (byte != '\0')
            text.append(QChar(static_cast<char16_t>(static_cast<quint8>(byte))));
    }
    return text;
}

} // namespace nxa

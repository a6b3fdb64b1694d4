#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace nxa {

// Dotted text to a tester address (first field in the lowest byte). Fields 1
// to 4 after splitting at "." (a missing field is empty); each field counts
// by its leading decimal digits (none gives 0); the fields combine as
// f1 + f2*256 + f3*65536 + f4*16777216 with 32-bit wrap-around, so a field
// above 255 carries into the next one. Every text yields an address.
inline quint32 parseDottedAddress(const QString &text) {
    const QStringList fields = text.split(QLatin1Char('.'));
    quint32 address = 0;
    quint32 weight = 1;
    for (qsizetype i = 0; i < 4; ++i, weight <<= 8) {
        quint32 value = 0;
        if (i < fields.size()) {
            for (const QChar c : fields.at(i)) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                    break;
                value = value * 10u + static_cast<quint32>(c.unicode() - u'0');
            }
        }
        address += value * weight;
    }
    return address;
}

// "%d.%d.%d.%d" from the four bytes, lowest byte first, no leading zeros.
inline QString formatAddress(quint32 address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address & 0xFFu)
        .arg((address >> 8) & 0xFFu)
        .arg((address >> 16) & 0xFFu)
        .arg((address >> 24) & 0xFFu);
}

} // namespace nxa

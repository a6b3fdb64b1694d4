#pragma once

// Configuration image records written out byte by byte from the format
// tables, independently of the encoder, for the default station
// configuration and for variations the tests make of it.

#include <QByteArray>
#include <QList>
#include <QString>

namespace golden {

inline QByteArray spaces(int count) {
    return QByteArray(count, ' ');
}

// "F;EPA Area            ;L;817488;N;d;" + 28 spaces: QJX gives Q=81, J=74, X=88.
inline QByteArray defaultHeader() {
    QByteArray r = "F;EPA Area";
    r += spaces(12);
    r += ";L;817488;N;";
    r += char(100);
    r += ';';
    r += spaces(28);
    return r;
}

inline QByteArray defaultProfile() {
    QByteArray r = "00000100;00070000;00000750;00035000;";
    r += char(0);
    r += ';';
    r += char(2);
    r += ";Y;";
    r += spaces(22);
    return r;
}

inline QByteArray defaultVisitorsProfile() {
    QByteArray r = "00000100;00070000;00000750;00035000;";
    r += char(0);
    r += ';';
    r += char(2);
    r += ';';
    r += spaces(24);
    return r;
}

// One 32-byte user slot: number big-endian, active, name padded to 20, profile, 8 spaces.
inline QByteArray userSlot(int k, bool active, const QByteArray &name, int profile) {
    QByteArray r;
    r += char((k >> 8) & 0xFF);
    r += char(k & 0xFF);
    r += char(active ? 1 : 0);
    r += name.left(20);
    r += spaces(20 - int(name.left(20).size()));
    r += char(profile);
    r += spaces(8);
    return r;
}

inline QByteArray defaultUserRecord(int i) {
    const int even = 2 * i;
    return userSlot(even, true, "User " + QByteArray::number(even), 0) +
           userSlot(even + 1, true, "User " + QByteArray::number(even + 1), 0);
}

// The 514 records of the default configuration, in image order.
inline QList<QByteArray> defaultRecords() {
    QList<QByteArray> records;
    records << defaultHeader() << spaces(64);
    for (int p = 0; p < 10; ++p)
        records << defaultProfile();
    records << defaultVisitorsProfile() << spaces(64);
    for (int i = 0; i < 500; ++i)
        records << defaultUserRecord(i);
    return records;
}

inline QByteArray fileForm(const QList<QByteArray> &records) {
    QByteArray file;
    for (const QByteArray &r : records)
        file += r + "\r\n";
    return file;
}

inline QByteArray transferForm(const QList<QByteArray> &records, int peripheral) {
    QByteArray transfer(1, char(peripheral));
    transfer += spaces(63);
    for (const QByteArray &r : records)
        transfer += r;
    return transfer;
}

} // namespace golden

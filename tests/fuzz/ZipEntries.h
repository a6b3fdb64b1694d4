#pragma once

// Reads every entry of a ZIP archive held in memory, with the library the
// workbook writer zips with; empty when the archive is not sound.

#include <archive.h>
#include <archive_entry.h>

#include <QByteArray>
#include <QList>
#include <QPair>

inline QList<QPair<QByteArray, QByteArray>> zipEntries(const QByteArray &zip, bool *sound) {
    QList<QPair<QByteArray, QByteArray>> entries;
    *sound = false;
    struct archive *reader = archive_read_new();
    archive_read_support_format_zip(reader);
    if (archive_read_open_memory(reader, zip.constData(), static_cast<size_t>(zip.size())) !=
        ARCHIVE_OK) {
        archive_read_free(reader);
        return entries;
    }
    struct archive_entry *entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(reader, &entry)) == ARCHIVE_OK) {
        QByteArray bytes;
        char chunk[16384];
        la_ssize_t got = 0;
        while ((got = archive_read_data(reader, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, static_cast<qsizetype>(got));
        if (got < 0)
            break;
        entries.append({QByteArray(archive_entry_pathname(entry)), bytes});
    }
    *sound = status == ARCHIVE_EOF;
    archive_read_free(reader);
    return entries;
}

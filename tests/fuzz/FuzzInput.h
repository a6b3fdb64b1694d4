#pragma once

// How the targets that read an image in two forms take their input: the
// first byte chooses the form ("F" the file form, anything else the
// transfer form), the rest is the image.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

struct FormedImage {
    bool fileForm = false;
    QByteArray image;
};

inline FormedImage formedImage(const uint8_t *data, size_t size) {
    FormedImage input;
    if (size == 0)
        return input;
    input.fileForm = data[0] == 'F';
    input.image =
        QByteArray(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1));
    return input;
}

#pragma once

#include "records/DataloggerTable.h"

#include <array>

namespace nxa::records {

// The hidden cell's text of a record: every byte in decimal without leading
// zeros, each followed by "-". The texts of all 256 bytes are made once.
inline constexpr size_t kRecordTextMaxLength = 4 * std::tuple_size_v<RecordBytes>;

struct ByteText {
    std::array<char, 4> chars;
    size_t length;
};

constexpr std::array<ByteText, 256> byteTexts() {
    std::array<ByteText, 256> texts{};
    for (int value = 0; value < 256; ++value) {
        ByteText &text = texts[static_cast<size_t>(value)];
        if (value >= 100)
            text.chars[text.length++] = static_cast<char>('0' + value / 100);
        if (value >= 10)
            text.chars[text.length++] = static_cast<char>('0' + value / 10 % 10);
        text.chars[text.length++] = static_cast<char>('0' + value % 10);
        text.chars[text.length++] = '-';
    }
    return texts;
}
inline constexpr std::array<ByteText, 256> kByteTexts = byteTexts();

// Writes the text at out, which has room for kRecordTextMaxLength
// characters; returns the end of what it wrote.
inline char *writeRecordText(char *out, const RecordBytes &bytes) {
    for (const quint8 byte : bytes) {
        const ByteText &text = kByteTexts[byte];
        for (size_t i = 0; i < text.length; ++i)
            *out++ = text.chars[i];
    }
    return out;
}

} // namespace nxa::records

#include "export/PartBuffer.h"

#include <charconv>

namespace nxa::exports {

PartBuffer::PartBuffer(PartOutput *output) : m_output(output) {
    if (m_output)
        m_chunk = std::make_unique<char[]>(kChunkSize);
}

void PartBuffer::appendNumber(qint64 value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    append(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void PartBuffer::appendSlow(std::string_view text) {
    while (!text.empty()) {
        if (m_used == kChunkSize)
            flushChunk();
        const auto step = std::min<size_t>(text.size(), static_cast<size_t>(kChunkSize - m_used));
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(step),
                  m_chunk.get() + m_used);
        m_used += static_cast<qsizetype>(step);
        text.remove_prefix(step);
    }
}

void PartBuffer::flushChunk() {
    if (m_used > 0 && !m_failed && !m_output->writeChunk(m_chunk.get(), m_used))
        m_failed = true;
    m_used = 0;
}

bool PartBuffer::finish() {
    if (m_output)
        flushChunk();
    return !m_failed;
}

} // namespace nxa::exports

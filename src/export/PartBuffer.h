#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <memory>
#include <string_view>

namespace nxa::exports {

// Where a generated part goes, one chunk at a time.
class PartOutput {
public:
    virtual ~PartOutput() = default;
    virtual bool writeChunk(const char *data, qsizetype size) = 0;
};

// Collects a whole part in memory; for small parts and for tests.
class ByteArrayOutput : public PartOutput {
public:
    bool writeChunk(const char *data, qsizetype size) override {
        m_bytes.append(data, size);
        return true;
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The one buffer a generated part passes through: a fixed chunk handed to the
// output whenever it fills, so a worksheet of many megabytes never stands in
// memory whole. Without an output it only counts, which is how the size of a
// part is known before it is stored.
class PartBuffer {
public:
    static constexpr qsizetype kChunkSize = 64 * 1024;

    explicit PartBuffer(PartOutput *output = nullptr);

    void append(std::string_view text) {
        m_size += static_cast<qint64>(text.size());
        if (!m_output)
            return;
        if (static_cast<qsizetype>(text.size()) <= kChunkSize - m_used) {
            std::copy(text.begin(), text.end(), m_chunk.get() + m_used);
            m_used += static_cast<qsizetype>(text.size());
            return;
        }
        appendSlow(text);
    }
    void appendNumber(qint64 value);

    // Hands what is left to the output; false if any chunk failed.
    bool finish();

    qint64 size() const { return m_size; }
    bool failed() const { return m_failed; }

private:
    void appendSlow(std::string_view text);
    void flushChunk();

    PartOutput *m_output;
    std::unique_ptr<char[]> m_chunk;
    qsizetype m_used = 0;
    qint64 m_size = 0;
    bool m_failed = false;
};

} // namespace nxa::exports

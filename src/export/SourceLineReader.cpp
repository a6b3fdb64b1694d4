#include "export/SourceLineReader.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>

namespace nxa::exports {

namespace {

constexpr size_t kReadSize = 256 * 1024;

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

SourceLineReader::SourceLineReader(QIODevice &device) : m_device(device) {}

bool SourceLineReader::fill() {
    if (m_atEnd || m_failed)
        return false;
    if (m_begin > 0) {
        m_buffer.erase(0, m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    m_buffer.resize(m_end + kReadSize);
    const qint64 got = m_device.read(m_buffer.data() + m_end, static_cast<qint64>(kReadSize));
    if (got < 0) {
        m_failed = true;
        m_buffer.resize(m_end);
        return false;
    }
    m_end += static_cast<size_t>(got);
    m_buffer.resize(m_end);
    if (got == 0)
        m_atEnd = true;
    return got > 0;
}

bool SourceLineReader::next(std::string_view &line) {
    if (!m_started) {
        m_started = true;
        while (m_end < 3 && fill()) {
        }
        if (m_buffer.compare(0, 3, "\xEF\xBB\xBF") == 0)
            m_begin = 3;
    }
    size_t scan = m_begin;
    for (;;) {
        const char *data = m_buffer.data();
        size_t i = scan;
        while (i < m_end && data[i] != '\r' && data[i] != '\n')
            ++i;
        if (i < m_end) {
            // A CR at the end of the data read so far may be the first half of CR LF.
            if (data[i] == '\r' && i + 1 == m_end && !m_atEnd && !m_failed) {
                const size_t offset = i - m_begin;
                fill();
                scan = m_begin + offset;
                continue;
            }
            line = std::string_view(data + m_begin, i - m_begin);
            size_t after = i + 1;
            if (data[i] == '\r' && after < m_end && data[after] == '\n')
                ++after;
            m_begin = after;
            break;
        }
        if (m_atEnd || m_failed) {
            if (m_begin == m_end || m_failed)
                return false;
            line = std::string_view(m_buffer.data() + m_begin, m_end - m_begin);
            m_begin = m_end;
            break;
        }
        const size_t offset = i - m_begin;
        fill();
        scan = m_begin + offset;
    }
    if (!isAscii(line)) {
        // A mark inside the text is a character like any other, not a signature.
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless |
                                   QStringConverter::Flag::ConvertInitialBom);
        const QString decoded =
            decoder.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
        m_repaired = decoded.toUtf8().toStdString();
        line = m_repaired;
    }
    return true;
}

void splitFields(std::string_view line, std::string_view separator,
                 std::vector<std::string_view> &fields) {
    fields.clear();
    if (line.empty())
        return;
    if (separator.empty()) {
        fields.push_back(line);
        return;
    }
    size_t start = 0;
    for (size_t at = line.find(separator); at != std::string_view::npos;
         at = line.find(separator, start)) {
        fields.push_back(line.substr(start, at - start));
        start = at + separator.size();
    }
    if (start < line.size())
        fields.push_back(line.substr(start));
}

} // namespace nxa::exports

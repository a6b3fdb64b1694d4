#pragma once

#include <QIODevice>

#include <string>
#include <string_view>
#include <vector>

namespace nxa::exports {

// Reads a delimited source text line by line as UTF-8. CR LF, a lone CR and a
// lone LF each end a line; a leading byte-order mark is skipped; bytes that are
// not valid UTF-8 come back as U+FFFD, so every line is valid UTF-8.
class SourceLineReader {
public:
    explicit SourceLineReader(QIODevice &device);

    // The next line without its line end, valid until the next call; false at
    // the end of the text or after a read error.
    bool next(std::string_view &line);
    bool failed() const { return m_failed; }

private:
    bool fill();

    QIODevice &m_device;
    std::string m_buffer;
    size_t m_begin = 0;
    size_t m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_started = false;
    std::string m_repaired;
};

// The fields of one line: the texts between separators, not trimmed. An empty
// line has none; a trailing separator adds no empty last field, two adjacent
// ones give an empty field between them.
void splitFields(std::string_view line, std::string_view separator,
                 std::vector<std::string_view> &fields);

} // namespace nxa::exports

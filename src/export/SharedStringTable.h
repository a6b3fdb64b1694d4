#pragma once

#include "export/PartBuffer.h"

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace nxa::exports {

// Every distinct text of the source once, indexed in order of first
// appearance; keys compare exactly (Red and RED are two entries).
class SharedStringTable {
public:
    SharedStringTable();

    // The index of text, inserted as the next index when new.
    int intern(std::string_view text);
    // The index of text, or -1.
    int indexOf(std::string_view text) const;

    int uniqueCount() const { return static_cast<int>(m_texts.size()); }
    const std::string &text(int index) const { return m_texts[static_cast<size_t>(index)]; }

private:
    // A deque never moves its elements, so the map's keys can view them.
    std::deque<std::string> m_texts;
    std::unordered_map<std::string_view, int> m_indexes;
};

// Generates "xl/sharedStrings.xml": every entry in index order; count is the
// number of text cells, repetitions included.
void writeSharedStringsPart(PartBuffer &out, const SharedStringTable &strings, qint64 count);

} // namespace nxa::exports

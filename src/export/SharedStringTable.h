#pragma once

#include "export/PartBuffer.h"

#include <string>
#include <string_view>
#include <vector>

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
    // Open addressing over a power-of-two slot array, kept at most half full:
    // a lookup of a text seen before mostly costs one slot and one compare,
    // which matters with a million fields per export.
    struct Slot {
        size_t hash = 0;
        int index = -1;
    };
    size_t findSlot(std::string_view text, size_t hash) const;
    void grow();

    std::vector<std::string> m_texts;
    std::vector<Slot> m_slots;
};

// Generates "xl/sharedStrings.xml": every entry in index order; count is the
// number of text cells, repetitions included.
void writeSharedStringsPart(PartBuffer &out, const SharedStringTable &strings, qint64 count);

} // namespace nxa::exports

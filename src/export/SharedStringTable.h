#pragma once

#include "export/PartBuffer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nxa::exports {

// Every distinct text of the source once, indexed in order of first
// appearance; keys compare exactly (Red and RED are two entries).
class SharedStringTable {
public:
    SharedStringTable();

    static size_t hashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }
    // Asks the memory for the slot a text of that hash is looked for in first.
    // The slots are spread over megabytes, so a lookup is mostly a cache miss;
    // a caller with several texts to look up lets those misses overlap by
    // prefetching all of them before the first lookup.
    void prefetch(size_t hash) const { __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]); }

    // The index of text, inserted as the next index when new.
    int intern(std::string_view text) { return intern(text, hashOf(text)); }
    int intern(std::string_view text, size_t hash);
    // The index of text, or -1.
    int indexOf(std::string_view text) const { return indexOf(text, hashOf(text)); }
    int indexOf(std::string_view text, size_t hash) const;

    int uniqueCount() const { return static_cast<int>(m_texts.size()); }
    const std::string &text(int index) const { return m_texts[static_cast<size_t>(index)]; }

private:
    // Open addressing over a power-of-two slot array, kept at most half full.
    // A slot carries what tells texts apart without reading them: part of the
    // hash with the length, and the first and last eight bytes. A text of up
    // to sixteen bytes (a time of day, a date, a flag, padded or not) is thus
    // found in its slot alone; only longer ones read the stored text, and
    // only on a likely match.
    struct Slot {
        std::uint32_t tag = 0; // high hash bits, then the length (255: that or more)
        int index = -1;
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
    };
    size_t findSlot(std::string_view text, size_t hash) const;
    void grow();

    std::vector<std::string> m_texts;
    std::vector<Slot> m_slots;
    // The hash of every text, by index, so growing needs no text read.
    std::vector<size_t> m_hashes;
};

// Generates "xl/sharedStrings.xml": every entry in index order; count is the
// number of text cells, repetitions included.
void writeSharedStringsPart(PartBuffer &out, const SharedStringTable &strings, qint64 count);

} // namespace nxa::exports

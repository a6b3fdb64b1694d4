#pragma once

#include <QtGlobal>

#include <vector>

namespace nxa::records {

// Row keys by hash: one 8-byte entry per row (32 bits of the row's key hash
// and the row's storage slot), open addressing with linear probing. It never
// decides equality itself: find hands every slot whose hash matches to the
// caller, who compares the cells, so a hash collision can never make a
// duplicate.
class DuplicateKeySet {
public:
    static constexpr quint32 kNoSlot = 0xffffffffu;

    void insert(quint64 hash, quint32 slot);
    // Removes the entry of that slot; false when it is not there.
    bool erase(quint64 hash, quint32 slot);
    // True when matches(slot) holds for a slot stored under hash.
    template <typename Matches> bool find(quint64 hash, Matches matches) const {
        if (m_count == 0)
            return false;
        const quint32 tag = tagOf(hash);
        for (size_t i = home(tag);; i = next(i)) {
            const Entry &entry = m_entries[i];
            if (entry.slot == kNoSlot)
                return false;
            if (entry.tag == tag && matches(entry.slot))
                return true;
        }
    }
    // Renames the slots: newSlot[old] for every stored entry.
    void renameSlots(const std::vector<quint32> &newSlot);
    // Makes room for count more entries at once.
    void reserveMore(size_t count);
    size_t size() const { return m_count; }
    // Drops every entry and gives the memory back.
    void clear();
    // Bytes held, for measurements.
    size_t capacityBytes() const { return m_entries.capacity() * sizeof(Entry); }

private:
    struct Entry {
        quint32 tag;
        quint32 slot;
    };
    static quint32 tagOf(quint64 hash) { return static_cast<quint32>(hash >> 32); }
    // The tag alone gives the home position, so entries move on growth and
    // deletion without their rows being read again.
    size_t home(quint32 tag) const {
        return static_cast<size_t>((quint64(tag) * m_entries.size()) >> 32);
    }
    size_t next(size_t i) const { return i + 1 == m_entries.size() ? 0 : i + 1; }
    void place(Entry entry);
    void resize(size_t capacity);

    std::vector<Entry> m_entries;
    size_t m_count = 0;
};

} // namespace nxa::records

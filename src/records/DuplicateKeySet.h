#pragma once

#include <QtGlobal>

#include <vector>

namespace nxa::records {

// Row keys by hash: one 12-byte entry per distinct key (32 bits of the key's
// hash, one row's storage slot and the number of rows that share the key),
// open addressing with linear probing, and the rows of each key linked in a
// list through their slots. Identical rows (common in damaged log files) thus
// cost one step each instead of a walk along every row like them. It never
// decides equality itself: the caller compares cells, so a hash collision can
// never make a duplicate.
class DuplicateKeySet {
public:
    static constexpr quint32 kNoSlot = 0xffffffffu;

    // sameKey(other) tells whether the row in slot `other` has this row's key.
    template <typename SameKey> void insert(quint64 hash, quint32 slot, SameKey sameKey) {
        reserveMore(1);
        const size_t i = locate(tagOf(hash), slot, sameKey);
        if (m_entries[i].slot == kNoSlot) {
            m_entries[i] = Entry{tagOf(hash), slot, 0};
            ++m_distinct;
            linkSlot(slot, kNoSlot);
        } else {
            linkSlot(slot, m_entries[i].slot);
            m_entries[i].slot = slot;
        }
        ++m_entries[i].rows;
        ++m_count;
    }
    // Removes that slot's row; false when it is not there.
    template <typename SameKey> bool erase(quint64 hash, quint32 slot, SameKey sameKey) {
        if (m_count == 0 || slot >= m_next.size() || !m_member[slot])
            return false;
        const size_t i = locate(tagOf(hash), slot, sameKey);
        if (m_entries[i].slot == kNoSlot)
            return false;
        eraseAt(i, slot);
        return true;
    }
    // True when matches(slot) holds for a row whose key hashed to `hash`.
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
    // Renames the slots: newSlot[old] for every stored row.
    void renameSlots(const std::vector<quint32> &newSlot);
    // Makes room for count more keys at once.
    void reserveMore(size_t count);
    // Rows held, identical ones counted one by one.
    size_t size() const { return m_count; }
    // Drops every entry and gives the memory back.
    void clear();

private:
    struct Entry {
        quint32 tag;
        quint32 slot; // the latest row of the key; its list leads to the others
        quint32 rows;
    };
    static quint32 tagOf(quint64 hash) { return static_cast<quint32>(hash >> 32); }
    // The tag alone gives the home position, so entries move on growth and
    // deletion without their rows being read again.
    size_t home(quint32 tag) const {
        return static_cast<size_t>((quint64(tag) * m_entries.size()) >> 32);
    }
    size_t next(size_t i) const { return i + 1 == m_entries.size() ? 0 : i + 1; }
    // The entry of the key of `slot`, or the free place where it would go.
    template <typename SameKey> size_t locate(quint32 tag, quint32 slot, SameKey &sameKey) const {
        for (size_t i = home(tag);; i = next(i)) {
            const Entry &entry = m_entries[i];
            if (entry.slot == kNoSlot)
                return i;
            if (entry.tag == tag && (entry.slot == slot || sameKey(entry.slot)))
                return i;
        }
    }
    void linkSlot(quint32 slot, quint32 before);
    void eraseAt(size_t i, quint32 slot);
    void place(Entry entry);
    void resize(size_t capacity);

    std::vector<Entry> m_entries;
    // Per slot: the neighbours among the rows of the same key.
    std::vector<quint32> m_next;
    std::vector<quint32> m_previous;
    std::vector<bool> m_member;
    size_t m_distinct = 0;
    size_t m_count = 0;
};

} // namespace nxa::records

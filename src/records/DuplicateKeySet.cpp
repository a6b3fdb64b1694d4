#include "records/DuplicateKeySet.h"

#include <algorithm>

namespace nxa::records {

namespace {

// Filled to at most 4/5 and grown by half: about 12 bytes per row held.
constexpr size_t kMinimumCapacity = 16;

bool overFull(size_t count, size_t capacity) {
    return count * 5 > capacity * 4;
}

} // namespace

void DuplicateKeySet::place(Entry entry) {
    size_t i = home(entry.tag);
    while (m_entries[i].slot != kNoSlot)
        i = next(i);
    m_entries[i] = entry;
}

void DuplicateKeySet::resize(size_t capacity) {
    std::vector<Entry> old;
    old.swap(m_entries);
    m_entries.assign(capacity, Entry{0, kNoSlot});
    for (const Entry &entry : old)
        if (entry.slot != kNoSlot)
            place(entry);
}

void DuplicateKeySet::reserveMore(size_t count) {
    const size_t wanted = m_count + count;
    if (!overFull(wanted, m_entries.size()))
        return;
    size_t capacity = std::max(kMinimumCapacity, m_entries.size());
    while (overFull(wanted, capacity))
        capacity += capacity / 2;
    resize(capacity);
}

void DuplicateKeySet::insert(quint64 hash, quint32 slot) {
    reserveMore(1);
    place({tagOf(hash), slot});
    ++m_count;
}

bool DuplicateKeySet::erase(quint64 hash, quint32 slot) {
    if (m_count == 0)
        return false;
    const quint32 tag = tagOf(hash);
    size_t hole = home(tag);
    while (m_entries[hole].tag != tag || m_entries[hole].slot != slot) {
        if (m_entries[hole].slot == kNoSlot)
            return false;
        hole = next(hole);
    }
    // Shift later entries of the run back so no lookup stops early at the hole.
    for (size_t i = next(hole);; i = next(i)) {
        const Entry entry = m_entries[i];
        if (entry.slot == kNoSlot)
            break;
        const size_t h = home(entry.tag);
        const bool between = hole <= i ? (hole < h && h <= i) : (hole < h || h <= i);
        if (between)
            continue;
        m_entries[hole] = entry;
        hole = i;
    }
    m_entries[hole] = Entry{0, kNoSlot};
    --m_count;
    if (m_count == 0)
        clear();
    return true;
}

void DuplicateKeySet::renameSlots(const std::vector<quint32> &newSlot) {
    for (Entry &entry : m_entries)
        if (entry.slot != kNoSlot)
            entry.slot = newSlot[entry.slot];
}

void DuplicateKeySet::clear() {
    std::vector<Entry>().swap(m_entries);
    m_count = 0;
}

} // namespace nxa::records

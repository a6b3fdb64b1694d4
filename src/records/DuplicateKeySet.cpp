#include "records/DuplicateKeySet.h"

#include <algorithm>

namespace nxa::records {

namespace {

// Filled to at most 4/5 and grown by half.
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
    m_entries.assign(capacity, Entry{0, kNoSlot, 0});
    for (const Entry &entry : old)
        if (entry.slot != kNoSlot)
            place(entry);
}

void DuplicateKeySet::reserveMore(size_t count) {
    const size_t wanted = m_distinct + count;
    if (!overFull(wanted, m_entries.size()))
        return;
    size_t capacity = std::max(kMinimumCapacity, m_entries.size());
    while (overFull(wanted, capacity))
        capacity += capacity / 2;
    resize(capacity);
}

void DuplicateKeySet::linkSlot(quint32 slot, quint32 before) {
    if (slot >= m_next.size()) {
        const size_t size = std::max<size_t>(slot + 1, m_next.size() + m_next.size() / 2);
        m_next.resize(size, kNoSlot);
        m_previous.resize(size, kNoSlot);
        m_member.resize(size, false);
    }
    m_next[slot] = before;
    m_previous[slot] = kNoSlot;
    m_member[slot] = true;
    if (before != kNoSlot)
        m_previous[before] = slot;
}

void DuplicateKeySet::eraseAt(size_t i, quint32 slot) {
    const quint32 after = m_next[slot];
    const quint32 before = m_previous[slot];
    if (before != kNoSlot)
        m_next[before] = after;
    if (after != kNoSlot)
        m_previous[after] = before;
    if (m_entries[i].slot == slot)
        m_entries[i].slot = after;
    m_member[slot] = false;
    m_next[slot] = m_previous[slot] = kNoSlot;
    --m_count;
    if (--m_entries[i].rows > 0)
        return;

    // The key's last row: shift later entries of the run back so no lookup
    // stops early at the hole.
    size_t hole = i;
    for (size_t j = next(hole);; j = next(j)) {
        const Entry entry = m_entries[j];
        if (entry.slot == kNoSlot)
            break;
        const size_t h = home(entry.tag);
        const bool between = hole <= j ? (hole < h && h <= j) : (hole < h || h <= j);
        if (between)
            continue;
        m_entries[hole] = entry;
        hole = j;
    }
    m_entries[hole] = Entry{0, kNoSlot, 0};
    --m_distinct;
    if (m_count == 0)
        clear();
}

void DuplicateKeySet::renameSlots(const std::vector<quint32> &newSlot) {
    std::vector<quint32> next(m_next.size(), kNoSlot);
    std::vector<quint32> previous(m_previous.size(), kNoSlot);
    std::vector<bool> member(m_member.size(), false);
    const auto renamed = [&newSlot](quint32 s) { return s == kNoSlot ? kNoSlot : newSlot[s]; };
    for (Entry &entry : m_entries) {
        if (entry.slot == kNoSlot)
            continue;
        for (quint32 s = entry.slot; s != kNoSlot; s = m_next[s]) {
            const quint32 to = newSlot[s];
            next[to] = renamed(m_next[s]);
            previous[to] = renamed(m_previous[s]);
            member[to] = true;
        }
        entry.slot = newSlot[entry.slot];
    }
    m_next.swap(next);
    m_previous.swap(previous);
    m_member.swap(member);
}

void DuplicateKeySet::clear() {
    std::vector<Entry>().swap(m_entries);
    std::vector<quint32>().swap(m_next);
    std::vector<quint32>().swap(m_previous);
    std::vector<bool>().swap(m_member);
    m_distinct = 0;
    m_count = 0;
}

} // namespace nxa::records

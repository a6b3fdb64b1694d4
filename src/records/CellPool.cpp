#include "records/CellPool.h"

#include "records/TrimSpaces.h"

#include <algorithm>
#include <cstring>

namespace nxa::records {

namespace {

constexpr quint64 kMultiplier = 0x9e3779b97f4a7c15ull;

quint64 mix(quint64 h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ull;
    h ^= h >> 32;
    return h;
}

quint32 tagOf(quint64 hash) {
    return static_cast<quint32>(hash >> 32);
}

bool sameText(QStringView a, QStringView b) {
    return a.size() == b.size() &&
           (b.isEmpty() || std::memcmp(a.data(), b.data(), static_cast<size_t>(b.size()) * 2) == 0);
}

} // namespace

quint64 cellTextHash(QStringView text) {
    // Cells are a few characters long: four UTF-16 units per step, one
    // multiplication each, and a final mix.
    const char *bytes = reinterpret_cast<const char *>(text.utf16());
    size_t left = static_cast<size_t>(text.size()) * sizeof(char16_t);
    quint64 h = static_cast<quint64>(left) * kMultiplier;
    while (left >= 8) {
        quint64 word;
        std::memcpy(&word, bytes, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
        bytes += 8;
        left -= 8;
    }
    if (left > 0) {
        quint64 word = 0;
        std::memcpy(&word, bytes, left);
        h = (h ^ word) * kMultiplier;
    }
    return mix(h);
}

size_t CellPool::findSlot(QStringView text, quint64 hash) const {
    const size_t mask = m_index.size() - 1;
    const quint32 tag = tagOf(hash);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const IndexSlot slot = m_index[i];
        if (slot.entry == 0)
            return i;
        if (slot.tag == tag && sameText(this->text(slot.entry - 1), text))
            return i;
    }
}

void CellPool::growIndex() {
    std::vector<IndexSlot> old(std::max<size_t>(16, m_index.size() * 2), IndexSlot{0, 0});
    old.swap(m_index);
    const size_t mask = m_index.size() - 1;
    for (const IndexSlot slot : old) {
        if (slot.entry == 0)
            continue;
        size_t i = m_hashes[slot.entry - 1] & mask;
        while (m_index[i].entry != 0)
            i = (i + 1) & mask;
        m_index[i] = slot;
    }
}

// A table's pools are many and often small (one file, one download): room
// for their first texts at once saves growing each array step by step.
void CellPool::reserveFirst() {
    constexpr size_t kFirstTexts = 64;
    m_chars.reserve(kFirstTexts * 8);
    m_spans.reserve(kFirstTexts);
    m_hashes.reserve(kFirstTexts);
    m_keyHashes.reserve(kFirstTexts);
    m_references.reserve(kFirstTexts);
}

void CellPool::index(quint32 id) {
    // At most half full, so probes stay short.
    if ((m_indexed + 1) * 2 > m_index.size())
        growIndex();
    m_index[findSlot(text(id), m_hashes[id])] = {id + 1, tagOf(m_hashes[id])};
    ++m_indexed;
}

void CellPool::unindex(quint32 id) {
    const size_t mask = m_index.size() - 1;
    size_t hole = findSlot(text(id), m_hashes[id]);
    // Shift later entries of the run back so no lookup stops early at the hole.
    for (size_t i = (hole + 1) & mask; m_index[i].entry != 0; i = (i + 1) & mask) {
        const size_t home = m_hashes[m_index[i].entry - 1] & mask;
        const bool stays = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
        if (stays)
            continue;
        m_index[hole] = m_index[i];
        hole = i;
    }
    m_index[hole] = {0, 0};
    --m_indexed;
}

quint32 CellPool::intern(QStringView text) {
    if (m_lastId < m_spans.size() && m_references[m_lastId] > 0 &&
        sameText(this->text(m_lastId), text)) {
        ++m_references[m_lastId];
        return m_lastId;
    }
    const quint64 hash = cellTextHash(text);
    if (!m_index.empty()) {
        const quint32 entry = m_index[findSlot(text, hash)].entry;
        if (entry != 0) {
            ++m_references[entry - 1];
            return m_lastId = entry - 1;
        }
    }
    const QStringView trimmed = trimSpacesView(text);
    const quint64 keyHash = trimmed.size() == text.size() ? hash : cellTextHash(trimmed);
    if (m_spans.capacity() == 0)
        reserveFirst();
    const Span span{static_cast<quint32>(m_chars.size()), static_cast<quint32>(text.size())};
    if (!text.isEmpty())
        m_chars.insert(m_chars.end(), text.utf16(), text.utf16() + text.size());
    quint32 id;
    if (!m_freeIds.empty()) {
        id = m_freeIds.back();
        m_freeIds.pop_back();
        m_spans[id] = span;
        m_hashes[id] = hash;
        m_keyHashes[id] = keyHash;
        m_references[id] = 1;
    } else {
        id = static_cast<quint32>(m_spans.size());
        m_spans.push_back(span);
        m_hashes.push_back(hash);
        m_keyHashes.push_back(keyHash);
        m_references.push_back(1);
    }
    index(id);
    return m_lastId = id;
}

void CellPool::release(quint32 id) {
    if (--m_references[id] > 0)
        return;
    unindex(id);
    m_freedChars += m_spans[id].length;
    m_spans[id] = {0, 0};
    m_freeIds.push_back(id);
    if (m_freeIds.size() == m_spans.size())
        clear();
    else if (m_freedChars > 4096 && m_freedChars * 2 > m_chars.size())
        compactChars();
}

// Texts keep their ids; only their places in the buffer move.
void CellPool::compactChars() {
    std::vector<char16_t> kept;
    kept.reserve(m_chars.size() - m_freedChars);
    for (quint32 id = 0; id < m_spans.size(); ++id) {
        if (m_references[id] == 0)
            continue;
        const Span span = m_spans[id];
        m_spans[id].offset = static_cast<quint32>(kept.size());
        kept.insert(kept.end(), m_chars.begin() + span.offset,
                    m_chars.begin() + span.offset + span.length);
    }
    m_chars.swap(kept);
    m_freedChars = 0;
}

void CellPool::clear() {
    *this = CellPool();
}

} // namespace nxa::records

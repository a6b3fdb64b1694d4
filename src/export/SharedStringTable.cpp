#include "export/SharedStringTable.h"

#include "export/CellText.h"
#include "export/WorkbookFixedParts.h"

#include <algorithm>
#include <cstring>

namespace nxa::exports {

namespace {

// A starting size only; the table doubles as texts arrive.
constexpr size_t kInitialSlots = 512;

constexpr size_t kHeadBytes = sizeof(std::uint64_t);
constexpr size_t kLengthMark = 0xff;

// The slot position takes the hash's low bits, the tag its high ones.
std::uint32_t tagOf(size_t hash, size_t length) {
    const auto high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 40);
    return (high << 8) | static_cast<std::uint32_t>(std::min(length, kLengthMark));
}

// The first eight bytes, and the last eight of what follows them (fewer when
// the text is shorter), zeros beyond the text.
std::uint64_t headOf(std::string_view text) {
    std::uint64_t head = 0;
    if (!text.empty())
        std::memcpy(&head, text.data(), std::min(text.size(), kHeadBytes));
    return head;
}

std::uint64_t tailOf(std::string_view text) {
    std::uint64_t tail = 0;
    if (text.size() > kHeadBytes) {
        const size_t length = std::min(text.size() - kHeadBytes, kHeadBytes);
        std::memcpy(&tail, text.data() + text.size() - length, length);
    }
    return tail;
}

} // namespace

SharedStringTable::SharedStringTable() : m_slots(kInitialSlots) {}

size_t SharedStringTable::findSlot(std::string_view text, size_t hash) const {
    const size_t mask = m_slots.size() - 1;
    const std::uint32_t tag = tagOf(hash, text.size());
    const std::uint64_t head = headOf(text);
    const std::uint64_t tail = tailOf(text);
    const bool whole = text.size() <= 2 * kHeadBytes;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.index < 0)
            return i;
        if (slot.tag == tag && slot.head == head && slot.tail == tail &&
            (whole || std::string_view(m_texts[static_cast<size_t>(slot.index)]) == text))
            return i;
    }
}

void SharedStringTable::grow() {
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (slot.index < 0)
            continue;
        size_t i = m_hashes[static_cast<size_t>(slot.index)] & mask;
        while (m_slots[i].index >= 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

int SharedStringTable::intern(std::string_view text, size_t hash) {
    size_t i = findSlot(text, hash);
    if (m_slots[i].index >= 0)
        return m_slots[i].index;
    if ((m_texts.size() + 1) * 2 > m_slots.size()) {
        grow();
        i = findSlot(text, hash);
    }
    const int index = uniqueCount();
    m_texts.emplace_back(text);
    m_hashes.push_back(hash);
    m_slots[i] = {tagOf(hash, text.size()), index, headOf(text), tailOf(text)};
    return index;
}

int SharedStringTable::indexOf(std::string_view text, size_t hash) const {
    return m_slots[findSlot(text, hash)].index;
}

void writeSharedStringsPart(PartBuffer &out, const SharedStringTable &strings, qint64 count) {
    out.append(kXmlDeclaration);
    out.append(R"(<sst xmlns=")");
    out.append(kSpreadsheetNamespace);
    out.append(R"(" count=")");
    out.appendNumber(count);
    out.append(R"(" uniqueCount=")");
    out.appendNumber(strings.uniqueCount());
    out.append(R"(">)");
    for (int i = 0; i < strings.uniqueCount(); ++i) {
        out.append("<si><t>");
        appendEscapedText(out, strings.text(i));
        out.append("</t></si>");
    }
    out.append("</sst>");
}

} // namespace nxa::exports

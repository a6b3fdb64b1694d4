#include "export/SharedStringTable.h"

#include "export/CellText.h"
#include "export/WorkbookFixedParts.h"

namespace nxa::exports {

namespace {

// A starting size only; the table doubles as texts arrive.
constexpr size_t kInitialSlots = 512;

size_t hashOf(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

} // namespace

SharedStringTable::SharedStringTable() : m_slots(kInitialSlots) {}

size_t SharedStringTable::findSlot(std::string_view text, size_t hash) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.index < 0 ||
            (slot.hash == hash && m_texts[static_cast<size_t>(slot.index)] == text))
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
        size_t i = slot.hash & mask;
        while (m_slots[i].index >= 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

int SharedStringTable::intern(std::string_view text) {
    const size_t hash = hashOf(text);
    size_t i = findSlot(text, hash);
    if (m_slots[i].index >= 0)
        return m_slots[i].index;
    if ((m_texts.size() + 1) * 2 > m_slots.size()) {
        grow();
        i = findSlot(text, hash);
    }
    const int index = uniqueCount();
    m_texts.emplace_back(text);
    m_slots[i] = {hash, index};
    return index;
}

int SharedStringTable::indexOf(std::string_view text) const {
    return m_slots[findSlot(text, hashOf(text))].index;
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

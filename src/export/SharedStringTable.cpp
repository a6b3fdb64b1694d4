#include "export/SharedStringTable.h"

#include "export/CellText.h"
#include "export/WorkbookFixedParts.h"

namespace nxa::exports {

namespace {

// A starting size only; the map grows as texts arrive.
constexpr size_t kInitialSlots = 512;

} // namespace

SharedStringTable::SharedStringTable() {
    m_indexes.reserve(kInitialSlots);
}

int SharedStringTable::intern(std::string_view text) {
    const auto found = m_indexes.find(text);
    if (found != m_indexes.end())
        return found->second;
    const int index = uniqueCount();
    const std::string &stored = m_texts.emplace_back(text);
    m_indexes.emplace(std::string_view(stored), index);
    return index;
}

int SharedStringTable::indexOf(std::string_view text) const {
    const auto found = m_indexes.find(text);
    return found == m_indexes.end() ? -1 : found->second;
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

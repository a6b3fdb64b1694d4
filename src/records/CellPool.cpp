#include "records/CellPool.h"

#include "records/TrimSpaces.h"

namespace nxa::records {

quint64 keyCellHash(QStringView trimmed) {
    // A fixed seed: the hashes of rows present and of rows to come must agree.
    return static_cast<quint64>(qHash(trimmed, size_t(0x5bd1e995)));
}

quint32 CellPool::intern(const QString &text) {
    const auto found = m_ids.constFind(text);
    if (found != m_ids.constEnd()) {
        ++m_references[found.value()];
        return found.value();
    }
    quint32 id;
    if (!m_freeIds.empty()) {
        id = m_freeIds.back();
        m_freeIds.pop_back();
        m_texts[id] = text;
        m_keyHashes[id] = keyCellHash(trimSpacesView(text));
        m_references[id] = 1;
    } else {
        id = static_cast<quint32>(m_texts.size());
        m_texts.push_back(text);
        m_keyHashes.push_back(keyCellHash(trimSpacesView(text)));
        m_references.push_back(1);
    }
    m_ids.insert(text, id);
    return id;
}

void CellPool::release(quint32 id) {
    if (--m_references[id] > 0)
        return;
    m_ids.remove(m_texts[id]);
    m_texts[id] = QString();
    m_freeIds.push_back(id);
}

void CellPool::clear() {
    *this = CellPool();
}

} // namespace nxa::records

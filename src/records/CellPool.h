#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

namespace nxa::records {

// The distinct texts of one column, each stored once and shared by every row
// that holds it; a plant's log files repeat a few thousand names, dates and
// readings over a million rows. Ids stay valid while referenced; a text whose
// last reference goes is freed and its id reused.
class CellPool {
public:
    // The id of text, with one more reference to it.
    quint32 intern(const QString &text);
    void release(quint32 id);

    const QString &text(quint32 id) const { return m_texts[id]; }
    // Hash of the text without its outer spaces, as the duplicate test sees it.
    quint64 keyHash(quint32 id) const { return m_keyHashes[id]; }
    // Ids are below this bound; unreferenced ids hold the empty text.
    quint32 idBound() const { return static_cast<quint32>(m_texts.size()); }
    // Forgets every text and gives its memory back.
    void clear();

private:
    std::vector<QString> m_texts;
    std::vector<quint64> m_keyHashes;
    std::vector<quint32> m_references;
    std::vector<quint32> m_freeIds;
    QHash<QString, quint32> m_ids;
};

// Hash of a key cell's text (outer spaces already removed by the caller).
quint64 keyCellHash(QStringView trimmed);

} // namespace nxa::records

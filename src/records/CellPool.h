#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace nxa::records {

// Hash of a cell text, the same wherever it is taken: for the pools' index and,
// over the text without its outer spaces, for the duplicate keys.
quint64 cellTextHash(QStringView text);

// The distinct texts of one column, each stored once and shared by every row
// that holds it; a plant's log files repeat a few thousand names, dates and
// readings over a million rows. Ids stay valid while referenced; a text whose
// last reference goes is freed and its id reused.
class CellPool {
public:
    // The id of text, with one more reference to it.
    quint32 intern(QStringView text);
    void release(quint32 id);

    // Valid until the next intern or release.
    QStringView text(quint32 id) const {
        const Span span = m_spans[id];
        if (span.length == 0)
            return {};
        return QStringView(m_chars.data() + span.offset, span.length);
    }
    // Hash of the text without its outer spaces, as the duplicate test sees it.
    quint64 keyHash(quint32 id) const { return m_keyHashes[id]; }
    // Ids are below this bound; unreferenced ids hold the empty text.
    quint32 idBound() const { return static_cast<quint32>(m_spans.size()); }
    // Forgets every text and gives its memory back.
    void clear();

private:
    size_t findSlot(QStringView text, quint64 hash) const;
    void index(quint32 id);
    void unindex(quint32 id);
    void growIndex();
    void reserveFirst();

    void compactChars();

    // The texts side by side in one buffer: a painted or exported row reads
    // its cells from a few compact arrays, whatever the row order.
    struct Span {
        quint32 offset;
        quint32 length;
    };
    std::vector<char16_t> m_chars;
    std::vector<Span> m_spans;
    size_t m_freedChars = 0;
    std::vector<quint64> m_hashes;
    std::vector<quint64> m_keyHashes;
    std::vector<quint32> m_references;
    std::vector<quint32> m_freeIds;
    // Open addressing: id + 1 per used slot (0 for a free one) with the top
    // half of the text's hash, so most misses never touch the texts.
    struct IndexSlot {
        quint32 entry;
        quint32 tag;
    };
    std::vector<IndexSlot> m_index;
    size_t m_indexed = 0;
    // Rows arrive in runs that share a PN, a date, a pass mark: the last text
    // interned is checked before the index.
    quint32 m_lastId = 0;
};

} // namespace nxa::records

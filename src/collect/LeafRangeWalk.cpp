#include "collect/LeafRangeWalk.h"

#include "collect/Archive.h"
#include "collect/ArchiveRows.h"

#include <algorithm>

namespace nxa::collect {

namespace {

// The columns of the walk's statement, by place.
constexpr int kIdx = 0;
constexpr int kKind = 1;
constexpr int kTester = 2;
constexpr int kRef = 3;
constexpr int kTesterKey = 4;
constexpr int kHash = 5;
constexpr int kRaw = 6;
constexpr int kRecord = 7;
constexpr int kAttempt = kRecord + kRecordColumnCount;

} // namespace

LeafRange walkLeafRange(Archive &archive, const RowLeafTexts &rowTexts, QHash<qint64, QString> keys,
                        quint64 from, quint64 to, const LeafNamer &name) {
    LeafRange range;
    ArchiveRows rows(
        archive,
        QStringLiteral(
            "SELECT l.idx, l.kind, l.tester, l.ref, l.tester_key, l.hash, l.raw, %1, %2 FROM "
            "log_leaves l LEFT JOIN records r ON l.kind = 2 AND r.tester = l.tester AND r.raw = "
            "l.raw AND r.occurrence = l.occurrence LEFT JOIN attempts a ON l.kind = 3 AND a.id = "
            "l.ref WHERE l.idx >= ? AND l.idx < ? ORDER BY l.idx")
            .arg(recordColumns(QStringLiteral("r.")), attemptColumns(QStringLiteral("a."))),
        {qint64(from), qint64(to)});
    range.leaves.reserve(size_t(std::min<quint64>(to - from, quint64(1) << 20)));
    const QHash<qint64, QByteArray> noTexts;
    auto textsOf = [&](LeafKind kind) -> const QHash<qint64, QByteArray> & {
        const auto it = rowTexts.find(kind);
        return it == rowTexts.end() ? noTexts : it->second;
    };
    while (rows.next()) {
        WalkedLeaf leaf;
        leaf.idx = quint64(rows.integer(kIdx));
        const auto kind = LeafKind(rows.integer(kKind));
        const qint64 tester = rows.integer(kTester);
        const qint64 ref = rows.integer(kRef);
        QByteArray text;
        bool present = true;
        QString disagreement;
        switch (kind) {
        case LeafKind::Tester:
            keys.insert(tester, QString::fromUtf8(rows.text(kTesterKey)));
            text = testerLeafText(tester, QString::fromUtf8(rows.text(kTesterKey)));
            break;
        case LeafKind::Record:
            present = !rows.isNull(kRecord);
            if (present)
                text = recordLeafText(keys.value(tester), rows, kRecord);
            break;
        case LeafKind::Attempt:
            present = !rows.isNull(kAttempt);
            if (present)
                text = attemptLeafText(rows, kAttempt);
            break;
        case LeafKind::Configuration:
        case LeafKind::RosterImport:
        case LeafKind::Calibration: {
            const QHash<qint64, QByteArray> &texts = textsOf(kind);
            present = texts.contains(ref);
            text = texts.value(ref);
            break;
        }
        default:
            disagreement = QStringLiteral("leaf %1 is of no known kind").arg(leaf.idx);
            present = false;
        }
        QByteArray hash = rows.bytes(kHash);
        if (!present) {
            if (disagreement.isEmpty() && range.firstDisagreement.isEmpty())
                disagreement = QStringLiteral("leaf %1: %2 was deleted")
                                   .arg(leaf.idx)
                                   .arg(name(kind, tester, ref, rows.bytes(kRaw)));
            leaf.disagrees = true;
        } else {
            ++range.found[kind];
            const QByteArray computed = leafHash(text);
            if (computed != hash) {
                leaf.disagrees = true;
                // Named only when it disagrees: decoding every record's time
                // and user would cost more than hashing it.
                if (range.firstDisagreement.isEmpty())
                    disagreement = QStringLiteral("leaf %1: %2 differs from what was logged")
                                       .arg(leaf.idx)
                                       .arg(name(kind, tester, ref, rows.bytes(kRaw)));
            }
            hash = computed;
        }
        if (range.firstDisagreement.isEmpty() && !disagreement.isEmpty())
            range.firstDisagreement = disagreement;
        // A stored hash of the wrong size is damaged; the tree takes what fits.
        std::copy_n(hash.constData(), std::min<qsizetype>(hash.size(), kHashSize),
                    leaf.hash.begin());
        range.leaves.push_back(leaf);
    }
    range.error = rows.error();
    return range;
}

} // namespace nxa::collect

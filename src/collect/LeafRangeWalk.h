#pragma once

#include "collect/ArchiveLog.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <vector>

namespace nxa::collect {

class Archive;

// One leaf of the log as verify rebuilds it: the hash the tree takes (the
// one recomputed from its row where the row is there, else the stored one),
// and whether it disagreed with its row.
struct WalkedLeaf {
    quint64 idx = 0;
    std::array<char, kHashSize> hash{};
    bool disagrees = false;
};

// The leaves of the numbers [from, to) that log_leaves holds, in order, each
// held against the row it stands for.
struct LeafRange {
    std::vector<WalkedLeaf> leaves;
    // What the first leaf that disagreed disagreed about.
    QString firstDisagreement;
    std::map<LeafKind, qint64> found; // rows each kind's leaves found
    QString error;
};

// The name of a leaf's row as an auditor knows it, asked only of a leaf that
// disagrees: (kind, tester, row reference, the record's 16 bytes).
using LeafNamer = std::function<QString(LeafKind, qint64, qint64, const QByteArray &)>;

// `keys`: each tester's key as last logged before `from`, which its record
// leaves carry. Reads on `archive` only, so ranges can be walked on
// connections of their own, one per thread.
LeafRange walkLeafRange(Archive &archive, const RowLeafTexts &rowTexts, QHash<qint64, QString> keys,
                        quint64 from, quint64 to, const LeafNamer &name);

} // namespace nxa::collect

#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

namespace nxa::collect {

// SHA-256 as the log uses it: 32 bytes.
inline constexpr int kHashSize = 32;

QByteArray sha256(QByteArrayView data);

// The hashes of a Merkle tree as certificate transparency defines them: a
// leaf is hashed behind a 0x00 byte and an inner node behind 0x01, so no
// leaf can pass for a node.
QByteArray leafHash(QByteArrayView leaf);
QByteArray nodeHash(QByteArrayView left, QByteArrayView right);
// The root of an empty tree: the hash of nothing.
QByteArray emptyRoot();

// The right edge of a tree: the roots of its perfect subtrees, largest
// first, one per bit set in its size. Enough to add leaves and to compute
// the root without the leaves themselves.
class TreeEdge {
public:
    TreeEdge() = default;
    // From its stored form; nothing when the bytes do not fit the size.
    static std::optional<TreeEdge> fromBytes(std::uint64_t size, const QByteArray &bytes);
    QByteArray toBytes() const;

    void append(const QByteArray &leafHash);
    std::uint64_t size() const { return m_size; }
    QByteArray root() const;

private:
    std::uint64_t m_size = 0;
    std::vector<QByteArray> m_roots;
};

// The audit path of leaf `index` in the tree of the first `leaves.size()`
// leaf hashes, from the leaf's sibling up.
QList<QByteArray> inclusionProof(const std::vector<QByteArray> &leaves, std::uint64_t index);

// The root that a leaf hash and its audit path give for a tree of `size`
// leaves; nothing when the path has the wrong length for that place.
std::optional<QByteArray> rootFromInclusion(const QByteArray &leafHash, std::uint64_t index,
                                            std::uint64_t size, const QList<QByteArray> &path);

} // namespace nxa::collect

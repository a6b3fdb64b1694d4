#include "collect/MerkleTree.h"

#include <sodium.h>

#include <bit>

namespace nxa::collect {

namespace {

QByteArray hashWithPrefix(char prefix, QByteArrayView a, QByteArrayView b) {
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    const unsigned char p = static_cast<unsigned char>(prefix);
    crypto_hash_sha256_update(&state, &p, 1);
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char *>(a.data()),
                              static_cast<unsigned long long>(a.size()));
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char *>(b.data()),
                              static_cast<unsigned long long>(b.size()));
    QByteArray out(kHashSize, Qt::Uninitialized);
    crypto_hash_sha256_final(&state, reinterpret_cast<unsigned char *>(out.data()));
    return out;
}

// The largest power of two below n (n > 1): where the tree splits.
std::uint64_t split(std::uint64_t n) {
    return std::bit_floor(n - 1);
}

QByteArray subtreeRoot(const std::vector<QByteArray> &leaves, std::uint64_t from,
                       std::uint64_t count) {
    if (count == 1)
        return leaves[from];
    const std::uint64_t k = split(count);
    return nodeHash(subtreeRoot(leaves, from, k), subtreeRoot(leaves, from + k, count - k));
}

void path(const std::vector<QByteArray> &leaves, std::uint64_t index, std::uint64_t from,
          std::uint64_t count, QList<QByteArray> &out) {
    if (count <= 1)
        return;
    const std::uint64_t k = split(count);
    if (index < k) {
        path(leaves, index, from, k, out);
        out.append(subtreeRoot(leaves, from + k, count - k));
    } else {
        path(leaves, index - k, from + k, count - k, out);
        out.append(subtreeRoot(leaves, from, k));
    }
}

} // namespace

QByteArray sha256(QByteArrayView data) {
    QByteArray out(kHashSize, Qt::Uninitialized);
    crypto_hash_sha256(reinterpret_cast<unsigned char *>(out.data()),
                       reinterpret_cast<const unsigned char *>(data.data()),
                       static_cast<unsigned long long>(data.size()));
    return out;
}

QByteArray leafHash(QByteArrayView leaf) {
    return hashWithPrefix(0, leaf, {});
}

QByteArray nodeHash(QByteArrayView left, QByteArrayView right) {
    return hashWithPrefix(1, left, right);
}

QByteArray emptyRoot() {
    return sha256({});
}

std::optional<TreeEdge> TreeEdge::fromBytes(std::uint64_t size, const QByteArray &bytes) {
    const int count = std::popcount(size);
    if (bytes.size() != qsizetype(count) * kHashSize)
        return std::nullopt;
    TreeEdge edge;
    edge.m_size = size;
    for (int i = 0; i < count; ++i)
        edge.m_roots.push_back(bytes.mid(qsizetype(i) * kHashSize, kHashSize));
    return edge;
}

QByteArray TreeEdge::toBytes() const {
    QByteArray bytes;
    for (const QByteArray &root : m_roots)
        bytes += root;
    return bytes;
}

void TreeEdge::append(const QByteArray &hash) {
    // Each trailing one bit of the old size is a perfect subtree that the
    // new leaf completes into one twice its size.
    QByteArray carry = hash;
    for (std::uint64_t n = m_size; n & 1; n >>= 1) {
        carry = nodeHash(m_roots.back(), carry);
        m_roots.pop_back();
    }
    m_roots.push_back(carry);
    ++m_size;
}

QByteArray TreeEdge::root() const {
    if (m_roots.empty())
        return emptyRoot();
    QByteArray root = m_roots.back();
    for (auto it = m_roots.rbegin() + 1; it != m_roots.rend(); ++it)
        root = nodeHash(*it, root);
    return root;
}

QList<QByteArray> inclusionProof(const std::vector<QByteArray> &leaves, std::uint64_t index) {
    QList<QByteArray> out;
    if (index < leaves.size())
        path(leaves, index, 0, leaves.size(), out);
    return out;
}

std::optional<QByteArray> rootFromInclusion(const QByteArray &hash, std::uint64_t index,
                                            std::uint64_t size, const QList<QByteArray> &proof) {
    if (index >= size)
        return std::nullopt;
    // The walk of RFC 9162 2.1.3.2: climb while the node is a right child or
    // the last of its level.
    std::uint64_t fn = index;
    std::uint64_t sn = size - 1;
    QByteArray r = hash;
    for (const QByteArray &p : proof) {
        if (p.size() != kHashSize || sn == 0)
            return std::nullopt;
        if ((fn & 1) || fn == sn) {
            r = nodeHash(p, r);
            if (!(fn & 1))
                while (fn != 0 && !(fn & 1)) {
                    fn >>= 1;
                    sn >>= 1;
                }
        } else {
            r = nodeHash(r, p);
        }
        fn >>= 1;
        sn >>= 1;
    }
    if (sn != 0)
        return std::nullopt;
    return r;
}

} // namespace nxa::collect

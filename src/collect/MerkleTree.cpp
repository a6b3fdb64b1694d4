#include "collect/MerkleTree.h"

#include <openssl/evp.h>

#include <bit>
#include <memory>

namespace nxa::collect {

namespace {

// SHA-256 through OpenSSL, which uses the processor's SHA instructions where
// it has them: hashing is most of what building or checking the log costs.
// One context per thread, set up once.
class Sha256 {
public:
    Sha256() : m_md(EVP_MD_fetch(nullptr, "SHA256", nullptr)), m_ctx(EVP_MD_CTX_new()) {}
    ~Sha256() {
        EVP_MD_CTX_free(m_ctx);
        EVP_MD_free(m_md);
    }
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    QByteArray hash(std::initializer_list<QByteArrayView> parts) {
        QByteArray out(kHashSize, Qt::Uninitialized);
        unsigned int size = 0;
        bool ok = m_md && m_ctx && EVP_DigestInit_ex2(m_ctx, m_md, nullptr) == 1;
        for (const QByteArrayView part : parts)
            ok = ok && EVP_DigestUpdate(m_ctx, part.data(), size_t(part.size())) == 1;
        ok = ok &&
             EVP_DigestFinal_ex(m_ctx, reinterpret_cast<unsigned char *>(out.data()), &size) == 1;
        // Without SHA-256 no hash can be trusted: stop rather than log a wrong one.
        if (!ok || size != kHashSize)
            qFatal("SHA-256 is not available from OpenSSL");
        return out;
    }

private:
    EVP_MD *m_md;
    EVP_MD_CTX *m_ctx;
};

QByteArray hashOf(std::initializer_list<QByteArrayView> parts) {
    thread_local Sha256 sha;
    return sha.hash(parts);
}

QByteArray hashWithPrefix(char prefix, QByteArrayView a, QByteArrayView b) {
    return hashOf({QByteArrayView(&prefix, 1), a, b});
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
    return hashOf({data});
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

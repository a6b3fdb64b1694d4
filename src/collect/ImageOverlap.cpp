#include "collect/ImageOverlap.h"

#include <cstring>
#include <vector>

namespace nxa::collect {

namespace {

constexpr qsizetype kRecord = 16;

} // namespace

int repeatedRecords(QByteArrayView previous, QByteArrayView current) {
    const qsizetype n = current.size() / kRecord;
    const qsizetype m = previous.size() / kRecord;
    if (n == 0 || m == 0)
        return 0;
    const auto same = [](const char *a, const char *b) { return std::memcmp(a, b, kRecord) == 0; };
    const char *pattern = current.data();
    const char *text = previous.data();
    // Knuth-Morris-Pratt with records for characters: identical records in a
    // row would make a plain search quadratic.
    std::vector<qsizetype> border(static_cast<size_t>(n), 0);
    for (qsizetype i = 1, k = 0; i < n; ++i) {
        while (k > 0 && !same(pattern + i * kRecord, pattern + k * kRecord))
            k = border[static_cast<size_t>(k - 1)];
        if (same(pattern + i * kRecord, pattern + k * kRecord))
            ++k;
        border[static_cast<size_t>(i)] = k;
    }
    qsizetype matched = 0;
    for (qsizetype j = 0; j < m; ++j) {
        if (matched == n)
            matched = border[static_cast<size_t>(matched - 1)];
        while (matched > 0 && !same(text + j * kRecord, pattern + matched * kRecord))
            matched = border[static_cast<size_t>(matched - 1)];
        if (same(text + j * kRecord, pattern + matched * kRecord))
            ++matched;
    }
    return static_cast<int>(matched);
}

} // namespace nxa::collect

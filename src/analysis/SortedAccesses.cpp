#include "analysis/SortedAccesses.h"

#include <algorithm>
#include <tuple>

namespace nxa::analysis {

bool accessBefore(const Access &a, const Access &b) {
    return std::tie(a.tester, a.user, a.day, a.second) <
           std::tie(b.tester, b.user, b.day, b.second);
}

SortedAccesses::SortedAccesses(const std::vector<Access> &accesses) {
    if (std::is_sorted(accesses.begin(), accesses.end(), accessBefore)) {
        view_ = accesses;
        return;
    }
    copy_ = accesses;
    std::stable_sort(copy_.begin(), copy_.end(), accessBefore);
    view_ = copy_;
}

} // namespace nxa::analysis

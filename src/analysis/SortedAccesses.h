#pragma once

#include "analysis/AnalysisInput.h"

#include <span>
#include <vector>

namespace nxa::analysis {

// The order every computation walks: tester, user, day, second.
bool accessBefore(const Access &a, const Access &b);

// The plant's accesses in that order. The archive gives them sorted, which
// costs one comparison per access to confirm; anything else is sorted into a
// private copy rather than giving wrong runs.
class SortedAccesses {
public:
    explicit SortedAccesses(const std::vector<Access> &accesses);
    std::span<const Access> all() const { return view_; }

private:
    std::vector<Access> copy_;
    std::span<const Access> view_;
};

inline bool samePerson(const Access &a, const Access &b) {
    return a.tester == b.tester && a.user == b.user;
}

inline bool samePersonDay(const Access &a, const Access &b) {
    return samePerson(a, b) && a.day == b.day;
}

// Calls run(subspan) for each maximal run of neighbours for which same() holds.
template <class Same, class Run>
void forEachRun(std::span<const Access> accesses, Same same, Run run) {
    std::size_t begin = 0;
    while (begin < accesses.size()) {
        std::size_t end = begin + 1;
        while (end < accesses.size() && same(accesses[begin], accesses[end]))
            ++end;
        run(accesses.subspan(begin, end - begin));
        begin = end;
    }
}

} // namespace nxa::analysis

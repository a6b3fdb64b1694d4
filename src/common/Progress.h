#pragma once

#include <QtGlobal>

#include <functional>

namespace nxa {

// How a library tells its caller how far a long piece of work has come:
// done out of total, in a unit of the work's choosing (total 0 when it is not
// known). Returning false asks the work to stop; work that cannot stop without
// losing something goes on and ignores it. An empty callback reports nothing.
using ProgressCallback = std::function<bool(qint64 done, qint64 total)>;

// Calls progress when set; true when there is none.
inline bool reportProgress(const ProgressCallback &progress, qint64 done, qint64 total) {
    return !progress || progress(done, total);
}

// The thousandths of a piece of work done in parts: a part's own done/total
// becomes from..to out of 1000 of `progress`. `stopped` records that the
// caller asked to stop; both must outlive the returned callback.
inline constexpr qint64 kProgressScale = 1000;
inline ProgressCallback scaledProgress(const ProgressCallback &progress, bool &stopped, qint64 from,
                                       qint64 to) {
    return [&progress, &stopped, from, to](qint64 done, qint64 total) {
        const qint64 at = total > 0 ? from + (to - from) * done / total : from;
        stopped = !reportProgress(progress, at, kProgressScale);
        return !stopped;
    };
}

} // namespace nxa

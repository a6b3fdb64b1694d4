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

} // namespace nxa

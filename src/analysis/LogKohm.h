#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace nxa::analysis {

// A reading of 0 kOhm is below the tester's resolution; taking it as 1 kOhm
// keeps the logarithm finite without moving any value a limit can hold.
inline double logKohm(std::int32_t kohm) {
    return std::log10(std::max<std::int32_t>(kohm, 1));
}

} // namespace nxa::analysis

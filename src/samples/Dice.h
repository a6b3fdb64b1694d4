#pragma once

#include <QtGlobal>

namespace nxa::samples {

// The same numbers on every machine and library: a planted truth must not
// depend on the standard library's distributions.
class Dice {
public:
    explicit Dice(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    quint32 next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<quint32>(m_state >> 32);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint32>(n)); }
    // Uniform in [-1, 1).
    double symmetric() { return next() / 2147483648.0 - 1.0; }

private:
    quint64 m_state;
};

} // namespace nxa::samples

#include "charts/LabelPlacer.h"

#include <algorithm>
#include <cmath>

namespace nxa::charts {

namespace {

constexpr double kAir = 1.0;

} // namespace

QRectF LabelPlacer::inside(QRectF box) const {
    box.moveLeft(std::clamp(box.left(), m_bounds.left(),
                            std::max(m_bounds.left(), m_bounds.right() - box.width())));
    box.moveTop(std::clamp(box.top(), m_bounds.top(),
                           std::max(m_bounds.top(), m_bounds.bottom() - box.height())));
    return box;
}

bool LabelPlacer::free(const QRectF &box) const {
    // A point of air between two texts, or they read as one.
    const QRectF padded = box.adjusted(-kAir, -kAir, kAir, kAir);
    return std::none_of(m_taken.begin(), m_taken.end(),
                        [&padded](const QRectF &taken) { return taken.intersects(padded); });
}

QRectF LabelPlacer::place(const std::vector<QRectF> &candidates) {
    if (candidates.empty())
        return {};
    const double step = std::max(1.0, candidates.front().height() + 2 * kAir);
    const int tries = static_cast<int>(std::ceil(m_bounds.height() / step)) + 1;
    for (int i = 0; i <= 2 * tries; ++i) {
        // 0, then 1 line up, 1 down, 2 up, ... from where it is wanted.
        const double shift = (i % 2 ? -1 : 1) * std::ceil(i / 2.0) * step;
        for (const QRectF &candidate : candidates) {
            const QRectF box = inside(candidate.translated(0.0, shift));
            if (free(box)) {
                m_taken.push_back(box);
                return box;
            }
        }
    }
    // No free place in the bounds: at least inside them.
    const QRectF box = inside(candidates.front());
    m_taken.push_back(box);
    return box;
}

} // namespace nxa::charts

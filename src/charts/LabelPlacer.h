#pragma once

#include <QRectF>

#include <vector>

// Where the notes of a chart go so that none covers another: each is tried at
// the places its caller prefers, then moved away a line at a time.
namespace nxa::charts {

class LabelPlacer {
public:
    explicit LabelPlacer(const QRectF &bounds) : m_bounds(bounds) {}

    // Keeps later labels off a box already drawn (a marker, another text).
    void reserve(const QRectF &box) { m_taken.push_back(box); }
    // The first free place among the candidates (all of one size), each tried
    // where it is and then moved up and down by its height, inside the
    // bounds; the place is then taken.
    QRectF place(const std::vector<QRectF> &candidates);

private:
    QRectF inside(QRectF box) const;
    bool free(const QRectF &box) const;

    QRectF m_bounds;
    std::vector<QRectF> m_taken;
};

} // namespace nxa::charts

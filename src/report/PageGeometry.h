#pragma once

namespace nxa::report {

inline constexpr int kUnknownDpiFallback = 96;
inline constexpr int kLogoBaseWidth = 400;
inline constexpr int kLogoBaseHeight = 275;

// Horizontal positions of a table: column k starts at left + k x unit.
struct ColumnGrid {
    int left = 0;
    int unit = 0;

    int x(int column) const { return left + column * unit; }
};

// The layout that every report derives from the printable area, in page
// pixels, so the same report scales to any paper and resolution.
struct PageGeometry {
    int width = 0;
    int height = 0;
    int sideMargin = 0;
    int topMargin = 0;
    int lineGap = 0;
    int pageCentre = 0;
    // A line position beyond this starts a new page.
    int bottomLimit = 0;
    // The table of the datalogger and profiles reports, margin to margin.
    ColumnGrid wideGrid;
    // The users table keeps three side margins free on either side.
    ColumnGrid narrowGrid;
    // Width of grey bands and rules.
    int ruleWidth = 0;
    int bodyPoints = 0;
    int titlePoints = 0;
    int bodyPixels = 0;
    int titlePixels = 0;
    int logoWidth = 0;
    int logoHeight = 0;
};

// Character height in pixels of a font of `points` on a screen of `dpi`
// dots per inch, to the nearest integer; an unknown dpi (0 or less) counts as 96.
int fontPixelSize(int points, int dpi);

PageGeometry pageGeometry(int width, int height, int screenDpi);

} // namespace nxa::report

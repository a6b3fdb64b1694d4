#include "report/PageGeometry.h"

#include <QtGlobal>

namespace nxa::report {

namespace {
constexpr int kPointsPerInch = 72;
constexpr int kSideMarginDivisor = 15;
constexpr int kTopMarginDivisor = 30;
constexpr int kLineGapDivisor = 300;
constexpr int kColumnsPerTable = 100;
constexpr int kBodyPointsDivisor = 100;
constexpr int kTitlePointsDivisor = 50;
constexpr int kLogoWidthDivisor = 4;
constexpr int kNarrowTableMargins = 3;
} // namespace

int fontPixelSize(int points, int dpi) {
    if (dpi <= 0)
        dpi = kUnknownDpiFallback;
    const qint64 scaled = qint64(points) * dpi;
    // Round half away from zero, as a page is never given a negative size.
    const qint64 rounded = scaled >= 0 ? (scaled + kPointsPerInch / 2) / kPointsPerInch
                                       : -((-scaled + kPointsPerInch / 2) / kPointsPerInch);
    return static_cast<int>(rounded);
}

PageGeometry pageGeometry(int width, int height, int screenDpi) {
    PageGeometry g;
    g.width = width;
    g.height = height;
    g.sideMargin = width / kSideMarginDivisor;
    g.topMargin = height / kTopMarginDivisor;
    g.lineGap = height / kLineGapDivisor;
    g.pageCentre = width / 2;
    g.bottomLimit = height - 2 * g.topMargin;
    g.ruleWidth = width - 2 * g.sideMargin;
    g.wideGrid = {g.sideMargin, g.ruleWidth / kColumnsPerTable};
    g.narrowGrid = {kNarrowTableMargins * g.sideMargin,
                    (width - 2 * kNarrowTableMargins * g.sideMargin) / kColumnsPerTable};
    g.bodyPoints = width / kBodyPointsDivisor;
    g.titlePoints = width / kTitlePointsDivisor;
    g.bodyPixels = fontPixelSize(g.bodyPoints, screenDpi);
    g.titlePixels = fontPixelSize(g.titlePoints, screenDpi);
    g.logoWidth = kLogoBaseWidth;
    g.logoHeight = kLogoBaseHeight;
    // The width stays below half the page width, so doubling cannot overflow.
    while (g.logoWidth < width / kLogoWidthDivisor) {
        g.logoWidth *= 2;
        g.logoHeight *= 2;
    }
    return g;
}

} // namespace nxa::report

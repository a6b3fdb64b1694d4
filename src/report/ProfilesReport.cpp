#include "report/ProfilesReport.h"

#include "config/ChoiceTexts.h"
#include "config/StationConfig.h"
#include "report/ReportLayout.h"

#include <algorithm>

namespace nxa::report {

namespace {

// Heading columns, left-aligned, in column units from the side margin.
constexpr int kFootwearMinHeading = 10;
constexpr int kFootwearMaxHeading = 25;
constexpr int kWristStrapMinHeading = 40;
constexpr int kWristStrapMaxHeading = 55;
constexpr int kCheckColumn = 70;
constexpr int kRelayColumn = 82;
constexpr int kVisitorColumn = 94;
// Value columns, right-aligned.
constexpr int kFootwearMinValue = 20;
constexpr int kFootwearMaxValue = 35;
constexpr int kWristStrapMinValue = 50;
constexpr int kWristStrapMaxValue = 65;
// Unit line under the limit headings.
constexpr int kFootwearMinUnit = 15;
constexpr int kFootwearMaxUnit = 30;
constexpr int kWristStrapMinUnit = 45;
constexpr int kWristStrapMaxUnit = 60;
// Line gaps below the general lines and before the visitors row.
constexpr int kWideGaps = 2;
constexpr int kSectionGaps = 8;

void drawGeneral(ReportLayout &layout, const config::StationConfig &config) {
    layout.peripheralLine(QString::number(config.peripheralNumber()));
    layout.titleLine(config.description, 1);
    layout.advance(layout.centred(QStringLiteral("Security Level ") +
                                  config::securityLevelText(config.securityLevel)),
                   kWideGaps);
    const bool normal = config.mode == config::Mode::Normal;
    layout.advance(layout.centred(QStringLiteral("Mode: ") +
                                  (normal ? QStringLiteral("Normal") : QStringLiteral("HandFree"))),
                   kWideGaps);
    const bool full = config.voltage == config::TestVoltage::V100;
    layout.advance(layout.centred(QStringLiteral("Test Voltage: ") +
                                  (full ? QStringLiteral("100V") : QStringLiteral("50V"))),
                   kSectionGaps);
}

void drawHeadings(ReportLayout &layout, bool normal) {
    const ColumnGrid grid = layout.geometry().wideGrid;
    layout.left(grid, kFootwearMinHeading,
                normal ? QStringLiteral("Single Shoe min") : QStringLiteral("Shoe L+R min"));
    layout.left(grid, kFootwearMaxHeading,
                normal ? QStringLiteral("Single Shoe max") : QStringLiteral("Shoe L+R max"));
    if (normal) {
        layout.left(grid, kWristStrapMinHeading, QStringLiteral("Wrist Strap min"));
        layout.left(grid, kWristStrapMaxHeading, QStringLiteral("Wrist Strap max"));
    }
    layout.left(grid, kCheckColumn, QStringLiteral("Check"));
    layout.left(grid, kRelayColumn, QStringLiteral("Relay"));
    layout.advance(layout.left(grid, kVisitorColumn, QStringLiteral("Visitor")));

    const QString unit = QStringLiteral("(KOhm)");
    layout.left(grid, kFootwearMinUnit, unit);
    int height = layout.left(grid, kFootwearMaxUnit, unit);
    if (normal) {
        layout.left(grid, kWristStrapMinUnit, unit);
        height = layout.left(grid, kWristStrapMaxUnit, unit);
    }
    layout.ruleBelowHeadings(height);
}

void drawProfile(ReportLayout &layout, const config::StationConfig &config, int index,
                 bool normal) {
    const ColumnGrid grid = layout.geometry().wideGrid;
    const config::Profile &profile = config.profiles[static_cast<size_t>(index)];
    const bool visitors = index == config::kVisitorsProfile;
    // Profiles 1, 3, 5, 7, 9 and the visitors profile are banded.
    if (index % 2 == 0)
        layout.band();
    layout.left(grid, 0,
                visitors ? QStringLiteral("Visitor") : QStringLiteral("Profile%1").arg(index + 1));
    layout.right(grid, kFootwearMinValue, profile.footwearMin);
    layout.right(grid, kFootwearMaxValue, profile.footwearMax);
    if (normal) {
        layout.right(grid, kWristStrapMinValue, profile.wristStrapMin);
        layout.right(grid, kWristStrapMaxValue, profile.wristStrapMax);
    }
    layout.left(grid, kCheckColumn, config::checkChoiceText(profile.check));
    int height = layout.left(grid, kRelayColumn, config::relayChoiceText(profile.relay));
    if (!visitors && profile.visitorsQualifier)
        height = layout.left(grid, kVisitorColumn, QStringLiteral("YES"));
    if (index == config::kVisitorsProfile - 1)
        layout.advance(std::max(height, layout.bandHeight()), kSectionGaps);
    else
        layout.advanceRow(height);
}

} // namespace

QString profilesDocumentName(const config::StationConfig &config) {
    return QStringLiteral("Brontel NXA %1 Profiles").arg(config.peripheralNumber());
}

void profilesReport(Canvas &canvas, const config::StationConfig &config) {
    ReportLayout layout(canvas);
    layout.advance(layout.logo());
    drawGeneral(layout, config);
    const bool normal = config.mode == config::Mode::Normal;
    drawHeadings(layout, normal);
    for (int index = 0; index < config::kProfileCount; ++index)
        drawProfile(layout, config, index, normal);
}

} // namespace nxa::report

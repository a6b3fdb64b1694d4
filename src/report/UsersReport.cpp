#include "report/UsersReport.h"

#include "config/ChoiceTexts.h"
#include "config/StationConfig.h"
#include "config/UserCodes.h"
#include "report/ReportLayout.h"

namespace nxa::report {

namespace {

constexpr int kIdColumn = 0;
constexpr int kNameColumn = 10;
constexpr int kProfileColumn = 60;
constexpr int kCodeColumn = 90;
constexpr int kTitleGaps = 2;

void drawHeadings(ReportLayout &layout) {
    const ColumnGrid grid = layout.geometry().narrowGrid;
    layout.left(grid, kIdColumn, QStringLiteral("ID"));
    layout.left(grid, kNameColumn, QStringLiteral("Name"));
    layout.left(grid, kProfileColumn, QStringLiteral("Profile"));
    layout.ruleBelowHeadings(layout.left(grid, kCodeColumn, QStringLiteral("User Code")));
}

} // namespace

QString usersDocumentName(const config::StationConfig &config) {
    return QStringLiteral("Brontel NXA %1 Users").arg(config.peripheralNumber());
}

void usersReport(Canvas &canvas, const config::StationConfig &config) {
    ReportLayout layout(canvas);
    layout.advance(layout.logo());
    layout.peripheralLine(QString::number(config.peripheralNumber()));
    layout.titleLine(config.description, kTitleGaps);
    drawHeadings(layout);

    const ColumnGrid grid = layout.geometry().narrowGrid;
    int printed = 0;
    for (int k = 0; k < config::kUserCount; ++k) {
        const config::User &user = config.users[static_cast<size_t>(k)];
        if (!user.active)
            continue;
        // Inactive users leave no gap in the banding.
        if (++printed % 2 == 0)
            layout.band();
        layout.left(grid, kIdColumn, QString::number(k));
        layout.leftFitted(grid, kNameColumn, user.name,
                          grid.x(kProfileColumn) - grid.x(kNameColumn) - grid.unit);
        layout.left(grid, kProfileColumn, config::profileChoiceText(user.profile));
        layout.advanceRow(layout.left(grid, kCodeColumn, config::userCode(config.generator, k)));
    }
}

} // namespace nxa::report

#include "collect/CheckSharedCauses.h"

#include "audit/AnalysisTexts.h"

namespace nxa::collect {

namespace {

constexpr double kPercent = 100.0;

QString measureText(analysis::LevelMeasure measure) {
    return measure == analysis::LevelMeasure::WristStrap ? QStringLiteral("WS")
                                                         : QStringLiteral("footwear");
}

QString factorText(double factor) {
    return QStringLiteral("\u00d7%1").arg(factor, 0, 'f', factor >= 1 ? 1 : 2);
}

QString perDay(double log10Slope) {
    return audit::slopePercentText(log10Slope, 1) + QStringLiteral(" %/day");
}

QString testerName(const analysis::Plant &plant, int tester) {
    return plant.testers[static_cast<std::size_t>(tester)].name;
}

QString percent(double rate) {
    return QString::number(rate * kPercent, 'f', 1);
}

} // namespace

QStringList plantShiftLines(const analysis::PlantLevels &levels) {
    QStringList lines;
    for (const analysis::LevelShift &s : levels.shifts) {
        if (s.tester >= 0)
            continue;
        const bool footwear = s.measure == analysis::LevelMeasure::Footwear;
        lines.append(QStringLiteral("plant-wide %1 level %2 since %3 (%4? check the humidity); "
                                    "%5 over the %6 days since")
                         .arg(measureText(s.measure), factorText(s.change.factor),
                              audit::dayText(s.change.startDay),
                              footwear ? QStringLiteral("dry air") : QStringLiteral("dry skin"),
                              perDay(s.change.slopePerDay))
                         .arg(s.change.days));
    }
    return lines;
}

QStringList testerShiftLines(const analysis::Plant &plant, const analysis::PlantLevels &levels) {
    QStringList lines;
    for (const analysis::LevelShift &s : levels.shifts) {
        if (s.tester < 0)
            continue;
        const double slope = s.change.slopePerDay;
        const QString how =
            s.change.sloping
                ? QStringLiteral("%1 %2").arg(
                      slope > 0 ? QStringLiteral("rises") : QStringLiteral("falls"), perDay(slope))
                : QStringLiteral("stands %1").arg(factorText(s.change.factor));
        lines.append(QStringLiteral("%1: every person's %2 reading %3 since %4: check the "
                                    "tester's plate and its verification; %5 so far")
                         .arg(testerName(plant, s.tester), measureText(s.measure), how,
                              audit::dayText(s.change.startDay), factorText(s.change.factor)));
    }
    return lines;
}

QStringList funnelLines(const analysis::Plant &plant, const analysis::TesterFunnel &funnel) {
    QStringList lines;
    for (const analysis::FunnelPoint &p : funnel.testers) {
        if (p.standing != analysis::FunnelStanding::Outside)
            continue;
        lines.append(QStringLiteral("%1  %2 of %3 tests failed (%4 %) from %5 to %6, the plant "
                                    "%7 %: %8 its limits of %9 to %10 % (99.8 %)")
                         .arg(testerName(plant, p.tester))
                         .arg(p.fails)
                         .arg(p.tests)
                         .arg(percent(p.rate), audit::dayText(funnel.fromDay),
                              audit::dayText(funnel.toDay), percent(funnel.plantRate),
                              p.above() ? QStringLiteral("above") : QStringLiteral("below"),
                              percent(p.lower998), percent(p.upper998)));
    }
    return lines;
}

QStringList tooFewTestsLines(const analysis::Plant &plant, const analysis::TesterFunnel &funnel) {
    QStringList lines;
    // Without a fail anywhere there is no rate to compare with.
    if (funnel.fails == 0)
        return lines;
    for (const analysis::FunnelPoint &p : funnel.testers)
        if (p.standing == analysis::FunnelStanding::TooFewTests)
            lines.append(QStringLiteral("%1  %2 tests from %3 to %4: too few to compare its fail "
                                        "rate with the plant's")
                             .arg(testerName(plant, p.tester))
                             .arg(p.tests)
                             .arg(audit::dayText(funnel.fromDay), audit::dayText(funnel.toDay)));
    return lines;
}

} // namespace nxa::collect

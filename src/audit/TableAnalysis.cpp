#include "audit/TableAnalysis.h"

#include "analysis/DailyCompliance.h"
#include "analysis/DriftWatch.h"
#include "audit/AnalysisTexts.h"
#include "audit/AuditReport.h"
#include "audit/PersonTrend.h"
#include "config/StationConfig.h"

#include <algorithm>
#include <cmath>

namespace nxa::audit {

namespace {

constexpr double kPercent = 100.0;

// The configuration becomes the tester's only one, in force over every row.
void attachLimits(TablePlant &plant, const TableLimits &limits) {
    for (size_t t = 0; t < plant.peripheralNumbers.size(); ++t)
        if (noLimitsReason(limits, plant.peripheralNumbers[t]).isEmpty())
            plant.plant.testers[t].limits.push_back(
                limitsSnapshot(*limits.config, limits.now.toMSecsSinceEpoch(),
                               int(limits.now.date().toJulianDay())));
    plant.plant.nowMs = limits.now.toMSecsSinceEpoch();
}

QString slopeLine(const analysis::DriftResult &d, const analysis::AnalysisSettings &settings,
                  int analysedDay) {
    const QString measure = measureName(d.measure);
    if (!d.fitted)
        return QStringLiteral("%1: %2, too few for a trend (%3 needed)")
            .arg(measure, countText(d.daysUsed, QStringLiteral("day with values"),
                                    QStringLiteral("days with values")))
            .arg(settings.driftMinimumDays);
    const QString slope = slopePercentText(d.slopePerDay, 2) + QStringLiteral(" %/day");
    // A slope that rounds to nothing says nothing.
    if (slopePercentText(d.slopePerDay, 2).mid(1).toDouble() == 0.0)
        return QStringLiteral("%1: no significant trend").arg(measure);
    if (!d.significant)
        return QStringLiteral("%1: %2, not significant").arg(measure, slope);
    QString line = QStringLiteral("%1: %2, significant").arg(measure, slope);
    if (d.limitsKnown && d.crossingSide && d.daysToCrossing) {
        const bool max = *d.crossingSide == analysis::LimitSide::Max;
        const auto limit = max ? d.range.maxKohm : d.range.minKohm;
        if (limit && *d.daysToCrossing <= 0)
            line += QStringLiteral("; already beyond its %1 limit of %2 kΩ")
                        .arg(max ? QStringLiteral("max") : QStringLiteral("min"))
                        .arg(*limit);
        else if (limit)
            line += QStringLiteral("; projected to cross its %1 limit of %2 kΩ on %3")
                        .arg(max ? QStringLiteral("max") : QStringLiteral("min"))
                        .arg(*limit)
                        .arg(dayText(analysis::crossingDay(analysedDay, *d.daysToCrossing)));
    }
    return line;
}

} // namespace

const config::StationConfig *testerConfiguration(const config::StationConfig &held) {
    config::StationConfig defaults;
    defaults.setPeripheralNumber(held.peripheralNumber());
    return held == defaults ? nullptr : &held;
}

QString noLimitsReason(const TableLimits &limits, int peripheralNumber) {
    if (!limits.config)
        return QStringLiteral("No limits: the Configuration view holds no tester's "
                              "configuration; download it or open its file to see them.");
    if (limits.config->peripheralNumber() != peripheralNumber)
        return QStringLiteral("No limits: the configuration in the Configuration view is of "
                              "PN %1, these rows are of PN %2.")
            .arg(limits.config->peripheralNumber())
            .arg(peripheralNumber);
    return {};
}

PersonTrendPage personTrendPage(const records::DataloggerTable &table, const TablePerson &person,
                                const QString &name, const TableLimits &limits) {
    PersonTrendPage page;
    page.title = QStringLiteral("PN %1, user %2: %3")
                     .arg(person.peripheralNumber)
                     .arg(person.user)
                     .arg(name.isEmpty() ? QStringLiteral("-") : name);
    page.noLimits = noLimitsReason(limits, person.peripheralNumber);
    TablePlant plant = tablePlant(table, person);
    attachLimits(plant, limits);
    const std::vector<analysis::Access> &accesses = plant.plant.accesses;
    page.tests = int(accesses.size());
    const qint64 invalid = plant.invalidTimes.empty() ? 0 : plant.invalidTimes.front();
    page.lines.append(QStringLiteral("Tests: %1").arg(page.tests) +
                      (invalid
                           ? QStringLiteral(" (and %1 without a valid date and time)").arg(invalid)
                           : QString()));
    if (accesses.empty())
        return page;
    page.firstDay = accesses.front().day;
    page.lastDay = accesses.back().day;

    const std::vector<analysis::PersonDay> days = analysis::dailyCompliance(plant.plant);
    const auto firstPassed = std::count_if(
        days.begin(), days.end(), [](const analysis::PersonDay &d) { return d.first.pass; });
    page.lines.append(
        QStringLiteral("First attempt passed: %1 of %2 (%3 %)")
            .arg(firstPassed)
            .arg(countText(qint64(days.size()), QStringLiteral("day"), QStringLiteral("days")))
            .arg(double(firstPassed) * kPercent / double(days.size()), 0, 'f', 1));

    // The trend is read over the report's drift window ending on the
    // person's last day, so that the window and the report agree; the charts
    // show that window and say how many readings came before it.
    const analysis::AnalysisSettings settings;
    const std::vector<analysis::DriftResult> drift =
        analysis::driftWatch(plant.plant, page.lastDay, settings);
    for (const analysis::DriftResult &d : drift)
        page.lines.append(slopeLine(d, settings, page.lastDay));
    const int windowFrom = page.lastDay - settings.driftWindowDays + 1;
    for (const bool footwear : {true, false}) {
        const TrendRequest request{0, person.user, footwear, windowFrom, page.lastDay};
        charts::PersonTrend chart = personTrend(
            plant.plant, drift, request,
            QStringLiteral("%1, %2").arg(page.title, footwear ? QStringLiteral("footwear")
                                                              : QStringLiteral("wrist strap")));
        if (!chart.series.empty())
            page.charts.push_back(std::move(chart));
    }
    // The charts stand one above the other: one span of days for all, so that
    // a day is read at the same place in each, the latest crossing included.
    int lastDrawn = page.lastDay;
    for (const charts::PersonTrend &chart : page.charts)
        for (const charts::TrendSeries &series : chart.series)
            if (series.crossing)
                lastDrawn = std::max(lastDrawn, series.crossing->day);
    for (charts::PersonTrend &chart : page.charts)
        chart.lastDay = lastDrawn;
    return page;
}

document::ReportDocument tableReport(const records::DataloggerTable &table,
                                     const TableLimits &limits) {
    TablePlant plant = tablePlant(table);
    attachLimits(plant, limits);
    AuditReportInput input;
    QStringList testers;
    for (const int pn : plant.peripheralNumbers)
        testers.append(QStringLiteral("PN %1").arg(pn));
    input.title = QStringLiteral("Datalogger of %1")
                      .arg(testers.isEmpty() ? QStringLiteral("no tester")
                                             : testers.join(QStringLiteral(", ")));
    int first = int(limits.now.date().toJulianDay());
    int last = first;
    if (!plant.plant.accesses.empty()) {
        const auto [low, high] = std::minmax_element(
            plant.plant.accesses.begin(), plant.plant.accesses.end(),
            [](const analysis::Access &a, const analysis::Access &b) { return a.day < b.day; });
        first = low->day;
        last = high->day;
    }
    input.from = QDate::fromJulianDay(first);
    input.to = QDate::fromJulianDay(last);
    input.plant = &plant.plant;
    input.invalidTimes = plant.invalidTimes;
    input.generated = limits.now;
    input.fromTable = true;
    document::ReportDocument document = auditReport(input);
    // Rows the analysis could not place are said, not silently left out.
    if (plant.unreadRows > 0 && !document.sections.empty())
        document.sections.back().blocks.push_back(document::Paragraph{
            plant.unreadRows == 1
                ? QStringLiteral("1 row of the table has no numeric PN or ID and is left out of "
                                 "every figure.")
                : QStringLiteral("%1 rows of the table have no numeric PN or ID and are left out "
                                 "of every figure.")
                      .arg(plant.unreadRows)});
    QStringList reasons;
    for (const int pn : plant.peripheralNumbers)
        if (const QString reason = noLimitsReason(limits, pn); !reason.isEmpty())
            reasons.append(reason);
    if (!reasons.isEmpty() && document.sections.size() > 1)
        document.sections[1].blocks.insert(document.sections[1].blocks.begin(),
                                           document::Paragraph{reasons.join(QLatin1Char(' '))});
    return document;
}

} // namespace nxa::audit

#include "audit/PlanSections.h"

#include "analysis/CalibrationDue.h"
#include "analysis/ConfigurationChanges.h"
#include "audit/AnalysisTexts.h"
#include "audit/PlanTexts.h"
#include "common/VisibleText.h"

#include <QDateTime>

namespace nxa::audit {

namespace {

QString standingText(const analysis::CalibrationStanding &s, const analysis::TesterInput &tester) {
    using State = analysis::CalibrationStanding::State;
    switch (s.state) {
    case State::NotTracked:
        return QStringLiteral("no interval set: never due");
    case State::Never:
        return QStringLiteral("due: no calibration recorded (one every %1 days)")
            .arg(*tester.calibrationEveryDays);
    case State::Failed:
        return QStringLiteral("due: the last calibration found it out of tolerance");
    case State::Overdue:
        return QStringLiteral("overdue since %1 (one every %2 days)")
            .arg(dayText(*s.dueDay))
            .arg(*tester.calibrationEveryDays);
    case State::Ok:
    case State::DueSoon:
        return QStringLiteral("next due %1 (one every %2 days)")
            .arg(dayText(*s.dueDay))
            .arg(*tester.calibrationEveryDays);
    }
    return {};
}

} // namespace

std::vector<document::Block> configurationChangeBlocks(const analysis::Plant &plant, int fromDay,
                                                       int toDay) {
    document::Table t;
    t.header = {QStringLiteral("First seen"), QStringLiteral("Tester"), QStringLiteral("What"),
                QStringLiteral("Before"), QStringLiteral("After")};
    for (const analysis::ConfigurationChange &change :
         analysis::configurationChanges(plant, fromDay, toDay)) {
        const QString seen = QDateTime::fromMSecsSinceEpoch(change.takenMs)
                                 .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        for (const ChangeText &text : changeTexts(change))
            t.rows.push_back({seen, plant.testers[static_cast<size_t>(change.tester)].name,
                              text.what, text.before, text.after});
    }
    if (t.rows.empty())
        return {document::Paragraph{QStringLiteral("No configuration changed in the period.")}};
    return {document::Paragraph{QStringLiteral(
                "Every configuration change first collected in the period, against the tester's "
                "configuration before it: limits and check choices per profile with the old and "
                "new value, the mode, and the user table's changes as counts.")},
            t};
}

document::Section calibrationSection(const analysis::Plant &plant, int fromDay, int toDay) {
    std::vector<document::Block> blocks;
    blocks.push_back(document::Paragraph{QStringLiteral(
        "Per tester, the calibrations and verifications recorded for the period and, at its "
        "end, when the next one is due.")});
    for (const analysis::TesterInput &tester : plant.testers) {
        const analysis::CalibrationStanding standing = analysis::calibrationStanding(tester, toDay);
        blocks.push_back(document::Summary{{{tester.name, standingText(standing, tester)}}});
        document::Table t;
        t.header = {QStringLiteral("Day"), QStringLiteral("By"), QStringLiteral("Certificate"),
                    QStringLiteral("Result"), QStringLiteral("Note")};
        for (const analysis::Calibration &c : tester.calibrations)
            if (c.day >= fromDay && c.day <= toDay)
                // Typed by whoever recorded it: shown as text, never acting.
                t.rows.push_back(
                    {dayText(c.day), visibleText(c.by), visibleText(c.certificate),
                     c.failed ? QStringLiteral("out of tolerance") : QStringLiteral("in tolerance"),
                     visibleText(c.note)});
        if (t.rows.empty())
            blocks.push_back(
                document::Paragraph{QStringLiteral("No calibration recorded in the period.")});
        else
            blocks.push_back(t);
    }
    return {QStringLiteral("Calibrations"), blocks};
}

} // namespace nxa::audit

#include "audit/PlanTexts.h"

#include "audit/AnalysisTexts.h"

namespace nxa::audit {

namespace {

QString measureText(analysis::PlanMeasure measure) {
    return measure == analysis::PlanMeasure::WristStrap ? QStringLiteral("wrist strap")
                                                        : QStringLiteral("footwear");
}

QString fieldText(analysis::LimitField field) {
    switch (field) {
    case analysis::LimitField::FootwearMin:
        return QStringLiteral("footwear min");
    case analysis::LimitField::FootwearMax:
        return QStringLiteral("footwear max");
    case analysis::LimitField::WristStrapMin:
        return QStringLiteral("wrist strap min");
    case analysis::LimitField::WristStrapMax:
        return QStringLiteral("wrist strap max");
    case analysis::LimitField::Check:
        return QStringLiteral("check");
    }
    return {};
}

QString modeText(analysis::Mode mode) {
    return mode == analysis::Mode::HandFree ? QStringLiteral("HandFree") : QStringLiteral("Normal");
}

QString countText(int count, const char *what) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(what));
}

} // namespace

QString profileText(int profile) {
    return profile == config::kVisitorsProfile ? QStringLiteral("visitors profile")
                                               : QStringLiteral("profile %1").arg(profile + 1);
}

QString checkChoiceText(analysis::Check check) {
    return checkText(check, analysis::Mode::Normal);
}

QString limitText(const std::optional<std::int64_t> &kohm) {
    return kohm ? QStringLiteral("%1 kOhm").arg(*kohm) : QStringLiteral("none");
}

QString loosenessText(const analysis::Looseness &l, analysis::Mode mode, analysis::Check check) {
    using Kind = analysis::Looseness::Kind;
    const QString measure = measureText(l.measure);
    switch (l.kind) {
    case Kind::MaxAbove:
        return QStringLiteral("%1 max %2, above the plan's %3")
            .arg(measure, limitText(l.profileKohm), limitText(l.planKohm));
    case Kind::NoMax:
        return QStringLiteral("no %1 max, the plan's is %2").arg(measure, limitText(l.planKohm));
    case Kind::MinBelow:
        return QStringLiteral("%1 min %2, below the plan's %3")
            .arg(measure, limitText(l.profileKohm), limitText(l.planKohm));
    case Kind::NoMin:
        return QStringLiteral("no %1 min, the plan's is %2").arg(measure, limitText(l.planKohm));
    case Kind::LeftOut:
        return mode == analysis::Mode::HandFree
                   ? QStringLiteral("HandFree mode does not measure the %1").arg(measure)
                   : QStringLiteral("checks %1 only: the %2 is not measured")
                         .arg(checkChoiceText(check), measure);
    }
    return {};
}

std::vector<ChangeText> changeTexts(const analysis::ConfigurationChange &change) {
    std::vector<ChangeText> texts;
    if (change.mode)
        texts.push_back(
            {QStringLiteral("mode"), modeText(change.mode->first), modeText(change.mode->second)});
    for (const analysis::LimitChange &l : change.limits) {
        const QString what =
            QStringLiteral("%1  %2").arg(profileText(l.profile), fieldText(l.field));
        if (l.field == analysis::LimitField::Check)
            texts.push_back({what, checkChoiceText(l.checkBefore), checkChoiceText(l.checkAfter)});
        else
            texts.push_back({what, limitText(l.beforeKohm), limitText(l.afterKohm)});
    }
    if (change.users.any()) {
        QStringList counts;
        if (change.users.activated)
            counts.append(countText(change.users.activated, "activated"));
        if (change.users.deactivated)
            counts.append(countText(change.users.deactivated, "deactivated"));
        if (change.users.renamed)
            counts.append(countText(change.users.renamed, "renamed"));
        if (change.users.moved)
            counts.append(countText(change.users.moved, "moved to another profile"));
        texts.push_back({QStringLiteral("user table"),
                         {},
                         QStringLiteral("users: ") + counts.join(QStringLiteral(", "))});
    }
    if (change.otherOnly())
        texts.push_back({QStringLiteral("other settings"),
                         {},
                         QStringLiteral("no limit, check or user changed")});
    return texts;
}

QString calibrationText(const analysis::Calibration &c) {
    QString text = QStringLiteral("%1 by %2").arg(dayText(c.day), c.by);
    if (!c.certificate.isEmpty())
        text += QStringLiteral(", certificate ") + c.certificate;
    if (c.failed)
        text += QStringLiteral(", out of tolerance");
    if (!c.note.isEmpty())
        text += QStringLiteral(", note: ") + c.note;
    return text;
}

} // namespace nxa::audit

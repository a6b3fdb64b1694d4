#include "collect/PlanSettings.h"

namespace nxa::collect {

namespace {

// A limit field of the tester holds at most 7 digits.
constexpr qint64 kMaxLimitKohm = 9999999;
// Ten years: a longer interval is a typing error, not a plan.
constexpr int kMaxCalibrationDays = 3650;

std::optional<qint64> side(const QString &text, bool &ok) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool number = false;
    const qint64 value = trimmed.toLongLong(&number, 10);
    for (const QChar c : trimmed)
        number = number && c.isDigit();
    ok = ok && number && value <= kMaxLimitKohm;
    return value;
}

QString readRange(const QString &key, const QString &value, std::optional<analysis::Range> &into) {
    const QStringList sides = value.split(QLatin1Char('-'));
    bool ok = sides.size() == 2;
    analysis::Range range;
    if (ok) {
        range.minKohm = side(sides[0], ok);
        range.maxKohm = side(sides[1], ok);
    }
    if (!ok)
        return QStringLiteral("%1 must be kOhm as min-max, either side may be empty (such as "
                              "750-35000), not \"%2\"")
            .arg(key, value);
    if (range.minKohm && range.maxKohm && *range.minKohm > *range.maxKohm)
        return QStringLiteral("%1: the min %2 is above the max %3")
            .arg(key)
            .arg(*range.minKohm)
            .arg(*range.maxKohm);
    into = range;
    return {};
}

} // namespace

const QStringList &planKeys() {
    static const QStringList keys = {QStringLiteral("plan-wrist-strap"),
                                     QStringLiteral("plan-footwear"),
                                     QStringLiteral("calibration-every")};
    return keys;
}

QString readPlanKey(const QString &key, const QString &value, PlanSettings &into) {
    if (key == QLatin1String("plan-wrist-strap"))
        return readRange(key, value, into.wristStrap);
    if (key == QLatin1String("plan-footwear"))
        return readRange(key, value, into.footwear);
    bool ok = false;
    const int days = value.toInt(&ok, 10);
    if (!ok || days < 1 || days > kMaxCalibrationDays)
        return QStringLiteral("calibration-every must be days from 1 to %1, not \"%2\"")
            .arg(kMaxCalibrationDays)
            .arg(value);
    into.calibrationEveryDays = days;
    return {};
}

PlanSettings testerPlan(const PlanSettings &global, const PlanSettings &own) {
    PlanSettings plan = global;
    if (own.wristStrap)
        plan.wristStrap = own.wristStrap;
    if (own.footwear)
        plan.footwear = own.footwear;
    if (own.calibrationEveryDays)
        plan.calibrationEveryDays = own.calibrationEveryDays;
    return plan;
}

} // namespace nxa::collect

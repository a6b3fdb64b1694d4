#include "report/ChoiceTexts.h"

#include <QStringList>

namespace nxa::report {

namespace {

QString itemText(const QStringList &items, int index) {
    return index >= 0 && index < items.size() ? items.at(index) : QString();
}

} // namespace

QString securityLevelText(config::SecurityLevel level) {
    switch (level) {
    case config::SecurityLevel::Max:
        return QStringLiteral("Max: user identification only with 'Fingerprint'");
    case config::SecurityLevel::Middle:
        return QStringLiteral("Middle: user identification with 'Fingerprint' or with 'User Code'");
    case config::SecurityLevel::Min:
        return QStringLiteral("Min: user identification with 'Fingerprint' or with 'ID'");
    }
    return {};
}

QString checkChoiceText(int index) {
    static const QStringList items{QStringLiteral("WS + Shoes"), QStringLiteral("WS"),
                                   QStringLiteral("Shoes")};
    return itemText(items, index);
}

QString relayChoiceText(int index) {
    static const QStringList items{QStringLiteral("Off"), QStringLiteral("Always"),
                                   QStringLiteral("If Check is OK")};
    return itemText(items, index);
}

QString profileChoiceText(int index) {
    constexpr int kProfileChoices = 10;
    if (index < 0 || index >= kProfileChoices)
        return {};
    return QStringLiteral("Profile %1").arg(index + 1, 2);
}

} // namespace nxa::report

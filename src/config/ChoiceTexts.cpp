#include "config/ChoiceTexts.h"

namespace nxa::config {

namespace {

QString itemText(const QStringList &items, int index) {
    return index >= 0 && index < items.size() ? items.at(index) : QString();
}

} // namespace

QString securityLevelText(SecurityLevel level) {
    switch (level) {
    case SecurityLevel::Max:
        return QStringLiteral("Max: user identification only with 'Fingerprint'");
    case SecurityLevel::Middle:
        return QStringLiteral("Middle: user identification with 'Fingerprint' or with 'User Code'");
    case SecurityLevel::Min:
        return QStringLiteral("Min: user identification with 'Fingerprint' or with 'ID'");
    }
    return {};
}

QStringList checkChoices() {
    return {QStringLiteral("WS + Shoes"), QStringLiteral("WS"), QStringLiteral("Shoes")};
}

QStringList relayChoices() {
    return {QStringLiteral("Off"), QStringLiteral("Always"), QStringLiteral("If Check is OK")};
}

QString checkChoiceText(int index) {
    static const QStringList items = checkChoices();
    return itemText(items, index);
}

QString relayChoiceText(int index) {
    static const QStringList items = relayChoices();
    return itemText(items, index);
}

QString profileChoiceText(int index) {
    if (index < 0 || index >= kProfileChoiceCount)
        return {};
    return QStringLiteral("Profile %1").arg(index + 1, 2);
}

} // namespace nxa::config

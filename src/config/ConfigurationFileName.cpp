#include "config/ConfigurationFileName.h"

#include <algorithm>

namespace nxa::config {

namespace {
const QString kNamePrefix = QStringLiteral("CONFIG");
const QString kNameExtension = QStringLiteral(".BRC");
} // namespace

QString configurationFileName(int peripheralNumber) {
    const QString number = QStringLiteral("%1").arg(peripheralNumber, 2, 10, QLatin1Char('0'));
    return kNamePrefix + number.left(2) + kNameExtension;
}

FileNameRuleResult configurationFileNameRule(const QString &path) {
    FileNameRuleResult result;
    if (const std::optional<int> number = numberedFileName(path, kNamePrefix, kNameExtension)) {
        // Like every value put into the peripheral number, 00 goes to the nearer bound.
        result.peripheralNumber = std::clamp(*number, kMinPeripheralNumber, kMaxPeripheralNumber);
        return result;
    }
    result.peripheralNumber = kMinPeripheralNumber;
    result.warning = Notice{
        QStringLiteral("WARNING"),
        QStringLiteral("Not standard filename\n(Not like CONFIGXX.BRC where XX is the Peripheral "
                       "number)\n\nThe Peripheral number is set To 1, because it can't be read "
                       "from the filename"),
        NoticeIcon::Warning};
    return result;
}

} // namespace nxa::config

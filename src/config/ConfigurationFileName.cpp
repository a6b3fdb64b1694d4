#include "config/ConfigurationFileName.h"

#include <algorithm>

namespace nxa::config {

namespace {
constexpr int kStandardNameLength = 12;
const QString kNamePrefix = QStringLiteral("CONFIG");
const QString kNameExtension = QStringLiteral(".BRC");
constexpr int kFirstDigit = 6; // 0-based position of the first of the two digits

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

QString configurationFileName(int peripheralNumber) {
    const QString number = QStringLiteral("%1").arg(peripheralNumber, 2, 10, QLatin1Char('0'));
    return kNamePrefix + number.left(2) + kNameExtension;
}

QString fileNamePart(const QString &path) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

FileNameRuleResult configurationFileNameRule(const QString &path) {
    const QString name = fileNamePart(path);
    FileNameRuleResult result;
    const bool standard = name.size() == kStandardNameLength && name.startsWith(kNamePrefix) &&
                          name.endsWith(kNameExtension) && isAsciiDigit(name.at(kFirstDigit)) &&
                          isAsciiDigit(name.at(kFirstDigit + 1));
    if (standard) {
        const int value = 10 * (name.at(kFirstDigit).unicode() - '0') +
                          (name.at(kFirstDigit + 1).unicode() - '0');
        // Like every value put into the peripheral number, 00 goes to the nearer bound.
        result.peripheralNumber = std::clamp(value, kMinPeripheralNumber, kMaxPeripheralNumber);
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

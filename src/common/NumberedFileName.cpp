#include "common/NumberedFileName.h"

#include "common/ByteFields.h"

#include <algorithm>

namespace nxa {

QString fileNamePart(const QString &path) {
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

std::optional<int> numberedFileName(const QString &path, QStringView prefix,
                                    QStringView extension) {
    constexpr int kDigits = 2;
    const QString name = fileNamePart(path);
    if (name.size() != prefix.size() + kDigits + extension.size() || !name.startsWith(prefix) ||
        !name.endsWith(extension))
        return std::nullopt;
    const QChar tens = name.at(prefix.size());
    const QChar units = name.at(prefix.size() + 1);
    if (!isAsciiDigit(tens) || !isAsciiDigit(units))
        return std::nullopt;
    return 10 * (tens.unicode() - u'0') + (units.unicode() - u'0');
}

} // namespace nxa

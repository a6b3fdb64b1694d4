#include "common/VisibleText.h"

namespace nxa {

namespace {

bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

qsizetype firstControl(QStringView text) {
    qsizetype first = 0;
    while (first < text.size() && !isControl(text[first].unicode()))
        ++first;
    return first;
}

} // namespace

bool hasControlCharacters(QStringView text) {
    return firstControl(text) < text.size();
}

QString visibleText(QStringView text) {
    const qsizetype first = firstControl(text);
    // Names almost never hold one: no copy is made for them.
    if (first == text.size())
        return text.toString();
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString visible;
    visible.reserve(text.size() + 8);
    visible.append(text.left(first));
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!isControl(c)) {
            visible.append(QChar(c));
            continue;
        }
        visible.append(QLatin1String("\\x"));
        visible.append(QLatin1Char(kHex[(c >> 4) & 0xF]));
        visible.append(QLatin1Char(kHex[c & 0xF]));
    }
    return visible;
}

} // namespace nxa

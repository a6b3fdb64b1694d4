#include "web/RequestTarget.h"

#include <QStringDecoder>
#include <QUrl>

namespace nxa::web {

namespace {

// Decoded bytes as text, or nothing when they are no UTF-8 or hold a
// control character (a NUL would cut a name short further on).
std::optional<QString> utf8Text(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            return std::nullopt;
    return text;
}

} // namespace

TargetCheck checkTarget(const QByteArray &rawPath,
                        const QList<std::pair<QByteArray, QByteArray>> &rawQuery) {
    TargetCheck check;
    if (rawPath.size() > kMaxPathBytes) {
        check.status = 414;
        return check;
    }
    // Encoded separators and dots have no use in this site's paths but to
    // slip past a check that looks at the decoded path only.
    const QByteArray lower = rawPath.toLower();
    if (!rawPath.startsWith('/') || lower.contains("%2f") || lower.contains("%5c") ||
        lower.contains("%2e") || lower.contains("%00") || rawPath.contains('\\'))
        return check;
    const QByteArray decoded = QByteArray::fromPercentEncoding(rawPath);
    for (const QByteArray &segment : decoded.split('/'))
        if (segment == "." || segment == "..")
            return check;
    const std::optional<QString> path = utf8Text(decoded);
    if (!path)
        return check;
    if (rawQuery.size() > kMaxQueryValues)
        return check;
    HttpRequest request;
    request.path = *path;
    for (const auto &[rawKey, rawValue] : rawQuery) {
        QByteArray key = rawKey;
        QByteArray value = rawValue;
        key.replace('+', ' ');
        value.replace('+', ' ');
        key = QByteArray::fromPercentEncoding(key);
        value = QByteArray::fromPercentEncoding(value);
        if (key.size() > kMaxQueryValueBytes || value.size() > kMaxQueryValueBytes) {
            check.status = 414;
            return check;
        }
        const std::optional<QString> keyText = utf8Text(key);
        const std::optional<QString> valueText = utf8Text(value);
        if (!keyText || !valueText || request.query.contains(*keyText))
            return check;
        request.query.insert(*keyText, *valueText);
    }
    check.request = std::move(request);
    return check;
}

} // namespace nxa::web

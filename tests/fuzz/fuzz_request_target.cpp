// The web view's check of a request's path and query fed any target, split
// at "?", "&" and the first "=" as the HTTP server splits it. Whatever it
// accepts is an absolute path without "." or ".." segments or control
// characters, and query values of bounded length that hold no control
// character either; the server hands nothing else to a page.

#include "FuzzCheck.h"
#include "web/RequestTarget.h"

#include <QByteArray>

#include <cstdint>

namespace {

bool hasControl(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray target(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype mark = target.indexOf('?');
    const QByteArray path = mark < 0 ? target : target.left(mark);
    QList<std::pair<QByteArray, QByteArray>> query;
    if (mark >= 0)
        for (const QByteArray &pair : target.mid(mark + 1).split('&')) {
            const qsizetype equals = pair.indexOf('=');
            query.append(equals < 0 ? std::pair(pair, QByteArray())
                                    : std::pair(pair.left(equals), pair.mid(equals + 1)));
        }
    const nxa::web::TargetCheck check = nxa::web::checkTarget(path, query);
    if (!check.request) {
        NXA_FUZZ_CHECK(check.status == 400 || check.status == 414);
        return 0;
    }
    const nxa::web::HttpRequest &request = *check.request;
    NXA_FUZZ_CHECK(request.path.startsWith(QLatin1Char('/')));
    NXA_FUZZ_CHECK(!hasControl(request.path));
    for (const QString &segment : request.path.split(QLatin1Char('/')))
        NXA_FUZZ_CHECK(segment != QLatin1String(".") && segment != QLatin1String(".."));
    NXA_FUZZ_CHECK(!request.path.contains(QLatin1Char('\\')));
    NXA_FUZZ_CHECK(request.query.size() <= nxa::web::kMaxQueryValues);
    for (auto it = request.query.cbegin(); it != request.query.cend(); ++it) {
        NXA_FUZZ_CHECK(it.value().toUtf8().size() <= nxa::web::kMaxQueryValueBytes);
        NXA_FUZZ_CHECK(!hasControl(it.key()) && !hasControl(it.value()));
    }
    return 0;
}

#include "collect/site/VerifyPage.h"

#include "collect/ArchiveRows.h"
#include "collect/CollectCommandLine.h"
#include "collect/CollectVerify.h"

#include <QTextStream>

namespace nxa::collect {

web::HttpResponse verifyPage(const PageContext &context) {
    QString error;
    const std::optional<QVariant> count =
        singleValue(context.archive, QStringLiteral("SELECT COUNT(*) FROM checkpoints"), {}, error);
    if (!count)
        return archiveFailure(error);
    if (count->toLongLong() == 0)
        return sitePage(QStringLiteral("Verification"),
                        QStringLiteral("<p>The archive has no signed checkpoint: nothing proves "
                                       "it. Give the collector a checkpoint-key= to sign one "
                                       "after every download.</p>\n"));
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    const int status = verifyCommand(context.config, {}, out, err);
    out.flush();
    err.flush();
    const QString verdict = status == kExitOk ? QStringLiteral("<p class=\"good\"><b>Intact</b>: "
                                                               "the archive matches every "
                                                               "checkpoint.</p>\n")
                            : status == kExitTampered
                                ? QStringLiteral("<p class=\"bad\"><span class=\"tag\">NOT "
                                                 "INTACT</span> or unproven: see below.</p>\n")
                                : QStringLiteral("<p class=\"bad\">The verification could not "
                                                 "run.</p>\n");
    return sitePage(QStringLiteral("Verification"),
                    QStringLiteral("%1<p>Verified %2.</p>\n<pre>%3%4</pre>\n")
                        .arg(verdict,
                             html(context.now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
                             html(outText), html(errText)));
}

} // namespace nxa::collect

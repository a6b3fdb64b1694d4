#include "collect/site/VerifyPage.h"

#include "collect/ArchiveRows.h"
#include "collect/CollectVerify.h"

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
    const LogCheck check = checkArchiveLog(context.config, {}, {}, {});
    const QString verdict =
        !check.error.isEmpty() ? QStringLiteral("<p class=\"bad\">The verification could not run: "
                                                "%1</p>\n")
                                     .arg(html(check.error))
        : check.intact ? QStringLiteral("<p class=\"good\"><b>Intact</b>: the archive matches "
                                        "every checkpoint.</p>\n")
        : !check.disagreement.isEmpty()
            ? QStringLiteral("<p class=\"bad\"><span class=\"tag\">NOT INTACT</span> %1</p>\n")
                  .arg(html(check.disagreement))
            : QStringLiteral("<p class=\"bad\"><span class=\"tag\">UNPROVEN</span> no signed "
                             "checkpoint covers the archive yet.</p>\n");
    return sitePage(QStringLiteral("Verification"),
                    QStringLiteral("%1<p>Verified %2.</p>\n<pre>%3</pre>\n")
                        .arg(verdict,
                             html(context.now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
                             html(check.lines.join(QLatin1Char('\n')))));
}

} // namespace nxa::collect

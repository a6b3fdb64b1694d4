#include "collect/CollectReport.h"

#include "audit/AuditReport.h"
#include "collect/CollectVerify.h"
#include "collect/PlantRead.h"
#include "document/SaveDocument.h"

#include <QFileInfo>

#include <algorithm>

namespace nxa::collect {

namespace {

// "7", "north:7": the persons whose trend is drawn in any case.
std::optional<std::vector<std::pair<int, int>>>
choosePersons(const analysis::Plant &plant, const QStringList &persons, QString &error) {
    std::vector<std::pair<int, int>> chosen;
    for (const QString &text : persons) {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        const QString testerName = colon < 0 ? QString() : text.left(colon);
        bool ok = false;
        const int user = text.mid(colon + 1).toInt(&ok);
        if (!ok || user < 0 || user >= kUserCount) {
            error = QStringLiteral("--person needs a user number from 0 to 999, or TESTER:NUMBER, "
                                   "not \"%1\"")
                        .arg(text);
            return std::nullopt;
        }
        bool found = false;
        for (size_t t = 0; t < plant.testers.size(); ++t) {
            if (!testerName.isEmpty() && plant.testers[t].name != testerName)
                continue;
            found = true;
            chosen.emplace_back(int(t), user);
        }
        if (!found) {
            error = QStringLiteral("--person %1: no tester named \"%2\"").arg(text, testerName);
            return std::nullopt;
        }
    }
    return chosen;
}

// The archive held against its newest signed checkpoint, as the auditor
// reads it in the report: the result, which checkpoint, which key.
std::vector<document::KeyValue> integrityStatement(const CollectConfig &config) {
    const QString result = QStringLiteral("Result");
    if (config.checkpointKey.isEmpty())
        return {{result, QStringLiteral("unproven: no checkpoint-key is set, so no signed "
                                        "checkpoint covers the archive")}};
    const LogCheck check = checkArchiveLog(config, {}, config.witnesses, {});
    if (!check.error.isEmpty())
        return {{result, QStringLiteral("not checked: %1").arg(check.error)}};
    std::vector<document::KeyValue> items;
    if (!check.disagreement.isEmpty())
        items.push_back({result, QStringLiteral("NOT INTACT: %1").arg(check.disagreement)});
    else if (!check.newest)
        items.push_back({result, QStringLiteral("unproven: no signed checkpoint yet")});
    else
        items.push_back({result, QStringLiteral("intact: every archived row matches the log "
                                                "and its signed checkpoints")});
    if (check.newest) {
        constexpr int kRootPrefix = 16;
        items.push_back({QStringLiteral("Newest checkpoint"),
                         QStringLiteral("%1 leaves, root %2…, made %3")
                             .arg(check.newest->size)
                             .arg(QString::fromLatin1(check.newest->root.toHex().left(kRootPrefix)),
                                  QDateTime::fromMSecsSinceEpoch(check.newest->madeMs)
                                      .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))});
    }
    items.push_back({QStringLiteral("Key"), check.keyFingerprint});
    items.push_back({QStringLiteral("Checked"),
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))});
    return items;
}

} // namespace

ReportBuilt buildReport(const PlantRead &plant, const CollectConfig &config,
                        const ReportRequest &request) {
    ReportBuilt built;
    if (!plant.plant) {
        built.error = plant.error;
        built.usage = plant.unknownTester;
        return built;
    }
    audit::AuditReportInput input;
    // A file by its name; a server's database by its location as written.
    input.title = config.archive.kind == ArchiveLocation::Kind::Sqlite
                      ? QFileInfo(config.archive.path).fileName()
                      : config.archive.displayName();
    input.from = request.from;
    input.to = request.to;
    input.plant = &*plant.plant;
    input.invalidTimes = plant.invalidTimes;
    input.generated = QDateTime::currentDateTime();
    const auto persons = choosePersons(*plant.plant, request.persons, built.error);
    if (!persons) {
        built.usage = true;
        return built;
    }
    input.chosenPersons = *persons;
    input.integrity = integrityStatement(config);
    built.document = audit::auditReport(input);
    return built;
}

PlantRequest reportPlantRequest(const ReportRequest &request) {
    return driftRequest(request.from, request.to, request.testers,
                        audit::AuditReportInput().settings);
}

ReportOutcome runReport(const CollectConfig &config, const ReportRequest &request) {
    ReportOutcome outcome;
    const PlantRead plant = readPlant(config, reportPlantRequest(request));
    const ReportBuilt built = buildReport(plant, config, request);
    if (!built.document) {
        outcome.message = built.error;
        outcome.usage = built.usage;
        return outcome;
    }
    const document::ReportDocument &report = *built.document;

    const document::DocumentType type =
        request.pdf ? document::DocumentType::Pdf : document::DocumentType::Html;
    if (QString error; !document::saveDocument(report, request.path, type, &error)) {
        outcome.message = QStringLiteral("cannot write %1: %2").arg(request.path, error);
        return outcome;
    }
    outcome.ok = true;
    outcome.message =
        QStringLiteral("Saved %1 (%2 to %3, %4 tester%5)")
            .arg(request.path, request.from.toString(Qt::ISODate), request.to.toString(Qt::ISODate),
                 QString::number(plant.plant->testers.size()),
                 plant.plant->testers.size() == 1 ? QString() : QStringLiteral("s"));
    return outcome;
}

} // namespace nxa::collect

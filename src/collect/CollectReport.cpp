#include "collect/CollectReport.h"

#include "analysis/AnalysisSettings.h"
#include "audit/AuditReport.h"
#include "charts/ReportDocument.h"
#include "collect/Archive.h"
#include "collect/PlantRead.h"
#include "common/CompleteSave.h"

#include <QFileInfo>
#include <QSaveFile>

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
        if (!ok || user < 0 || user >= analysis::kUsersPerTester) {
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

} // namespace

ReportOutcome runReport(const CollectConfig &config, const ReportRequest &request) {
    ReportOutcome outcome;
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Read);
    if (!opened.archive) {
        outcome.message = opened.error;
        return outcome;
    }
    PlantRequest read;
    // The drift watch looks back from the period's end.
    read.from = std::min(request.from,
                         request.to.addDays(1 - analysis::AnalysisSettings{}.driftWindowDays));
    read.to = request.to;
    read.testers = request.testers;
    read.nowMs = QDateTime::currentMSecsSinceEpoch();
    const PlantRead plant = readPlant(*opened.archive, config, read);
    opened.archive.reset();
    if (!plant.plant) {
        outcome.message = plant.error;
        outcome.usage = plant.unknownTester;
        return outcome;
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
    QString error;
    const auto persons = choosePersons(*plant.plant, request.persons, error);
    if (!persons) {
        outcome.message = error;
        outcome.usage = true;
        return outcome;
    }
    input.chosenPersons = *persons;
    const charts::ReportDocument document = audit::auditReport(input);

    QSaveFile file(request.path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && request.pdf)
        written = charts::writeReportPdf(document, file);
    else if (written)
        written = file.write(charts::reportHtml(document)) >= 0;
    if (!written || !commitComplete(file)) {
        file.cancelWriting();
        outcome.message =
            QStringLiteral("cannot write %1: %2").arg(request.path, file.errorString());
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

#include "collect/CollectRoster.h"

#include "collect/Archive.h"
#include "collect/CollectCommandLine.h"
#include "collect/Roster.h"
#include "collect/RosterStore.h"
#include "common/VisibleText.h"

#include <QDateTime>
#include <QFileInfo>

namespace nxa::collect {

namespace {

QStringList testerNames(const CollectConfig &config) {
    QStringList names;
    for (const TesterEntry &t : config.testers)
        names.append(t.name);
    return names;
}

void printChanges(const RosterChanges &changes, QTextStream &out) {
    const std::pair<const char *, const QStringList *> groups[] = {
        {"persons added", &changes.added},
        {"persons changed", &changes.changed},
        {"persons removed", &changes.removed},
        {"persons whose enrolments moved", &changes.moved},
    };
    for (const auto &[title, ids] : groups) {
        out << title << " (" << ids->size() << ")";
        if (!ids->isEmpty())
            out << ": " << visibleText(ids->join(QStringLiteral(", ")));
        out << Qt::endl;
    }
}

int import(const CollectConfig &config, const QString &path, bool dryRun, QTextStream &out,
           QTextStream &err) {
    const RosterFileRead file = readRosterFile(path, testerNames(config));
    if (!file.error.isEmpty()) {
        err << "nxa-collect: " << path;
        if (file.errorLine > 0)
            err << " line " << file.errorLine;
        err << ": " << visibleText(file.error) << "; nothing was imported" << Qt::endl;
        return kExitUsage;
    }
    LockWaitBudget budget(config.lockWaitMs);
    // A dry run writes nothing, so it may not even create the archive.
    Archive::Opened opened = Archive::open(
        config.archive, budget, dryRun ? Archive::Access::Read : Archive::Access::Prepare);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::vector<RosterEntry> before;
    if (opened.archive) {
        RosterInForce current = rosterInForce(*opened.archive, config.testers, now);
        if (!current.error.isEmpty()) {
            err << "nxa-collect: " << current.error << Qt::endl;
            return kExitFailed;
        }
        before = std::move(current.entries);
    } else if (!dryRun) {
        err << "nxa-collect: " << opened.error << Qt::endl;
        return kExitFailed;
    }
    const RosterChanges changes = rosterChanges(before, file.entries);
    out << (dryRun ? "# a dry run: nothing is changed\n" : "") << "# " << file.entries.size()
        << (file.entries.size() == 1 ? " enrolment" : " enrolments") << " read from "
        << QFileInfo(path).fileName() << Qt::endl;
    printChanges(changes, out);
    if (dryRun)
        return kExitOk;
    const RosterStored stored =
        storeRoster(*opened.archive, config.testers, file.entries, QFileInfo(path).fileName(), now);
    if (!stored.error.isEmpty()) {
        err << "nxa-collect: cannot store the roster: " << stored.error << Qt::endl;
        return kExitFailed;
    }
    out << (stored.changed ? "# the roster is in force from now on"
                           : "# the roster in force is the same; nothing was stored")
        << Qt::endl;
    return kExitOk;
}

int show(const CollectConfig &config, QTextStream &out, QTextStream &err) {
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Read);
    if (!opened.archive) {
        err << "nxa-collect: " << opened.error << Qt::endl;
        return kExitFailed;
    }
    const RosterInForce roster =
        rosterInForce(*opened.archive, config.testers, QDateTime::currentMSecsSinceEpoch());
    if (!roster.error.isEmpty()) {
        err << "nxa-collect: " << roster.error << Qt::endl;
        return kExitFailed;
    }
    if (!roster.importedMs) {
        out << "# no roster: a person is one user number of one tester" << Qt::endl;
        return kExitOk;
    }
    out << "# roster in force since "
        << QDateTime::fromMSecsSinceEpoch(*roster.importedMs)
               .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
        << Qt::endl;
    out << "person\tname\tdepartment\tworkdays\temail\ttester\tuser" << Qt::endl;
    for (const RosterEntry &e : roster.entries) {
        QStringList fields{e.person, e.name,   e.department,           workdaysText(e.workdays),
                           e.email,  e.tester, QString::number(e.user)};
        for (QString &field : fields)
            field = visibleText(field);
        out << fields.join(QLatin1Char('\t')) << Qt::endl;
    }
    return kExitOk;
}

} // namespace

int rosterCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                  QTextStream &err) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("show") && args.size() == 1)
        return show(config, out, err);
    if (verb == QLatin1String("import")) {
        QString path;
        bool dryRun = false;
        for (qsizetype i = 1; i < args.size(); ++i) {
            if (args[i] == QLatin1String("--dry-run"))
                dryRun = true;
            else if (path.isEmpty() && !args[i].startsWith(QLatin1String("--")))
                path = args[i];
            else {
                err << "nxa-collect: unexpected \"" << args[i] << "\"" << Qt::endl;
                return kExitUsage;
            }
        }
        if (!path.isEmpty())
            return import(config, path, dryRun, out, err);
    }
    err << "nxa-collect: roster needs \"import FILE [--dry-run]\" or \"show\"" << Qt::endl;
    return kExitUsage;
}

} // namespace nxa::collect

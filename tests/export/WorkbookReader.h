#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// Opens a workbook with openpyxl (the system Python has it) and returns what
// tests/export/read_workbook.py prints: entries, dimension, rows, shared
// strings, the worksheets as the workbook's parts list them and every cell
// present. With structureOnly, only the parts that list the sheets and each
// sheet's dimension, for workbooks too large to read whole. Empty on any
// failure, with the reason in *error.
inline QJsonObject readWorkbook(const QString &path, QString *error = nullptr,
                                bool structureOnly = false) {
    QStringList arguments{QStringLiteral(NXA_FIXTURES "/../export/read_workbook.py")};
    if (structureOnly)
        arguments.append(QStringLiteral("--structure"));
    arguments.append(path);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(python.readAllStandardError());
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(python.readAllStandardOutput(), &parseError);
    if (error)
        *error = parseError.errorString();
    return document.object();
}

// True when `unzip -t` finds the archive sound.
inline bool unzipTestPasses(const QString &path) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), path});
    return unzip.waitForFinished(60000) && unzip.exitStatus() == QProcess::NormalExit &&
           unzip.exitCode() == 0;
}

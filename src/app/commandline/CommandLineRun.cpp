#include "app/commandline/CommandLineRun.h"

#include "app/commandline/CommandLineDownload.h"
#include "app/commandline/CommandLineLog.h"
#include "app/commandline/CommandLineParameters.h"
#include "app/commandline/CommandLineSignals.h"
#include "app/commandline/CommandLineTexts.h"
#include "app/dialogs/QtUserDialogs.h"

#include <QGuiApplication>

#include <cstdio>

namespace nxa::app {

namespace {

// The lines are a courtesy to whoever watches; the exit code and log.txt carry
// the result. A reader that has gone away (a closed pipe) must not change
// either, so a failed write is dropped and the next line tried afresh.
void writeLine(std::FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stream) != 0)
        std::clearerr(stream);
}

} // namespace

CommandLineOutput standardCommandLineOutput(bool headless) {
    CommandLineOutput output;
    output.headless = headless;
    if (headless) {
        output.line = [](const QString &text) { writeLine(stdout, text); };
        output.notice = [](const Notice &notice) {
            writeLine(stderr, notice.title + QStringLiteral(": ") + notice.text);
        };
    } else {
        output.notice = [](const Notice &notice) { QtUserDialogs().showNotice(notice); };
    }
    return output;
}

bool platformIsHeadless() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

int runCommandLine(Session &session, const CommandLineOutput &output) {
    session.resultCode = ResultCode::Ok;
    session.runStamp.clear();
    session.runDescription.clear();
    CommandLineParameters parameters = CommandLineParameters::from(session.parameters);
    parameters.outputPathExact = !session.inexactParameters.contains(kOutputPathPosition);
    const ParameterCheck check = checkParameters(parameters);
    session.testerAddress = check.address;
    if (!check.passed()) {
        if (output.notice)
            output.notice({QStringLiteral("Error"), wrongParametersText(), NoticeIcon::Error});
        session.resultCode = ResultCode::WrongParameters;
        return finishCommandLineRun(session);
    }
    session.password = parameters.password;
    runCommandLineDownload(session, parameters, output);
    return finishCommandLineRun(session);
}

int finishCommandLineRun(const Session &session) {
    // A signal still ends a wait for the lock of log.txt; once the record is
    // written, none changes anything.
    appendRunRecord(session.runStamp, session.runDescription, session.resultCode);
    holdTerminationSignals();
    return number(session.resultCode);
}

} // namespace nxa::app

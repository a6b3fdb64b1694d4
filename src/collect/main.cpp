#include "collect/CollectCommandLine.h"
#include "collect/CollectSignals.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// The database drivers report every failure a second time as a warning of
// their own; the run already says what failed, once per tester, so only
// what would end the program gets through.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "nxa-collect: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[]) {
    qInstallMessageHandler(quietMessages);
    QCoreApplication app(argc, argv);
    nxa::collect::installStopSignals();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = nxa::collect::runCollect(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}

#include "collect/CollectCommandLine.h"
#include "collect/CollectSignals.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

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
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Text in charts and PDF pages needs fonts, which the GUI library finds;
    // the collector never shows a window, so it needs no display either.
    std::unique_ptr<QCoreApplication> app;
    const QString command = nxa::collect::commandWord(arguments);
    if (command == QLatin1String("report") || command == QLatin1String("serve")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    nxa::collect::installStopSignals();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = nxa::collect::runCollect(app->arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}

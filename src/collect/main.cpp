#include "collect/CollectCommandLine.h"
#include "collect/CollectSignals.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    nxa::collect::installStopSignals();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = nxa::collect::runCollect(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}

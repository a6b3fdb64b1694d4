// The Configuration view: a tab change that refreshes all 1000 user codes, and
// a configuration file decoded into the tabs. Timings only; nothing is asserted.
#include "../tests/app/ScriptedUserDialogs.h"
#include "WidgetBenchmarkMain.h"
#include "app/configuration/ConfigurationView.h"
#include "app/configuration/GeneralTab.h"
#include "app/configuration/UsersTab.h"
#include "app/shared/Session.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"

#include <QApplication>
#include <QBuffer>
#include <QLineEdit>
#include <QTabWidget>

#include <benchmark/benchmark.h>

using namespace nxa;

namespace {

// A view on a working state of its own, shown at the size the main window gives it.
struct ShownView {
    config::StationConfig config;
    app::Session session;
    app::ScriptedUserDialogs dialogs;
    app::ConfigurationView view{config, session, dialogs};
    ShownView() {
        view.resize(800, 620);
        view.show();
        QCoreApplication::processEvents();
    }
};

// Each round changes the generator (so every code changes) and shows the Users tab.
void BM_SwitchToUsersAndRefreshCodes(benchmark::State &state) {
    ShownView shown;
    const QStringList generators = {QStringLiteral("ABC"), QStringLiteral("QJX")};
    int round = 0;
    for (auto _ : state) {
        shown.view.tabs()->setCurrentIndex(app::ConfigurationView::GeneralTabIndex);
        shown.view.generalTab()->generator()->setText(generators.at(round++ % 2));
        shown.view.tabs()->setCurrentIndex(app::ConfigurationView::UsersTabIndex);
        shown.view.repaint();
    }
}
BENCHMARK(BM_SwitchToUsersAndRefreshCodes)->Unit(benchmark::kMillisecond);

void BM_DecodeIntoTheTabs(benchmark::State &state) {
    config::StationConfig source;
    source.mode = config::Mode::HandFree;
    source.generator = QStringLiteral("K9G");
    for (int k = 0; k < config::kUserCount; ++k)
        source.users[size_t(k)].name = QStringLiteral("Operator %1").arg(k);
    QByteArray file = config::encodeConfigurationFile(source);

    ShownView shown;
    shown.view.tabs()->setCurrentIndex(app::ConfigurationView::UsersTabIndex);
    for (auto _ : state) {
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        const auto result =
            config::decodeConfigurationFile(shown.config, buffer, QStringLiteral("CONFIG07.BRC"));
        shown.view.reloadFromModel();
        shown.view.repaint();
        if (!result.ok)
            state.SkipWithError("the configuration file did not decode");
    }
}
BENCHMARK(BM_DecodeIntoTheTabs)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    return runWidgetBenchmarks(argc, argv);
}

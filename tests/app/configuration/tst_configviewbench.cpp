// Timings of the Configuration view, reported by QBENCHMARK and never
// asserted: run it from a Release build to read the figures.
#include "ShownConfigurationView.h"
#include "app/configuration/GeneralTab.h"
#include "app/configuration/UsersModel.h"
#include "app/configuration/UsersTab.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "config/UserCodes.h"

#include <QBuffer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace nxa;
using namespace nxa::app;

class BenchConfigView : public QObject {
    Q_OBJECT

private slots:
    // Tab change to Users with a generator that changes all 1000 codes,
    // painted; switching back to General is part of each round.
    void switchToUsersAndRefreshCodes() {
        ShownConfigurationView shown;
        QVERIFY(shown.exposed());
        ConfigurationView &view = shown.view;
        const QStringList generators = {QStringLiteral("ABC"), QStringLiteral("QJX")};
        int round = 0;
        QBENCHMARK {
            view.tabs()->setCurrentIndex(ConfigurationView::GeneralTabIndex);
            view.generalTab()->generator()->setText(generators.at(round++ % 2));
            view.tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
            view.repaint();
        }
        QCOMPARE(view.usersTab()->model()->index(999, UsersModel::CodeColumn).data().toString(),
                 config::userCode(shown.config.generator, 999));
    }

    // A configuration file decoded from memory and shown on the tabs.
    void decodeIntoTheTabs() {
        config::StationConfig source;
        source.mode = config::Mode::HandFree;
        source.generator = QStringLiteral("K9G");
        for (int k = 0; k < config::kUserCount; ++k)
            source.users[size_t(k)].name = QStringLiteral("Operator %1").arg(k);
        QByteArray file = config::encodeConfigurationFile(source);

        ShownConfigurationView shown;
        QVERIFY(shown.exposed());
        ConfigurationView &view = shown.view;
        config::StationConfig &config = shown.config;
        view.tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        QBENCHMARK {
            QBuffer buffer(&file);
            buffer.open(QIODevice::ReadOnly);
            const auto result =
                config::decodeConfigurationFile(config, buffer, QStringLiteral("CONFIG07.BRC"));
            view.reloadFromModel();
            view.repaint();
            QVERIFY(result.ok);
        }
        QCOMPARE(config.peripheralNumber(), 7);
    }
};

QTEST_MAIN(BenchConfigView)
#include "tst_configviewbench.moc"

#include "ShownConfigurationView.h"
#include "SimulatorThread.h"
#include "TesterSimulator.h"
#include "app/ScopedOperationSettings.h"
#include "app/configuration/GeneralTab.h"
#include "app/configuration/SettingsTab.h"
#include "app/configuration/UsersModel.h"
#include "app/configuration/UsersTab.h"
#include "app/operation/OperationWindow.h"
#include "app/operation/TesterOperation.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "support/SimulatorFixture.h"
#include "support/TestFiles.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace nxa;
using namespace nxa::app;

namespace {

constexpr quint32 kLoopback = 0x0100007F; // 127.0.0.1, first field in the lowest byte

// What the simulated tester holds before the manager touches it.
config::StationConfig testerConfiguration() {
    config::StationConfig tester;
    tester.setPeripheralNumber(23);
    tester.description = QStringLiteral("Assembly Line B     ");
    tester.securityLevel = config::SecurityLevel::Middle;
    tester.generator = QStringLiteral("K9G");
    tester.voltage = config::TestVoltage::V50;
    tester.profiles[2].footwearMin = QStringLiteral("250");
    tester.profiles[2].relay = 1;
    tester.profiles[2].visitorsQualifier = false;
    tester.profiles[10].check = 2;
    for (int k = 0; k < config::kUserCount; ++k) {
        config::User &user = tester.users[size_t(k)];
        user.name = QStringLiteral("Worker %1").arg(k).leftJustified(20, QLatin1Char(' '));
        user.profile = k % 10;
        user.active = k % 3 != 0;
    }
    return tester;
}

} // namespace

class TestConfigRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_workDir.isValid());
        // The operation writes the preferences into the working directory.
        QVERIFY(QDir::setCurrent(m_workDir.path()));
        m_settings.emplace();
        (*m_settings)->timings.idleTimeoutMs = 1000;
        (*m_settings)->timings.sendIdleTimeoutMs = 1000;
    }

    void downloadEditUploadKeepsEveryField() {
        const config::StationConfig tester = testerConfiguration();
        sim::SimulatorSettings simSettings;
        simSettings.configurationImage = config::encodeConfigurationTransfer(tester);
        simSettings.saveConfigPath = m_workDir.filePath(QStringLiteral("uploaded.BRC"));
        sim::SimulatorThread simulator(simSettings);
        QVERIFY(simulator.start());
        test::useTesterPort(simulator.port());

        // Fill in the tester and press the button once per operation; a window
        // that asks again (a failure) is closed so the test cannot hang.
        QStringList windowTitles;
        QWidget *lastWindow = nullptr;
        operationSettings().onWaitingForUser = [&](OperationWindow &window) {
            if (&window == lastWindow) {
                QTimer::singleShot(0, &window, &QWidget::close);
                return;
            }
            lastWindow = &window;
            QObject::connect(&window, &QObject::destroyed, [&lastWindow] { lastWindow = nullptr; });
            windowTitles.append(window.windowTitle());
            window.setAddress(kLoopback);
            window.setPassword(QStringLiteral("583041"));
            QTimer::singleShot(0, window.actionButton(), &QPushButton::click);
        };

        ShownConfigurationView shown;
        QVERIFY(shown.exposed());
        ConfigurationView &view = shown.view;
        const config::StationConfig &config = shown.config;
        ScriptedUserDialogs &dialogs = shown.dialogs;

        // The tester pads names and the description with spaces; they are
        // shown and edited without that pad, which encoding puts back.
        config::StationConfig unpadded = tester;
        unpadded.description = QStringLiteral("Assembly Line B");
        for (int k = 0; k < config::kUserCount; ++k)
            unpadded.users[size_t(k)].name = QStringLiteral("Worker %1").arg(k);
        QCOMPARE(config::encodeConfigurationTransfer(unpadded), simSettings.configurationImage);

        QTest::mouseClick(view.downloadButton(), Qt::LeftButton);
        QCOMPARE(windowTitles.value(0), QStringLiteral("Download Config"));
        QVERIFY2(config == unpadded,
                 qPrintable(windowTitles.join(QLatin1Char('|')) + QLatin1Char('/') +
                            dialogs.shown.join(QLatin1Char('|'))));
        QCOMPARE(view.caption()->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(view.generalTab()->peripheralNumber()->value(), 23);
        QCOMPARE(view.generalTab()->description()->text(), unpadded.description);
        QVERIFY(view.generalTab()->middleOption()->isChecked());
        QVERIFY(view.settingsTab()->volt50Option()->isChecked());
        QCOMPARE(view.settingsTab()->row(2).relay->currentText(), QStringLiteral("Always"));

        // One edit on each tab, made the way an operator makes it.
        QLineEdit *description = view.generalTab()->description();
        description->selectAll();
        QTest::keyClicks(description, "Gate 2");
        view.tabs()->setCurrentIndex(ConfigurationView::SettingsTabIndex);
        QLineEdit *limit = view.settingsTab()->row(4).footwearMax;
        limit->selectAll();
        QTest::keyClicks(limit, "123456");
        QTest::mouseClick(view.settingsTab()->handFreeOption(), Qt::LeftButton);
        view.tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        view.usersTab()->fromSpinner()->setValue(10);
        view.usersTab()->toSpinner()->setValue(12);
        QTest::mouseClick(view.usersTab()->activateButton(), Qt::LeftButton);
        UsersModel *users = view.usersTab()->model();
        users->setData(users->index(5, UsersModel::ProfileColumn), 9);

        config::StationConfig expected = unpadded;
        expected.description = QStringLiteral("Gate 2");
        expected.profiles[4].footwearMax = QStringLiteral("123456");
        expected.mode = config::Mode::HandFree;
        for (int k = 10; k <= 12; ++k)
            expected.users[size_t(k)].active = true;
        expected.users[5].profile = 9;
        QVERIFY(config == expected);

        dialogs.notices.clear();
        QTest::mouseClick(view.uploadButton(), Qt::LeftButton);
        QCOMPARE(windowTitles.value(1), QStringLiteral("Upload Config"));
        QVERIFY(!dialogs.notices.isEmpty());
        QCOMPARE(dialogs.notices.first().text,
                 QStringLiteral("Uploadedd successfully the configuration"));
        QCOMPARE(view.caption()->text(), QStringLiteral("127.0.0.1"));

        const QByteArray saved = test::readFile(simSettings.saveConfigPath);
        QCOMPARE(saved.size(), config::kFileSize);
        // The edited fields, read straight off the format tables.
        QCOMPARE(saved.mid(0, 36), QByteArray("F;Gate 2              ;P;755771;H;2;")
                                       .replace(34, 1, QByteArray(1, char(50))));
        const QByteArray profile5 = saved.mid((config::kFirstProfileRecord + 4) * 66, 66);
        QCOMPARE(profile5.mid(9, 9), QByteArray("00123456;"));
        const QByteArray users10 = saved.mid((config::kFirstUserRecord + 5) * 66, 66);
        QCOMPARE(users10.mid(0, 3), QByteArray("\x00\x0a\x01", 3));
        QCOMPARE(users10.mid(32, 3), QByteArray("\x00\x0b\x01", 3));
        // And everything else as it came from the tester.
        QCOMPARE(saved, config::encodeConfigurationFile(expected));
        QCOMPARE(simulator.simulator().configurationImage(),
                 config::encodeConfigurationTransfer(expected));
        simulator.stop();
    }

    void cleanupTestCase() { m_settings.reset(); }

private:
    QTemporaryDir m_workDir;
    std::optional<ScopedOperationSettings> m_settings;
};

QTEST_MAIN(TestConfigRoundTrip)
#include "tst_configroundtrip.moc"

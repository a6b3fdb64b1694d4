#include "app/ScriptedUserDialogs.h"
#include "app/configuration/ConfigurationView.h"
#include "app/configuration/GeneralTab.h"
#include "app/configuration/SettingsTab.h"
#include "app/configuration/UsersDelegate.h"
#include "app/configuration/UsersModel.h"
#include "app/configuration/UsersTab.h"
#include "app/operation/OperationWindow.h"
#include "app/operation/TesterOperation.h"
#include "config/ChoiceTexts.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "config/UserCodes.h"
#include "support/GoldenConfiguration.h"
#include "support/TestFiles.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::app;
using nxa::test::readFile;
using nxa::test::writeFile;

namespace {

// Types text key by key, characters beyond ASCII included (as a keyboard
// with such keys or an input method would deliver them).
void typeText(QWidget *widget, const QString &text) {
    for (const QChar c : text) {
        const int key = c.unicode() < 0x80 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QPoint controlCentre(QTableView *view, int row, int column) {
    return UsersDelegate::controlRect(view->visualRect(view->model()->index(row, column)), column)
        .center();
}

} // namespace

class TestConfigView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<config::StationConfig> m_config;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<ScriptedUserDialogs> m_dialogs;
    std::unique_ptr<ConfigurationView> m_view;

    GeneralTab *general() const { return m_view->generalTab(); }
    SettingsTab *settings() const { return m_view->settingsTab(); }
    UsersTab *users() const { return m_view->usersTab(); }

private slots:
    void init() {
        m_config = std::make_unique<config::StationConfig>();
        m_session = std::make_unique<Session>();
        m_dialogs = std::make_unique<ScriptedUserDialogs>();
        m_view = std::make_unique<ConfigurationView>(*m_config, *m_session, *m_dialogs);
        m_view->resize(800, 620);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() {
        m_view.reset();
        m_dialogs.reset();
        m_session.reset();
        m_config.reset();
    }

    void startsWithTheDefaults() {
        QCOMPARE(m_view->caption()->text(), QStringLiteral("DEFAULT CONFIG"));
        QCOMPARE(m_view->caption()->font().pointSize(), 12);
        QVERIFY(m_view->caption()->font().bold());
        QCOMPARE(m_view->tabs()->currentIndex(), 0);
        QCOMPARE(m_view->tabs()->tabText(2), QStringLiteral("Users"));
        QCOMPARE(general()->peripheralNumber()->value(), 1);
        QCOMPARE(general()->description()->text(), QStringLiteral("EPA Area"));
        QVERIFY(general()->minOption()->isChecked());
        QCOMPARE(general()->generator()->text(), QStringLiteral("QJX"));
        QVERIFY(!general()->generator()->isEnabled());
        QVERIFY(settings()->normalOption()->isChecked());
        QVERIFY(settings()->volt100Option()->isChecked());
        QCOMPARE(settings()->columnTitle(0)->text(), QStringLiteral("Single Shoe\nMin\n(KOhm)"));
        QCOMPARE(settings()->row(9).label->text(), QStringLiteral("Profile 10: "));
        QCOMPARE(settings()->row(10).label->text(), QStringLiteral("Visitors  Profile: "));
        QVERIFY(!settings()->row(10).qualifier);
        QCOMPARE(settings()->row(4).relay->currentText(), QStringLiteral("If Check is OK"));
        QCOMPARE(settings()->row(4).footwearMax->text(), QStringLiteral("70000"));
        QCOMPARE(users()->fromSpinner()->value(), 0);
        QCOMPARE(users()->toSpinner()->value(), 999);
        UsersModel *model = users()->model();
        QCOMPARE(model->rowCount(), 1000);
        QCOMPARE(model->index(7, UsersModel::IdColumn).data().toString(), QStringLiteral("007"));
        QCOMPARE(model->index(999, UsersModel::NameColumn).data().toString(),
                 QStringLiteral("User 999"));
        QCOMPARE(model->index(3, UsersModel::ProfileColumn).data().toString(),
                 QStringLiteral("Profile  1"));
        QCOMPARE(model->index(7, UsersModel::CodeColumn).data().toString(),
                 config::userCode(QStringLiteral("QJX"), 7));
        QCOMPARE(users()->view()->rowHeight(0), 30);
    }

    void usersModelIsConsistent() {
        QAbstractItemModelTester tester(users()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        users()->model()->setData(users()->model()->index(3, UsersModel::ProfileColumn), 9);
        users()->model()->setActiveRange(0, 999, false);
        m_config->generator = QStringLiteral("ABC");
        users()->model()->refreshCodes();
    }

    void profileTexts_data() {
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 0 << QStringLiteral("Profile  1");
        QTest::newRow("ninth") << 8 << QStringLiteral("Profile  9");
        QTest::newRow("tenth") << 9 << QStringLiteral("Profile 10");
        QTest::newRow("none") << -1 << QString();
        QTest::newRow("byte out of range") << 200 << QString();
    }
    void profileTexts() {
        QFETCH(int, profile);
        QFETCH(QString, text);
        QCOMPARE(config::profileChoiceText(profile), text);
    }

    void typedInputIsLimited_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("description cut at 20")
            << "description" << QStringLiteral("Clean Room Entrance North")
            << QStringLiteral("Clean Room Entrance ");
        QTest::newRow("description latin-1 kept")
            << "description" << QStringLiteral("Zone \u00c9\u00df\u00ff")
            << QStringLiteral("Zone \u00c9\u00df\u00ff");
        QTest::newRow("description refuses beyond latin-1")
            << "description" << QStringLiteral("A\u20acB\u0141C") << QStringLiteral("ABC");
        QTest::newRow("limit digits only")
            << "limit" << QStringLiteral("12a3-4") << QStringLiteral("1234");
        QTest::newRow("limit at most 7")
            << "limit" << QStringLiteral("123456789") << QStringLiteral("1234567");
        QTest::newRow("generator 3 chars")
            << "generator" << QStringLiteral("ABCD") << QStringLiteral("ABC");
        QTest::newRow("generator refuses beyond latin-1")
            << "generator" << QStringLiteral("\u0100A\u4e2dB") << QStringLiteral("AB");
    }
    void typedInputIsLimited() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QLineEdit *edit = nullptr;
        if (field == "description") {
            edit = general()->description();
        } else if (field == "generator") {
            QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
            edit = general()->generator();
        } else {
            m_view->tabs()->setCurrentIndex(ConfigurationView::SettingsTabIndex);
            edit = settings()->row(3).wristStrapMax;
            QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        }
        edit->clear();
        typeText(edit, typed);
        QCOMPARE(edit->text(), kept);
        if (field == "description")
            QCOMPARE(m_config->description, kept);
        else if (field == "generator")
            QCOMPARE(m_config->generator, kept);
        else
            QCOMPARE(m_config->profiles[3].wristStrapMax, kept);
        QCOMPARE(edit->font().family(), QStringLiteral("Arial"));
        QVERIFY(edit->font().bold());
    }

    void longLoadedLimitIsShownWholeAndCanOnlyShrink_data() {
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("digit at the end") << 8 << QStringLiteral("9") << QStringLiteral("12345678");
        QTest::newRow("digit in front") << 0 << QStringLiteral("0") << QStringLiteral("12345678");
        QTest::newRow("letter") << 4 << QStringLiteral("a") << QStringLiteral("12345678");
        QTest::newRow("backspace") << 8 << QString() /* backspace */ << QStringLiteral("1234567");
        QTest::newRow("backspace inside")
            << 3 << QString() /* backspace */ << QStringLiteral("1245678");
    }
    void longLoadedLimitIsShownWholeAndCanOnlyShrink() {
        QFETCH(int, cursor);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        m_config->profiles[2].footwearMax = QStringLiteral("12345678");
        m_view->reloadFromModel();
        m_view->tabs()->setCurrentIndex(ConfigurationView::SettingsTabIndex);
        QLineEdit *edit = settings()->row(2).footwearMax;
        QCOMPARE(edit->text(), QStringLiteral("12345678"));
        QCOMPARE(m_config->profiles[2].footwearMax, QStringLiteral("12345678"));
        edit->setFocus();
        edit->setCursorPosition(cursor);
        if (typed.isNull())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            typeText(edit, typed);
        // What the field shows is what the configuration holds.
        QCOMPARE(edit->text(), kept);
        QCOMPARE(m_config->profiles[2].footwearMax, kept);
        // Once emptied, the field is back to at most seven typed digits.
        edit->clear();
        typeText(edit, QStringLiteral("1x2345678"));
        QCOMPARE(edit->text(), QStringLiteral("1234567"));
        QCOMPARE(m_config->profiles[2].footwearMax, QStringLiteral("1234567"));
    }

    void peripheralNumberIsClamped_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("shown");
        QTest::newRow("inside") << 42 << 42;
        QTest::newRow("above") << 150 << 100;
        QTest::newRow("below") << 0 << 1;
    }
    void peripheralNumberIsClamped() {
        QFETCH(int, set);
        QFETCH(int, shown);
        general()->peripheralNumber()->setValue(set);
        QCOMPARE(general()->peripheralNumber()->value(), shown);
        QCOMPARE(m_config->peripheralNumber(), shown);
    }

    void typedNumbersGoToTheNearerBound_data() {
        QTest::addColumn<QString>("spinner");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("peripheral 150") << "peripheral"
                                        << "150" << 100;
        QTest::newRow("peripheral 101") << "peripheral"
                                        << "101" << 100;
        QTest::newRow("peripheral 0") << "peripheral"
                                      << "0" << 1;
        QTest::newRow("peripheral 42") << "peripheral"
                                       << "42" << 42;
        QTest::newRow("to 1000") << "to"
                                 << "1000" << 999;
        QTest::newRow("from 4711") << "from"
                                   << "4711" << 999;
        QTest::newRow("from 12") << "from"
                                 << "12" << 12;
    }
    void typedNumbersGoToTheNearerBound() {
        QFETCH(QString, spinner);
        QFETCH(QString, typed);
        QFETCH(int, value);
        if (spinner != "peripheral")
            m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        QSpinBox *box = spinner == "peripheral" ? general()->peripheralNumber()
                        : spinner == "from"     ? users()->fromSpinner()
                                                : users()->toSpinner();
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, typed.toLatin1().constData());
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->value(), value);
        if (spinner == "peripheral")
            QCOMPARE(m_config->peripheralNumber(), value);
    }

    void securityLevelClicksEnableTheGenerator() {
        QLineEdit *generator = general()->generator();
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        QVERIFY(generator->isEnabled());
        QCOMPARE(m_config->securityLevel, config::SecurityLevel::Middle);
        QTest::mouseClick(general()->minOption(), Qt::LeftButton);
        QVERIFY(!generator->isEnabled());
        QCOMPARE(generator->text(), QStringLiteral("QJX"));
        QCOMPARE(m_config->securityLevel, config::SecurityLevel::Min);
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        QTest::mouseClick(general()->maxOption(), Qt::LeftButton);
        QVERIFY(!generator->isEnabled());
        QCOMPARE(m_config->securityLevel, config::SecurityLevel::Max);

        // A loaded Middle level selects the option but leaves the field as the
        // user's clicks left it.
        m_config->securityLevel = config::SecurityLevel::Middle;
        m_view->reloadFromModel();
        QVERIFY(general()->middleOption()->isChecked());
        QVERIFY(!generator->isEnabled());
    }

    void generatorIsNormalizedWhenItLosesFocus_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("normalized");
        QTest::addColumn<bool>("warns");
        QTest::newRow("one digit") << QStringLiteral("7") << QStringLiteral("007") << false;
        QTest::newRow("empty") << QString() << QStringLiteral("000") << false;
        QTest::newRow("two chars") << QStringLiteral("AB") << QStringLiteral("0AB") << false;
        QTest::newRow("full") << QStringLiteral("ABC") << QStringLiteral("ABC") << false;
        // P = 80: the second character's units digit is 0.
        QTest::newRow("zero divisor g4") << QStringLiteral("QPX") << QStringLiteral("QPX") << true;
        // d = 100 -> 0: the third character gives 0 and 0.
        QTest::newRow("zero divisor g5 g6")
            << QStringLiteral("QJd") << QStringLiteral("QJd") << true;
    }
    void generatorIsNormalizedWhenItLosesFocus() {
        QFETCH(QString, typed);
        QFETCH(QString, normalized);
        QFETCH(bool, warns);
        QLineEdit *generator = general()->generator();
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        generator->setFocus();
        QTRY_VERIFY(generator->hasFocus());
        generator->clear();
        QTest::keyClicks(generator, typed);
        general()->description()->setFocus();
        QTRY_VERIFY(!generator->hasFocus());
        QCOMPARE(generator->text(), normalized);
        QCOMPARE(m_config->generator, normalized);
        if (warns) {
            QTRY_COMPARE(m_dialogs->notices.size(), 1);
            QCOMPARE(m_dialogs->notices.first().icon, NoticeIcon::Warning);
            QVERIFY(m_dialogs->notices.first().text.contains(QStringLiteral("can't be computed")));
            m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
            QCOMPARE(users()->model()->index(12, UsersModel::CodeColumn).data().toString(),
                     QStringLiteral("012---"));
        } else {
            QTest::qWait(10);
            QVERIFY(m_dialogs->notices.isEmpty());
        }
    }

    void generatorKeepsItsTextWhileAPopupIsOpen() {
        QLineEdit *generator = general()->generator();
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        generator->setFocus();
        QTRY_VERIFY(generator->hasFocus());
        generator->clear();
        QTest::keyClicks(generator, "P");
        QFocusEvent popupOpens(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(generator, &popupOpens);
        QTest::qWait(10);
        QCOMPARE(generator->text(), QStringLiteral("P"));
        QVERIFY(m_dialogs->notices.isEmpty());
        // Leaving the field for real still completes it and warns: P = 80 is a zero divisor.
        QFocusEvent leaves(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(generator, &leaves);
        QCOMPARE(generator->text(), QStringLiteral("00P"));
        QCOMPARE(m_config->generator, QStringLiteral("00P"));
        QTRY_COMPARE(m_dialogs->notices.size(), 1);
    }

    void zeroDivisorWarningComesOncePerTypedGenerator() {
        QLineEdit *generator = general()->generator();
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        const auto typeAndLeave = [&](const QString &text) {
            generator->setFocus();
            QTRY_VERIFY(generator->hasFocus());
            if (!text.isNull()) {
                generator->selectAll();
                QTest::keyClicks(generator, text.toLatin1().constData());
            }
            general()->description()->setFocus();
            QTRY_VERIFY(!generator->hasFocus());
            QTest::qWait(10);
        };
        typeAndLeave(QStringLiteral("QPX"));
        QCOMPARE(m_dialogs->notices.size(), 1);
        typeAndLeave(QString()); // only passing through the field
        QCOMPARE(m_dialogs->notices.size(), 1);
        typeAndLeave(QStringLiteral("QPX"));
        QCOMPARE(m_dialogs->notices.size(), 2);
        typeAndLeave(QStringLiteral("QJX"));
        QCOMPARE(m_dialogs->notices.size(), 2);
    }

    // A tap on a button right after typing a zero-divisor generator: the
    // focus leaves the field on the press and the action starts on the
    // release. The warning comes first, never inside the action's own loop.
    void zeroDivisorWarningComesBeforeTheAction_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("opened"); // what the action opens after the warning
        QTest::newRow("upload") << "upload"
                                << "operation";
        QTest::newRow("download") << "download"
                                  << "operation";
        QTest::newRow("import") << "import"
                                << "open:Please choose a Config File to load";
    }
    void zeroDivisorWarningComesBeforeTheAction() {
        QFETCH(QString, button);
        QFETCH(QString, opened);
        QLineEdit *generator = general()->generator();
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        generator->setFocus();
        QTRY_VERIFY(generator->hasFocus());
        generator->selectAll();
        QTest::keyClicks(generator, "QP7");
        operationSettings().onWaitingForUser = [this](OperationWindow &window) {
            m_dialogs->shown.append(QStringLiteral("operation"));
            window.close();
        };
        QPushButton *target = button == "upload"     ? m_view->uploadButton()
                              : button == "download" ? m_view->downloadButton()
                                                     : m_view->importButton();
        QTest::mousePress(target, Qt::LeftButton);
        QTest::mouseRelease(target, Qt::LeftButton);
        operationSettings() = {};
        QTest::qWait(10);
        QCOMPARE(m_dialogs->shown, (QStringList{QStringLiteral("notice:WARNING"), opened}));
    }

    void tabChangeNormalizesAndRefreshesCodes() {
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        general()->generator()->setText(QStringLiteral("5"));
        m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        QCOMPARE(general()->generator()->text(), QStringLiteral("005"));
        for (int k : {0, 7, 500, 999})
            QCOMPARE(users()->model()->index(k, UsersModel::CodeColumn).data().toString(),
                     config::userCode(QStringLiteral("005"), k));
    }

    void profileLabelsAreCentredOnTheirFields_data() {
        QTest::addColumn<int>("profile");
        QTest::newRow("Profile 1") << 0;
        QTest::newRow("Profile 10") << 9;
        QTest::newRow("Visitors") << int(config::kVisitorsProfile);
    }
    void profileLabelsAreCentredOnTheirFields() {
        QFETCH(int, profile);
        const SettingsTab::ProfileRow &row = settings()->row(profile);
        QVERIFY(row.label->alignment() & Qt::AlignVCenter);
        const QRect label = row.label->geometry();
        const QRect field = row.footwearMax->geometry();
        QVERIFY(qAbs((label.top() + label.bottom()) - (field.top() + field.bottom())) <= 1);
    }

    void handFreeHidesColumnsAndKeepsValues() {
        m_view->tabs()->setCurrentIndex(ConfigurationView::SettingsTabIndex);
        settings()->row(10).wristStrapMin->setText(QStringLiteral("123"));
        settings()->row(2).check->setCurrentIndex(2);
        QTest::mouseClick(settings()->handFreeOption(), Qt::LeftButton);
        QCOMPARE(m_config->mode, config::Mode::HandFree);
        QCOMPARE(settings()->columnTitle(0)->text(), QStringLiteral("Shoes L+R\nMin\n(KOhm)"));
        QCOMPARE(settings()->columnTitle(1)->text(), QStringLiteral("Shoes L+R\nMax\n(KOhm)"));
        for (int title = 2; title <= 4; ++title)
            QVERIFY(settings()->columnTitle(title)->isHidden());
        QVERIFY(!settings()->columnTitle(5)->isHidden());
        QVERIFY(!settings()->columnTitle(6)->isHidden());
        for (int profile = 0; profile < config::kProfileCount; ++profile) {
            const SettingsTab::ProfileRow &row = settings()->row(profile);
            QVERIFY(row.wristStrapMin->isHidden());
            QVERIFY(row.wristStrapMax->isHidden());
            QVERIFY(row.check->isHidden());
            QVERIFY(!row.footwearMin->isHidden());
            QVERIFY(!row.relay->isHidden());
            if (row.qualifier)
                QVERIFY(!row.qualifier->isHidden());
        }
        QTest::mouseClick(settings()->normalOption(), Qt::LeftButton);
        QCOMPARE(m_config->mode, config::Mode::Normal);
        QCOMPARE(settings()->columnTitle(1)->text(), QStringLiteral("Single Shoe\nMax\n(KOhm)"));
        for (int profile = 0; profile < config::kProfileCount; ++profile) {
            const SettingsTab::ProfileRow &row = settings()->row(profile);
            QVERIFY(!row.wristStrapMin->isHidden());
            QVERIFY(!row.check->isHidden());
        }
        QCOMPARE(settings()->row(10).wristStrapMin->text(), QStringLiteral("123"));
        QCOMPARE(m_config->profiles[10].wristStrapMin, QStringLiteral("123"));
        QCOMPARE(settings()->row(2).check->currentIndex(), 2);
        QCOMPARE(m_config->profiles[2].check, 2);
    }

    void settingsControlsWriteTheModel() {
        m_view->tabs()->setCurrentIndex(ConfigurationView::SettingsTabIndex);
        QTest::mouseClick(settings()->volt50Option(), Qt::LeftButton);
        QCOMPARE(m_config->voltage, config::TestVoltage::V50);
        settings()->row(5).relay->setCurrentIndex(0);
        QCOMPARE(m_config->profiles[5].relay, 0);
        settings()->row(5).qualifier->setChecked(false);
        QCOMPARE(m_config->profiles[5].visitorsQualifier, false);
        settings()->row(0).footwearMin->clear();
        QCOMPARE(m_config->profiles[0].footwearMin, QString());
        QCOMPARE(settings()->scrollArea()->widget()->size(), QSize(730, 410));
    }

    void reloadShowsADecodedConfiguration() {
        m_config->mode = config::Mode::HandFree;
        m_config->voltage = config::TestVoltage::V50;
        m_config->profiles[1].check = 7; // a byte outside the list
        m_config->profiles[1].footwearMin = QStringLiteral("42");
        m_config->users[3].name = QStringLiteral("Alice");
        m_config->generator = QStringLiteral("ABC");
        m_config->setPeripheralNumber(9);
        m_view->reloadFromModel();
        QVERIFY(settings()->handFreeOption()->isChecked());
        QVERIFY(settings()->row(0).wristStrapMin->isHidden());
        QVERIFY(settings()->volt50Option()->isChecked());
        QCOMPARE(settings()->row(1).check->currentIndex(), -1);
        QCOMPARE(m_config->profiles[1].check, config::kNoChoice);
        QCOMPARE(settings()->row(1).footwearMin->text(), QStringLiteral("42"));
        QCOMPARE(general()->peripheralNumber()->value(), 9);
        QCOMPARE(general()->generator()->text(), QStringLiteral("ABC"));
        QCOMPARE(users()->model()->index(3, UsersModel::NameColumn).data().toString(),
                 QStringLiteral("Alice"));
        QCOMPARE(users()->model()->index(1, UsersModel::CodeColumn).data().toString(),
                 config::userCode(QStringLiteral("ABC"), 1));
    }

    void activateAndDeactivateRanges_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("deactivate");
        QTest::addColumn<QList<int>>("inactive");
        QTest::newRow("deactivate 10..12") << 10 << 12 << true << QList<int>{10, 11, 12};
        QTest::newRow("deactivate 12..10") << 12 << 10 << true << QList<int>{};
        QTest::newRow("deactivate single") << 999 << 999 << true << QList<int>{999};
        QTest::newRow("activate 0..999") << 0 << 999 << false << QList<int>{};
    }
    void activateAndDeactivateRanges() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, deactivate);
        QFETCH(QList<int>, inactive);
        m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        if (!deactivate) {
            for (auto &user : m_config->users)
                user.active = false;
            m_view->reloadFromModel();
        }
        const config::StationConfig before = *m_config;
        users()->fromSpinner()->setValue(from);
        users()->toSpinner()->setValue(to);
        QTest::mouseClick(deactivate ? users()->deactivateButton() : users()->activateButton(),
                          Qt::LeftButton);
        for (int k = 0; k < config::kUserCount; ++k) {
            const bool active = !inactive.contains(k);
            QCOMPARE(m_config->users[size_t(k)].active, active);
            QCOMPARE(users()->model()->index(k, UsersModel::ActiveColumn).data(Qt::CheckStateRole),
                     QVariant(active ? Qt::Checked : Qt::Unchecked));
            QCOMPARE(m_config->users[size_t(k)].name, before.users[size_t(k)].name);
        }
    }

    void usersRowsAreEditedWithTheMouse() {
        m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        QTableView *view = users()->view();
        view->scrollTo(view->model()->index(40, 0), QAbstractItemView::PositionAtTop);

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          controlCentre(view, 41, UsersModel::ActiveColumn));
        QVERIFY(!m_config->users[41].active);
        // A click beside the box is not a click on it.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          controlCentre(view, 41, UsersModel::ActiveColumn) + QPoint(25, 0));
        QVERIFY(!m_config->users[41].active);

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          controlCentre(view, 42, UsersModel::NameColumn));
        auto *nameField = qobject_cast<QLineEdit *>(view->indexWidget(view->model()->index(42, 2)));
        QVERIFY(nameField);
        QCOMPARE(nameField->text(), QStringLiteral("User 42"));
        nameField->selectAll();
        typeText(nameField, QStringLiteral("Bob \u20ac Smith, Clean Room Ops"));
        // Every keystroke already reached the configuration.
        QCOMPARE(m_config->users[42].name, QStringLiteral("Bob  Smith, Clean Ro"));

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          controlCentre(view, 43, UsersModel::ProfileColumn));
        auto *choice = qobject_cast<QComboBox *>(view->indexWidget(view->model()->index(43, 3)));
        QVERIFY(choice);
        QCOMPARE(choice->count(), 10);
        QCOMPARE(choice->itemText(9), QStringLiteral("Profile 10"));
        choice->hidePopup();
        choice->setCurrentIndex(9);
        emit choice->activated(9);
        QCOMPARE(m_config->users[43].profile, 9);
        QTRY_VERIFY(!view->indexWidget(view->model()->index(43, 3)));
        QCOMPARE(view->model()->index(43, 3).data().toString(), QStringLiteral("Profile 10"));

        // A configuration loaded while a name is being edited is not
        // overwritten by the open field.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          controlCentre(view, 44, UsersModel::NameColumn));
        QVERIFY(view->indexWidget(view->model()->index(44, 2)));
        m_config->users[44].name = QStringLiteral("Loaded");
        m_view->reloadFromModel();
        QTRY_VERIFY(!view->indexWidget(view->model()->index(44, 2)));
        QCOMPARE(m_config->users[44].name, QStringLiteral("Loaded"));
        QCOMPARE(view->model()->index(44, 2).data().toString(), QStringLiteral("Loaded"));
    }

    // Keys typed into the name field of user 8, opened by a click near its
    // left or right end, behave as in any single-line field.
    void usersNameFieldEditsLikeATextField_data() {
        QTest::addColumn<bool>("clickAtLeft");
        QTest::addColumn<QTestEventList>("keys");
        QTest::addColumn<QString>("name");
        QTestEventList home;
        home.addKeyClick(Qt::Key_Home);
        home.addKeyClicks("Ms ");
        QTest::newRow("home then type") << false << home << "Ms User 8";
        QTestEventList middle;
        middle.addKeyClick(Qt::Key_Left);
        middle.addKeyClick(Qt::Key_Left);
        middle.addKeyClick(Qt::Key_Backspace);
        middle.addKeyClicks("ee");
        QTest::newRow("backspace in the middle") << false << middle << "Useee 8";
        QTestEventList del;
        del.addKeyClick(Qt::Key_Delete);
        del.addKeyClicks("M");
        QTest::newRow("delete at the start") << true << del << "Mser 8";
        QTestEventList undo;
        undo.addKeyClicks("xy");
        undo.addKeyClick(Qt::Key_Z, Qt::ControlModifier);
        QTest::newRow("undo") << false << undo << "User 8";
        QTestEventList escape;
        escape.addKeyClick(Qt::Key_Home);
        escape.addKeyClicks("Dr ");
        escape.addKeyClick(Qt::Key_Escape);
        QTest::newRow("escape brings the name back") << false << escape << "User 8";
        QTestEventList left;
        left.addKeyClicks("Al ");
        QTest::newRow("click at the left places the cursor there") << true << left << "Al User 8";
    }
    void usersNameFieldEditsLikeATextField() {
        QFETCH(bool, clickAtLeft);
        QFETCH(QTestEventList, keys);
        QFETCH(QString, name);
        m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        QTableView *view = users()->view();
        const QModelIndex cell = view->model()->index(8, UsersModel::NameColumn);
        const QRect field = UsersDelegate::controlRect(view->visualRect(cell), cell.column());
        const QPoint at(clickAtLeft ? field.left() + 3 : field.right() - 3, field.center().y());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        auto *editor = qobject_cast<QLineEdit *>(view->indexWidget(cell));
        QVERIFY(editor);
        QVERIFY(!editor->hasSelectedText());
        keys.simulate(editor);
        QCOMPARE(m_config->users[8].name, name);
        QCOMPARE(cell.data().toString(), name);
    }

    void importSetsThePeripheralNumberFromTheName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("peripheral");
        QTest::addColumn<bool>("warns");
        QTest::newRow("CONFIG07") << "CONFIG07.BRC" << 7 << false;
        QTest::newRow("CONFIG00") << "CONFIG00.BRC" << 1 << false;
        QTest::newRow("lower case") << "config07.brc" << 1 << true;
        QTest::newRow("MYCONFIG") << "MYCONFIG.BRC" << 1 << true;
    }
    void importSetsThePeripheralNumberFromTheName() {
        QFETCH(QString, name);
        QFETCH(int, peripheral);
        QFETCH(bool, warns);
        config::StationConfig source;
        source.description = QStringLiteral("Line 4");
        source.generator = QStringLiteral("K9G");
        source.mode = config::Mode::HandFree;
        source.users[500].name = QStringLiteral("Operator");
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writeFile(path, config::encodeConfigurationFile(source)));
        general()->peripheralNumber()->setValue(55);

        m_dialogs->pathAnswers.enqueue(path);
        QTest::mouseClick(m_view->importButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs->shown.first(),
                 QStringLiteral("open:Please choose a Config File to load"));
        QCOMPARE(general()->peripheralNumber()->value(), peripheral);
        QCOMPARE(m_config->peripheralNumber(), peripheral);
        QCOMPARE(m_dialogs->notices.size(), warns ? 1 : 0);
        if (warns) {
            QCOMPARE(m_dialogs->notices.first().title, QStringLiteral("WARNING"));
            QVERIFY(m_dialogs->notices.first().text.startsWith(
                QStringLiteral("Not standard filename\n")));
        }
        QCOMPARE(general()->description()->text(), QStringLiteral("Line 4"));
        QVERIFY(settings()->handFreeOption()->isChecked());
        QVERIFY(settings()->row(3).check->isHidden());
        QCOMPARE(m_view->caption()->text(), name);
        m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
        QCOMPARE(users()->model()->index(500, UsersModel::NameColumn).data().toString(),
                 QStringLiteral("Operator"));
        for (int k = 0; k < config::kUserCount; ++k)
            QCOMPARE(users()->model()->index(k, UsersModel::CodeColumn).data().toString(),
                     config::userCode(QStringLiteral("K9G"), k));
    }

    // A loaded file pads the description and every name to 20 characters;
    // the operator still types after them, and only the typed bytes change.
    void typingAfterALoadedTextChangesOnlyThoseBytes_data() {
        QTest::addColumn<bool>("userName");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("typedText");
        QTest::newRow("description") << false << 0 << 2 + 8 << "EPA Area 3";
        QTest::newRow("name of user 8") << true << 14 + 4 << 3 + 6 << "User 8 3";
    }
    void typingAfterALoadedTextChangesOnlyThoseBytes() {
        QFETCH(bool, userName);
        QFETCH(int, record);
        QFETCH(int, offset);
        QFETCH(QString, typedText);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("CONFIG01.BRC"));
        QVERIFY(writeFile(path, golden::fileForm(golden::defaultRecords())));
        m_dialogs->pathAnswers.enqueue(path);
        QTest::mouseClick(m_view->importButton(), Qt::LeftButton);

        QLineEdit *field = general()->description();
        if (userName) {
            m_view->tabs()->setCurrentIndex(ConfigurationView::UsersTabIndex);
            QTableView *view = users()->view();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              controlCentre(view, 8, UsersModel::NameColumn));
            field = qobject_cast<QLineEdit *>(view->indexWidget(view->model()->index(8, 2)));
            QVERIFY(field);
        } else {
            QTest::mouseClick(field, Qt::LeftButton);
        }
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, " 3");
        QCOMPARE(field->text(), typedText);

        QTemporaryDir out;
        m_dialogs->pathAnswers.enqueue(out.path() + QLatin1Char('/'));
        QTest::mouseClick(m_view->exportButton(), Qt::LeftButton);
        QList<QByteArray> expected = golden::defaultRecords();
        expected[record].replace(offset, 2, " 3");
        QCOMPARE(readFile(out.filePath(QStringLiteral("CONFIG01.BRC"))),
                 golden::fileForm(expected));
    }

    void importOfABadFileSaysWrongFileFormat() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("CONFIG12.BRC"));
        QVERIFY(writeFile(path, QByteArray("F:not a configuration\r\n")));
        m_dialogs->pathAnswers.enqueue(path);
        QTest::mouseClick(m_view->importButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs->notices.size(), 1);
        QCOMPARE(m_dialogs->notices.first().text, QStringLiteral("Wrong file format"));
        QCOMPARE(m_dialogs->notices.first().icon, NoticeIcon::Error);
        QCOMPARE(m_view->caption()->text(), QStringLiteral("DEFAULT CONFIG"));
        QCOMPARE(general()->peripheralNumber()->value(), 12);
        QCOMPARE(general()->description()->text(), QStringLiteral("EPA Area"));
    }

    void exportOfTheDefaultConfigurationIsTheGoldenFile() {
        QTemporaryDir dir;
        m_dialogs->pathAnswers.enqueue(dir.path() + QLatin1Char('/'));
        QTest::mouseClick(m_view->exportButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs->shown.first(),
                 QStringLiteral("folder:Please choose a Path where to save the Config File"));
        const QByteArray written = readFile(dir.filePath(QStringLiteral("CONFIG01.BRC")));
        QCOMPARE(written.size(), 33924);
        QCOMPARE(written, golden::fileForm(golden::defaultRecords()));
        QCOMPARE(written, config::encodeConfigurationFile(config::StationConfig()));
        QCOMPARE(m_dialogs->notices.size(), 1);
        QCOMPARE(m_dialogs->notices.first().title, QStringLiteral("CONFIG01.BRC"));
        QCOMPARE(m_dialogs->notices.first().text,
                 QStringLiteral("Saved correctly the file:\n\nCONFIG01.BRC"));
        QCOMPARE(m_view->caption()->text(), QStringLiteral("CONFIG01.BRC"));
    }

    void exportWritesWhatTheControlsShow() {
        QTemporaryDir dir;
        general()->peripheralNumber()->setValue(100);
        QTest::mouseClick(general()->middleOption(), Qt::LeftButton);
        general()->generator()->setText(QStringLiteral("7")); // still focused: not normalized yet
        m_dialogs->pathAnswers.enqueue(dir.path() + QLatin1Char('/'));
        QTest::mouseClick(m_view->exportButton(), Qt::LeftButton);
        const QByteArray written = readFile(dir.filePath(QStringLiteral("CONFIG10.BRC")));
        QCOMPARE(written.size(), 33924);
        QCOMPARE(written.mid(23, 8), QByteArray("P;484855"));
        QCOMPARE(general()->generator()->text(), QStringLiteral("007"));
    }

    void exportToAFolderThatCannotBeWritten() {
        m_dialogs->pathAnswers.enqueue(QStringLiteral("/proc/no-such-folder/"));
        QTest::mouseClick(m_view->exportButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs->notices.size(), 1);
        QCOMPARE(m_dialogs->notices.first().title, QStringLiteral("Error"));
        QCOMPARE(m_dialogs->notices.first().text, QStringLiteral("Can't write the file"));
        QCOMPARE(m_view->caption()->text(), QStringLiteral("DEFAULT CONFIG"));
    }

    void cancelledDialogsDoNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("import") << "import"
                                << "open:Please choose a Config File to load";
        QTest::newRow("export") << "export"
                                << "folder:Please choose a Path where to save the Config File";
        QTest::newRow("print") << "print"
                               << "choice:Which report do you want to print?";
    }
    void cancelledDialogsDoNothing() {
        QFETCH(QString, button);
        QFETCH(QString, dialog);
        const config::StationConfig before = *m_config;
        QPushButton *target = button == "import"   ? m_view->importButton()
                              : button == "export" ? m_view->exportButton()
                                                   : m_view->printButton();
        QTest::mouseClick(target, Qt::LeftButton);
        QCOMPARE(m_dialogs->shown, QStringList{dialog});
        QVERIFY(*m_config == before);
        QCOMPARE(m_view->caption()->text(), QStringLiteral("DEFAULT CONFIG"));
    }

    void printChoicesPrintTheirReport_data() {
        QTest::addColumn<int>("choice");
        QTest::newRow("General and Settings") << 1;
        QTest::newRow("Users") << 2;
    }
    void printChoicesPrintTheirReport() {
        QFETCH(int, choice);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        m_dialogs->choiceAnswers.enqueue(choice);
        m_dialogs->printerPdfPaths.enqueue(pdf);
        QTest::mouseClick(m_view->printButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs->shown.value(0),
                 QStringLiteral("choice:Which report do you want to print?"));
        QCOMPARE(m_dialogs->shown.value(1), QStringLiteral("printer"));
        const QByteArray printed = readFile(pdf);
        QVERIFY(printed.startsWith("%PDF"));
    }
};

QTEST_MAIN(TestConfigView)
#include "tst_configview.moc"

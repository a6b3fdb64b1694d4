#include "app/ScopedOperationSettings.h"
#include "app/ScriptedUserDialogs.h"
#include "app/commandline/EventViewerWindow.h"
#include "app/configuration/ConfigurationView.h"
#include "app/configuration/GeneralTab.h"
#include "app/datalogger/DataloggerModel.h"
#include "app/datalogger/DataloggerView.h"
#include "app/dialogs/QtUserDialogs.h"
#include "app/dialogs/TwoChoiceWindow.h"
#include "app/operation/OperationWindow.h"
#include "app/operation/TesterOperation.h"
#include "app/shell/HelpTexts.h"
#include "app/shell/MainWindow.h"
#include "app/shell/TrayController.h"
#include "link/LinkConstants.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/SimulatorFixture.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace nxa;
using namespace nxa::app;

namespace {

QStringList menuTexts(QMenu *menu) {
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// Plays the user of every operation window against the simulated tester:
// types 127.0.0.1 and presses the button the first time the window waits,
// closes it the next time. The time limits are short; the operation settings
// as they were and the tester port come back on destruction.
class LoopbackUser {
public:
    explicit LoopbackUser(quint16 port) {
        test::useTesterPort(port);
        OperationSettings &operation = *m_settings;
        operation.timings.connectTimeoutMs = 2000;
        operation.timings.idleTimeoutMs = 1000;
        operation.onWaitingForUser = [this](OperationWindow &window) {
            window.setAddress(0x0100007F);
            if (waits++ == 0)
                QTimer::singleShot(0, window.actionButton(), &QPushButton::click);
            else
                QTimer::singleShot(0, &window, &QWidget::close);
        };
    }
    ~LoopbackUser() { qunsetenv(link::kTesterPortVariable); }
    LoopbackUser(const LoopbackUser &) = delete;
    LoopbackUser &operator=(const LoopbackUser &) = delete;

    int waits = 0;

private:
    ScopedOperationSettings m_settings;
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    Session m_session;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<MainWindow> m_window;

private slots:
    void init() {
        m_dialogs = ScriptedUserDialogs();
        m_window = std::make_unique<MainWindow>(m_session, &m_dialogs);
    }
    void cleanup() { m_window.reset(); }

    void isBuiltHiddenInTheConfigurationView() {
        int steps = 0;
        MainWindow window(m_session, &m_dialogs, [&steps] { ++steps; });
        QVERIFY(steps >= 3);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Brontel NXA Manager"));
        QVERIFY(window.configOption()->isChecked());
        QVERIFY(!window.dataloggerOption()->isChecked());
        QVERIFY(window.configurationView()->isVisibleTo(&window));
        QVERIFY(!window.dataloggerView()->isVisibleTo(&window));
        QCOMPARE(window.centralWidget()->size(), QSize(800, 710));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.configOption()->geometry(), QRect(50, 25, 80, 20));
        QCOMPARE(window.dataloggerOption()->geometry(), QRect(50, 55, 80, 20));
        // The list sits at 10, 90 of the client area.
        QCOMPARE(window.dataloggerView()->list()->mapTo(window.centralWidget(), QPoint(0, 0)),
                 QPoint(10, 90));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.centralWidget()->size(), QSize(800, 710));
    }

    void menusHoldTheirItems() {
        const QList<QAction *> menus = m_window->menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        // Underlined letters for the keyboard; the texts themselves are unchanged.
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(menuTexts(menus[0]->menu()), QStringList({"Minimize to SysTray", "-", "Exit"}));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Help"));
        QCOMPARE(menuTexts(menus[1]->menu()),
                 QStringList({"Command Line User's Guide", "-", "About..."}));
    }

    void switchingViewsKeepsTheirContent() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        DataloggerView *view = m_window->dataloggerView();
        QTest::mouseClick(m_window->dataloggerOption(), Qt::LeftButton);
        QVERIFY(view->isVisible());
        QVERIFY(!m_window->configurationView()->isVisible());

        view->model()->beginTableChange();
        for (int i = 0; i < 4; ++i) {
            records::Row row;
            row[records::kColumnName] = QStringLiteral("row%1").arg(i);
            m_window->table().insertAtTop(row);
        }
        view->model()->endTableChange();
        view->list()->selectRow(2);
        QTest::mouseClick(view->hideValuesBox(), Qt::LeftButton);

        QTest::mouseClick(m_window->configOption(), Qt::LeftButton);
        QVERIFY(!view->isVisible());
        QVERIFY(m_window->configurationView()->isVisible());
        QTest::mouseClick(m_window->dataloggerOption(), Qt::LeftButton);

        QCOMPARE(view->model()->rowCount(), 4);
        QCOMPARE(view->list()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(view->list()->selectionModel()->selectedRows().first().row(), 2);
        QVERIFY(view->hideValuesBox()->isChecked());
        QCOMPARE(view->list()->columnWidth(records::kColumnLeft), 0);
    }

    // Without a mouse: a menu opens from its key, and arrows and Return
    // reach its last item.
    void menusOpenFromTheKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("alt");
        QTest::addColumn<QString>("menu");
        QTest::newRow("Alt+F") << int(Qt::Key_F) << true << "&File";
        QTest::newRow("F10") << int(Qt::Key_F10) << false << "&File";
        QTest::newRow("Alt+H") << int(Qt::Key_H) << true << "&Help";
    }
    void menusOpenFromTheKeyboard() {
        QFETCH(int, key);
        QFETCH(bool, alt);
        QFETCH(QString, menu);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QSignalSpy quit(m_window.get(), &MainWindow::quitRequested);
        QTest::keyClick(m_window.get(), Qt::Key(key), alt ? Qt::AltModifier : Qt::NoModifier);
        auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(popup);
        QCOMPARE(popup->menuAction()->text(), menu);
        while (popup->activeAction() != popup->actions().last())
            QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        if (menu == QStringLiteral("&File")) {
            QCOMPARE(quit.size(), 1);
        } else {
            QCOMPARE(m_dialogs.notices.size(), 1);
            QCOMPARE(m_dialogs.notices[0].title, QStringLiteral("About"));
        }
    }

    // Tab and Shift+Tab reach each choice; the arrow keys then move the
    // choice within its frame.
    void tabReachesTheChoices_data() {
        QTest::addColumn<int>("view"); // -1 datalogger, else the configuration tab shown
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<QString>("next"); // chosen by the arrow
        const int general = ConfigurationView::GeneralTabIndex;
        const int settings = ConfigurationView::SettingsTabIndex;
        const int up = Qt::Key_Up;
        const int down = Qt::Key_Down;
        // clang-format off
        QTest::newRow("Operation")      << general  << "Config"     << down << "Datalogger";
        QTest::newRow("Operation, datalogger view") << -1 << "Datalogger" << up << "Config";
        QTest::newRow("Security Level") << general  << "Min: user identification with 'Fingerprint' or with 'ID'"
                                                    << up << "Middle: user identification with 'Fingerprint' or with 'User Code'";
        QTest::newRow("Mode")           << settings << "Normal"     << down << "HandFree";
        QTest::newRow("Test Voltage")   << settings << "100 Volt"   << down << "50 Volt";
        // clang-format on
    }
    void tabReachesTheChoices() {
        QFETCH(int, view);
        QFETCH(QString, choice);
        QFETCH(int, arrow);
        QFETCH(QString, next);
        if (view < 0)
            m_window->showDataloggerView();
        else
            m_window->configurationView()->tabs()->setCurrentIndex(view);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QRadioButton *target = nullptr;
        QRadioButton *after = nullptr;
        for (QRadioButton *option : m_window->findChildren<QRadioButton *>()) {
            if (option->text() == choice && option->isVisible())
                target = option;
            if (option->text() == next && option->isVisible())
                after = option;
        }
        QVERIFY(target && after);
        QVERIFY(target->isChecked());

        for (const Qt::KeyboardModifier direction : {Qt::NoModifier, Qt::ShiftModifier}) {
            QWidget *start = QApplication::focusWidget();
            QVERIFY(start);
            QList<QWidget *> visited;
            while (QApplication::focusWidget() != target && visited.size() < 300) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, direction);
                visited.append(QApplication::focusWidget());
            }
            QVERIFY2(QApplication::focusWidget() == target,
                     qPrintable(QString::number(visited.size()) + " keys"));
            target->clearFocus();
            start->setFocus(Qt::OtherFocusReason);
        }
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(arrow));
        QVERIFY(after->isChecked());
        QVERIFY(!target->isChecked());
        QCOMPARE(QApplication::focusWidget(), after);
    }

    // A click on the option already chosen keeps it chosen, and its view shown.
    void clickOnTheChosenOperationKeepsIt_data() {
        QTest::addColumn<bool>("datalogger");
        QTest::newRow("Config") << false;
        QTest::newRow("Datalogger") << true;
    }
    void clickOnTheChosenOperationKeepsIt() {
        QFETCH(bool, datalogger);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QRadioButton *option = datalogger ? m_window->dataloggerOption() : m_window->configOption();
        QTest::mouseClick(option, Qt::LeftButton);
        QTest::mouseClick(option, Qt::LeftButton);
        QVERIFY(option->isChecked());
        QCOMPARE(m_window->dataloggerOption()->isChecked(), datalogger);
        QCOMPARE(m_window->configOption()->isChecked(), !datalogger);
        QCOMPARE(m_window->dataloggerView()->isVisible(), datalogger);
        QCOMPARE(m_window->configurationView()->isVisible(), !datalogger);
        // The choices of the views were left as they were.
        QVERIFY(m_window->configurationView()->generalTab()->minOption()->isChecked());
    }

    // Tab leaves the list for the next control, Shift+Tab for the one before.
    void tabLeavesTheDataloggerList_data() {
        QTest::addColumn<bool>("backwards");
        QTest::newRow("Tab") << false;
        QTest::newRow("Shift+Tab") << true;
    }
    void tabLeavesTheDataloggerList() {
        QFETCH(bool, backwards);
        m_window->showDataloggerView();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        DataloggerView *view = m_window->dataloggerView();
        view->model()->beginTableChange();
        for (int i = 0; i < 3; ++i)
            m_window->table().insertAtTop(records::Row{});
        view->model()->endTableChange();
        QTableView *list = view->list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(view->model()->index(1, 3)).center());
        QCOMPARE(QApplication::focusWidget(), list);
        QTest::keyClick(list, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QVERIFY(QApplication::focusWidget() != list);
        QVERIFY(!list->isAncestorOf(QApplication::focusWidget()));
    }

    void helpMenuShowsTheGuideAndAbout() {
        m_window->guideAction()->trigger();
        QCOMPARE(m_dialogs.notices.size(), 1);
        const Notice guide = m_dialogs.notices[0];
        QCOMPARE(guide.title, QStringLiteral("Command Line User's Guide"));
        QCOMPARE(guide.icon, NoticeIcon::None);
        // Written out from the product's guide, piece by piece.
        const QString expected = QStringLiteral(
            "The Command Line is a text string that is passed to the system whenever any program "
            "is executed; it contains the path to the program followed by a set of parameters.\n"
            "In Windows, you can start a program using the Start Menu 'Run...' command Or by "
            "clicking on a Shortcut on the Desktop Or in the Start menu.\n"
            "If you start a program by clicking a Shortcut, you can edit the command line for the "
            "program in Shortcut Properties' 'Target' input box.\n\n"
            "For BrontelNXA_Manager_XX.exe (XX is the number of the version), the Command Line in "
            "a Shortcut usually looks like this:\n"
            "     C:\\BrontelNXA_Manager_XX.exe\n\n"
            "You can add some start-up parameters to it to define a set of actions performed "
            "whenever you open the Shortcut.\n\n"
            "Command Line Syntax:\n"
            "     <ip> <password> </TXT | /XLSX> <file>\n"
            "Return Value:\n"
            "     0 - OK: Data downloaded and saved correctly in the file\n"
            "     1 - Error: Wrong executable commandline parameters.\n"
            "     2 - Error: Communicatio failure.\n"
            "     3 - Error: BR NXA connected but now is busy... Try later.\n"
            "     4 - Error: Wrong password.\n"
            "     5 - Error: No BR NXA connected at specified IP.\n"
            "     6 - Error: Can't connect to specified IP.\n"
            "     7 - Error: Operation aborted by user.\n"
            "     8 - Error: Can'tcreate file.\n\n"
            "For examples you can add this 4 parameters:\n"
            "    192.168.1.99 583041 /TXT C:\\output_text_file.txt\n"
            "or\n"
            "     192.168.1.99 583041 /XLSX C:\\output_excel_file.xlsx\n\n"
            "With these 4 parameters you can automatically save all the recorded access contained "
            "in the Brontel NXA Ethernet that has IP set to 192.168.1.99 and password set to "
            "583041. "
            "The data will be saved in a txt file (/TXT) or an Excel file (/XLSX)\n"
            "Using Command Line is possible to realize a software that periodically transfers the "
            "data of the recorded access to the company database.\n\n"
            "Everytime is used Command Line is updated a log file (log.txt) located in the same "
            "directory of the executable.");
        QCOMPARE(guide.text, expected);
        QCOMPARE(guide.text.count(QLatin1Char('\\')), 3);
        QVERIFY(!guide.text.contains(QLatin1String("\r")));

        m_window->aboutAction()->trigger();
        QCOMPARE(m_dialogs.notices.size(), 2);
        QVERIFY(m_dialogs.notices[1].text.contains(QStringLiteral("Brontel NXA Manager")));
    }

    // Each frame as drawn: its top line runs through the caption, and the
    // controls placed in the frame sit clear of every border.
    void framesSetTheirCaptionIntoTheTopLine_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("place"); // -1 datalogger view, -2 event viewer, else a tab
        for (const char *caption : {"Operation", "File", "LAN"})
            QTest::newRow(caption) << caption << int(ConfigurationView::GeneralTabIndex);
        QTest::newRow("Security Level") << "Security Level" << 0;
        QTest::newRow("Mode") << "Mode" << int(ConfigurationView::SettingsTabIndex);
        QTest::newRow("Test Voltage") << "Test Voltage" << int(ConfigurationView::SettingsTabIndex);
        QTest::newRow("Add Records") << "Add Records" << -1;
        QTest::newRow("Edit") << "Edit" << -1;
        QTest::newRow("Event viewer") << "Event viewer" << -2;
    }
    void framesSetTheirCaptionIntoTheTopLine() {
        QFETCH(QString, caption);
        QFETCH(int, place);
        EventViewerWindow eventViewer;
        QWidget *root = m_window.get();
        if (place == -2) {
            root = &eventViewer;
        } else if (place == -1) {
            m_window->dataloggerOption()->setChecked(true);
        } else {
            m_window->configurationView()->tabs()->setCurrentIndex(place);
        }
        root->show();
        QVERIFY(QTest::qWaitForWindowExposed(root));
        QGroupBox *frame = nullptr;
        for (QGroupBox *box : root->findChildren<QGroupBox *>())
            if (box->title() == caption && box->isVisible())
                frame = box;
        QVERIFY(frame);

        // The top line: the first row, right of the caption, that differs
        // from the surroundings above it.
        const QImage image = frame->grab().toImage();
        const int x = image.width() - 6;
        const int surroundings = qGray(image.pixel(x, 0));
        int line = 0;
        while (line < image.height() / 2 && qAbs(qGray(image.pixel(x, line)) - surroundings) < 25)
            ++line;
        const int captionHeight = frame->fontMetrics().height();
        QVERIFY2(line > 0 && line < captionHeight - 2, qPrintable(QString::number(line)));

        QList<QWidget *> inside;
        for (QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            inside.append(child);
        for (QWidget *sibling :
             frame->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (sibling != frame && sibling->isVisible() &&
                frame->geometry().contains(sibling->geometry().center()))
                inside.append(sibling);
        QVERIFY(!inside.isEmpty());
        const QRect clear = QRect(frame->mapTo(frame->parentWidget(), QPoint(0, 0)), frame->size())
                                .adjusted(2, line + 2, -2, -2);
        for (QWidget *control : inside) {
            const QRect at(control->mapTo(frame->parentWidget(), QPoint(0, 0)), control->size());
            QVERIFY2(clear.contains(at),
                     qPrintable(control->objectName() + " " + control->metaObject()->className()));
        }
    }

    void messageBoxesAreWideEnoughForTheirTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("question");
        QTest::newRow("no new records") << "Records added successfully"
                                        << "No new records added." << false;
        QTest::newRow("wrong password") << "Wrong Password"
                                        << "Password incorrect error.\nTry again" << false;
        QTest::newRow("remove") << "Remove"
                                << "Do you really want remove selected item?" << true;
    }
    void messageBoxesAreWideEnoughForTheirTitle() {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, question);
        int width = 0;
        QTimer::singleShot(0, [&width] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            width = box->width();
            box->done(0);
        });
        QtUserDialogs dialogs;
        if (question)
            dialogs.askYesNo(title, text);
        else
            dialogs.showNotice({title, text, NoticeIcon::Error});
        QVERIFY2(width >= titleBarWidth(title), qPrintable(QString::number(width)));
    }

    void exitAndCloseBoxAskToQuit() {
        QSignalSpy quit(m_window.get(), &MainWindow::quitRequested);
        m_window->exitAction()->trigger();
        QCOMPARE(quit.size(), 1);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->close();
        QCOMPARE(quit.size(), 2);
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    // The tray menu as the user works it: a right click on the icon, then a
    // choice made with the mouse or the keyboard in the menu that pops up.
    void trayMenuChoice_data() {
        QTest::addColumn<bool>("exit");
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("Show, mouse") << false << false;
        QTest::newRow("Show, keyboard") << false << true;
        QTest::newRow("Exit, mouse") << true << false;
        QTest::newRow("Exit, keyboard") << true << true;
    }
    void trayMenuChoice() {
        QFETCH(bool, exit);
        QFETCH(bool, keyboard);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        TrayController *tray = m_window->tray();
        tray->setTrayAvailableCheck([] { return true; });
        m_window->minimizeToTrayAction()->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(tray->inTray());
        const QPointer<QSystemTrayIcon> icon = tray->trayIcon();

        // A left click or a double click on the icon does nothing.
        emit icon->activated(QSystemTrayIcon::Trigger);
        emit icon->activated(QSystemTrayIcon::DoubleClick);
        QTest::qWait(20);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(!m_window->isVisible());

        QStringList popped;
        QTimer chooser;
        chooser.setInterval(10);
        connect(&chooser, &QTimer::timeout, this, [&] {
            auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!popup)
                return;
            chooser.stop();
            popped = menuTexts(popup);
            QAction *choice = exit ? popup->actions().last() : popup->actions().first();
            if (keyboard) {
                QTest::keyClick(popup, exit ? Qt::Key_Up : Qt::Key_Down);
                QTest::keyClick(popup, Qt::Key_Return);
            } else {
                QTest::mouseClick(popup, Qt::LeftButton, {},
                                  popup->actionGeometry(choice).center());
            }
        });
        chooser.start();
        // The platform's icon window is destroyed with the icon: it must
        // still stand when its click has been delivered.
        bool iconStoodThroughTheClick = false;
        connect(icon, &QSystemTrayIcon::activated, this,
                [&] { iconStoodThroughTheClick = icon && icon->isVisible(); });
        QSignalSpy quit(m_window.get(), &MainWindow::quitRequested);
        emit icon->activated(QSystemTrayIcon::Context);
        QVERIFY(iconStoodThroughTheClick);

        if (exit) {
            QTRY_COMPARE(quit.size(), 1);
            QVERIFY(!m_window->isVisible());
        } else {
            QTRY_VERIFY(m_window->isVisible());
            QVERIFY(!tray->inTray());
            QTRY_VERIFY(!icon);
            QCOMPARE(quit.size(), 0);
        }
        QCOMPARE(popped, QStringList({"Show", "-", "Exit"}));
    }

    void withoutATrayTheWindowIsMinimized() {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->tray()->setTrayAvailableCheck([] { return false; });
        m_window->minimizeToTrayAction()->trigger();
        QVERIFY(!m_window->tray()->inTray());
        QVERIFY(m_window->isMinimized());
        QVERIFY(m_window->isVisible());
    }

    void twoChoiceWindow_data() {
        QTest::addColumn<int>("action"); // 0 close box, 1 first button, 2 second button
        QTest::newRow("closed") << 0;
        QTest::newRow("first") << 1;
        QTest::newRow("second") << 2;
    }
    void twoChoiceWindow() {
        QFETCH(int, action);
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            auto *window = qobject_cast<TwoChoiceWindow *>(QApplication::activeModalWidget());
            QVERIFY(window);
            // A failed check must not leave the window waiting for an answer.
            const auto answerOnFailure = qScopeGuard([&] {
                if (!checked)
                    window->reject();
            });
            QCOMPARE(window->size(), QSize(240, 150));
            // Blank to the eye, yet not empty: Qt would put the application name in its place.
            QVERIFY(window->windowTitle().trimmed().isEmpty());
            QVERIFY(!window->windowTitle().isEmpty());
            QCOMPARE(window->firstButton()->geometry(), QRect(40, 70, 160, 20));
            QCOMPARE(window->secondButton()->geometry(), QRect(40, 110, 160, 20));
            QCOMPARE(window->firstButton()->text(), QStringLiteral("Fixed Width Text (*.txt)"));
            const auto labels = window->findChildren<QLabel *>();
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels[0]->text(), QStringLiteral("Choose the file format that you want"));
            QCOMPARE(labels[0]->geometry(), QRect(20, 20, 200, 50));
            checked = true;
            if (action == 0)
                window->close();
            else
                QTest::mouseClick(action == 1 ? window->firstButton() : window->secondButton(),
                                  Qt::LeftButton);
        });
        const int result = TwoChoiceWindow::ask(
            m_window.get(), QStringLiteral("Choose the file format that you want"),
            QStringLiteral("Fixed Width Text (*.txt)"), QStringLiteral("Excel File (*.xlsx)"));
        QVERIFY(checked);
        QCOMPARE(result, action);
    }

    void downloadFailureKeepsTheListAndTheWindowOpen_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::newRow("busy") << int(sim::Scenario::Busy) << "Busy" << int(NoticeIcon::Warning);
        QTest::newRow("wrong password")
            << int(sim::Scenario::WrongPassword) << "Wrong Password" << int(NoticeIcon::Error);
    }
    void downloadFailureKeepsTheListAndTheWindowOpen() {
        QFETCH(int, scenario);
        QFETCH(QString, title);
        QFETCH(int, icon);
        sim::SimulatorSettings settings;
        settings.scenario = static_cast<sim::Scenario>(scenario);
        settings.dataloggerImage = records::sampleDatalogger(4, 3).transferImage();
        sim::SimulatorThread tester(settings);
        QVERIFY(tester.start());
        test::WorkingFolder folder;
        QVERIFY(folder.isActive());
        LoopbackUser user(tester.port());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->showDataloggerView();
        m_window->dataloggerView()->download();
        // The window waited for the user a second time after the failure box.
        QCOMPARE(user.waits, 2);
        QCOMPARE(m_dialogs.notices.size(), 1);
        QCOMPARE(m_dialogs.notices[0].title, title);
        QCOMPARE(int(m_dialogs.notices[0].icon), icon);
        QCOMPARE(m_window->dataloggerView()->model()->rowCount(), 0);
    }

    void downloadFillsTheListFromTheTester() {
        sim::SimulatorSettings settings;
        records::SampleDataloggerOptions options;
        options.peripheralNumber = 9;
        settings.dataloggerImage = records::sampleDatalogger(12, 3, options).transferImage();
        sim::SimulatorThread tester(settings);
        // The operation keeps the address in the preferences of the working folder.
        test::WorkingFolder folder;
        QVERIFY(folder.isActive());
        QVERIFY(tester.start());
        LoopbackUser user(tester.port());
        m_session.testerAddress = 0x0100007F; // 127.0.0.1
        m_session.password = QStringLiteral("583041");

        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTest::mouseClick(m_window->dataloggerOption(), Qt::LeftButton);
        DataloggerView *view = m_window->dataloggerView();
        QTest::mouseClick(view->downloadButton(), Qt::LeftButton);
        QCOMPARE(view->model()->rowCount(), 12);
        QCOMPARE(m_window->table().rowCount(), 12);
        // The tester's peripheral number reached the configuration and its view.
        QCOMPARE(m_window->stationConfig().peripheralNumber(), 9);
        QCOMPARE(m_window->configurationView()->generalTab()->peripheralNumber()->value(), 9);
        QVERIFY(m_dialogs.notices.contains(
            Notice{QStringLiteral("Records added successfully"),
                   QStringLiteral("Added successfully 12 new records"), NoticeIcon::Information}));

        // Again: the keys are rebuilt first, so nothing comes twice.
        user.waits = 0;
        QTest::mouseClick(view->downloadButton(), Qt::LeftButton);
        QCOMPARE(view->model()->rowCount(), 12);
        QCOMPARE(m_dialogs.notices.last().text, QStringLiteral("No new records added."));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"

#include "app/ScriptedUserDialogs.h"
#include "app/configuration/ConfigurationView.h"
#include "app/configuration/GeneralTab.h"
#include "app/datalogger/DataloggerModel.h"
#include "app/datalogger/DataloggerView.h"
#include "app/datalogger/TrendWindow.h"
#include "app/shared/Session.h"
#include "app/shared/WindowPlacement.h"
#include "config/StationConfig.h"
#include "records/DataloggerTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <cmath>

using namespace nxa;
using namespace nxa::app;

namespace {

constexpr int kDays = 20;
const QDate kFirstDay(2026, 10, 1);

records::Row accessRow(int pn, int user, const QString &name, int day, int minute, int footwear) {
    records::Row row;
    row[records::kColumnPn] = QString::number(pn);
    row[records::kColumnId] = QString::number(user);
    row[records::kColumnVisitor] = QStringLiteral("N");
    row[records::kColumnName] = name;
    row[records::kColumnWristStrap] = QStringLiteral("900");
    row[records::kColumnLeft] = QString::number(footwear);
    row[records::kColumnRight] = QString::number(footwear);
    row[records::kColumnPass] = footwear <= 35000 ? QStringLiteral("Y") : QStringLiteral("N");
    row[records::kColumnRelay] = row[records::kColumnPass];
    row[records::kColumnDate] = kFirstDay.addDays(day).toString(QStringLiteral("yyyy-MM-dd"));
    row[records::kColumnTime] = QStringLiteral("07:%1:00").arg(minute, 2, 10, QLatin1Char('0'));
    return row;
}

// Ada (PN 5, user 12) wears her shoes out: one to three tests a day, the
// footwear rising 15 % a day. Bob (PN 5, user 3) stays where he is.
void fillTable(records::DataloggerTable &table) {
    for (int day = 0; day < kDays; ++day) {
        const int footwear = int(std::lround(2000 * std::pow(1.15, day)));
        for (int test = 0; test <= day % 3; ++test)
            table.insertAtTop(accessRow(5, 12, QStringLiteral("Ada Drift"), day, test, footwear));
        table.insertAtTop(accessRow(5, 3, QStringLiteral("Bob Steady"), day, 30, 1500));
    }
}

int rowOf(const records::DataloggerTable &table, const QString &name) {
    for (int r = 0; r < table.rowCount(); ++r)
        if (table.cell(r, records::kColumnName) == name)
            return r;
    return -1;
}

// The menu's action whose text starts with `text`, clicked as a user would.
bool clickMenuEntry(QMenu *menu, const QString &text) {
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }))
        return false;
    for (QAction *action : menu->actions())
        if (action->text().startsWith(text) && action->isEnabled()) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            return true;
        }
    return false;
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TrendWindowTest : public QObject {
    Q_OBJECT

    records::DataloggerTable m_table;
    config::StationConfig m_config;
    Session m_session;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<DataloggerView> m_view;
    QTemporaryDir m_dir;

    // Ada's profile in the tester's configuration: footwear 100 to 35000 kOhm.
    void holdTesterConfiguration(int peripheralNumber) {
        m_config.setPeripheralNumber(peripheralNumber);
        m_config.users[12] = {true, QStringLiteral("Ada Drift"), 2};
        m_config.profiles[2].footwearMin = QStringLiteral("100");
        m_config.profiles[2].footwearMax = QStringLiteral("35000");
        m_config.profiles[2].check = 2; // "Shoes"
    }

    // Opens the menu on Ada's row by a right-click, or by the menu key on the
    // row the keyboard is on, as the window system delivers them (the X11
    // platform turns the menu key into a keyboard context menu event; the
    // offscreen one does not, so that event is sent here).
    void openMenuOnAda(bool byKey) {
        QTableView *list = m_view->list();
        const QModelIndex ada = m_view->model()->index(rowOf(m_table, "Ada Drift"), 3);
        list->scrollTo(ada);
        QWindow *window = m_view->windowHandle();
        if (byKey) {
            list->setFocus();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(ada).center());
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                      list->mapToGlobal(QPoint(1, 1)));
            QApplication::sendEvent(QApplication::focusWidget(), &menuKey);
        } else {
            const QPoint at = list->viewport()->mapTo(m_view.get(), list->visualRect(ada).center());
            QTest::mouseClick(window, Qt::RightButton, {}, at);
        }
    }

    TrendWindow *openTrendOfAda(bool byKey) {
        openMenuOnAda(byKey);
        if (!clickMenuEntry(m_view->tableMenu(), QStringLiteral("Trend of Ada Drift")))
            return nullptr;
        const auto windows = m_view->findChildren<TrendWindow *>();
        return windows.isEmpty() ? nullptr : windows.last();
    }

private slots:
    void init() {
        m_table.clear();
        m_config = config::StationConfig();
        m_dialogs = ScriptedUserDialogs();
        fillTable(m_table);
        m_view = std::make_unique<DataloggerView>(m_table, m_config, m_session, m_dialogs);
        m_view->resize(800, 620);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    void trendShowsThePersonAgainstTheLimitsOfTheirTester_data() {
        QTest::addColumn<int>("configurationPn"); // 0: the view holds no configuration
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("band");
        QTest::addColumn<QString>("reason");
        QTest::newRow("same tester, right-click") << 5 << false << true << QString();
        QTest::newRow("other tester, menu key")
            << 7 << true << false << "PN 7, these rows are of PN 5";
        QTest::newRow("no configuration")
            << 0 << false << false << "holds no tester's configuration";
    }
    void trendShowsThePersonAgainstTheLimitsOfTheirTester() {
        QFETCH(int, configurationPn);
        QFETCH(bool, byKey);
        QFETCH(bool, band);
        QFETCH(QString, reason);
        if (configurationPn > 0)
            holdTesterConfiguration(configurationPn);
        else
            m_config.setPeripheralNumber(5); // a datalogger download sets it alone

        TrendWindow *trend = openTrendOfAda(byKey);
        QVERIFY(trend);
        QVERIFY(trend->isVisible());
        QVERIFY(!trend->isModal());
        const audit::PersonTrendPage &page = trend->page();
        QCOMPARE(page.tests, kDays / 3 * 6 + (kDays % 3 == 2 ? 3 : kDays % 3));
        QVERIFY(page.lines.join('\n').contains(QStringLiteral("First attempt passed: ")));
        // The footwear chart: one point a day for each shoe, the day's value.
        QVERIFY(!page.charts.empty());
        const charts::PersonTrend &footwear = page.charts.front();
        QVERIFY(!footwear.series.empty());
        for (const charts::TrendSeries &shoe : footwear.series) {
            QCOMPARE(int(shoe.points.size()), kDays);
            QCOMPARE(shoe.points.front().day, int(kFirstDay.toJulianDay()));
            QCOMPARE(shoe.points.back().value, std::round(2000 * std::pow(1.15, kDays - 1)));
            // A rise this steady is significant, and it is drawn.
            QVERIFY(shoe.fit.has_value());
        }
        QCOMPARE(footwear.band.has_value(), band);
        if (band) {
            QCOMPARE(footwear.band->minKohm, std::optional<double>(100));
            QCOMPARE(footwear.band->maxKohm, std::optional<double>(35000));
            // 2000 kΩ rising 15 % a day reads 28464 kΩ on its last day, 2026-10-20:
            // 35000 kΩ is 1.48 days later, in the day after it.
            QVERIFY2(page.lines.join('\n').contains(QStringLiteral(
                         "projected to cross its max limit of 35000 kΩ on 2026-10-21")),
                     qPrintable(page.lines.join('\n')));
            QCOMPARE(footwear.series.front().crossing->day, int(kFirstDay.toJulianDay()) + kDays);
            // "Shoes": the wrist strap is not checked, so it has no chart.
            QCOMPARE(page.charts.size(), size_t(1));
        }
        QCOMPARE(trend->noLimitsLabel()->isVisibleTo(trend), !band);
        QVERIFY(trend->noLimitsLabel()->text().contains(reason));
        QVERIFY(!trend->noLimitsLabel()->text().contains('\n'));
    }

    void trendFollowsRowsAddedAndDeleted() {
        TrendWindow *trend = openTrendOfAda(false);
        QVERIFY(trend);
        const int before = trend->page().tests;
        m_view->model()->beginTableChange();
        m_table.insertAtTop(accessRow(5, 12, "Ada Drift", kDays, 0, 50000));
        m_view->model()->endTableChange();
        QCOMPARE(trend->page().tests, before + 1);
        QCOMPARE(int(trend->page().charts.front().series.front().points.size()), kDays + 1);
        // Bob's rows leave Ada's trend as it is; her own rows go from it.
        std::vector<int> rows;
        for (int r = 0; r < m_table.rowCount(); ++r)
            if (m_table.cell(r, records::kColumnDate) == kFirstDay.toString(Qt::ISODate))
                rows.push_back(r);
        m_view->model()->removeRowList(rows);
        QCOMPARE(trend->page().tests, before);
        QCOMPARE(int(trend->page().charts.front().series.front().points.size()), kDays);
        m_view->deleteAll();
        QCOMPARE(trend->page().tests, 0);
        QVERIFY(trend->page().charts.empty());
    }

    void trendSavesAndPrintsItsPage_data() {
        QTest::addColumn<bool>("print");
        QTest::newRow("Save as PDF") << false;
        QTest::newRow("Print") << true;
    }
    void trendSavesAndPrintsItsPage() {
        QFETCH(bool, print);
        TrendWindow *trend = openTrendOfAda(false);
        QVERIFY(trend);
        const QString path = m_dir.filePath(QStringLiteral("trend.pdf"));
        QFile::remove(path);
        (print ? m_dialogs.printerPdfPaths : m_dialogs.pathAnswers).enqueue(path);
        QTest::mouseClick(print ? trend->printButton() : trend->saveButton(), Qt::LeftButton);
        QVERIFY(fileBytes(path).startsWith("%PDF"));
        QVERIFY(m_dialogs.notices.isEmpty());
    }

    void reportWritesTheTableAsTheChosenType_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("HTML") << "report.html" << QByteArray("<!DOCTYPE html>");
        QTest::newRow("PDF") << "report.PDF" << QByteArray("%PDF");
        QTest::newRow("no type given") << "report" << QByteArray("<!DOCTYPE html>");
    }
    void reportWritesTheTableAsTheChosenType() {
        QFETCH(QString, file);
        QFETCH(QByteArray, start);
        holdTesterConfiguration(5);
        const QString path = m_dir.filePath(file);
        m_dialogs.pathAnswers.enqueue(path);
        openMenuOnAda(true);
        QVERIFY(clickMenuEntry(m_view->tableMenu(), QStringLiteral("Report…")));
        const QByteArray written =
            fileBytes(QFileInfo(path).suffix().isEmpty() ? path + ".html" : path);
        QVERIFY2(written.startsWith(start), written.left(40).constData());
        QCOMPARE(m_dialogs.progressTexts, QStringList{QStringLiteral("Writing the report...")});
        // The user is told where it went.
        QCOMPARE(m_dialogs.notices.size(), 1);
        QVERIFY2(m_dialogs.notices[0].text.contains(QFileInfo(path).fileName()),
                 qPrintable(m_dialogs.notices[0].text));
        if (start.startsWith("<")) {
            // Everything in the one file, and the table's persons in it.
            QVERIFY(!written.contains("<script"));
            QVERIFY(!written.contains("src=\"http"));
            QVERIFY(!written.contains("<link"));
            QVERIFY(written.contains("Ada Drift"));
            QVERIFY(written.contains("PN 5"));
            // Nothing was collected: the tester's part speaks of the table.
            QVERIFY(written.contains("Rows in the table"));
            QVERIFY(!written.contains("collection"));
            // Nor of what only collecting records: calibrations, changes.
            QVERIFY(!written.contains("calibration"));
            QVERIFY(!written.contains("configuration changed"));
        }
    }
    // Hidden values are not charted or reported behind the user's back.
    void hiddenValuesDisableTrendAndReport_data() {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("values shown") << false;
        QTest::newRow("values hidden") << true;
    }
    void hiddenValuesDisableTrendAndReport() {
        QFETCH(bool, hidden);
        holdTesterConfiguration(5);
        m_view->hideValuesBox()->setChecked(hidden);
        openMenuOnAda(true);
        QVERIFY(QTest::qWaitFor([this] { return m_view->tableMenu()->isVisible(); }));
        QStringList enabled;
        for (QAction *action : m_view->tableMenu()->actions())
            if (action->isEnabled())
                enabled.append(action->text());
        m_view->tableMenu()->hide();
        QCOMPARE(enabled, hidden ? QStringList()
                                 : QStringList({QStringLiteral("Trend of Ada Drift…"),
                                                QStringLiteral("Report…")}));
    }
    // A trend drawn against the limits of PN 5 loses them when the
    // configuration becomes another tester's, and gets them back.
    void trendFollowsTheConfiguration() {
        holdTesterConfiguration(5);
        ConfigurationView configuration(m_config, m_session, m_dialogs);
        // As the main window joins the two views.
        connect(&configuration, &ConfigurationView::configurationEdited, m_view.get(),
                &DataloggerView::configurationEdited);
        configuration.reloadFromModel();
        TrendWindow *trend = openTrendOfAda(false);
        QVERIFY(trend);
        QVERIFY(trend->page().charts.front().band.has_value());
        for (const int pn : {7, 5}) {
            configuration.generalTab()->peripheralNumber()->setValue(pn);
            QTRY_COMPARE(trend->page().charts.front().band.has_value(), pn == 5);
            QCOMPARE(trend->noLimitsLabel()->text().contains(QStringLiteral("of PN 7")), pn == 7);
        }
    }

    void escapeClosesATrendAndTrendsCascadeBesideTheWindow() {
        const QPointer<TrendWindow> first = openTrendOfAda(false);
        const QPointer<TrendWindow> second = openTrendOfAda(true);
        QVERIFY(first && second && first != second);
        QVERIFY(first->pos() != second->pos());
        QTest::keyClick(second, Qt::Key_Escape);
        QTRY_VERIFY(!second);
        QVERIFY(first && first->isVisible());
    }

    void trendLinesReadAsSentences_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        // clang-format off
        QTest::newRow("steady: nothing to speak of") << "Bob Steady" << "L: no significant trend";
        QTest::newRow("one day: nouns agree")        << "Cid Once"   << "First attempt passed: 1 of 1 day (100.0 %)";
        QTest::newRow("one day with values")         << "Cid Once"   << "L: 1 day with values, too few for a trend (8 needed)";
        // clang-format on
    }
    void trendLinesReadAsSentences() {
        QFETCH(QString, name);
        QFETCH(QString, line);
        m_view->model()->beginTableChange();
        m_table.insertAtTop(accessRow(5, 40, QStringLiteral("Cid Once"), 3, 10, 2000));
        m_view->model()->endTableChange();
        const int row = rowOf(m_table, name);
        m_view->openTrend(*audit::personOfRow(m_table, row), name);
        const QStringList lines = m_view->findChildren<TrendWindow *>().last()->page().lines;
        QVERIFY2(lines.contains(line), qPrintable(lines.join('\n')));
    }

    void trendGoesBesideTheWindow_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<int>("cascade");
        QTest::addColumn<QPoint>("expected");
        // clang-format off
        QTest::newRow("room on the right")      << QRect(0, 0, 800, 650)    << QRect(0, 0, 1920, 1080) << 0 << QPoint(800, 0);
        QTest::newRow("the second one cascades") << QRect(0, 0, 800, 650)   << QRect(0, 0, 1920, 1080) << 1 << QPoint(828, 28);
        QTest::newRow("room on the left only")  << QRect(1100, 40, 800, 650) << QRect(0, 0, 1920, 1080) << 0 << QPoint(400, 40);
        QTest::newRow("no room: on the screen") << QRect(0, 0, 800, 650)    << QRect(0, 0, 800, 600)   << 0 << QPoint(100, 0);
        QTest::newRow("low on the screen")      << QRect(0, 700, 800, 300)  << QRect(0, 0, 1920, 1080) << 0 << QPoint(800, 580);
        // clang-format on
    }
    void trendGoesBesideTheWindow() {
        QFETCH(QRect, main);
        QFETCH(QRect, screen);
        QFETCH(int, cascade);
        QFETCH(QPoint, expected);
        QCOMPARE(besidePosition(main, QSize(700, 500), screen, cascade), expected);
    }
};

QTEST_MAIN(TrendWindowTest)
#include "tst_trendwindow.moc"

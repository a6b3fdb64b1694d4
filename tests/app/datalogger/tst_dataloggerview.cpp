#include "app/ScriptedUserDialogs.h"
#include "app/datalogger/DataloggerModel.h"
#include "app/datalogger/DataloggerView.h"
#include "app/shared/Session.h"
#include "config/StationConfig.h"
#include "export/TextExport.h"
#include "records/DataloggerTable.h"
#include "samples/DataloggerImageBuilder.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::app;

namespace {

records::Row makeRow(const QString &name, const QString &pass = QStringLiteral("Y"),
                     const QString &id = QStringLiteral("1")) {
    records::Row row;
    row[records::kColumnPn] = QStringLiteral("1");
    row[records::kColumnId] = id;
    row[records::kColumnVisitor] = QStringLiteral("N");
    row[records::kColumnName] = name;
    row[records::kColumnWristStrap] = QStringLiteral("850");
    row[records::kColumnLeft] = QStringLiteral("1200");
    row[records::kColumnRight] = QStringLiteral("1300");
    row[records::kColumnPass] = pass;
    row[records::kColumnRelay] = pass;
    row[records::kColumnRecognition] = QStringLiteral("Keyboard");
    row[records::kColumnDate] = QStringLiteral("2024-03-04");
    row[records::kColumnTime] = QStringLiteral("07:30:00");
    return row;
}

QStringList column(const records::DataloggerTable &table, int c) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r)
        texts.append(table.cell(r, c));
    return texts;
}

// QHeaderView draws Qt::DescendingOrder with the up arrow.
constexpr Qt::SortOrder kUpArrow = Qt::DescendingOrder;
constexpr Qt::SortOrder kDownArrow = Qt::AscendingOrder;

QByteArray fileStart(const QString &path, int n) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(n);
}

void clickHeader(QTableView *list, int section) {
    QHeaderView *header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class DataloggerViewTest : public QObject {
    Q_OBJECT

    records::DataloggerTable m_table;
    config::StationConfig m_config;
    Session m_session;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<DataloggerView> m_view;
    QTemporaryDir m_dir;

    void fill(const QStringList &names) {
        m_view->model()->beginTableChange();
        for (const QString &name : names)
            m_table.insertAtTop(makeRow(name));
        m_view->model()->endTableChange();
    }
    void selectRows(const QList<int> &rows) {
        m_view->list()->clearSelection();
        for (int row : rows)
            m_view->list()->selectionModel()->select(m_view->model()->index(row, 0),
                                                     QItemSelectionModel::Select |
                                                         QItemSelectionModel::Rows);
    }

private slots:
    void init() {
        m_table.clear();
        m_dialogs = ScriptedUserDialogs();
        m_view = std::make_unique<DataloggerView>(m_table, m_config, m_session, m_dialogs);
        m_view->resize(800, 620);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    void modelPassesTheModelTester() {
        fill({QStringLiteral("Anna"), QStringLiteral("Bert"), QStringLiteral("Carl")});
        QAbstractItemModelTester tester(m_view->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        selectRows({0, 2});
        m_view->sortByColumn(records::kColumnName);
        m_view->sortByColumn(records::kColumnName);
        m_dialogs.yesNoAnswers.enqueue(true);
        m_view->deleteSelection();
        m_view->deleteAll();
        QCOMPARE(m_view->model()->rowCount(), 0);
    }

    void listShowsTheColumnsAndHidesTheRecordCell() {
        QTableView *list = m_view->list();
        const QStringList titles = {"PN",          "ID",       "Visitor",    "Name", "WS (KOhm)",
                                    "L (KOhm)",    "R (KOhm)", "L+R (KOhm)", "Pass", "Relay",
                                    "Recognition", "Date",     "Time",       ""};
        const QList<int> widths = {50, 50, 50, 160, 80, 80, 80, 80, 50, 50, 80, 80, 80};
        QCOMPARE(list->model()->columnCount(), 14);
        for (int c = 0; c < 14; ++c)
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        for (int c = 0; c < 13; ++c)
            QCOMPARE(list->columnWidth(c), widths[c]);
        QVERIFY(list->isColumnHidden(records::kRecordColumn));
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list->geometry(), QRect(10, 0, 780, 500));
        QCOMPARE(m_view->saveButton()->geometry(), QRect(680, 560, 110, 20));
        QCOMPARE(m_view->hideValuesBox()->geometry(), QRect(10, 530, 110, 20));
        // The selection keeps its colour when the list loses the focus.
        const QPalette palette = list->palette();
        QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight),
                 palette.color(QPalette::Active, QPalette::Highlight));
    }

    void passCellBackground_data() {
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("pass") << "Y" << QColor(255, 255, 255);
        QTest::newRow("fail") << "N" << QColor(255, 0, 0);
        QTest::newRow("empty") << "" << QColor(255, 0, 0);
        QTest::newRow("lower case") << "y" << QColor(255, 0, 0);
    }
    void passCellBackground() {
        QFETCH(QString, pass);
        QFETCH(QColor, colour);
        m_view->model()->beginTableChange();
        m_table.insertAtTop(makeRow(QStringLiteral("Anna"), pass));
        m_view->model()->endTableChange();
        const QAbstractItemModel *model = m_view->model();
        QCOMPARE(
            model->data(model->index(0, records::kColumnPass), Qt::BackgroundRole).value<QColor>(),
            colour);
        QVERIFY(!model->data(model->index(0, records::kColumnName), Qt::BackgroundRole).isValid());
    }

    void hideValuesSetsTheFourValueWidths() {
        fill({QStringLiteral("Anna")});
        QTest::mouseClick(m_view->hideValuesBox(), Qt::LeftButton);
        QVERIFY(m_view->hideValuesBox()->isChecked());
        for (int c = 4; c <= 7; ++c)
            QCOMPARE(m_view->list()->columnWidth(c), 0);
        QCOMPARE(m_view->list()->columnWidth(3), 160);
        QCOMPARE(m_view->list()->columnWidth(8), 50);
        QCOMPARE(m_table.cell(0, records::kColumnWristStrap), QStringLiteral("850"));
        QTest::mouseClick(m_view->hideValuesBox(), Qt::LeftButton);
        for (int c = 4; c <= 7; ++c)
            QCOMPARE(m_view->list()->columnWidth(c), 80);
    }

    void headerClicksSortAndMoveTheArrow() {
        fill({QStringLiteral("carl"), QStringLiteral("Anna"), QStringLiteral("bert")});
        QTableView *list = m_view->list();
        QHeaderView *header = list->horizontalHeader();
        QVERIFY(!header->isSortIndicatorShown());

        clickHeader(list, records::kColumnName);
        QCOMPARE(column(m_table, records::kColumnName), QStringList({"Anna", "bert", "carl"}));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), records::kColumnName);
        QCOMPARE(header->sortIndicatorOrder(), kUpArrow);

        clickHeader(list, records::kColumnName);
        QCOMPARE(column(m_table, records::kColumnName), QStringList({"carl", "bert", "Anna"}));
        QCOMPARE(header->sortIndicatorOrder(), kDownArrow);

        clickHeader(list, records::kColumnName);
        QCOMPARE(column(m_table, records::kColumnName), QStringList({"Anna", "bert", "carl"}));
        QCOMPARE(header->sortIndicatorOrder(), kUpArrow);
        QCOMPARE(list->model()->data(list->model()->index(0, 3)).toString(),
                 QStringLiteral("Anna"));

        // Another column starts ascending and takes the arrow away from Name.
        clickHeader(list, records::kColumnName);
        QCOMPARE(header->sortIndicatorOrder(), kDownArrow);
        clickHeader(list, records::kColumnId);
        QCOMPARE(header->sortIndicatorSection(), records::kColumnId);
        QCOMPARE(header->sortIndicatorOrder(), kUpArrow);
        QCOMPARE(m_view->sortColumn(), records::kColumnId);
        // Back on Name: no arrow there any more, so ascending again.
        clickHeader(list, records::kColumnName);
        QCOMPARE(header->sortIndicatorOrder(), kUpArrow);
        QCOMPARE(column(m_table, records::kColumnName), QStringList({"Anna", "bert", "carl"}));
    }

    // The arrow says how the rows stand; rows added where they came, or the
    // last row gone, leave them in no such order.
    void sortArrowGoesWhenRowsComeOrAllGo_data() {
        QTest::addColumn<int>("action"); // 0 Delete All, 1 Open File, 2 Delete Selection
        QTest::addColumn<QStringList>("imported");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("arrowStays");
        QTest::addColumn<QStringList>("names"); // after the action
        // clang-format off
        QTest::newRow("Delete All")            << 0 << QStringList{}             << QList<int>{}        << false << QStringList{};
        QTest::newRow("Open File adds rows")   << 1 << QStringList{"Bea", "Zoe"} << QList<int>{}        << false << QStringList{"Bea", "Zoe", "Anna", "Carl", "Dora"};
        QTest::newRow("Open File adds none")   << 1 << QStringList{"Anna"}       << QList<int>{}        << true  << QStringList{"Anna", "Carl", "Dora"};
        QTest::newRow("every row deleted")     << 2 << QStringList{}             << QList<int>{0, 1, 2} << false << QStringList{};
        QTest::newRow("some rows deleted")     << 2 << QStringList{}             << QList<int>{1}       << true  << QStringList{"Anna", "Dora"};
        // clang-format on
    }
    void sortArrowGoesWhenRowsComeOrAllGo() {
        QFETCH(int, action);
        QFETCH(QStringList, imported);
        QFETCH(QList<int>, selected);
        QFETCH(bool, arrowStays);
        QFETCH(QStringList, names);
        const QString text = m_dir.filePath(QStringLiteral("%1.txt").arg(QTest::currentDataTag()));
        fill(imported);
        QVERIFY(exports::textExport(m_table, text).ok);
        m_view->deleteAll();
        fill({"Dora", "Anna", "Carl"});
        QTableView *list = m_view->list();
        QHeaderView *header = list->horizontalHeader();
        clickHeader(list, records::kColumnName);
        QCOMPARE(header->sortIndicatorOrder(), kUpArrow);

        if (action == 1) {
            m_dialogs.pathAnswers.enqueue(text);
            QTest::mouseClick(m_view->openFileButton(), Qt::LeftButton);
        } else if (action == 2) {
            selectRows(selected);
            m_dialogs.yesNoAnswers.enqueue(true);
            QTest::mouseClick(m_view->deleteSelectionButton(), Qt::LeftButton);
        } else {
            QTest::mouseClick(m_view->deleteAllButton(), Qt::LeftButton);
        }
        QCOMPARE(column(m_table, records::kColumnName), names);
        QCOMPARE(header->isSortIndicatorShown(), arrowStays);

        // The next click continues from the arrow shown, or starts ascending.
        clickHeader(list, records::kColumnName);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), arrowStays ? kDownArrow : kUpArrow);
    }

    void numericColumnSortsByValue() {
        m_view->model()->beginTableChange();
        for (const char *id : {"10", "9", "100", "2"})
            m_table.insertAtTop(
                makeRow(QStringLiteral("x"), QStringLiteral("Y"), QString::fromLatin1(id)));
        m_view->model()->endTableChange();
        m_view->sortByColumn(records::kColumnId);
        QCOMPARE(column(m_table, records::kColumnId), QStringList({"2", "9", "10", "100"}));
    }

    void sortKeepsTheSelectionAndShowsIt() {
        QStringList names;
        for (int i = 0; i < 2000; ++i)
            names.append(QStringLiteral("name%1").arg(i, 5, 10, QLatin1Char('0')));
        fill(names); // "name00000" ends at the bottom
        const int last = m_table.rowCount() - 1;
        QCOMPARE(m_table.cell(last, records::kColumnName), QStringLiteral("name00000"));
        m_view->list()->selectionModel()->setCurrentIndex(m_view->model()->index(last, 0),
                                                          QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
        m_view->list()->scrollToBottom();
        selectRows({last, last - 1});

        m_view->sortByColumn(records::kColumnName);
        QCOMPARE(m_table.cell(0, records::kColumnName), QStringLiteral("name00000"));
        const QModelIndexList selected = m_view->list()->selectionModel()->selectedRows();
        QStringList selectedNames;
        for (const QModelIndex &index : selected)
            selectedNames.append(m_table.cell(index.row(), records::kColumnName));
        selectedNames.sort();
        QCOMPARE(selectedNames, QStringList({"name00000", "name00001"}));
        QTest::qWait(20);
        const QRect visible = m_view->list()->viewport()->rect();
        QVERIFY(visible.intersects(m_view->list()->visualRect(m_view->model()->index(0, 0))));
    }

    void sortScrollsOnlyToASelectedRow_data() {
        QTest::addColumn<bool>("selected");
        QTest::newRow("nothing selected shows the top") << false;
        QTest::newRow("the selected row is shown") << true;
    }
    void sortScrollsOnlyToASelectedRow() {
        QFETCH(bool, selected);
        QStringList names;
        for (int i = 0; i < 2000; ++i)
            names.append(QStringLiteral("name%1").arg(i, 5, 10, QLatin1Char('0')));
        fill(names);
        // The keyboard's row is in the middle, the list scrolled half-way.
        const QModelIndex middle = m_view->model()->index(1000, 0);
        m_view->list()->selectionModel()->setCurrentIndex(middle, QItemSelectionModel::NoUpdate);
        if (selected)
            selectRows({1000});
        m_view->list()->scrollTo(m_view->model()->index(500, 0));

        m_view->sortByColumn(records::kColumnName);
        QTest::qWait(20);
        QTableView *list = m_view->list();
        const int shown = selected ? list->selectionModel()->selectedRows().value(0).row() : 0;
        QVERIFY(list->viewport()->rect().intersects(
            list->visualRect(m_view->model()->index(shown, 0))));
        QCOMPARE(list->indexAt(QPoint(1, 1)).row() == 0, !selected);
    }

    void deleteSelection_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<bool>("asked");
        // fill() puts the names in reverse order: e d c b a
        QTest::newRow("nothing selected")
            << QList<int>{} << true << QStringList{"e", "d", "c", "b", "a"} << false;
        QTest::newRow("answer no")
            << QList<int>{0, 2} << false << QStringList{"e", "d", "c", "b", "a"} << true;
        QTest::newRow("three scattered rows")
            << QList<int>{0, 2, 4} << true << QStringList{"d", "b"} << true;
        QTest::newRow("adjacent rows")
            << QList<int>{1, 2, 3} << true << QStringList{"e", "a"} << true;
        QTest::newRow("every row") << QList<int>{0, 1, 2, 3, 4} << true << QStringList{} << true;
    }
    void deleteSelection() {
        QFETCH(QList<int>, selected);
        QFETCH(bool, answer);
        QFETCH(QStringList, remaining);
        QFETCH(bool, asked);
        fill({"a", "b", "c", "d", "e"});
        selectRows(selected);
        m_dialogs.yesNoAnswers.enqueue(answer);
        QTest::mouseClick(m_view->deleteSelectionButton(), Qt::LeftButton);
        QCOMPARE(column(m_table, records::kColumnName), remaining);
        QCOMPARE(m_dialogs.shown,
                 asked ? QStringList{QStringLiteral("yesno:Remove")} : QStringList{});
        QCOMPARE(m_view->model()->rowCount(), remaining.size());
    }

    void deleteSelectionOnAnEmptyTableAsksNothing() {
        m_dialogs.yesNoAnswers.enqueue(true);
        m_view->deleteSelection();
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void deleteAllEmptiesWithoutAsking() {
        fill({"a", "b"});
        selectRows({0});
        QTest::mouseClick(m_view->deleteAllButton(), Qt::LeftButton);
        QCOMPARE(m_table.rowCount(), 0);
        QCOMPARE(m_view->model()->rowCount(), 0);
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void saveWritesTheChosenFormat_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("text") << 1 << "out"
                              << "out.txt" << QByteArray(" PN");
        QTest::newRow("text, mixed-case suffix in the middle")
            << 1 << "out.TXT.bak"
            << "out.bak.txt" << QByteArray(" PN");
        QTest::newRow("text, every .txt removed") << 1 << "a.txt.Txt"
                                                  << "a.txt" << QByteArray(" PN");
        QTest::newRow("workbook") << 2 << "book.xlsx"
                                  << "book.xlsx" << QByteArray("PK\x03\x04");
    }
    void saveWritesTheChosenFormat() {
        QFETCH(int, choice);
        QFETCH(QString, given);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        fill({"Anna", "Bert"});
        QTest::mouseClick(m_view->hideValuesBox(), Qt::LeftButton);
        m_dialogs.choiceAnswers.enqueue(choice);
        m_dialogs.pathAnswers.enqueue(dir.filePath(given));
        QTest::mouseClick(m_view->saveButton(), Qt::LeftButton);
        QCOMPARE(m_dialogs.shown, QStringList({"choice:Choose the file format that you want",
                                               "save:Please choose file to save data"}));
        QVERIFY2(QFile::exists(dir.filePath(written)), qPrintable(written));
        QCOMPARE(fileStart(dir.filePath(written), start.size()), start);
        QVERIFY(m_dialogs.notices.isEmpty());
        if (choice == 1) {
            // The hidden values are still written.
            QFile file(dir.filePath(written));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains("850"));
        }
    }

    void saveStoppedFromItsProgressLeavesTheEarlierFile_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("name");
        QTest::newRow("text") << 1 << "out.txt";
        QTest::newRow("workbook") << 2 << "book.xlsx";
    }
    void saveStoppedFromItsProgressLeavesTheEarlierFile() {
        QFETCH(int, choice);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        QStringList names;
        for (int i = 0; i < 3000; ++i)
            names << QStringLiteral("N%1").arg(i);
        fill(names);
        m_dialogs.choiceAnswers.enqueue(choice);
        m_dialogs.pathAnswers.enqueue(path);
        m_dialogs.cancelProgressAfter = 1;
        m_view->save();
        QCOMPARE(m_dialogs.progressTexts, QStringList{"Saving records..."});
        QCOMPARE(fileStart(path, 100), QByteArray("earlier"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
        QVERIFY(m_dialogs.notices.isEmpty());
    }

    void saveClosedOrCancelledWritesNothing() {
        fill({"Anna"});
        m_view->save(); // the two-choice window closed: 0
        QCOMPARE(m_dialogs.shown, QStringList({"choice:Choose the file format that you want"}));
        m_dialogs.choiceAnswers.enqueue(2);
        m_view->save(); // the save dialog cancelled
        QCOMPARE(m_dialogs.shown.size(), 3);
        QVERIFY(m_dialogs.notices.isEmpty());
    }

    void saveThatCannotCreateTheFileSaysSo() {
        fill({"Anna"});
        m_dialogs.choiceAnswers.enqueue(1);
        m_dialogs.pathAnswers.enqueue(m_dir.filePath(QStringLiteral("missing/folder/out")));
        m_view->save();
        QCOMPARE(m_dialogs.notices.size(), 1);
        QCOMPARE(m_dialogs.notices[0].icon, NoticeIcon::Error);
    }

    void openLogFileMergesIt() {
        const QString path = m_dir.filePath(QStringLiteral("LOG07.BRL"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(records::sampleDatalogger(5, 11).fileImage());
        }
        m_dialogs.pathAnswers.enqueue(path);
        QTest::mouseClick(m_view->openFileButton(), Qt::LeftButton);
        QCOMPARE(m_view->model()->rowCount(), 5);
        QCOMPARE(column(m_table, records::kColumnPn), QStringList(5, QStringLiteral("7")));
        QCOMPARE(m_dialogs.shown, QStringList({"open:Please choose a Log File to import",
                                               "notice:Records added successfully"}));
        QCOMPARE(m_dialogs.notices.last().text, QStringLiteral("Added successfully 5 new records"));

        // The same file again adds nothing.
        m_dialogs.pathAnswers.enqueue(path);
        m_view->openFile();
        QCOMPARE(m_table.rowCount(), 5);
        QCOMPARE(m_dialogs.notices.last().text, QStringLiteral("No new records added."));
    }

    void openNonStandardLogNameWarnsFirst() {
        const QString path = m_dir.filePath(QStringLiteral("log07.BRL"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(records::sampleDatalogger(3, 5).fileImage());
        }
        m_dialogs.pathAnswers.enqueue(path);
        m_view->openFile();
        QCOMPARE(m_table.rowCount(), 3);
        QCOMPARE(m_dialogs.notices.size(), 2);
        QCOMPARE(m_dialogs.notices[0].title, QStringLiteral("WARNING"));
        QCOMPARE(m_dialogs.notices[1].title, QStringLiteral("Records added successfully"));
        QCOMPARE(m_table.cell(0, records::kColumnPn), QStringLiteral("1"));
    }

    void openTextFileImportsItAndOtherCasesGoToTheLogImport() {
        fill({"Anna", "Bert", "Carl"});
        const QString text = m_dir.filePath(QStringLiteral("rows.txt"));
        QVERIFY(exports::textExport(m_table, text).ok);
        m_view->deleteAll();

        m_dialogs.pathAnswers.enqueue(text);
        m_view->openFile();
        QCOMPARE(column(m_table, records::kColumnName), QStringList({"Anna", "Bert", "Carl"}));
        QCOMPARE(m_dialogs.notices.last().text, QStringLiteral("Added successfully 3 new records"));
        QCOMPARE(m_view->model()->rowCount(), 3);

        // "data.Txt" is no text file to the Open File action: the log import refuses it.
        const QString odd = m_dir.filePath(QStringLiteral("data.Txt"));
        QVERIFY(QFile::copy(text, odd));
        m_dialogs.notices.clear();
        m_dialogs.pathAnswers.enqueue(odd);
        m_view->openFile();
        QCOMPARE(m_table.rowCount(), 3);
        QVERIFY(!m_dialogs.notices.isEmpty());
        QCOMPARE(m_dialogs.notices.last().text, QStringLiteral("Wrong file format"));
    }

    void printAsksForTitleAndPrinter() {
        fill({"Anna", "Bert"});
        const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
        m_dialogs.printerPdfPaths.enqueue(pdf);
        QTest::mouseClick(m_view->printButton(), Qt::LeftButton);
        QVERIFY(m_dialogs.shown.contains(QStringLiteral("printer")));
        QCOMPARE(fileStart(pdf, 4), QByteArray("%PDF"));
        // Cancelled printer dialog: nothing printed.
        m_dialogs.shown.clear();
        QFile::remove(pdf);
        m_view->print();
        QVERIFY(!QFile::exists(pdf));
    }

    void openCancelledDoesNothing() {
        m_view->openFile();
        QCOMPARE(m_dialogs.shown, QStringList({"open:Please choose a Log File to import"}));
        QCOMPARE(m_table.rowCount(), 0);
    }
};

QTEST_MAIN(DataloggerViewTest)
#include "tst_dataloggerview.moc"

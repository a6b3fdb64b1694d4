#include "app/ScriptedUserDialogs.h"

#include "app/printing/ReportPrinting.h"
#include "config/StationConfig.h"
#include "config/UserCodes.h"
#include "records/DataloggerTable.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using app::ScriptedUserDialogs;

namespace {

// Notes how the printer stood when its dialog was shown.
class PrinterWatchingDialogs : public ScriptedUserDialogs {
public:
    int copies = -1;
    QPrinter::PrintRange range = QPrinter::Selection;
    QString documentName;
    // What the user chooses in the dialog: pages (0 for all) and copies.
    int chosenFrom = 0;
    int chosenTo = 0;
    int chosenCopies = 1;
    bool chosenCollate = true;

    bool setUpPrinter(QPrinter &printer) override {
        copies = printer.copyCount();
        range = printer.printRange();
        documentName = printer.docName();
        const bool accepted = ScriptedUserDialogs::setUpPrinter(printer);
        if (chosenFrom > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(chosenFrom, chosenTo);
        }
        printer.setCopyCount(chosenCopies);
        printer.setCollateCopies(chosenCollate);
        return accepted;
    }
};

QString run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfFacts {
    int pages = 0;
    QString title;
    QString text;
};

PdfFacts inspect(const QString &path) {
    PdfFacts facts;
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const auto pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    facts.pages = pages.hasMatch() ? pages.captured(1).toInt() : 0;
    const auto title = QRegularExpression(QStringLiteral("^Title:[ \\t]*(.*)$"),
                                          QRegularExpression::MultilineOption)
                           .match(info);
    facts.title = title.hasMatch() ? title.captured(1).trimmed() : QString();
    facts.text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    return facts;
}

// The first row number ("Person N") on each page of a report, -1 for a page without one.
QList<int> firstRowOfPages(const QString &text) {
    static const QRegularExpression kPerson(QStringLiteral("Person (\\d+)"));
    QList<int> firsts;
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (const QString &page : pages) {
        const QRegularExpressionMatch match = kPerson.match(page);
        firsts.append(match.hasMatch() ? match.captured(1).toInt() : -1);
    }
    return firsts;
}

records::Row makeRow(const QStringList &cells) {
    records::Row row;
    for (int c = 0; c < cells.size() && c < records::kKeyColumnCount; ++c)
        row[static_cast<size_t>(c)] = cells[c];
    return row;
}

// Rows numbered 0 .. count - 1 from the top, all of peripheral 3; every
// seventh has failed its test.
records::DataloggerTable makeTable(int count) {
    records::DataloggerTable table;
    for (int i = count - 1; i >= 0; --i)
        table.insertAtTop(
            makeRow({"3", QString::number(i), "", QStringLiteral("Person %1").arg(i), "1200", "850",
                     "900", "1750", i % 7 == 0 ? "N" : "Y", "Y", "Fingerprint", "12/03/2024",
                     QStringLiteral("08:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'))}));
    return table;
}

} // namespace

class TestReportPrinting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dataloggerReportToPdf_data();
    void dataloggerReportToPdf();
    void pageRangeAndCopies_data();
    void pageRangeAndCopies();
    void dataloggerCancelled_data();
    void dataloggerCancelled();
    void profilesReportToPdf_data();
    void profilesReportToPdf();
    void usersReportToPdf();
    void usersReportWithoutActiveUsers();
    void configurationReportsCancelled();
    void jobThatCannotStartPrintsNothing();

private:
    QTemporaryDir m_dir;
    QString pdf(const QString &name) const { return m_dir.filePath(name); }
};

void TestReportPrinting::initTestCase() {
    QVERIFY(m_dir.isValid());
    // Set NXA_KEEP_REPORTS to keep the PDF files for a look at the pages.
    if (qEnvironmentVariableIsSet("NXA_KEEP_REPORTS")) {
        m_dir.setAutoRemove(false);
        qInfo("reports kept in %s", qPrintable(m_dir.path()));
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("poppler-utils (pdfinfo, pdftotext) are not installed");
}

void TestReportPrinting::dataloggerReportToPdf_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("hideValues");
    QTest::addColumn<QString>("title");
    QTest::newRow("empty table") << 0 << false << "Empty table";
    QTest::newRow("three rows") << 3 << false << "Brontel NXA report";
    QTest::newRow("300 rows, values hidden") << 300 << true << "March";
    QTest::newRow("empty title") << 2 << false << "";
}

void TestReportPrinting::dataloggerReportToPdf() {
    QFETCH(int, rows);
    QFETCH(bool, hideValues);
    QFETCH(QString, title);
    const QString path = pdf(QStringLiteral("datalogger-%1.pdf").arg(QTest::currentDataTag()));
    PrinterWatchingDialogs dialogs;
    dialogs.textAnswers.enqueue(title);
    dialogs.printerPdfPaths.enqueue(path);
    app::printDataloggerReport(makeTable(rows), hideValues, dialogs);

    QCOMPARE(dialogs.shown, (QStringList{"input:Brontel NXA", "printer"}));
    QCOMPARE(dialogs.copies, 1);
    QCOMPARE(dialogs.range, QPrinter::AllPages);
    QVERIFY(dialogs.notices.isEmpty());
    QVERIFY2(QFile::exists(path), qPrintable(path));

    const PdfFacts facts = inspect(path);
    QCOMPARE(facts.title, title);
    // A4 at 1200 dpi holds about 65 rows a page, the first page fewer.
    const int expectedPages = rows <= 40 ? 1 : 1 + (rows - 40 + 64) / 65;
    QVERIFY2(qAbs(facts.pages - expectedPages) <= 1,
             qPrintable(QStringLiteral("%1 pages").arg(facts.pages)));
    if (!title.isEmpty())
        QVERIFY(facts.text.contains(title));
    // pdftotext drops the trailing space of an empty peripheral number.
    QVERIFY(facts.text.contains(rows > 0 ? QStringLiteral("Peripheral Number: 3")
                                         : QStringLiteral("Peripheral Number:")));
    for (const char *heading : {"#", "PN", "ID", "Name", "Pass", "Relay", "Rec", "Date", "Time"})
        QVERIFY2(facts.text.contains(QLatin1String(heading)), heading);
    QCOMPARE(facts.text.contains(QStringLiteral("L+R")), !hideValues);
    QCOMPARE(facts.text.contains(QStringLiteral("1750")), !hideValues && rows > 0);
    if (rows > 0) {
        QVERIFY(facts.text.contains(QStringLiteral("Person 0")));
        QVERIFY(facts.text.contains(QStringLiteral("Person %1").arg(rows - 1)));
        QVERIFY(!facts.text.contains(QStringLiteral("Fingerprint")));
    }
    // Headings only once, however many pages.
    QCOMPARE(facts.text.count(QStringLiteral("Relay")), 1);
}

void TestReportPrinting::pageRangeAndCopies_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    // clang-format off
    QTest::newRow("pages 2 to 3")                         << 2 << 3  << 1 << true;
    QTest::newRow("pages 2 to 3, two copies")             << 2 << 3  << 2 << true;
    QTest::newRow("pages 2 to 3, two copies, uncollated") << 2 << 3  << 2 << false;
    QTest::newRow("all pages, two copies")                << 0 << 0  << 2 << true;
    QTest::newRow("all pages, three copies, uncollated")  << 0 << 0  << 3 << false;
    QTest::newRow("first page only")                      << 1 << 1  << 1 << true;
    QTest::newRow("range past the end")                   << 3 << 99 << 1 << true;
    // clang-format on
}

void TestReportPrinting::pageRangeAndCopies() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    const records::DataloggerTable table = makeTable(200);
    const auto print = [&](const QString &path, int first, int last, int count) {
        PrinterWatchingDialogs dialogs;
        dialogs.printerPdfPaths.enqueue(path);
        dialogs.chosenFrom = first;
        dialogs.chosenTo = last;
        dialogs.chosenCopies = count;
        dialogs.chosenCollate = collate;
        app::printDataloggerReport(table, false, dialogs);
        return inspect(path);
    };
    const PdfFacts whole = print(pdf(QStringLiteral("whole.pdf")), 0, 0, 1);
    QVERIFY(whole.pages >= 4);
    const PdfFacts chosen =
        print(pdf(QStringLiteral("range-%1.pdf").arg(QTest::currentDataTag())), from, to, copies);

    const int first = from > 0 ? from : 1;
    const int last = from > 0 ? std::min(to, whole.pages) : whole.pages;
    QCOMPARE(chosen.pages, (last - first + 1) * copies);
    // Collated: the range once per copy; uncollated: each page once per copy in a row.
    const QList<int> wholeFirsts = firstRowOfPages(whole.text);
    QCOMPARE(wholeFirsts.size(), whole.pages);
    QList<int> expectedFirsts;
    for (int outer = 0; outer < (collate ? copies : 1); ++outer)
        for (int page = first; page <= last; ++page)
            for (int inner = 0; inner < (collate ? 1 : copies); ++inner)
                expectedFirsts.append(wholeFirsts[page - 1]);
    QCOMPARE(firstRowOfPages(chosen.text), expectedFirsts);
    // The logo page and the last page show their rows only when chosen.
    QCOMPARE(chosen.text.count(QStringLiteral("Peripheral Number: 3")), first == 1 ? copies : 0);
    QCOMPARE(chosen.text.count(QStringLiteral("Person 199")), last == whole.pages ? copies : 0);
}

void TestReportPrinting::dataloggerCancelled_data() {
    QTest::addColumn<int>("cancelled"); // 0 title dialog, 1 printer dialog, 2 progress window
    QTest::newRow("title dialog closed") << 0;
    QTest::newRow("printer dialog cancelled") << 1;
    QTest::newRow("cancelled while printing to a file") << 2;
}

void TestReportPrinting::dataloggerCancelled() {
    QFETCH(int, cancelled);
    ScriptedUserDialogs dialogs;
    const QString never = pdf(QStringLiteral("never-%1.pdf").arg(cancelled));
    if (cancelled == 0)
        dialogs.textAnswers.enqueue(std::nullopt);
    if (cancelled != 1)
        dialogs.printerPdfPaths.enqueue(never);
    dialogs.cancelProgressAfter = 3;
    app::printDataloggerReport(makeTable(cancelled == 2 ? 1000 : 5), false, dialogs);
    const QStringList expected = cancelled == 0 ? QStringList{"input:Brontel NXA"}
                                                : QStringList{"input:Brontel NXA", "printer"};
    QCOMPARE(dialogs.shown, expected);
    QCOMPARE(dialogs.progressTexts.size(), cancelled == 2 ? 1 : 0);
    QVERIFY(dialogs.notices.isEmpty());
    QVERIFY(!QFile::exists(never));
}

void TestReportPrinting::profilesReportToPdf_data() {
    QTest::addColumn<bool>("handFree");
    QTest::newRow("Normal") << false;
    QTest::newRow("HandFree") << true;
}

void TestReportPrinting::profilesReportToPdf() {
    QFETCH(bool, handFree);
    config::StationConfig config;
    config.setPeripheralNumber(12);
    config.description = QStringLiteral("Assembly Hall");
    config.mode = handFree ? config::Mode::HandFree : config::Mode::Normal;
    config.profiles[6].visitorsQualifier = false;
    config.profiles[3].relay = 0;
    const QString path = pdf(QStringLiteral("profiles-%1.pdf").arg(QTest::currentDataTag()));
    PrinterWatchingDialogs dialogs;
    dialogs.printerPdfPaths.enqueue(path);
    app::printProfilesReport(config, dialogs);

    QCOMPARE(dialogs.shown, QStringList{"printer"});
    QCOMPARE(dialogs.copies, 1);
    QCOMPARE(dialogs.range, QPrinter::AllPages);
    const PdfFacts facts = inspect(path);
    QCOMPARE(facts.pages, 1);
    QCOMPARE(facts.title, QStringLiteral("Brontel NXA 12 Profiles"));
    for (const char *text :
         {"Peripheral Number: 12", "Assembly Hall",
          "Security Level Min: user identification with 'Fingerprint' or with 'ID'",
          "Test Voltage: 100V", "Check", "Visitor", "Profile1", "Profile10", "WS + Shoes",
          "If Check is OK", "Off"})
        QVERIFY2(facts.text.contains(QString::fromUtf8(text)), text);
    QVERIFY(facts.text.contains(handFree ? QStringLiteral("Mode: HandFree")
                                         : QStringLiteral("Mode: Normal")));
    QCOMPARE(facts.text.contains(QStringLiteral("Shoe L+R min")), handFree);
    QCOMPARE(facts.text.contains(QStringLiteral("Single Shoe max")), !handFree);
    QCOMPARE(facts.text.contains(QStringLiteral("Wrist Strap")), !handFree);
    QCOMPARE(facts.text.contains(QStringLiteral("35000")), !handFree);
    QCOMPARE(facts.text.count(QStringLiteral("YES")), 9);
}

void TestReportPrinting::usersReportToPdf() {
    config::StationConfig config;
    config.setPeripheralNumber(7);
    config.users[999].name = QStringLiteral("Last One");
    config.users[500].active = false;
    const QString path = pdf(QStringLiteral("users.pdf"));
    PrinterWatchingDialogs dialogs;
    dialogs.printerPdfPaths.enqueue(path);
    app::printUsersReport(config, dialogs);

    QCOMPARE(dialogs.shown, QStringList{"printer"});
    const PdfFacts facts = inspect(path);
    QCOMPARE(facts.title, QStringLiteral("Brontel NXA 7 Users"));
    QVERIFY2(facts.pages >= 10 && facts.pages <= 20, qPrintable(QString::number(facts.pages)));
    QCOMPARE(facts.text.count(QStringLiteral("User Code")), 1);
    QVERIFY(facts.text.contains(QStringLiteral("Peripheral Number: 7")));
    QVERIFY(facts.text.contains(QStringLiteral("EPA Area")));
    QVERIFY(facts.text.contains(QStringLiteral("User 0")));
    QVERIFY(facts.text.contains(QStringLiteral("Last One")));
    QVERIFY(!facts.text.contains(QStringLiteral("User 500")));
    QVERIFY(facts.text.contains(QStringLiteral("Profile  1")) ||
            facts.text.contains(QStringLiteral("Profile 1")));
    for (int k : {0, 7, 499, 501, 999})
        QVERIFY2(facts.text.contains(config::userCode(config.generator, k)),
                 qPrintable(QString::number(k)));
    QVERIFY(!facts.text.contains(config::userCode(config.generator, 500)));
}

void TestReportPrinting::usersReportWithoutActiveUsers() {
    config::StationConfig config;
    config::activateRange(config, 0, 999, false);
    const QString path = pdf(QStringLiteral("no-users.pdf"));
    ScriptedUserDialogs dialogs;
    dialogs.printerPdfPaths.enqueue(path);
    app::printUsersReport(config, dialogs);
    const PdfFacts facts = inspect(path);
    QCOMPARE(facts.pages, 1);
    QVERIFY(facts.text.contains(QStringLiteral("User Code")));
    QVERIFY(!facts.text.contains(QStringLiteral("User 0")));
}

void TestReportPrinting::configurationReportsCancelled() {
    ScriptedUserDialogs dialogs;
    const config::StationConfig config;
    app::printProfilesReport(config, dialogs);
    app::printUsersReport(config, dialogs);
    QCOMPARE(dialogs.shown, (QStringList{"printer", "printer"}));
    QVERIFY(dialogs.notices.isEmpty());
}

void TestReportPrinting::jobThatCannotStartPrintsNothing() {
    const QString path = m_dir.filePath(QStringLiteral("missing-folder/report.pdf"));
    ScriptedUserDialogs dialogs;
    dialogs.printerPdfPaths.enqueue(path);
    dialogs.printerPdfPaths.enqueue(path);
    app::printDataloggerReport(makeTable(3), false, dialogs);
    app::printUsersReport(config::StationConfig(), dialogs);
    QCOMPARE(dialogs.shown, (QStringList{"input:Brontel NXA", "printer", "printer"}));
    QVERIFY(dialogs.notices.isEmpty());
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestReportPrinting)
#include "tst_reportprinting.moc"

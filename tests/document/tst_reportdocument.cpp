#include "document/ReportDocument.h"

#include <QBuffer>
#include <QDate>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace nxa::charts;
using namespace nxa::document;

Q_DECLARE_METATYPE(nxa::document::ReportDocument)

namespace {

const int kToday = static_cast<int>(QDate(2026, 12, 7).toJulianDay());

ReportDocument document(const QString &title, std::vector<Section> sections) {
    return {title, QStringLiteral("2026-11-08 to 2026-12-07"),
            QDateTime(QDate(2026, 12, 7), QTime(18, 5), QTimeZone::utc()), std::move(sections)};
}

PersonTrend trend(const QString &title) {
    TrendSeries l{QStringLiteral("L"), {}, {}, {}, {}};
    for (int d = 0; d < 30; ++d)
        l.points.push_back({kToday - 29 + d, 900.0 + 100.0 * d});
    return {
        title, kToday - 29, kToday, {l}, LimitBand{QStringLiteral("Footwear limits"), 100, 35000}};
}

std::vector<Section> everyKindOfChart() {
    FailRateChart rate{QStringLiteral("Gate 1 fail rate"),
                       kToday - 1,
                       kToday,
                       0.1,
                       {{kToday - 1, 0.1, 0.0, 0.3, false}, {kToday, 0.5, 0.0, 0.3, true}}};
    DailyAttemptsChart attempts{
        QStringLiteral("Gate 1 attempts"), kToday, kToday, {{kToday, 40, 3}}};
    return {
        {QStringLiteral("Per tester"), {Chart(rate), Chart(attempts)}},
        {QStringLiteral("Drift watch"), {Chart(trend(QStringLiteral("Ann <O'Neil> & \"Co\"")))}},
        {QStringLiteral("Retests"),
         {Chart(attemptsToPass(QStringLiteral("Attempts to pass"), {9, 2}))}}};
}

Table badges(int rows) {
    Table table;
    table.header = {QStringLiteral("Badge holder"), QStringLiteral("Tests")};
    table.alignRight = {false, true};
    for (int row = 0; row < rows; ++row)
        table.rows.push_back({QStringLiteral("row-%1 end").arg(row), QString::number(row)});
    return table;
}

QString pdfText(const ReportDocument &doc, const QString &folder) {
    const QString path = folder + QStringLiteral("/report.pdf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeReportPdf(doc, file))
        return {};
    file.close();
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), path, QStringLiteral("-")});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

class TestReportDocument : public QObject {
    Q_OBJECT
private slots:
    void htmlNeedsNothingOutsideItself_data();
    void htmlNeedsNothingOutsideItself();
    void pdfHoldsTheTextsOnNumberedPages_data();
    void pdfHoldsTheTextsOnNumberedPages();
    void browserShowsItOffline_data();
    void browserShowsItOffline();
};

void TestReportDocument::htmlNeedsNothingOutsideItself_data() {
    QTest::addColumn<ReportDocument>("doc");
    QTest::addColumn<int>("charts");
    QTest::addColumn<QStringList>("escaped");
    QTest::addColumn<QStringList>("absent");
    const Section names{
        QStringLiteral("Gate <1>"),
        {Paragraph{QStringLiteral("O'Neil & Sons <b>")},
         Summary{{{QStringLiteral("Tester"), QStringLiteral("\"quoted\"")}}},
         Table{
             {QStringLiteral("Name")}, {{QStringLiteral("</td><script>x</script>")}}, {}, {}, 0}}};
    // clang-format off
    QTest::newRow("names with markup")
        << document(QStringLiteral("Plant <Nord> & \"East\""), {names}) << 0
        << QStringList{"Plant &lt;Nord&gt; &amp; &quot;East&quot;", "Gate &lt;1&gt;", "O&#39;Neil &amp; Sons &lt;b&gt;",
                       "&quot;quoted&quot;", "&lt;/td&gt;&lt;script&gt;x&lt;/script&gt;"}
        << QStringList{"<b>", "<1>"};
    QTest::newRow("a title that would end the style sheet")
        << document(QStringLiteral("</style><script>x</script>\"}"), {}) << 0
        << QStringList{"&lt;/style&gt;&lt;script&gt;"} << QStringList{"</style><"};
    QTest::newRow("every kind of chart")
        << document(QStringLiteral("Plant"), everyKindOfChart()) << 4
        << QStringList{"Ann &lt;O&#39;Neil&gt; &amp; &quot;Co&quot;", "Ann &lt;O'Neil&gt; &amp; &quot;Co&quot;</text>"} << QStringList{};
    QTest::newRow("no sections") << document(QString(), {}) << 0 << QStringList{} << QStringList{};
    // clang-format on
}

void TestReportDocument::htmlNeedsNothingOutsideItself() {
    QFETCH(ReportDocument, doc);
    QFETCH(int, charts);
    QFETCH(QStringList, escaped);
    QFETCH(QStringList, absent);
    const QString html = QString::fromUtf8(reportHtml(doc));
    QVERIFY(html.contains(QLatin1String(
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; ")));
    for (const char *outside :
         {"<script", "http:", "https:", "src=", "href=", "url(", "@import", "xmlns"})
        QVERIFY2(!html.contains(QLatin1String(outside), Qt::CaseInsensitive), outside);
    QCOMPARE(html.count(QLatin1String("</style>")), 1);
    QCOMPARE(html.count(QLatin1String("<svg ")), charts);
    QCOMPARE(html.count(QLatin1String("</svg>")), charts);
    for (const QString &text : escaped)
        QVERIFY2(html.contains(text), qPrintable(text));
    for (const QString &text : absent)
        QVERIFY2(!html.contains(text), qPrintable(text));
}

void TestReportDocument::pdfHoldsTheTextsOnNumberedPages_data() {
    QTest::addColumn<ReportDocument>("doc");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("texts");
    // clang-format off
    QTest::newRow("one short page")
        << document(QStringLiteral("Plant <Nord> & \"East\""), {{QStringLiteral("Summary"), {Summary{{{QStringLiteral("Persons"), QStringLiteral("412")}}}}}})
        << 0 << QStringList{"Plant <Nord> & \"East\" — 2026-11-08 to 2026-12-07", "Persons", "412", "Generated 2026-12-07 18:05 UTC"};
    QTest::newRow("a table over several pages")
        << document(QStringLiteral("Plant"), {{QStringLiteral("Per person"), {Paragraph{QStringLiteral("Every person.")}, badges(260)}}})
        << 260 << QStringList{"Per person", "Every person."};
    QTest::newRow("every kind of chart, drawn as text and lines")
        << document(QStringLiteral("Plant"), everyKindOfChart())
        << 0 << QStringList{"Gate 1 fail rate", "Gate 1 attempts", "Ann <O'Neil> & \"Co\"", "1 MΩ", "Attempts to pass", "Drift watch"};
    QTest::newRow("a cell longer than a page")
        << document(QStringLiteral("Plant"), {{QStringLiteral("Notes"), {Table{{QStringLiteral("Badge holder")}, {{QStringLiteral("row-0 ") + QString(40000, QLatin1Char('x'))}}, {}, {}, 0}}}})
        << 1 << QStringList{"Notes"};
    // clang-format on
}

void TestReportDocument::pdfHoldsTheTextsOnNumberedPages() {
    QFETCH(ReportDocument, doc);
    QFETCH(int, rows);
    QFETCH(QStringList, texts);
    QTemporaryDir folder;
    const QString text = pdfText(doc, folder.path());
    QVERIFY2(!text.isEmpty(), "pdftotext (poppler-utils) read nothing");
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    for (int page = 0; page < pages.size(); ++page) {
        QVERIFY2(
            pages[page].contains(QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages.size())),
            qPrintable(pages[page]));
    }
    for (const QString &wanted : texts)
        QVERIFY2(text.contains(wanted), qPrintable(wanted));
    // Every row once, and every page that holds rows opens with the header row.
    static const QRegularExpression row(QStringLiteral("row-(\\d+)\\b"));
    std::vector<int> seen(static_cast<std::size_t>(rows), 0);
    for (const QString &page : pages) {
        auto found = row.globalMatch(page);
        if (found.hasNext()) {
            const qsizetype header = page.indexOf(QLatin1String("Badge holder"));
            QVERIFY(header >= 0 && header < page.indexOf(row));
        }
        while (found.hasNext())
            ++seen[found.next().captured(1).toUInt()];
    }
    QCOMPARE(seen, std::vector<int>(static_cast<std::size_t>(rows), 1));
}

void TestReportDocument::browserShowsItOffline_data() {
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<int>("exitCode");
    // clang-format off
    QTest::newRow("the report") << reportHtml(document(QStringLiteral("Plant"), everyKindOfChart())) << 0;
    QTest::newRow("a page that asks for an image")
        << QByteArray("<!DOCTYPE html><html><body><img src=\"http://example.org/x.png\"></body></html>") << 1;
    QTest::newRow("a page with a script") << QByteArray("<!DOCTYPE html><html><body><SCRIPT></SCRIPT></body></html>") << 1;
    // clang-format on
}

void TestReportDocument::browserShowsItOffline() {
    QFETCH(QByteArray, html);
    QFETCH(int, exitCode);
    if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
        QSKIP("chromium is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("page.html")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(html) == html.size());
    file.close();
    QProcess check;
    check.start(QStringLiteral(NXA_FIXTURES "/../../scripts/check-html-offline.sh"),
                {file.fileName(), folder.filePath(QStringLiteral("out"))});
    QVERIFY(check.waitForFinished(300'000));
    QCOMPARE(check.exitCode(), exitCode);
    if (exitCode == 0) {
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("out/page.png"))).size() > 0);
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("out/page.pdf"))).size() > 0);
    }
}

QTEST_MAIN(TestReportDocument)
#include "tst_reportdocument.moc"

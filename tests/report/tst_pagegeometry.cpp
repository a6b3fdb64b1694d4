#include "RecordingCanvas.h"

#include "report/PageGeometry.h"
#include "report/ReportLayout.h"

#include <QTest>

using namespace nxa::report;
using nxa::report::test::RecordingCanvas;

class TestPageGeometry : public QObject {
    Q_OBJECT
private slots:
    void geometry_data();
    void geometry();
    void fontPixels_data();
    void fontPixels();
    void placement_data();
    void placement();
    void opaqueTextsAndEmptyTexts();
    void pageBreak_data();
    void pageBreak();
    void breakAfterLastLineLeavesNoBlankPage();
};

void TestPageGeometry::geometry_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("dpi");
    // margin, top, gap, unit, narrow left, narrow unit, bottom limit
    QTest::addColumn<QList<int>>("layout");
    // body points, title points, body pixels, title pixels, logo width, logo height
    QTest::addColumn<QList<int>>("fonts");

    QTest::newRow("4800 x 7000 at 96 dpi")
        << 4800 << 7000 << 96 << QList<int>{320, 233, 23, 41, 960, 28, 6534}
        << QList<int>{48, 96, 64, 128, 1600, 1100};
    QTest::newRow("unknown dpi counts as 96")
        << 4800 << 7000 << 0 << QList<int>{320, 233, 23, 41, 960, 28, 6534}
        << QList<int>{48, 96, 64, 128, 1600, 1100};
    QTest::newRow("120 dpi screen")
        << 4800 << 7000 << 120 << QList<int>{320, 233, 23, 41, 960, 28, 6534}
        << QList<int>{48, 96, 80, 160, 1600, 1100};
    QTest::newRow("A4 printable at 600 dpi")
        << 4760 << 6779 << 96 << QList<int>{317, 225, 22, 41, 951, 28, 6329}
        << QList<int>{47, 95, 63, 127, 1600, 1100};
    QTest::newRow("quarter width exactly 400: no doubling")
        << 1600 << 300 << 96 << QList<int>{106, 10, 1, 13, 318, 9, 280}
        << QList<int>{16, 32, 21, 43, 400, 275};
    QTest::newRow("quarter width 401: doubled once")
        << 1604 << 300 << 96 << QList<int>{106, 10, 1, 13, 318, 9, 280}
        << QList<int>{16, 32, 21, 43, 800, 550};
    QTest::newRow("empty page") << 0 << 0 << 96 << QList<int>{0, 0, 0, 0, 0, 0, 0}
                                << QList<int>{0, 0, 0, 0, 400, 275};
}

void TestPageGeometry::geometry() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, dpi);
    QFETCH(QList<int>, layout);
    QFETCH(QList<int>, fonts);

    const PageGeometry g = pageGeometry(width, height, dpi);
    QCOMPARE(g.sideMargin, layout[0]);
    QCOMPARE(g.topMargin, layout[1]);
    QCOMPARE(g.lineGap, layout[2]);
    QCOMPARE(g.wideGrid.left, layout[0]);
    QCOMPARE(g.wideGrid.unit, layout[3]);
    QCOMPARE(g.narrowGrid.left, layout[4]);
    QCOMPARE(g.narrowGrid.unit, layout[5]);
    QCOMPARE(g.bottomLimit, layout[6]);
    QCOMPARE(g.pageCentre, width / 2);
    QCOMPARE(g.ruleWidth, width - 2 * layout[0]);
    QCOMPARE(g.bodyPoints, fonts[0]);
    QCOMPARE(g.titlePoints, fonts[1]);
    QCOMPARE(g.bodyPixels, fonts[2]);
    QCOMPARE(g.titlePixels, fonts[3]);
    QCOMPARE(g.logoWidth, fonts[4]);
    QCOMPARE(g.logoHeight, fonts[5]);
}

void TestPageGeometry::fontPixels_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("48 pt at 96") << 48 << 96 << 64;
    QTest::newRow("7 pt at 96 rounds down") << 7 << 96 << 9;       // 9.33
    QTest::newRow("5 pt at 96 rounds up") << 5 << 96 << 7;         // 6.67
    QTest::newRow("1 pt at 108: half rounds up") << 1 << 108 << 2; // 1.5
    QTest::newRow("9 pt at 72") << 9 << 72 << 9;
    QTest::newRow("0 dpi is unknown") << 48 << 0 << 64;
    QTest::newRow("negative dpi is unknown") << 48 << -5 << 64;
    QTest::newRow("0 pt") << 0 << 96 << 0;
}

void TestPageGeometry::fontPixels() {
    QFETCH(int, points);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(fontPixelSize(points, dpi), pixels);
}

void TestPageGeometry::placement_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("x");
    // W = 4800: margin 320, unit 41, body characters 32 pixels wide.
    QTest::newRow("left at 0") << "left" << 0 << "ab" << 320;
    QTest::newRow("left at 15") << "left" << 15 << "Name" << 935;
    QTest::newRow("right at 5") << "right" << 5 << "#" << 493;
    QTest::newRow("right at 64") << "right" << 64 << "L+R" << 2848;
    QTest::newRow("centred, even width") << "centre" << 0 << "abcd" << 2336;
    QTest::newRow("centred, odd width") << "centre" << 0 << "abc" << 2352;
}

void TestPageGeometry::placement() {
    QFETCH(QString, rule);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(int, x);
    RecordingCanvas canvas(4800, 7000);
    ReportLayout layout(canvas);
    layout.useFont(FontRole::Body);
    const ColumnGrid grid = layout.geometry().wideGrid;
    if (rule == QLatin1String("left"))
        layout.left(grid, column, text);
    else if (rule == QLatin1String("right"))
        layout.right(grid, column, text);
    else
        layout.centred(text);
    QCOMPARE(canvas.texts().size(), 1);
    QCOMPARE(canvas.texts().first().x, x);
    QCOMPARE(canvas.texts().first().y, 233);
}

void TestPageGeometry::opaqueTextsAndEmptyTexts() {
    RecordingCanvas canvas(4800, 7000);
    ReportLayout layout(canvas);
    layout.useFont(FontRole::Title);
    QCOMPARE(canvas.fontsSet.last(), (FontSpec{FontRole::Title, 96, 128}));
    QCOMPARE(layout.textAt(100, QStringLiteral("Title"), kRed), 128);
    // A white box exactly behind the text, drawn first.
    QCOMPARE(canvas.ops.size(), 2);
    const auto box = canvas.ops[0];
    const auto text = canvas.ops[1];
    QCOMPARE(int(box.kind), int(RecordingCanvas::Kind::Fill));
    QCOMPARE(box.colour, kWhite);
    QCOMPARE(QList<int>({box.x, box.y, box.width, box.height}), QList<int>({100, 233, 320, 128}));
    QCOMPARE(int(text.kind), int(RecordingCanvas::Kind::Text));
    QCOMPARE(text.colour, kRed);
    // An empty text has no height and leaves no mark.
    QCOMPARE(layout.textAt(100, QString()), 0);
    QCOMPARE(layout.centred(QString()), 0);
    QCOMPARE(canvas.ops.size(), 2);
    // The band height is measured in the body font without losing the title font.
    QCOMPARE(layout.bandHeight(), 64);
    QCOMPARE(canvas.fontsSet.last().role, FontRole::Title);
}

void TestPageGeometry::pageBreak_data() {
    QTest::addColumn<int>("advanceBy");
    QTest::addColumn<bool>("breaks");
    // From the top margin 233 with one gap of 23: 233 + h + 23.
    QTest::newRow("lands on 6534") << 6278 << false;
    QTest::newRow("lands on 6535") << 6279 << true;
    QTest::newRow("far beyond the page") << 20000 << true;
}

void TestPageGeometry::pageBreak() {
    QFETCH(int, advanceBy);
    QFETCH(bool, breaks);
    RecordingCanvas canvas(4800, 7000);
    ReportLayout layout(canvas);
    layout.useFont(FontRole::Body);
    layout.advance(advanceBy);
    QCOMPARE(layout.y(), breaks ? 233 : 233 + advanceBy + 23);
    layout.left(layout.geometry().wideGrid, 0, QStringLiteral("next"));
    QCOMPARE(canvas.texts().last().page, breaks ? 1 : 0);
    QCOMPARE(canvas.texts().last().y, layout.y());
}

void TestPageGeometry::breakAfterLastLineLeavesNoBlankPage() {
    RecordingCanvas canvas(4800, 7000);
    ReportLayout layout(canvas);
    layout.advance(7000);
    layout.advance(7000);
    QCOMPARE(canvas.page, 0);
    layout.rule();
    QCOMPARE(canvas.page, 1);
    // Several breaks without drawing in between still open one page.
    QCOMPARE(canvas.ofKind(RecordingCanvas::Kind::Line).first().y, 233);
}

QTEST_APPLESS_MAIN(TestPageGeometry)
#include "tst_pagegeometry.moc"

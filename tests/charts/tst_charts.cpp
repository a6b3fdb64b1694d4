#include "charts/Axis.h"
#include "charts/ChartFrame.h"
#include "charts/ChartPainting.h"
#include "charts/SeriesStyle.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPolygonF>
#include <QRegularExpression>
#include <QTest>
#include <QTransform>
#include <QXmlStreamReader>

#include <cmath>
#include <set>

using namespace nxa::charts;

Q_DECLARE_METATYPE(nxa::charts::Chart)

namespace {

const int kToday = static_cast<int>(QDate(2026, 12, 7).toJulianDay());

// One drawn element of an SVG with the paint it inherits from its groups.
struct Shape {
    QString kind; // element name; polygons carry their corner count: "polygon3"
    QString fill;
    QString stroke;
    QString dashes;
    QString strokeWidth;
    QString text;
    QString baseline;
    // Where it is, in the chart's units: a polyline's or polygon's corners, a
    // circle's centre, a text's box.
    QPolygonF points;
    QRectF box;
};

struct Picture {
    std::vector<Shape> shapes;
    bool wellFormed = false;

    std::set<QString> texts() const {
        std::set<QString> all;
        for (const Shape &s : shapes)
            if (s.kind == QLatin1String("text"))
                all.insert(s.text);
        return all;
    }
    int count(const QString &kind, const QString &fill, const QString &stroke) const {
        return static_cast<int>(std::count_if(
            shapes.begin(), shapes.end(),
            [&](const Shape &s) {
                return s.kind == kind && (fill.isEmpty() || s.fill == fill) &&
                       (stroke.isEmpty() || s.stroke == stroke);
            }));
    }
};

QTransform groupTransform(const QXmlStreamAttributes &group) {
    static const QRegularExpression matrix(QStringLiteral("matrix\\(([^)]*)\\)"));
    const QRegularExpressionMatch m = matrix.match(group.value(QLatin1String("transform")));
    if (!m.hasMatch())
        return {};
    const QStringList n = m.captured(1).split(QLatin1Char(','));
    if (n.size() != 6)
        return {};
    return QTransform(n[0].toDouble(), n[1].toDouble(), n[2].toDouble(), n[3].toDouble(),
                      n[4].toDouble(), n[5].toDouble());
}

QPolygonF pointList(const QString &text) {
    QPolygonF points;
    for (const QString &pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList xy = pair.split(QLatin1Char(','));
        if (xy.size() == 2)
            points << QPointF(xy[0].toDouble(), xy[1].toDouble());
    }
    return points;
}

Picture picture(const Chart &chart) {
    Picture result;
    QXmlStreamReader xml(chartSvg(chart));
    std::vector<QXmlStreamAttributes> groups;
    const auto transform = [&groups] {
        QTransform t;
        for (auto g = groups.rbegin(); g != groups.rend(); ++g)
            t = t * groupTransform(*g);
        return t;
    };
    const auto inherited = [&](const QXmlStreamAttributes &own, const char *name) {
        if (own.hasAttribute(QLatin1String(name))) {
            return own.value(QLatin1String(name)).toString();
        }
        for (auto g = groups.rbegin(); g != groups.rend(); ++g) {
            if (g->hasAttribute(QLatin1String(name))) {
                return g->value(QLatin1String(name)).toString();
            }
        }
        return QString();
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("g"))
            groups.pop_back();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("g")) {
            groups.push_back(attributes);
            continue;
        }
        Shape shape{xml.name().toString(),
                    inherited(attributes, "fill"),
                    inherited(attributes, "stroke"),
                    inherited(attributes, "stroke-dasharray"),
                    inherited(attributes, "stroke-width"),
                    {},
                    {},
                    {},
                    {}};
        const auto number = [&attributes](const char *name) {
            return attributes.value(QLatin1String(name)).toDouble();
        };
        if (shape.kind == QLatin1String("polygon") || shape.kind == QLatin1String("polyline")) {
            shape.points =
                transform().map(pointList(attributes.value(QLatin1String("points")).toString()));
        }
        if (shape.kind == QLatin1String("polygon"))
            shape.kind += QString::number(shape.points.size());
        if (shape.kind == QLatin1String("circle") || shape.kind == QLatin1String("ellipse"))
            shape.points << transform().map(QPointF(number("cx"), number("cy")));
        if (shape.kind == QLatin1String("text")) {
            // Qt writes a run of another script (the Ω of "1 MΩ") as a text of its own.
            shape.baseline = attributes.value(QLatin1String("y")).toString();
            const QFont font = chartFont(attributes.value(QLatin1String("font-size")).toDouble());
            const QFontMetricsF metrics(font);
            shape.text = xml.readElementText();
            if (!result.shapes.empty() && result.shapes.back().kind == shape.kind &&
                result.shapes.back().baseline == shape.baseline) {
                Shape &last = result.shapes.back();
                last.text += shape.text;
                last.box = last.box.united(transform().mapRect(
                    QRectF(number("x"), number("y") - metrics.ascent(),
                           metrics.horizontalAdvance(shape.text), metrics.height())));
                continue;
            }
            shape.box = transform().mapRect(QRectF(number("x"), number("y") - metrics.ascent(),
                                                   metrics.horizontalAdvance(shape.text),
                                                   metrics.height()));
        }
        result.shapes.push_back(shape);
    }
    result.wellFormed = !xml.hasError();
    return result;
}

// The plot's box: the axis lines meet at its bottom left corner.
QRectF plotBox(const Picture &drawn) {
    QRectF box;
    double longestX = 0.0;
    double longestY = 0.0;
    for (const Shape &s : drawn.shapes) {
        if (s.kind != QLatin1String("polyline") || s.points.size() != 2 ||
            s.stroke != kInk.name() || !s.dashes.isEmpty())
            continue;
        const QPointF a = s.points[0];
        const QPointF b = s.points[1];
        if (a.y() == b.y() && std::abs(b.x() - a.x()) > longestX) {
            longestX = std::abs(b.x() - a.x());
            box.setLeft(std::min(a.x(), b.x()));
            box.setRight(std::max(a.x(), b.x()));
            box.setBottom(a.y());
        } else if (a.x() == b.x() && std::abs(b.y() - a.y()) > longestY) {
            longestY = std::abs(b.y() - a.y());
            box.setTop(std::min(a.y(), b.y()));
        }
    }
    return box;
}

// The texts that match a pattern, in drawing order.
std::vector<Shape> textsMatching(const Picture &drawn, const QString &pattern) {
    const QRegularExpression exact(QStringLiteral("^(?:%1)$").arg(pattern));
    std::vector<Shape> found;
    for (const Shape &s : drawn.shapes)
        if (s.kind == QLatin1String("text") && exact.match(s.text).hasMatch())
            found.push_back(s);
    return found;
}

// The day axis' labels left to right: "7 Dec", "4 Jan 2027", "Jan", "Mar 2027", "2027".
std::vector<Shape> dateTicks(const Picture &drawn) {
    std::vector<Shape> ticks =
        textsMatching(drawn, QStringLiteral("(\\d{1,2} )?[A-Z][a-z]{2}( \\d{4})?|\\d{4}"));
    const QRectF plot = plotBox(drawn);
    std::erase_if(
        ticks, [&plot](const Shape &s) { return s.box.top() < plot.bottom(); });
    std::sort(ticks.begin(), ticks.end(),
              [](const Shape &a, const Shape &b) { return a.box.left() < b.box.left(); });
    return ticks;
}

// A label read as a reader does: without a year, it is in the year of the label before.
QDate readDate(const QString &label, int &year) {
    static const QStringList months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QStringList parts = label.split(QLatin1Char(' '));
    if (parts.size() == 1 && parts[0].size() == 4 && parts[0][0].isDigit()) {
        year = parts[0].toInt();
        return QDate(year, 1, 1);
    }
    if (parts.last().size() == 4 && parts.last()[0].isDigit())
        year = parts.takeLast().toInt();
    const int day = parts.size() == 2 ? parts.takeFirst().toInt() : 1;
    return QDate(year, int(months.indexOf(parts.value(0))) + 1, day);
}

bool overlap(const std::vector<Shape> &texts) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            if (texts[i].box.intersects(texts[j].box))
                return true;
    return false;
}

const QString kCrossingLabel = QStringLiteral("[A-Z+]+: \\d{4}-\\d{2}-\\d{2}");

TrendSeries series(const QString &name, int days, double start, double growth) {
    TrendSeries s{name, {}, {}, {}, {}};
    for (int d = 0; d < days; ++d)
        s.points.push_back({kToday - days + 1 + d, start * std::pow(growth, d)});
    return s;
}

PersonTrend trend(std::vector<TrendSeries> all, std::optional<LimitBand> band = {}) {
    return {QStringLiteral("Ann <O'Neil> & \"Co\""), kToday - 89, kToday, std::move(all),
            std::move(band)};
}

FailRateChart failRate(int days, int outside) {
    FailRateChart chart{QStringLiteral("Gate 1 fail rate"), kToday - days + 1, kToday, 0.05, {}};
    for (int d = 0; d < days; ++d) {
        const double rate = d < outside ? 0.4 : 0.04;
        chart.days.push_back({kToday - days + 1 + d, rate, 0.0, 0.12, d < outside});
    }
    return chart;
}

DailyAttemptsChart attempts(int days) {
    DailyAttemptsChart chart{QStringLiteral("Gate 1 attempts"), kToday - days + 1, kToday, {}};
    for (int d = 0; d < days; ++d)
        chart.days.push_back({kToday - days + 1 + d, 40 + d % 7, d % 3});
    return chart;
}

QString colour(int series) {
    return seriesStyle(series).colour.name();
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT
private slots:
    void showsWhatAReaderNeeds_data();
    void showsWhatAReaderNeeds();
    void plotsEveryInput_data();
    void plotsEveryInput();
    void drawsBandAndFitOnlyWhenGiven_data();
    void drawsBandAndFitOnlyWhenGiven();
    void labelsResistanceDecades_data();
    void labelsResistanceDecades();
    void tellsSeriesApartWithoutColour_data();
    void tellsSeriesApartWithoutColour();
    void keepsToTheDaysShown_data();
    void keepsToTheDaysShown();
    void datesTellTheirYear_data();
    void datesTellTheirYear();
    void keepsFailsInSight_data();
    void keepsFailsInSight();
    void crossingsStayApartAndInside_data();
    void crossingsStayApartAndInside();
};

void TestCharts::showsWhatAReaderNeeds_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<QStringList>("texts");
    const TrendSeries l = series(QStringLiteral("L"), 30, 2000, 1.05);
    // clang-format off
    QTest::newRow("trend: escaped title, axes, legend, log ticks")
        << Chart(trend({l, series(QStringLiteral("R"), 30, 1500, 1.0)}, LimitBand{QStringLiteral("Footwear limits"), 100, 35000}))
        << QStringList{QStringLiteral("Ann <O'Neil> & \"Co\""), QStringLiteral("Date (2026-09-09 to 2026-12-07)"),
                       QStringLiteral("Resistance (kΩ, MΩ; log scale)"), QStringLiteral("Footwear limits"),
                       QStringLiteral("L"), QStringLiteral("R"), QStringLiteral("1 MΩ"), QStringLiteral("2 MΩ"),
                       QStringLiteral("max 35 MΩ"), QStringLiteral("min 100 kΩ, below the chart")};
    QTest::newRow("trend on one decade: 1, 2, 5")
        << Chart(trend({series(QStringLiteral("WS"), 30, 1500, 1.05)}))
        << QStringList{QStringLiteral("1 MΩ"), QStringLiteral("2 MΩ"), QStringLiteral("5 MΩ"), QStringLiteral("10 MΩ")};
    QTest::newRow("trend without data")
        << Chart(trend({})) << QStringList{QStringLiteral("No data in this period"), QStringLiteral("Date (2026-09-09 to 2026-12-07)")};
    QTest::newRow("p-chart") << Chart(failRate(90, 2))
        << QStringList{QStringLiteral("Gate 1 fail rate"), QStringLiteral("Fail rate (%)"), QStringLiteral("Daily fail rate"),
                       QStringLiteral("Centre line (5.0 %)"), QStringLiteral("Control limits (3 sigma)"),
                       QStringLiteral("Outside the limits"), QStringLiteral("40")};
    QTest::newRow("p-chart of one day") << Chart(failRate(1, 0))
        << QStringList{QStringLiteral("Date (2026-12-07)"), QStringLiteral("7 Dec")};
    QTest::newRow("daily attempts") << Chart(attempts(90))
        << QStringList{QStringLiteral("Gate 1 attempts"), QStringLiteral("Attempts per day"), QStringLiteral("Passed"),
                       QStringLiteral("Failed"), QStringLiteral("14 Sep")};
    QTest::newRow("attempts to pass") << Chart(attemptsToPass(QStringLiteral("Retests"), {50, 7, 2}))
        << QStringList{QStringLiteral("Retests"), QStringLiteral("Attempts to pass"), QStringLiteral("People"),
                       QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3+")};
    QTest::newRow("time to pass by hour") << Chart(timeToPassByHour(QStringLiteral("By hour"), {{6, 4.0, 2.0, 9.0}}))
        << QStringList{QStringLiteral("Hour of the first attempt"), QStringLiteral("Minutes to pass"),
                       QStringLiteral("Median"), QStringLiteral("Quartiles"), QStringLiteral("00"), QStringLiteral("22")};
    QTest::newRow("histogram without data") << Chart(attemptsToPass(QStringLiteral("Retests"), {}))
        << QStringList{QStringLiteral("No data in this period")};
    // clang-format on
}

void TestCharts::showsWhatAReaderNeeds() {
    QFETCH(Chart, chart);
    QFETCH(QStringList, texts);
    const Picture drawn = picture(chart);
    QVERIFY(drawn.wellFormed);
    const std::set<QString> shown = drawn.texts();
    for (const QString &text : texts)
        QVERIFY2(shown.count(text), qPrintable(text));
}

void TestCharts::plotsEveryInput_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("stroke");
    // One more than the input: the legend shows the same mark.
    QTest::addColumn<int>("expected");
    TrendSeries gaps = series(QStringLiteral("R"), 90, 1500, 1.01);
    gaps.points[3].value = std::nan("");
    gaps.points[4].value = 0.0;
    gaps.points[5].value = 3e12;
    const QString white = QStringLiteral("#ffffff");
    const QString black = QStringLiteral("#000000");
    // clang-format off
    QTest::newRow("trend, 90 days")            << Chart(trend({series(QStringLiteral("L"), 90, 900, 1.02)})) << "circle" << colour(0) << colour(0) << 91;
    QTest::newRow("trend, one point")          << Chart(trend({series(QStringLiteral("L"), 1, 900, 1.0)})) << "circle" << colour(0) << colour(0) << 2;
    QTest::newRow("trend, zero, huge, no value") << Chart(trend({series(QStringLiteral("L"), 1, 9, 1.0), gaps})) << "rect" << white << colour(1) << 90;
    QTest::newRow("p-chart: rates")            << Chart(failRate(95, 3)) << "circle" << colour(0) << colour(0) << 96;
    QTest::newRow("p-chart: days outside")     << Chart(failRate(95, 3)) << "rect" << white << black << 4;
    QTest::newRow("attempts: passed")          << Chart(attempts(120)) << "rect" << kPassFill.name() << "" << 121;
    QTest::newRow("attempts: failed")          << Chart(attempts(7)) << "rect" << kFailFill.name() << "" << 8;
    QTest::newRow("histogram bars")            << Chart(attemptsToPass(QStringLiteral("R"), {5, 0, 1})) << "rect" << "#56b4e9" << "" << 4;
    QTest::newRow("hours with data only")      << Chart(timeToPassByHour(QStringLiteral("H"), {{7, 1, {}, {}}, {23, 2, {}, {}}, {24, 9, {}, {}}})) << "rect" << "#56b4e9" << "" << 3;
    // clang-format on
}

void TestCharts::plotsEveryInput() {
    QFETCH(Chart, chart);
    QFETCH(QString, kind);
    QFETCH(QString, fill);
    QFETCH(QString, stroke);
    QFETCH(int, expected);
    QCOMPARE(picture(chart).count(kind, fill, stroke), expected);
}

void TestCharts::drawsBandAndFitOnlyWhenGiven_data() {
    QTest::addColumn<bool>("band");
    QTest::addColumn<bool>("fit");
    QTest::addColumn<bool>("crossing");
    // clang-format off
    QTest::newRow("neither")            << false << false << false;
    QTest::newRow("band only")          << true  << false << false;
    QTest::newRow("fit only")           << false << true  << false;
    QTest::newRow("band, fit, crossing") << true << true  << true;
    // clang-format on
}

void TestCharts::drawsBandAndFitOnlyWhenGiven() {
    QFETCH(bool, band);
    QFETCH(bool, fit);
    QFETCH(bool, crossing);
    TrendSeries l = series(QStringLiteral("L"), 60, 2000, 1.03);
    if (fit)
        l.fit = FittedLine{QStringLiteral("L trend"), {kToday - 59, 2000}, {kToday + 10, 40000}};
    if (crossing)
        l.crossing = DayValue{kToday + 8, 35000};
    std::optional<LimitBand> limits;
    if (band)
        limits = LimitBand{QStringLiteral("Footwear limits"), {}, 35000};
    const Picture drawn = picture(trend({l}, limits));
    QCOMPARE(drawn.count(QStringLiteral("rect"), kBandFill.name(), {}) > 0, band);
    const bool thickLine =
        std::any_of(drawn.shapes.begin(), drawn.shapes.end(), [](const Shape &s) {
            return s.kind == QLatin1String("polyline") && s.stroke == colour(0) &&
                   s.strokeWidth.toDouble() > 2.0;
        });
    QCOMPARE(thickLine, fit);
    QCOMPARE(drawn.texts().count(QStringLiteral("L trend")) > 0, fit);
    QCOMPARE(drawn.texts().count(QStringLiteral("L: 2026-12-15")) > 0, crossing);
}

void TestCharts::labelsResistanceDecades_data() {
    QTest::addColumn<std::vector<double>>("kohm");
    QTest::addColumn<QStringList>("labels");
    // clang-format off
    QTest::newRow("one decade: 1-2-5")    << std::vector<double>{1500, 7000}  << QStringList{"1 MΩ", "2 MΩ", "5 MΩ", "10 MΩ"};
    QTest::newRow("limit on a decade")    << std::vector<double>{100, 35000}  << QStringList{"10 kΩ", "100 kΩ", "1 MΩ", "10 MΩ", "100 MΩ"};
    QTest::newRow("two decades: 1-2-5")   << std::vector<double>{0.5, 2}      << QStringList{"100 Ω", "200 Ω", "500 Ω", "1 kΩ", "2 kΩ", "5 kΩ", "10 kΩ"};
    QTest::newRow("zero gets its strip")  << std::vector<double>{0, 50}       << QStringList{"0 kΩ", "10 kΩ", "20 kΩ", "50 kΩ", "100 kΩ"};
    QTest::newRow("only zero")            << std::vector<double>{0}           << QStringList{"0 kΩ", "100 kΩ", "1 MΩ", "10 MΩ", "100 MΩ", "1 GΩ"};
    QTest::newRow("nothing to place")     << std::vector<double>{std::nan("")} << QStringList{"100 kΩ", "1 MΩ", "10 MΩ", "100 MΩ", "1 GΩ"};
    QTest::newRow("open circuit")         << std::vector<double>{2e9}         << QStringList{"1 TΩ", "2 TΩ", "5 TΩ", "10 TΩ"};
    QTest::newRow("absurd span thinned")  << std::vector<double>{1e-30, 1e30}  << QStringList{"0.0001 Ω", "0.1 Ω", "100 Ω", "100 kΩ", "100 MΩ", "100 GΩ", "100 TΩ", "100000 TΩ"};
    // clang-format on
}

void TestCharts::labelsResistanceDecades() {
    QFETCH(std::vector<double>, kohm);
    QFETCH(QStringList, labels);
    const ValueAxis axis = ValueAxis::resistance(kohm);
    QStringList shown;
    double previous = -1.0;
    for (const Tick &tick : axis.ticks()) {
        shown << tick.label;
        QVERIFY(tick.position > previous && tick.position <= 1.0);
        previous = tick.position;
    }
    QCOMPARE(shown, labels);
    for (const double value : kohm)
        QVERIFY(axis.position(value) >= 0.0 && axis.position(value) <= 1.0);
}

void TestCharts::tellsSeriesApartWithoutColour_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<QStringList>("colours");
    std::vector<TrendSeries> five;
    for (int i = 0; i < seriesStyleCount(); ++i)
        five.push_back(series(QStringLiteral("S%1").arg(i), 20, 1000.0 * (i + 1), 1.01));
    // clang-format off
    QTest::newRow("trend, every style") << Chart(trend(five)) << QStringList{colour(0), colour(1), colour(2), colour(3), colour(4)};
    QTest::newRow("p-chart: rate and limits") << Chart(failRate(30, 0)) << QStringList{colour(0), colour(1)};
    // clang-format on
}

void TestCharts::tellsSeriesApartWithoutColour() {
    QFETCH(Chart, chart);
    QFETCH(QStringList, colours);
    const Picture drawn = picture(chart);
    // What is left of a series in greyscale: its dash patterns and marker shapes.
    std::set<std::set<QString>> looks;
    for (const QString &c : colours) {
        std::set<QString> look;
        for (const Shape &s : drawn.shapes) {
            if (s.kind == QLatin1String("polyline") && s.stroke == c) {
                look.insert(QStringLiteral("dash ") + s.dashes);
            } else if (s.kind != QLatin1String("text") && s.kind != QLatin1String("polyline") &&
                       s.stroke == c) {
                look.insert(s.kind +
                            (s.fill == c ? QStringLiteral(" filled") : QStringLiteral(" open")));
            }
        }
        QVERIFY2(!look.empty(), qPrintable(c));
        QVERIFY2(looks.insert(look).second, qPrintable(c));
    }
}

void TestCharts::keepsToTheDaysShown_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<QString>("dateAxis");
    QTest::addColumn<QString>("lowestTick");
    QTest::addColumn<int>("lines");
    // A reading 400 days old at 20 MΩ, then 61 days of drift, fitted on those.
    PersonTrend old = trend({series(QStringLiteral("L"), 61, 2000, 1.03)});
    old.firstDay = kToday - 60;
    old.series[0].points.insert(old.series[0].points.begin(), {kToday - 400, 20000});
    old.series[0].fit = FittedLine{
        QStringLiteral("L trend"), {kToday - 60, 2000}, {kToday, 2000 * std::pow(1.03, 60)}};
    // Two runs of readings with 339 days between them.
    PersonTrend gap = trend({series(QStringLiteral("L"), 61, 2000, 1.0)});
    gap.firstDay = kToday - 460;
    for (int d = 0; d < 61; ++d)
        gap.series[0].points.push_back({kToday - 460 + d, 2500});
    // Thirty days of readings with a hole of so many days in the middle.
    const auto holed = [](int emptyDays) {
        PersonTrend chart = trend({series(QStringLiteral("L"), 30, 2500, 1.0)});
        chart.firstDay = kToday - 29;
        std::erase_if(chart.series[0].points, [&](const DayValue &p) {
            return p.day > kToday - 20 && p.day <= kToday - 20 + emptyDays;
        });
        return chart;
    };
    // clang-format off
    QTest::newRow("a week without readings")          << Chart(holed(7)) << "Date (2026-11-08 to 2026-12-07)"                                   << "1 MΩ" << 1;
    QTest::newRow("eight days without readings")      << Chart(holed(8)) << "Date (2026-11-08 to 2026-12-07)"                                   << "1 MΩ" << 2;
    QTest::newRow("a reading long before the window") << Chart(old) << "Date (2026-10-08 to 2026-12-07), and 1 reading before 2026-10-08" << "1 MΩ" << 1;
    QTest::newRow("a 400-day gap")                    << Chart(gap) << "Date (2025-09-03 to 2026-12-07)"                                   << "1 MΩ" << 2;
    // clang-format on
}

void TestCharts::keepsToTheDaysShown() {
    QFETCH(Chart, chart);
    QFETCH(QString, dateAxis);
    QFETCH(QString, lowestTick);
    QFETCH(int, lines);
    const Picture drawn = picture(chart);
    const QRectF plot = plotBox(drawn);
    QVERIFY(plot.width() > 100 && plot.height() > 100);
    QVERIFY2(drawn.texts().count(dateAxis), qPrintable(dateAxis));
    std::vector<Shape> values = textsMatching(drawn, QStringLiteral("[0-9.]+ [kMGT]?Ω"));
    std::erase_if(values, [&](const Shape &t) { return t.box.right() > plot.left(); });
    QVERIFY(!values.empty());
    const auto lowest =
        std::max_element(values.begin(), values.end(),
                         [](const Shape &a, const Shape &b) { return a.box.top() < b.box.top(); });
    QCOMPARE(lowest->text, lowestTick);
    // The series line stops where a week passes without a reading.
    const int seriesLines =
        int(std::count_if(drawn.shapes.begin(), drawn.shapes.end(), [&](const Shape &s) {
            return s.kind == QLatin1String("polyline") && s.stroke == colour(0) &&
                   std::abs(s.strokeWidth.toDouble() - 1.1) < 0.01 &&
                   plot.contains(s.points.boundingRect().center());
        }));
    QCOMPARE(seriesLines, lines);
    double firstMarker = plot.right();
    double lastMarker = plot.left();
    for (const Shape &s : drawn.shapes) {
        if (s.kind == QLatin1String("circle") && s.fill == colour(0) &&
            s.points[0].y() > plot.top()) {
            QVERIFY2(plot.contains(s.points[0]), "a marker outside the plot");
            firstMarker = std::min(firstMarker, s.points[0].x());
            lastMarker = std::max(lastMarker, s.points[0].x());
        }
    }
    // The fitted line spans the days it was fitted on, not the days before.
    for (const Shape &s : drawn.shapes) {
        if (s.kind == QLatin1String("polyline") && s.strokeWidth.toDouble() > 2.0 &&
            plot.contains(s.points[0])) {
            QVERIFY(std::abs(s.points.boundingRect().left() - firstMarker) < 8.0);
            QVERIFY(std::abs(s.points.boundingRect().right() - lastMarker) < 0.5);
        }
    }
}

void TestCharts::datesTellTheirYear_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    // clang-format off
    QTest::newRow("one day")            << kToday         << kToday;
    QTest::newRow("90 days of a year")  << kToday - 89    << kToday;
    QTest::newRow("over the new year")  << kToday - 20    << kToday + 40;
    // Monday 1 January 2029 is the last day: its tick names the year at the chart's edge.
    QTest::newRow("new year's day last") << int(QDate(2028, 11, 1).toJulianDay()) << int(QDate(2029, 1, 1).toJulianDay());
    QTest::newRow("400 days")           << kToday - 400   << kToday;
    QTest::newRow("three years")        << kToday - 1100  << kToday;
    QTest::newRow("fifty years")        << kToday - 18300 << kToday;
    // clang-format on
}

void TestCharts::datesTellTheirYear() {
    QFETCH(int, first);
    QFETCH(int, last);
    PersonTrend chart =
        trend({TrendSeries{QStringLiteral("L"), {{first, 1000}, {last, 2000}}, {}, {}, {}}});
    chart.firstDay = first;
    chart.lastDay = last;
    const Picture drawn = picture(chart);
    const std::vector<Shape> ticks = dateTicks(drawn);
    QVERIFY(int(ticks.size()) >= (first == last ? 1 : 2));
    QVERIFY(!overlap(ticks));
    // Read left to right, each label taking the year of the one before when
    // it names none, every date follows the one before and lies in the period.
    int year = QDate::fromJulianDay(first).year();
    QDate previous;
    int withYear = 0;
    for (const Shape &tick : ticks) {
        QVERIFY2(tick.box.left() >= 0.0 && tick.box.right() <= kChartSize.width(),
                 qPrintable(tick.text));
        const QDate date = readDate(tick.text, year);
        QVERIFY2(date.isValid() && date > previous, qPrintable(tick.text));
        QVERIFY2(date.toJulianDay() >= first && date.toJulianDay() <= last, qPrintable(tick.text));
        previous = date;
        withYear += tick.text.contains(QRegularExpression(QStringLiteral("\\d{4}"))) ? 1 : 0;
    }
    // The year is named where it changes, not on every label.
    const int years = QDate::fromJulianDay(last).year() - QDate::fromJulianDay(first).year();
    QVERIFY(withYear <= (years == 0 ? 0 : years + 1));
}

void TestCharts::keepsFailsInSight_data() {
    QTest::addColumn<bool>("band");
    QTest::addColumn<double>("highest");
    QTest::addColumn<bool>("whisker");
    // clang-format off
    QTest::newRow("48 MΩ fail, a pass: median inside") << true  << 48000.0 << true;
    QTest::newRow("fail inside the band")               << true  << 30000.0 << false;
    QTest::newRow("no band to be outside of")           << false << 48000.0 << false;
    // clang-format on
}

void TestCharts::keepsFailsInSight() {
    QFETCH(bool, band);
    QFETCH(double, highest);
    QFETCH(bool, whisker);
    TrendSeries l = series(QStringLiteral("L"), 20, 15000, 1.0);
    l.fails.push_back({kToday - 5, 15000.0 * 15000.0 / highest, highest});
    std::optional<LimitBand> limits;
    if (band)
        limits = LimitBand{QStringLiteral("Footwear limits"), 100, 35000};
    const Picture drawn = picture(trend({l}, limits));
    const QRectF plot = plotBox(drawn);
    // A ring, readable without colour, on the day and in the legend.
    const std::vector<Shape> rings = [&] {
        std::vector<Shape> found;
        std::copy_if(drawn.shapes.begin(), drawn.shapes.end(), std::back_inserter(found),
                     [](const Shape &s) {
                         return s.kind == QLatin1String("circle") && s.stroke == kAlarm.name() &&
                                s.fill == QLatin1String("#ffffff");
                     });
        return found;
    }();
    QCOMPARE(rings.size(), std::size_t(2));
    QVERIFY(drawn.texts().count(QStringLiteral("Day with a fail")));
    const Shape &ring = rings.back().points[0].y() > plot.top() ? rings.back() : rings.front();
    const auto marker = std::find_if(drawn.shapes.begin(), drawn.shapes.end(), [&](const Shape &s) {
        return s.kind == QLatin1String("circle") && s.fill == colour(0) &&
               QLineF(s.points[0], ring.points[0]).length() < 0.5;
    });
    QVERIFY2(marker != drawn.shapes.end(), "the ring is not around the day's marker");
    const auto stem = std::find_if(drawn.shapes.begin(), drawn.shapes.end(), [&](const Shape &s) {
        return s.kind == QLatin1String("polyline") && s.stroke == kAlarm.name() &&
               s.points.size() == 2 && std::abs(s.points[0].x() - ring.points[0].x()) < 0.5 &&
               std::abs(s.points[1].x() - ring.points[0].x()) < 0.5 && plot.contains(s.points[0]);
    });
    QCOMPARE(stem != drawn.shapes.end(), whisker);
    QCOMPARE(drawn.texts().count(QStringLiteral("Worst reading of a fail day")) > 0, whisker);
    if (whisker) {
        // It reaches above the max edge, where the fail was.
        const auto edge =
            std::find_if(drawn.shapes.begin(), drawn.shapes.end(), [&](const Shape &s) {
                return s.kind == QLatin1String("polyline") && s.stroke == kBandEdge.name() &&
                       s.points.size() == 2 && s.points[0].x() == plot.left();
            });
        QVERIFY(edge != drawn.shapes.end());
        QVERIFY(stem->points.boundingRect().top() < edge->points[0].y() - 5.0);
    }
}

void TestCharts::crossingsStayApartAndInside_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<int>("crossings");
    const LimitBand limits{QStringLiteral("Footwear limits"), 100, 35000};
    const auto rising = [](const QString &name, double start, int crossingDay) {
        TrendSeries s = series(name, 60, start, 1.04);
        s.fit = FittedLine{name + QStringLiteral(" trend"),
                           {kToday - 59, start},
                           {kToday, start * std::pow(1.04, 59)}};
        s.crossing = DayValue{crossingDay, 35000};
        return s;
    };
    // clang-format off
    QTest::newRow("L and R a day apart") << Chart(trend({rising("L", 3600, kToday + 3), rising("R", 3500, kToday + 4)}, limits)) << 2;
    QTest::newRow("three a day apart")   << Chart(trend({rising("L", 3600, kToday + 3), rising("R", 3500, kToday + 4), rising("L+R", 3400, kToday + 5)}, limits)) << 3;
    QTest::newRow("on the last day")     << Chart(trend({rising("L", 35000 / std::pow(1.04, 59), kToday)}, limits)) << 1;
    // clang-format on
}

void TestCharts::crossingsStayApartAndInside() {
    QFETCH(Chart, chart);
    QFETCH(int, crossings);
    const Picture drawn = picture(chart);
    const QRectF plot = plotBox(drawn);
    std::vector<Shape> labels = textsMatching(drawn, kCrossingLabel);
    QCOMPARE(int(labels.size()), crossings);
    for (const Shape &label : labels)
        QVERIFY2(plot.contains(label.box), qPrintable(label.text));
    // Nothing written in the plot covers another text there.
    std::vector<Shape> inPlot = labels;
    for (const Shape &s : drawn.shapes)
        if (s.kind == QLatin1String("text") && plot.contains(s.box.center()) &&
            !textsMatching(Picture{{s}, true}, kCrossingLabel).size())
            inPlot.push_back(s);
    QVERIFY(!overlap(inPlot));
    // Each ✕ whole inside the plot; each fitted line drawn over the markers
    // and on to its ✕.
    std::vector<QPointF> crosses;
    std::size_t lastMarker = 0;
    for (std::size_t i = 0; i < drawn.shapes.size(); ++i) {
        const Shape &s = drawn.shapes[i];
        if (s.kind == QLatin1String("polyline") && s.stroke == kAlarm.name() &&
            std::abs(s.strokeWidth.toDouble() - 2.2) < 0.01 &&
            s.points.boundingRect().top() > plot.top() - 10) {
            QVERIFY2(plot.contains(s.points.boundingRect()), "a ✕ outside the plot");
            crosses.push_back(s.points.boundingRect().center());
        }
        if ((s.kind == QLatin1String("circle") || s.kind == QLatin1String("rect") ||
             s.kind.startsWith(QLatin1String("polygon"))) &&
            plot.contains(s.points.value(0)) && s.fill != QLatin1String("#ffffff"))
            lastMarker = i;
    }
    QVERIFY(!crosses.empty());
    int fits = 0;
    for (std::size_t i = 0; i < drawn.shapes.size(); ++i) {
        const Shape &s = drawn.shapes[i];
        if (s.kind != QLatin1String("polyline") || s.strokeWidth.toDouble() < 2.5 ||
            !plot.contains(s.points[0]))
            continue;
        ++fits;
        QVERIFY2(i > lastMarker, "a fitted line under the markers");
        const QPointF end = s.points.last();
        QVERIFY2(std::any_of(crosses.begin(), crosses.end(),
                             [&](const QPointF &c) { return QLineF(c, end).length() < 2.0; }),
                 "a fitted line that stops short of its ✕");
    }
    QCOMPARE(fits, crossings);
}

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"

#include "charts/Axis.h"
#include "charts/ChartPainting.h"
#include "charts/SeriesStyle.h"

#include <QDate>
#include <QTest>
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
};

struct Picture {
    std::vector<Shape> shapes;
    bool wellFormed = false;

    std::set<QString> texts() const {
        std::set<QString> all;
        for (const Shape &s : shapes) {
            if (s.kind == QLatin1String("text")) {
                all.insert(s.text);
            }
        }
        return all;
    }
    int count(const QString &kind, const QString &fill, const QString &stroke) const {
        return static_cast<int>(std::count_if(shapes.begin(), shapes.end(), [&](const Shape &s) {
            return s.kind == kind && (fill.isEmpty() || s.fill == fill) &&
                   (stroke.isEmpty() || s.stroke == stroke);
        }));
    }
};

Picture picture(const Chart &chart) {
    Picture result;
    QXmlStreamReader xml(chartSvg(chart));
    std::vector<QXmlStreamAttributes> groups;
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
        if (xml.isEndElement() && xml.name() == QLatin1String("g")) {
            groups.pop_back();
        }
        if (!xml.isStartElement()) {
            continue;
        }
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
                    {}};
        if (shape.kind == QLatin1String("polygon")) {
            shape.kind += QString::number(attributes.value(QLatin1String("points"))
                                              .split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                              .size());
        }
        if (shape.kind == QLatin1String("text")) {
            // Qt writes a run of another script (the Ω of "1 MΩ") as a text of its own.
            shape.baseline = attributes.value(QLatin1String("y")).toString();
            shape.text = xml.readElementText();
            if (!result.shapes.empty() && result.shapes.back().kind == shape.kind &&
                result.shapes.back().baseline == shape.baseline) {
                result.shapes.back().text += shape.text;
                continue;
            }
        }
        result.shapes.push_back(shape);
    }
    result.wellFormed = !xml.hasError();
    return result;
}

TrendSeries series(const QString &name, int days, double start, double growth) {
    TrendSeries s{name, {}, {}, {}};
    for (int d = 0; d < days; ++d) {
        s.points.push_back({kToday - days + 1 + d, start * std::pow(growth, d)});
    }
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
    for (int d = 0; d < days; ++d) {
        chart.days.push_back({kToday - days + 1 + d, 40 + d % 7, d % 3});
    }
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
                       QStringLiteral("L"), QStringLiteral("R"), QStringLiteral("1 MΩ"), QStringLiteral("100 kΩ"),
                       QStringLiteral("max 35 MΩ"), QStringLiteral("min 100 kΩ")};
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
                       QStringLiteral("Failed"), QStringLiteral("9 Sep")};
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
    for (const QString &text : texts) {
        QVERIFY2(shown.count(text), qPrintable(text));
    }
}

void TestCharts::plotsEveryInput_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("stroke");
    // One more than the input: the legend shows the same mark.
    QTest::addColumn<int>("expected");
    TrendSeries gaps = series(QStringLiteral("R"), 120, 1500, 1.01);
    gaps.points[3].value = std::nan("");
    gaps.points[4].value = 0.0;
    gaps.points[5].value = 3e12;
    const QString white = QStringLiteral("#ffffff");
    const QString black = QStringLiteral("#000000");
    // clang-format off
    QTest::newRow("trend, 90 days")            << Chart(trend({series(QStringLiteral("L"), 90, 900, 1.02)})) << "circle" << colour(0) << colour(0) << 91;
    QTest::newRow("trend, one point")          << Chart(trend({series(QStringLiteral("L"), 1, 900, 1.0)})) << "circle" << colour(0) << colour(0) << 2;
    QTest::newRow("trend, zero, huge, no value") << Chart(trend({series(QStringLiteral("L"), 1, 9, 1.0), gaps})) << "rect" << white << colour(1) << 120;
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
    if (fit) {
        l.fit = FittedLine{QStringLiteral("L trend"), {kToday - 59, 2000}, {kToday + 10, 40000}};
    }
    if (crossing) {
        l.crossing = DayValue{kToday + 8, 35000};
    }
    std::optional<LimitBand> limits;
    if (band) {
        limits = LimitBand{QStringLiteral("Footwear limits"), {}, 35000};
    }
    const Picture drawn = picture(trend({l}, limits));
    QCOMPARE(drawn.count(QStringLiteral("rect"), kBandFill.name(), {}) > 0, band);
    const bool thickLine =
        std::any_of(drawn.shapes.begin(), drawn.shapes.end(), [](const Shape &s) {
            return s.kind == QLatin1String("polyline") && s.stroke == colour(0) &&
                   s.strokeWidth.toDouble() > 2.0;
        });
    QCOMPARE(thickLine, fit);
    QCOMPARE(drawn.texts().count(QStringLiteral("L trend")) > 0, fit);
    QCOMPARE(drawn.texts().count(QStringLiteral("2026-12-15")) > 0, crossing);
}

void TestCharts::labelsResistanceDecades_data() {
    QTest::addColumn<std::vector<double>>("kohm");
    QTest::addColumn<QStringList>("labels");
    // clang-format off
    QTest::newRow("one value")            << std::vector<double>{1500}        << QStringList{"1 MΩ", "10 MΩ"};
    QTest::newRow("limit on a decade")    << std::vector<double>{100, 35000}  << QStringList{"10 kΩ", "100 kΩ", "1 MΩ", "10 MΩ", "100 MΩ"};
    QTest::newRow("below 1 kΩ")           << std::vector<double>{0.5, 2}      << QStringList{"100 Ω", "1 kΩ", "10 kΩ"};
    QTest::newRow("zero gets its strip")  << std::vector<double>{0, 50}       << QStringList{"0 kΩ", "10 kΩ", "100 kΩ"};
    QTest::newRow("only zero")            << std::vector<double>{0}           << QStringList{"0 kΩ", "100 kΩ", "1 MΩ", "10 MΩ", "100 MΩ", "1 GΩ"};
    QTest::newRow("nothing to place")     << std::vector<double>{std::nan("")} << QStringList{"100 kΩ", "1 MΩ", "10 MΩ", "100 MΩ", "1 GΩ"};
    QTest::newRow("open circuit")         << std::vector<double>{2e9}         << QStringList{"1 TΩ", "10 TΩ"};
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
    for (const double value : kohm) {
        QVERIFY(axis.position(value) >= 0.0 && axis.position(value) <= 1.0);
    }
}

void TestCharts::tellsSeriesApartWithoutColour_data() {
    QTest::addColumn<Chart>("chart");
    QTest::addColumn<QStringList>("colours");
    std::vector<TrendSeries> five;
    for (int i = 0; i < seriesStyleCount(); ++i) {
        five.push_back(series(QStringLiteral("S%1").arg(i), 20, 1000.0 * (i + 1), 1.01));
    }
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

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"

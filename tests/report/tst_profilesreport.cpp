#include "RecordingCanvas.h"

#include "config/StationConfig.h"
#include "report/ProfilesReport.h"

#include <QTest>

using namespace nxa::report;
using nxa::config::StationConfig;
using nxa::report::test::RecordingCanvas;

namespace {

// W = 4800, H = 7000 at 96 dpi: margin 320, column unit 41, body 64 pixels
// high (characters 32 wide), title 128, line gap 23.
constexpr int kWidth = 4800;
constexpr int kHeight = 7000;
constexpr int kHeadingY = 2062;
constexpr int kUnitY = 2149;
constexpr int kRuleY = 2236;
constexpr int kFirstProfileY = 2323;
constexpr int kRowPitch = 87;
// Profile 10 at 3106, then 64 + 8 gaps.
constexpr int kVisitorY = 3354;

int profileY(int profile) {
    return kFirstProfileY + (profile - 1) * kRowPitch;
}

RecordingCanvas print(const StationConfig &config, int height = kHeight) {
    RecordingCanvas canvas(kWidth, height);
    profilesReport(canvas, config);
    return canvas;
}

} // namespace

class TestProfilesReport : public QObject {
    Q_OBJECT
private slots:
    void documentName_data();
    void documentName();
    void generalLines_data();
    void generalLines();
    void modeHeadings_data();
    void modeHeadings();
    void defaultRows();
    void clearedLimitPrintsNothing();
    void ownVisitorsQualifier_data();
    void ownVisitorsQualifier();
    void visitorsRow();
    void bands();
    void unknownChoiceStillTakesALine();
    void tableContinuesWithoutHeadings();
};

void TestProfilesReport::documentName_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << "Brontel NXA 1 Profiles";
    QTest::newRow("12") << 12 << "Brontel NXA 12 Profiles";
    QTest::newRow("100") << 100 << "Brontel NXA 100 Profiles";
}

void TestProfilesReport::documentName() {
    QFETCH(int, number);
    QFETCH(QString, name);
    StationConfig config;
    config.setPeripheralNumber(number);
    QCOMPARE(profilesDocumentName(config), name);
}

void TestProfilesReport::generalLines_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("handFree");
    QTest::addColumn<bool>("fiftyVolt");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("defaults")
        << int(nxa::config::SecurityLevel::Min) << false << false
        << QStringList{"Peripheral Number: 1", "EPA Area",
                       "Security Level Min: user identification with 'Fingerprint' or with 'ID'",
                       "Mode: Normal", "Test Voltage: 100V"};
    QTest::newRow("max, HandFree, 50 V")
        << int(nxa::config::SecurityLevel::Max) << true << true
        << QStringList{"Peripheral Number: 1", "EPA Area",
                       "Security Level Max: user identification only with 'Fingerprint'",
                       "Mode: HandFree", "Test Voltage: 50V"};
    QTest::newRow("middle")
        << int(nxa::config::SecurityLevel::Middle) << false << false
        << QStringList{
               "Peripheral Number: 1", "EPA Area",
               "Security Level Middle: user identification with 'Fingerprint' or with 'User Code'",
               "Mode: Normal", "Test Voltage: 100V"};
}

void TestProfilesReport::generalLines() {
    QFETCH(int, level);
    QFETCH(bool, handFree);
    QFETCH(bool, fiftyVolt);
    QFETCH(QStringList, lines);
    StationConfig config;
    config.securityLevel = static_cast<nxa::config::SecurityLevel>(level);
    config.mode = handFree ? nxa::config::Mode::HandFree : nxa::config::Mode::Normal;
    config.voltage = fiftyVolt ? nxa::config::TestVoltage::V50 : nxa::config::TestVoltage::V100;
    const RecordingCanvas canvas = print(config);

    const QList<int> ys{1356, 1443, 1594, 1704, 1814};
    for (int i = 0; i < lines.size(); ++i) {
        const auto op = canvas.firstText(lines[i]);
        QCOMPARE(op.y, ys[i]);
        const int charWidth = i == 1 ? 64 : 32;
        QCOMPARE(op.x, 2400 - static_cast<int>(lines[i].size()) * charWidth / 2);
        QCOMPARE(op.font.role, i == 1 ? FontRole::Title : FontRole::Body);
    }
    const auto logos = canvas.ofKind(RecordingCanvas::Kind::Logo);
    QCOMPARE(logos.size(), 1);
    QCOMPARE(QList<int>({logos[0].x, logos[0].y, logos[0].width, logos[0].height}),
             QList<int>({1600, 233, 1600, 1100}));
    // 8 gaps after the voltage line.
    QCOMPARE(canvas.firstText(QStringLiteral("Check")).y, 1814 + 64 + 8 * 23);
}

void TestProfilesReport::modeHeadings_data() {
    QTest::addColumn<bool>("handFree");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QStringList>("units");
    QTest::addColumn<QStringList>("firstRow");
    QTest::newRow("Normal")
        << false
        << QStringList{"Single Shoe min@730",  "Single Shoe max@1345", "Wrist Strap min@1960",
                       "Wrist Strap max@2575", "Check@3190",           "Relay@3682",
                       "Visitor@4174"}
        << QStringList{"(KOhm)@935", "(KOhm)@1550", "(KOhm)@2165", "(KOhm)@2780"}
        << QStringList{"Profile1@320", "100@1044",        "70000@1595",          "750@2274",
                       "35000@2825",   "WS + Shoes@3190", "If Check is OK@3682", "YES@4174"};
    QTest::newRow("HandFree: no wrist strap, check still printed")
        << true
        << QStringList{"Shoe L+R min@730", "Shoe L+R max@1345", "Check@3190", "Relay@3682",
                       "Visitor@4174"}
        << QStringList{"(KOhm)@935", "(KOhm)@1550"}
        << QStringList{"Profile1@320",        "100@1044", "70000@1595", "WS + Shoes@3190",
                       "If Check is OK@3682", "YES@4174"};
}

void TestProfilesReport::modeHeadings() {
    QFETCH(bool, handFree);
    QFETCH(QStringList, headings);
    QFETCH(QStringList, units);
    QFETCH(QStringList, firstRow);
    StationConfig config;
    config.mode = handFree ? nxa::config::Mode::HandFree : nxa::config::Mode::Normal;
    const RecordingCanvas canvas = print(config);
    QCOMPARE(canvas.placedTextsAt(0, kHeadingY), headings);
    QCOMPARE(canvas.placedTextsAt(0, kUnitY), units);
    QCOMPARE(canvas.placedTextsAt(0, profileY(1)), firstRow);
    const auto rules = canvas.ofKind(RecordingCanvas::Kind::Line);
    QCOMPARE(rules.size(), 1);
    QCOMPARE(QList<int>({rules[0].x, rules[0].y, rules[0].width, rules[0].height}),
             QList<int>({320, kRuleY, 4160, 1}));
}

void TestProfilesReport::defaultRows() {
    const RecordingCanvas canvas = print(StationConfig());
    for (int profile = 1; profile <= 10; ++profile) {
        const QStringList row = canvas.placedTextsAt(0, profileY(profile));
        const QString label = QStringLiteral("Profile%1@320").arg(profile);
        QCOMPARE(row, (QStringList{label, "100@1044", "70000@1595", "750@2274", "35000@2825",
                                   "WS + Shoes@3190", "If Check is OK@3682", "YES@4174"}));
    }
    QCOMPARE(canvas.countTexts(QStringLiteral("YES")), 10);
    QCOMPARE(canvas.page, 0);
}

void TestProfilesReport::clearedLimitPrintsNothing() {
    StationConfig config;
    config.profiles[2].footwearMin.clear();
    config.profiles[2].wristStrapMax.clear();
    config.profiles[2].check = 2;
    config.profiles[2].relay = 0;
    const RecordingCanvas canvas = print(config);
    QCOMPARE(canvas.placedTextsAt(0, profileY(3)),
             (QStringList{"Profile3@320", "70000@1595", "750@2274", "Shoes@3190", "Off@3682",
                          "YES@4174"}));
    // No white box stands where the cleared value would be.
    for (const auto &op : canvas.ops)
        QVERIFY(!(op.kind == RecordingCanvas::Kind::Fill && op.y == profileY(3) &&
                  op.colour == kWhite && op.x + op.width == 1140));
}

void TestProfilesReport::ownVisitorsQualifier_data() {
    QTest::addColumn<bool>("first");
    QTest::addColumn<bool>("seventh");
    QTest::newRow("both set") << true << true;
    QTest::newRow("only profile 1") << true << false;
    QTest::newRow("only profile 7") << false << true;
    QTest::newRow("neither") << false << false;
}

void TestProfilesReport::ownVisitorsQualifier() {
    QFETCH(bool, first);
    QFETCH(bool, seventh);
    StationConfig config;
    config.profiles[0].visitorsQualifier = first;
    config.profiles[6].visitorsQualifier = seventh;
    const RecordingCanvas canvas = print(config);
    QCOMPARE(canvas.placedTextsAt(0, profileY(1)).contains(QStringLiteral("YES@4174")), first);
    QCOMPARE(canvas.placedTextsAt(0, profileY(7)).contains(QStringLiteral("YES@4174")), seventh);
    QCOMPARE(canvas.countTexts(QStringLiteral("YES")), 8 + int(first) + int(seventh));
    // A row without YES advances by its relay text: the pitch does not change.
    QCOMPARE(canvas.firstText(QStringLiteral("Profile8")).y, profileY(8));
}

void TestProfilesReport::visitorsRow() {
    StationConfig config;
    auto &visitors = config.profiles[nxa::config::kVisitorsProfile];
    visitors.footwearMin = QStringLiteral("5");
    visitors.wristStrapMax = QStringLiteral("1234567");
    visitors.check = 1;
    visitors.relay = 1;
    visitors.visitorsQualifier = true; // has no column in the report
    const RecordingCanvas canvas = print(config);
    QCOMPARE(canvas.placedTextsAt(0, kVisitorY),
             (QStringList{"Visitor@320", "5@1108", "70000@1595", "750@2274", "1234567@2761",
                          "WS@3190", "Always@3682"}));
    QCOMPARE(canvas.countTexts(QStringLiteral("YES")), 10);
}

void TestProfilesReport::bands() {
    const RecordingCanvas canvas = print(StationConfig());
    QList<int> ys;
    for (const auto &band : canvas.bands()) {
        QCOMPARE(band.x, 320);
        QCOMPARE(band.width, 4160);
        QCOMPARE(band.height, 64);
        ys.append(band.y);
    }
    QCOMPARE(ys, (QList<int>{profileY(1), profileY(3), profileY(5), profileY(7), profileY(9),
                             kVisitorY}));
}

void TestProfilesReport::unknownChoiceStillTakesALine() {
    StationConfig config;
    config.profiles[1].relay = nxa::config::kNoChoice;
    config.profiles[1].check = 7;
    config.profiles[1].visitorsQualifier = false;
    const RecordingCanvas canvas = print(config);
    QCOMPARE(canvas.placedTextsAt(0, profileY(2)),
             (QStringList{"Profile2@320", "100@1044", "70000@1595", "750@2274", "35000@2825"}));
    QCOMPARE(canvas.firstText(QStringLiteral("Profile3")).y, profileY(3));
}

void TestProfilesReport::tableContinuesWithoutHeadings() {
    // H = 2400: top margin 80, line gap 8, new page beyond 2240. Rows start
    // at 1900, 72 apart; profile 5 ends the page at 2260.
    const RecordingCanvas canvas = print(StationConfig(), 2400);
    QCOMPARE(canvas.firstText(QStringLiteral("Profile5")).page, 0);
    QCOMPARE(canvas.firstText(QStringLiteral("Profile5")).y, 2188);
    QCOMPARE(canvas.firstText(QStringLiteral("Profile6")).page, 1);
    QCOMPARE(canvas.firstText(QStringLiteral("Profile6")).y, 80);
    const auto visitorRow = canvas.placedTextsAt(1, 80 + 4 * 72 + 64 + 8 * 8);
    QCOMPARE(visitorRow.value(0), QStringLiteral("Visitor@320"));
    QCOMPARE(canvas.page, 1);
    QCOMPARE(canvas.countTexts(QStringLiteral("Check")), 1);
    QCOMPARE(canvas.countTexts(QStringLiteral("(KOhm)")), 4);
    QCOMPARE(canvas.ofKind(RecordingCanvas::Kind::Logo).size(), 1);
}

QTEST_APPLESS_MAIN(TestProfilesReport)
#include "tst_profilesreport.moc"

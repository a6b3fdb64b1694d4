#include "RecordingCanvas.h"

#include "config/StationConfig.h"
#include "config/UserCodes.h"
#include "report/UsersReport.h"

#include <QTest>

using namespace nxa::report;
using nxa::config::StationConfig;
using nxa::report::test::RecordingCanvas;

namespace {

// W = 4800, H = 7000 at 96 dpi: margin 320; the users table starts at 960
// with a column unit of (4800 - 1920) div 100 = 28.
constexpr int kWidth = 4800;
constexpr int kHeight = 7000;
constexpr int kHeadingY = 1617;
constexpr int kRuleY = 1704;
constexpr int kFirstRowY = 1791;
constexpr int kRowPitch = 87;

StationConfig onlyUsers(const QList<int> &active) {
    StationConfig config;
    for (auto &user : config.users)
        user.active = false;
    for (int k : active)
        config.users[static_cast<size_t>(k)].active = true;
    return config;
}

} // namespace

class TestUsersReport : public QObject {
    Q_OBJECT
private slots:
    void documentName_data();
    void documentName();
    void headerAndHeadings();
    void bandingCountsPrintedRowsOnly_data();
    void bandingCountsPrintedRowsOnly();
    void rowCells();
    void noActiveUser();
    void allUsersOverSeveralPages();
    void longNamesShrinkThenAreCut_data();
    void longNamesShrinkThenAreCut();
};

void TestUsersReport::documentName_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << "Brontel NXA 1 Users";
    QTest::newRow("7") << 7 << "Brontel NXA 7 Users";
    QTest::newRow("out of range is brought to 100") << 250 << "Brontel NXA 100 Users";
}

void TestUsersReport::documentName() {
    QFETCH(int, number);
    QFETCH(QString, name);
    StationConfig config;
    config.setPeripheralNumber(number);
    QCOMPARE(usersDocumentName(config), name);
}

void TestUsersReport::headerAndHeadings() {
    StationConfig config = onlyUsers({});
    config.setPeripheralNumber(42);
    config.description = QStringLiteral("Line 4");
    RecordingCanvas canvas(kWidth, kHeight);
    usersReport(canvas, config);

    const auto logos = canvas.ofKind(RecordingCanvas::Kind::Logo);
    QCOMPARE(logos.size(), 1);
    QCOMPARE(QList<int>({logos[0].x, logos[0].y, logos[0].width, logos[0].height}),
             QList<int>({1600, 233, 1600, 1100}));
    const auto peripheral = canvas.firstText(QStringLiteral("Peripheral Number: 42"));
    QCOMPARE(peripheral.y, 1356);
    QCOMPARE(peripheral.font.role, FontRole::Body);
    const auto description = canvas.firstText(QStringLiteral("Line 4"));
    QCOMPARE(description.y, 1443);
    QCOMPARE(description.x, 2400 - 6 * 64 / 2);
    QCOMPARE(description.font, (FontSpec{FontRole::Title, 96, 128}));
    QCOMPARE(canvas.placedTextsAt(0, kHeadingY),
             (QStringList{"ID@960", "Name@1240", "Profile@2640", "User Code@3480"}));
    // The rule still runs from margin to margin.
    const auto rules = canvas.ofKind(RecordingCanvas::Kind::Line);
    QCOMPARE(rules.size(), 1);
    QCOMPARE(QList<int>({rules[0].x, rules[0].y, rules[0].width, rules[0].height}),
             QList<int>({320, kRuleY, 4160, 1}));
}

void TestUsersReport::bandingCountsPrintedRowsOnly_data() {
    QTest::addColumn<QList<int>>("active");
    QTest::addColumn<QList<int>>("bandedRows"); // indices of printed rows
    QTest::newRow("users 5 and 9") << QList<int>{5, 9} << QList<int>{1};
    QTest::newRow("users 0, 1, 2") << QList<int>{0, 1, 2} << QList<int>{1};
    QTest::newRow("users 1, 4, 6, 998, 999") << QList<int>{1, 4, 6, 998, 999} << QList<int>{1, 3};
    QTest::newRow("only user 999") << QList<int>{999} << QList<int>{};
}

void TestUsersReport::bandingCountsPrintedRowsOnly() {
    QFETCH(QList<int>, active);
    QFETCH(QList<int>, bandedRows);
    RecordingCanvas canvas(kWidth, kHeight);
    usersReport(canvas, onlyUsers(active));
    for (int i = 0; i < active.size(); ++i)
        QCOMPARE(canvas.placedTextsAt(0, kFirstRowY + i * kRowPitch).value(0),
                 QString::number(active[i]) + QStringLiteral("@960"));
    QCOMPARE(canvas.countTexts(QStringLiteral("Profile  1")), active.size());
    QList<int> ys;
    for (const auto &band : canvas.bands()) {
        QCOMPARE(band.x, 320);
        QCOMPARE(band.width, 4160);
        QCOMPARE(band.height, 64);
        ys.append(band.y);
    }
    QList<int> expected;
    for (int row : bandedRows)
        expected.append(kFirstRowY + row * kRowPitch);
    QCOMPARE(ys, expected);
}

void TestUsersReport::rowCells() {
    StationConfig config = onlyUsers({0, 37});
    config.users[37].name = QStringLiteral("Zoë Müller");
    config.users[37].profile = 9;
    config.users[0].profile = nxa::config::kNoChoice;
    RecordingCanvas canvas(kWidth, kHeight);
    usersReport(canvas, config);
    // Generator "QJX": g1..g3 = 8, 1, 7, so user 0's code ends in 817.
    QCOMPARE(canvas.placedTextsAt(0, kFirstRowY),
             (QStringList{"0@960", "User 0@1240", "000817@3480"}));
    // The code printed is the one the Users tab shows for the same generator.
    const QString code = nxa::config::userCode(config.generator, 37);
    QVERIFY(code.startsWith(QLatin1String("037")));
    QCOMPARE(canvas.placedTextsAt(0, kFirstRowY + kRowPitch),
             (QStringList{"37@960", "Zoë Müller@1240", "Profile 10@2640", code + "@3480"}));

    config.generator = QStringLiteral("7"); // shown as "007": g1..g3 = 4, 8, 4
    RecordingCanvas other(kWidth, kHeight);
    usersReport(other, config);
    QCOMPARE(other.placedTextsAt(0, kFirstRowY).value(2), QStringLiteral("000484@3480"));
}

void TestUsersReport::noActiveUser() {
    RecordingCanvas canvas(kWidth, kHeight);
    usersReport(canvas, onlyUsers({}));
    QStringList texts;
    for (const auto &op : canvas.texts())
        texts.append(op.text);
    QCOMPARE(texts, (QStringList{"Peripheral Number: 1", "EPA Area", "ID", "Name", "Profile",
                                 "User Code"}));
    QCOMPARE(canvas.bands().size(), 0);
    QCOMPARE(canvas.page, 0);
}

void TestUsersReport::allUsersOverSeveralPages() {
    RecordingCanvas canvas(kWidth, kHeight);
    usersReport(canvas, StationConfig());
    // 55 rows on the first page, 73 on each later one: 55 + 12 x 73 = 931,
    // so the last 69 rows fill a fourteenth page.
    QCOMPARE(canvas.page, 13);
    QCOMPARE(canvas.placedTextsAt(0, kFirstRowY).mid(0, 3),
             (QStringList{"0@960", "User 0@1240", "Profile  1@2640"}));
    QCOMPARE(canvas.firstText(QStringLiteral("54")).page, 0);
    QCOMPARE(canvas.firstText(QStringLiteral("55")).page, 1);
    QCOMPARE(canvas.firstText(QStringLiteral("55")).y, 233);
    QCOMPARE(canvas.firstText(QStringLiteral("931")).page, 13);
    QCOMPARE(canvas.firstText(QStringLiteral("931")).y, 233);
    QCOMPARE(canvas.firstText(QStringLiteral("999")).page, 13);
    QCOMPARE(canvas.firstText(QStringLiteral("User 999")).y, 233 + 68 * kRowPitch);
    QCOMPARE(canvas.bands().size(), 500);
    QCOMPARE(canvas.countTexts(QStringLiteral("User Code")), 1);
    QCOMPARE(canvas.ofKind(RecordingCanvas::Kind::Line).size(), 1);
    for (int k = 0; k < nxa::config::kUserCount; k += 111)
        QCOMPARE(canvas.countTexts(nxa::config::userCode(QStringLiteral("QJX"), k)), 1);
}

// The name column ends one column unit before "Profile" (at 2612): a wider
// name is set smaller, down to 45 of 64 pixels, and then cut.
void TestUsersReport::longNamesShrinkThenAreCut_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("smallest"); // bounds of the size used
    QTest::addColumn<int>("largest");
    QTest::addColumn<bool>("cut");
    QTest::newRow("20 characters") << 20 << 64 << 64 << false;
    QTest::newRow("50 characters") << 50 << 46 << 63 << false;
    QTest::newRow("80 characters") << 80 << 45 << 45 << true;
}

void TestUsersReport::longNamesShrinkThenAreCut() {
    QFETCH(int, length);
    QFETCH(int, smallest);
    QFETCH(int, largest);
    QFETCH(bool, cut);
    StationConfig config = onlyUsers({3});
    config.users[3].name = QString(length, QLatin1Char('N'));
    RecordingCanvas canvas(kWidth, kHeight);
    usersReport(canvas, config);
    RecordingCanvas::Op printed;
    for (const auto &op : canvas.texts())
        if (op.y == kFirstRowY && op.x == 1240)
            printed = op;
    QVERIFY(printed.x + printed.width <= 2612);
    QVERIFY(printed.font.pixelSize >= smallest && printed.font.pixelSize <= largest);
    QCOMPARE(printed.text.endsWith(QStringLiteral("\u2026")), cut);
    QVERIFY(config.users[3].name.startsWith(cut ? printed.text.chopped(1) : printed.text));
}

QTEST_APPLESS_MAIN(TestUsersReport)
#include "tst_usersreport.moc"

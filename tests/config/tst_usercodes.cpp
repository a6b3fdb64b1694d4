#include "config/UserCodes.h"

#include <QTest>

using namespace nxa::config;

using Digits = std::array<int, 6>;
Q_DECLARE_METATYPE(Digits)

class TestUserCodes : public QObject {
    Q_OBJECT

private slots:
    void multiplierHasTwoDigits() { QVERIFY(kCodeMultiplier >= 10 && kCodeMultiplier <= 99); }

    void normalization_data() {
        QTest::addColumn<QString>("generator");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("empty") << ""
                               << "000";
        QTest::newRow("one character") << "7"
                                       << "007";
        QTest::newRow("two characters") << "AB"
                                        << "0AB";
        QTest::newRow("three characters") << "QJX"
                                          << "QJX";
        QTest::newRow("longer is kept") << "ABCD"
                                        << "ABCD";
    }
    void normalization() {
        QFETCH(QString, generator);
        QFETCH(QString, normalized);
        QCOMPARE(normalizeGenerator(generator), normalized);
    }

    void digits_data() {
        QTest::addColumn<QString>("generator");
        QTest::addColumn<Digits>("digits");
        QTest::newRow("QJX") << "QJX" << Digits{8, 1, 7, 4, 8, 8};
        QTest::newRow("7 is 007") << "7" << Digits{4, 8, 4, 8, 5, 5};
        QTest::newRow("codes above 99 keep code mod 100") << "{\u00ffd" << Digits{2, 3, 5, 5, 0, 0};
        QTest::newRow("only the first three count") << "ABCZ" << Digits{6, 5, 6, 6, 6, 7};
    }
    void digits() {
        QFETCH(QString, generator);
        QFETCH(Digits, digits);
        QCOMPARE(generatorDigits(generator), digits);
    }

    // Codes worked out by hand with M = 37:
    // QJX: g = 8 1 7 4 8 8.  k = 1: v = 37, 37 mod 4 = 1, 37 mod 8 = 5 -> 9 6 2.
    //   k = 7: v = 259 -> 3, 3, 3 -> 1 4 0.  k = 999: v = 36963 -> 3, 3, 3 -> 1 4 0.
    // ABC: g = 6 5 6 6 6 7.  k = 10: v = 370 -> 4, 4, 6 -> 0 9 2.
    //   k = 500: v = 18500 -> 2, 2, 6 (18500 = 7 * 2642 + 6) -> 8 7 2.
    void codes_data() {
        QTest::addColumn<QString>("generator");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("code");
        QTest::newRow("user 0") << "QJX" << 0 << "000817";
        QTest::newRow("user 1") << "QJX" << 1 << "001962";
        QTest::newRow("user 7") << "QJX" << 7 << "007140";
        QTest::newRow("user 999") << "QJX" << 999 << "999140";
        QTest::newRow("ABC user 10") << "ABC" << 10 << "010092";
        QTest::newRow("ABC user 500") << "ABC" << 500 << "500872";
        QTest::newRow("short generator is normalized") << "7" << 0 << "000484";
        QTest::newRow("zero divisor: second character ends in 0") << "APA" << 7 << "007---";
        QTest::newRow("zero divisor: third character below 10 mod 100") << "QJe" << 999 << "999---";
        QTest::newRow("zero divisor: third character ends in 0") << "QJ2" << 0 << "000---";
        QTest::newRow("user outside the table") << "QJX" << 1000 << "";
        QTest::newRow("negative user") << "QJX" << -1 << "";
    }
    void codes() {
        QFETCH(QString, generator);
        QFETCH(int, k);
        QFETCH(QString, code);
        QCOMPARE(userCode(generator, k), code);
    }

    void zeroDivisor_data() {
        QTest::addColumn<QString>("generator");
        QTest::addColumn<bool>("zero");
        QTest::newRow("QJX") << "QJX" << false;
        QTest::newRow("000") << "000" << false;
        QTest::newRow("second ends in 0: P = 80") << "APA" << true;
        QTest::newRow("third below 10 mod 100: e = 101") << "QJe" << true;
        QTest::newRow("third ends in 0: 2 = 50") << "QJ2" << true;
        QTest::newRow("first may end in 0") << "PJX" << false;
        QTest::newRow("empty is 000") << "" << false;
    }
    void zeroDivisor() {
        QFETCH(QString, generator);
        QFETCH(bool, zero);
        QCOMPARE(generatorHasZeroDivisor(generator), zero);
    }

    void everyCodeBeginsWithTheUserNumber() {
        for (const QString &generator : {QStringLiteral("QJX"), QStringLiteral("a1Z"),
                                         QStringLiteral("\u00e9~!"), QStringLiteral("APA")}) {
            const auto g = generatorDigits(generator);
            for (int k = 0; k <= kLastUser; ++k) {
                const QString code = userCode(generator, k);
                QCOMPARE(code.size(), 6);
                QCOMPARE(code.left(3), QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0')));
                if (!generatorHasZeroDivisor(generator))
                    QVERIFY(code.mid(3).toInt() >= 0 && code.at(5).isDigit());
            }
            // User 0 ends in g1 g2 g3.
            if (!generatorHasZeroDivisor(generator))
                QCOMPARE(userCode(generator, 0).mid(3),
                         QStringLiteral("%1%2%3").arg(g[0]).arg(g[1]).arg(g[2]));
        }
    }

    void activate_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QList<int>>("changed");
        QTest::newRow("deactivate 10 to 12") << 10 << 12 << false << QList<int>{10, 11, 12};
        QTest::newRow("12 to 10 changes nothing") << 12 << 10 << false << QList<int>{};
        QTest::newRow("single user") << 999 << 999 << false << QList<int>{999};
        QTest::newRow("bounds brought into the table") << -3 << 1 << false << QList<int>{0, 1};
        QTest::newRow("activate 997 to 5000") << 997 << 5000 << true << QList<int>{997, 998, 999};
    }
    void activate() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, active);
        QFETCH(QList<int>, changed);
        StationConfig config;
        for (User &user : config.users)
            user.active = !active;
        config.users[11].profile = 4;
        StationConfig before = config;
        activateRange(config, from, to, active);
        for (int k = 0; k < kUserCount; ++k) {
            User expected = before.users[size_t(k)];
            if (changed.contains(k))
                expected.active = active;
            QCOMPARE(config.users[size_t(k)], expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestUserCodes)
#include "tst_usercodes.moc"

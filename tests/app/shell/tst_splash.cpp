#include "app/shared/AppAssets.h"
#include "app/shell/SplashWindow.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QImageReader>
#include <QTest>

using namespace nxa::app;

class SplashTest : public QObject {
    Q_OBJECT

private slots:
    void picturesDecodeAtTheirSizes() {
        const QImage splash = splashPicture();
        QCOMPARE(splash.size(), QSize(300, 150));
        QVERIFY(splash.hasAlphaChannel());
        const QList<QImage> frames = spinnerFrames();
        QCOMPARE(frames.size(), 8);
        for (const QImage &frame : frames) {
            QCOMPARE(frame.size(), QSize(49, 50));
            QVERIFY(frame.hasAlphaChannel());
        }
        // Each frame moves the highlight: no two frames are alike.
        for (int i = 0; i < frames.size(); ++i)
            QVERIFY(frames[i] != frames[(i + 1) % frames.size()]);
        QCOMPARE(productPicture().size(), QSize(400, 256));
        QCOMPARE(operationPicture().size(), QSize(400, 201));
    }

    void trayIconCarriesFourSizes() {
        const QIcon icon = trayIconPicture();
        QList<QSize> sizes = icon.availableSizes();
        std::sort(sizes.begin(), sizes.end(),
                  [](const QSize &a, const QSize &b) { return a.width() > b.width(); });
        QCOMPARE(sizes, QList<QSize>({{64, 64}, {32, 32}, {24, 24}, {16, 16}}));
        QImageReader reader(QStringLiteral(":/assets/tray.ico"));
        QCOMPARE(reader.imageCount(), 4);
        QVERIFY(reader.read().hasAlphaChannel());
    }

    void spinnerAdvancesEveryHundredMillisecondsAndStops() {
        SplashWindow splash;
        QCOMPARE(splash.size(), QSize(300, 150));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.windowTitle(), QStringLiteral("MRV12: Loading..."));
        splash.start();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QVERIFY(splash.running());
        QCOMPARE(splash.frame(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(splash.frame(), 3, 2000);
        // Through frame 7 back to 0.
        QTRY_COMPARE_WITH_TIMEOUT(splash.frame(), 0, 2000);
        splash.stop();
        const int stoppedAt = splash.frame();
        QTest::qWait(350);
        QCOMPARE(splash.frame(), stoppedAt);
        QVERIFY(!splash.running());
    }

    void splashTimeLeft_data() {
        QTest::addColumn<qint64>("sinceFirstPaint");
        QTest::addColumn<qint64>("sinceStart");
        QTest::addColumn<qint64>("remaining");
        QTest::newRow("not painted yet") << qint64(-1) << qint64(100) << qint64(800);
        QTest::newRow("just painted") << qint64(0) << qint64(40) << qint64(500);
        QTest::newRow("window built quickly") << qint64(30) << qint64(70) << qint64(470);
        QTest::newRow("shown long enough") << qint64(500) << qint64(540) << qint64(0);
        QTest::newRow("window built slowly") << qint64(2000) << qint64(2050) << qint64(0);
        QTest::newRow("painted late") << qint64(100) << qint64(850) << qint64(50);
        QTest::newRow("never painted") << qint64(-1) << qint64(900) << qint64(0);
        QTest::newRow("start-up was slow") << qint64(-1) << qint64(5000) << qint64(0);
    }
    void splashTimeLeft() {
        QFETCH(qint64, sinceFirstPaint);
        QFETCH(qint64, sinceStart);
        QFETCH(qint64, remaining);
        QCOMPARE(SplashWindow::remainingShowMs(sinceFirstPaint, sinceStart), remaining);
    }

    void splashIsHeldWithItsSpinnerTurning() {
        QElapsedTimer sinceStart;
        sinceStart.start();
        SplashWindow splash;
        QCOMPARE(splash.msSinceFirstPaint(), qint64(-1));
        splash.start();
        splash.holdForMinimumTime(sinceStart);
        // Only the one-second bound may cut the minimum time short.
        QVERIFY(sinceStart.elapsed() >= SplashWindow::kLatestCloseMs ||
                splash.msSinceFirstPaint() >= SplashWindow::kMinimumShownMs);
        // Five frame delays went by: the spinner moved on at least four times, whatever
        // the timers' slack.
        if (splash.msSinceFirstPaint() >= SplashWindow::kMinimumShownMs)
            QVERIFY2(splash.frame() >= 4, qPrintable(QString::number(splash.frame())));
        QVERIFY(splash.running());
        splash.stop();
    }

    void splashPaintsPictureAndSpinner() {
        SplashWindow splash;
        splash.start();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        splash.stop();
        const QImage shot = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(300, 150));
        const QImage frame = spinnerFrames()[splash.frame()].convertToFormat(QImage::Format_ARGB32);
        // The highlighted dot of the frame is opaque: the canvas shows its colour there.
        bool matched = false;
        for (int y = 0; y < frame.height() && !matched; ++y)
            for (int x = 0; x < frame.width() && !matched; ++x)
                if (qAlpha(frame.pixel(x, y)) == 255 && qBlue(frame.pixel(x, y)) > 140 &&
                    qRed(frame.pixel(x, y)) < 40)
                    matched = shot.pixel(225 + x, 90 + y) == (frame.pixel(x, y) | 0xff000000);
        QVERIFY(matched);
    }
};

QTEST_MAIN(SplashTest)
#include "tst_splash.moc"

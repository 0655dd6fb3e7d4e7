#include <QTest>

#include "suite/ScreenFit.h"

// How far the forms are scaled for the monitor they open on.
class TestScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void fit_data()
    {
        QTest::addColumn<int>("workWidth");
        QTest::addColumn<int>("workHeight");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("widenedWidth");
        // A 1078 x 658 form, as the main screen is at design size.
        QTest::newRow("office monitor: capped at 130") << 1920 << 1040 << 96.0 << 130 << 1088;
        QTest::newRow("narrow: treated as 1366 wide") << 1280 << 984 << 96.0 << 93 << 1088;
        QTest::newRow("1366 x 768: the height decides") << 1366 << 728 << 96.0 << 109 << 1088;
        QTest::newRow("dense and narrow") << 1600 << 860 << 120.0 << 117 << 1199;
        QTest::newRow("very dense") << 2560 << 1400 << 192.0 << 130 << 1250;
        QTest::newRow("dense wide") << 1920 << 1040 << 144.0 << 130 << 1110;
        QTest::newRow("unknown work area") << 0 << 0 << 96.0 << 58 << 1088;
    }

    void fit()
    {
        QFETCH(int, workWidth);
        QFETCH(int, workHeight);
        QFETCH(double, dpi);
        QFETCH(int, percent);
        QFETCH(int, widenedWidth);
        const ScreenFit fit = FitToScreen(workWidth, workHeight, dpi, 1078, 658);
        QCOMPARE(fit.percent, percent);
        QCOMPARE(fit.width, widenedWidth);
    }
};

QTEST_GUILESS_MAIN(TestScreenFit)
#include "tst_screenfit.moc"

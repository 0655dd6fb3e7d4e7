#include <QTest>

#include "suite/ScreenFit.h"

// How far the forms are scaled for the monitor they open on.
class TestScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void fit()
    {
        // {work width, work height, dpi, percent, widened width} for a 1078 x 658 form.
        const int rows[][5] = {
            {1920, 1040, 96, 130, 1088}, // capped at 130
            {1280, 984, 96, 93, 1088},   // narrow: treated as 1366 wide
            {1366, 728, 96, 109, 1088},  // the height decides
            {1600, 860, 120, 117, 1199}, // dense and narrow
            {0, 0, 96, 58, 1088},        // unknown work area
        };
        for (const auto& r : rows) {
            const ScreenFit fit = FitToScreen(r[0], r[1], r[2], 1078, 658);
            QVERIFY2(fit.percent == r[3] && fit.width == r[4], qPrintable(QString::number(r[0])));
        }
    }
};

QTEST_GUILESS_MAIN(TestScreenFit)
#include "tst_screenfit.moc"

// The import on real public data: twenty thousand corporations of Tottori
// prefecture in code page 932.

#include <QProgressBar>
#include <QRegularExpression>

#include "tests/import/ImportFixture.h"
#include "tests/import/TottoriFile.h"

using namespace testing;

namespace {

// Counts the paintings of a widget.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestData : public QObject
{
    Q_OBJECT

private slots:
    void twentyThousandCorporations()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        ImportProgram p;
        const QString file = p.installation.root() + u"/tottori.csv"_qs;
        const QList<QStringList> companies = WriteTottoriSuppliers(
            QStringLiteral(VELDRUN_DATA_DIR "/companies/31_tottori_all_20260731.csv"), file);
        QVERIFY(companies.size() >= 20000);
        QVERIFY(p.show(file));

        PaintCounter painted;
        p.form->ProgressBar1->installEventFilter(&painted);
        QCOMPARE(p.run(), QStringList()); // no line may be reported
        QVERIFY2(painted.paints >= 50, qPrintable(QString::number(painted.paints))); // painted as it went

        QCOMPARE(p.count(), companies.size());
        for (const QStringList& c : {companies.first(), companies[companies.size() / 2], companies.last()})
            QVERIFY2(p.fitted(p.name(c[0].toInt()), c[2], p.ED_02_1), qPrintable(c[2]));
        // Every heading found its field.
        QCOMPARE(
            p.suite.firstRow(u"select T_KEY, T_ZIP_CD, T_ADD_1, T_ADD_2 from MAS_SIIRE where T_CD=100"_qs),
            (QVariantList{u"ﾔｽﾅｶﾞｺｳｼﾞ"_qs, u"680-0911"_qs, u"鳥取県鳥取市"_qs,
                          u"千代水２丁目１１８番地"_qs}));
        QCOMPARE(p.nextCode(), companies.last()[0].toInt() + 1);
    }
};

QTEST_MAIN(TestData)
#include "tst_data.moc"

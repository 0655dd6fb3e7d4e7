// Two workstations register new suppliers at the same time: each inserts
// while the other's insert is not yet committed, and no code is given twice.

#include <QSet>
#include <QTest>

#include "db/Connection.h"
#include "supplier/SupplierRecord.h"
#include "tests/support/TestSupport.h"

class TestWorkstations : public QObject
{
    Q_OBJECT

private slots:
    void newSuppliersFromTwoWorkstations()
    {
        testing::SuiteDatabase suite;
        db::Connection a, b;
        a.params() = suite.params();
        b.params() = suite.params();
        QSet<int> codes;
        for (int i = 0; i < 100; ++i) {
            for (db::Connection* workstation : {&a, &b})
                workstation->startTransaction();
            for (db::Connection* workstation : {&a, &b}) {
                SupplierRecord record;
                record.setValue(u"T_NAME01"_qs, u"%1 %2"_qs.arg(workstation == &a ? u'A' : u'B').arg(i));
                codes << InsertSupplier(*workstation, record);
            }
            for (db::Connection* workstation : {&a, &b})
                workstation->commit();
        }
        QCOMPARE(codes.size(), 200);
        testing::SuiteSql stored(suite.params());
        QCOMPARE(
            stored.value(u"select count(distinct T_CD) || ' ' || count(distinct T_NAME01) from MAS_SIIRE"_qs)
                .toString(),
            u"200 200"_qs);
    }
};

QTEST_GUILESS_MAIN(TestWorkstations)
#include "tst_workstations.moc"

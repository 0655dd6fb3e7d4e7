#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "db/Connection.h"
#include "db/Query.h"
#include "db/QueryModel.h"
#include "tests/support/TestSupport.h"

using db::Connection;
using db::Query;
using db::QueryModel;

// The grids' model over a query: lazy, and in step with the query.
class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_conn.params() = m_suite.params();
        Query insert(m_conn);
        insert.setSql(
            u"insert into MAS_SIIRE (T_CD, T_NAME01, KIN_01, IB_KBN) with recursive N (I) as (select 1 "
            u"from RDB$DATABASE union all select I + 1 from N where I < 1000) "
            u"select I, '業者' || I, I * 1.5, case when mod(I, 2) = 0 then 1 end from N"_qs);
        insert.execute();
    }

    void lazyRowsAndReset()
    {
        Query q(m_conn);
        QueryModel model(q);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);

        q.setSql(u"select T_CD, T_NAME01, KIN_01, IB_KBN from MAS_SIIRE order by T_CD"_qs);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        q.open();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(model.columnCount(), 4);
        QVERIFY(model.rowCount() > 0 && model.rowCount() < 1000);
        while (model.canFetchMore({}))
            model.fetchMore({});
        QCOMPARE(model.rowCount(), 1000);
        QCOMPARE(model.data(model.index(999, 1)).toString(), u"業者1000"_qs);

        // Rows read through the query itself show up in the model as well.
        q.open();
        const int before = model.rowCount();
        q.recordCount();
        QCOMPARE(model.rowCount(), 1000);
        QVERIFY(before < 1000);

        q.close();
        QCOMPARE(model.rowCount(), 0);
    }

    void columnsFormatsAndCalculatedValues()
    {
        Query q(m_conn);
        q.setDisplayFormat(u"KIN_01"_qs, u"#"_qs);
        q.setDisplayFormat(u"IB_KBN"_qs, u"'免税';#;#"_qs);
        QueryModel model(q);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({
            {u"T_CD"_qs, u"仕入先CD"_qs, 70, Qt::AlignCenter, {}},
            {u"KIN_01"_qs, u"協力費率"_qs, 60, Qt::AlignRight | Qt::AlignVCenter, {}},
            {u"IB_KBN"_qs, u"免税区分"_qs, 60, Qt::AlignCenter, {}},
            {{},
             u"CD"_qs,
             40,
             Qt::AlignCenter,
             [](const Query& query, int row) {
                 return query.valueAt(row, 0).toInt() * 10;
             }},
        });
        q.setSql(u"select T_CD, KIN_01, IB_KBN from MAS_SIIRE where T_CD <= 3 order by T_CD"_qs);
        q.open();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(0, 1)).toString(), u"2"_qs); // 1.5 shown with "#"
        QCOMPARE(model.data(model.index(0, 1), Qt::EditRole).toDouble(), 1.5);
        QCOMPARE(model.data(model.index(0, 2)).toString(), QString()); // null
        QCOMPARE(model.data(model.index(1, 2)).toString(), u"免税"_qs);
        QCOMPARE(model.data(model.index(2, 3)).toString(), u"30"_qs);
    }

private:
    testing::SuiteDatabase m_suite;
    Connection m_conn;
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"

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
        insert.setSql(QStringLiteral(
            "insert into MAS_SIIRE (T_CD, T_NAME01, KIN_01, IB_KBN) values (:CD, :N, :K, :IB)"));
        m_conn.startTransaction();
        for (int i = 1; i <= 1000; ++i) {
            insert.setParam(QStringLiteral("CD"), i);
            insert.setParam(QStringLiteral("N"), QStringLiteral("業者%1").arg(i));
            insert.setParam(QStringLiteral("K"), i * 1.5);
            insert.setParam(QStringLiteral("IB"), i % 2 == 0 ? QVariant(1) : QVariant());
            insert.execute();
        }
        m_conn.commit();
    }

    void lazyRowsAndReset()
    {
        Query q(m_conn);
        QueryModel model(q);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);

        q.setSql(QStringLiteral("select T_CD, T_NAME01, KIN_01, IB_KBN from MAS_SIIRE order by T_CD"));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        q.open();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(model.columnCount(), 4);
        QVERIFY(model.rowCount() > 0);
        QVERIFY(model.rowCount() < 1000);
        QVERIFY(model.canFetchMore({}));
        while (model.canFetchMore({}))
            model.fetchMore({});
        QCOMPARE(model.rowCount(), 1000);
        QCOMPARE(model.data(model.index(999, 1)).toString(), QStringLiteral("業者1000"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("T_NAME01"));

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
        q.setDisplayFormat(QStringLiteral("KIN_01"), QStringLiteral("#"));
        q.setDisplayFormat(QStringLiteral("IB_KBN"), QStringLiteral("'免税';#;#"));
        QueryModel model(q);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({
            {QStringLiteral("T_CD"), QStringLiteral("仕入先CD"), 70, Qt::AlignCenter, {}},
            {QStringLiteral("KIN_01"), QStringLiteral("協力費率"), 60, Qt::AlignRight | Qt::AlignVCenter, {}},
            {QStringLiteral("IB_KBN"), QStringLiteral("免税区分"), 60, Qt::AlignCenter, {}},
            {{},
             QStringLiteral("CD"),
             40,
             Qt::AlignCenter,
             [](const Query& query, int row) {
                 return query.valueAt(row, 0).toInt() * 10;
             }},
        });
        q.setSql(QStringLiteral("select T_CD, KIN_01, IB_KBN from MAS_SIIRE where T_CD <= 3 order by T_CD"));
        q.open();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("仕入先CD"));
        QCOMPARE(model.headerData(0, Qt::Horizontal, QueryModel::WidthRole).toInt(), 70);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("2")); // 1.5 shown with "#"
        QCOMPARE(model.data(model.index(0, 1), Qt::EditRole).toDouble(), 1.5);
        QCOMPARE(model.data(model.index(0, 2)).toString(), QString()); // null
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("免税"));
        QCOMPARE(model.data(model.index(2, 3)).toString(), QStringLiteral("30"));
        QCOMPARE(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));

        // An edit shows in the grid.
        q.setCachedUpdates(true);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        q.moveTo(1);
        q.edit();
        q.field(QStringLiteral("KIN_01")).setValue(99.0);
        q.post();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("99"));
        q.cancel();
    }

private:
    testing::SuiteDatabase m_suite;
    Connection m_conn;
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"

#include <QTest>

using db::Connection;
using db::Query;

// The server goes away under an open connection and comes back.
class TestRestart : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        testing::serverCommand(QStringLiteral("start")); // whatever happened, leave the server running
    }

    void nextStatementReconnects()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("N")).asInteger(), 0);

        testing::serverCommand(QStringLiteral("stop"));
        try {
            q.open();
            QFAIL("the server is down, yet the statement ran");
        } catch (const db::Error& e) {
            QVERIFY2(e.isConnectionLost(), qPrintable(e.message()));
        }
        testing::serverCommand(QStringLiteral("start"));

        Query insert(c);
        insert.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (7, 'x')"));
        insert.execute();
        q.open();
        QCOMPARE(q.field(QStringLiteral("N")).asInteger(), 1);
    }

    void restartWhileConnectedIsInvisible()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        q.open();
        testing::serverCommand(QStringLiteral("stop"));
        testing::serverCommand(QStringLiteral("start"));
        // The attachment is stale; nothing was under way, so the layer connects again.
        q.open();
        QCOMPARE(q.field(QStringLiteral("N")).asInteger(), 0);
    }

    void lostTransactionIsReported()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD) values (1)"));
        c.startTransaction();
        q.execute();
        testing::serverCommand(QStringLiteral("stop"));
        testing::serverCommand(QStringLiteral("start"));
        // The work of the open transaction is gone: that must not pass silently.
        QVERIFY_THROWS_EXCEPTION(db::Error, c.commit());
        QVERIFY(!c.inTransaction());
        c.rollback(); // harmless now
        Query count(c);
        count.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        count.open();
        QCOMPARE(count.field(QStringLiteral("N")).asInteger(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRestart)
#include "tst_restart.moc"

#include <QScopeGuard>
#include <QTest>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"

using db::Connection;
using db::Query;

namespace {

// Stops the shared server until the guard goes: it is started again however
// the test ends, so that a failure here leaves the other tests a server.
[[nodiscard]] auto serverStopped()
{
    testing::serverCommand(u"stop"_qs);
    return qScopeGuard([] {
        try {
            testing::serverCommand(u"start"_qs);
        } catch (const std::exception& e) {
            qCritical("%s", e.what());
        }
    });
}

void restartServer()
{
    const auto restart = serverStopped();
}

} // namespace

// The server goes away under an open connection and comes back.
class TestRestart : public QObject
{
    Q_OBJECT

private slots:
    void nextStatementReconnects()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(u"select count(*) as N from MAS_SIIRE"_qs);
        q.open();
        QCOMPARE(q.field(u"N"_qs).asInteger(), 0);
        {
            const auto restart = serverStopped();
            try {
                q.open();
                QFAIL("the server is down, yet the statement ran");
            } catch (const db::Error& e) {
                QVERIFY2(e.isConnectionLost(), qPrintable(e.message()));
            }
        }
        Query insert(c);
        insert.setSql(u"insert into MAS_SIIRE (T_CD, T_NAME01) values (7, 'x')"_qs);
        insert.execute();
        q.open();
        QCOMPARE(q.field(u"N"_qs).asInteger(), 1);
    }

    void restartWhileConnectedIsInvisible()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(u"select count(*) as N from MAS_SIIRE"_qs);
        q.open();
        restartServer();
        // The attachment is stale; nothing was under way, so the layer connects again.
        q.open();
        QCOMPARE(q.field(u"N"_qs).asInteger(), 0);
    }

    void lostTransactionIsReported()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(u"insert into MAS_SIIRE (T_CD) values (1)"_qs);
        c.startTransaction();
        q.execute();
        restartServer();
        // The work of the open transaction is gone: that must not pass silently.
        QVERIFY_THROWS_EXCEPTION(db::Error, c.commit());
        QVERIFY(!c.inTransaction());
        c.rollback(); // harmless now
        Query count(c);
        count.setSql(u"select count(*) as N from MAS_SIIRE"_qs);
        count.open();
        QCOMPARE(count.field(u"N"_qs).asInteger(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRestart)
#include "tst_restart.moc"

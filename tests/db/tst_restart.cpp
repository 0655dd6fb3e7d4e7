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
    testing::serverCommand(QStringLiteral("stop"));
    return qScopeGuard([] {
        try {
            testing::serverCommand(QStringLiteral("start"));
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
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("N")).asInteger(), 0);
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
        restartServer();
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
        restartServer();
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

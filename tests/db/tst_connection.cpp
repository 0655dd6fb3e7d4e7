#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"

using db::Connection;
using db::Query;

namespace {

// A parameter list written as the setting files give it, entries between semicolons.
QStringList entries(const QString& list)
{
    return list.split(u';');
}

// The value N of a one-row select.
int number(Connection& c, const QString& sql)
{
    Query q(c);
    q.setSql(sql);
    q.open();
    return q.field(u"N"_qs).asInteger();
}

} // namespace

// Connections made from parameter lists, against the private server.
class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void connectionString()
    {
        for (const auto& [params, expected] :
             {std::pair(
                  u"Database=/data/V.FDB;User_Name=sysdba;Server=192.168.1.10;Protocol=TCPIP;Port=3060"_qs,
                  u"inet://192.168.1.10:3060//data/V.FDB"_qs),
              std::pair(u"Database=C:\\V\\V.FDB;Server=srv;Port=3060"_qs, u"inet://srv:3060/C:\\V\\V.FDB"_qs),
              std::pair(u"database=/x/V.FDB;Protocol=TCPIP;Port=3060"_qs,
                        u"inet://localhost:3060//x/V.FDB"_qs)}) {
            Connection c;
            c.params() = entries(params);
            QCOMPARE(c.connectionString(), expected);
        }
    }

    // The local scratch database: created by the first connect, then used;
    // creating over an existing file fails with the server's word for it.
    void createDatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"VELDRUN.FDB"_qs);
        const auto params = [&](const char* create) {
            return entries(
                u"CreateDatabase=%1;Database=%2;User_Name=sysdba;Password=zorquemit;Protocol=TCPIP;"
                u"Port=3060;DriverID=FB"_qs.arg(QLatin1String(create), path));
        };
        Connection c;
        c.params() = params("true");
        c.setConnected(true);
        QVERIFY(c.isConnected() && QFile::exists(path));
        c.setConnected(false);
        c.params() = params("false");
        QVERIFY(number(c, u"select count(*) as N from RDB$RELATIONS"_qs) > 0); // connects by itself

        Connection again;
        again.params() = params("true");
        QVERIFY_THROWS_EXCEPTION(db::Error, again.connect());
        QVERIFY(!again.isConnected());
    }

    // A wrong password and a missing file, each failing twice as cleanly as once.
    void failures()
    {
        testing::SuiteDatabase suite;
        for (const auto& [replace, with, messagePart, sqlState] :
             {std::tuple(u"Password=zorquemit"_qs, u"Password=wrong"_qs, u"password"_qs, u"28000"_qs),
              std::tuple(u"VORNALIX.FDB"_qs, u"NOFILE.FDB"_qs, u"NOFILE.FDB"_qs, u"08001"_qs)}) {
            Connection c;
            c.params() = suite.params().replaceInStrings(replace, with);
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    c.connect();
                    QFAIL("connected");
                } catch (const db::Error& e) {
                    QVERIFY2(e.message().contains(messagePart, Qt::CaseInsensitive), qPrintable(e.message()));
                    QCOMPARE(e.sqlState(), sqlState);
                    QVERIFY(!c.isConnected());
                }
            }
        }
    }

    // Other workstations' work is seen after the connection was switched off
    // and on. (Switching off keeps a query's rows: tst_query.)
    void seesCommittedRowsAfterReconnect()
    {
        testing::SuiteDatabase suite;
        Connection mine, other;
        mine.params() = other.params() = suite.params();
        const QString count = u"select count(*) as N from MAS_SIIRE"_qs;
        QCOMPARE(number(mine, count), 0);
        Query write(other);
        write.setSql(u"insert into MAS_SIIRE (T_CD, T_NAME01) values (1, :N)"_qs);
        write.setParam(u"N"_qs, u"山田建設"_qs);
        write.execute();
        mine.setConnected(false);
        mine.setConnected(true);
        QCOMPARE(number(mine, count), 1);
    }

    // A moved connection takes its attachment, its open transaction and its
    // queries along; the one moved from is empty and can be used afresh.
    void movingTakesQueriesAlong()
    {
        testing::SuiteDatabase suite;
        Connection first;
        first.params() = suite.params();
        Query q(first);
        q.setSql(u"insert into MAS_SIIRE (T_CD, T_NAME01) values (:CD, 'moved')"_qs);
        first.startTransaction();
        q.setParam(u"CD"_qs, 1);
        q.execute();

        Connection second(std::move(first));
        QVERIFY(second.inTransaction() && !first.inTransaction() && !first.isConnected());
        QCOMPARE(&q.connection(), &second);
        q.setParam(u"CD"_qs, 2);
        q.execute();
        second.commit();
        QCOMPARE(number(second, u"select count(*) as N from MAS_SIIRE where T_NAME01 = 'moved'"_qs), 2);
        first.params() = suite.params();
        QCOMPARE(number(first, u"select count(*) as N from MAS_SIIRE"_qs), 2);
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"

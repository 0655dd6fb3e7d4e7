#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"

using db::Connection;
using db::Query;

// Connections made from parameter lists, against the private server.
class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void connectionString_data()
    {
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("expected");
        QTest::newRow("server and port") << QStringList{QStringLiteral("Database=/data/VORNALIX.FDB"),
                                                        QStringLiteral("User_Name=sysdba"),
                                                        QStringLiteral("Password=x"),
                                                        QStringLiteral("Server=192.168.1.10"),
                                                        QStringLiteral("Protocol=TCPIP"),
                                                        QStringLiteral("Port=3060"),
                                                        QStringLiteral("DriverID=FB")}
                                         << QStringLiteral("inet://192.168.1.10:3060//data/VORNALIX.FDB");
        QTest::newRow("windows path on a server")
            << QStringList{QStringLiteral("Database=C:\\VORNALIX\\VORNALIX.FDB"),
                           QStringLiteral("Server=srv"), QStringLiteral("Port=3060")}
            << QStringLiteral("inet://srv:3060/C:\\VORNALIX\\VORNALIX.FDB");
        QTest::newRow("tcpip without server is the local host")
            << QStringList{QStringLiteral("CreateDatabase=false"),
                           QStringLiteral("Database=/x/LOCAL/VELDRUN.FDB"), QStringLiteral("Protocol=TCPIP"),
                           QStringLiteral("Port=3060")}
            << QStringLiteral("inet://localhost:3060//x/LOCAL/VELDRUN.FDB");
        QTest::newRow("names in any case")
            << QStringList{QStringLiteral("database=/a.fdb"), QStringLiteral("SERVER=h")}
            << QStringLiteral("inet://h//a.fdb");
    }

    void connectionString()
    {
        QFETCH(QStringList, params);
        QFETCH(QString, expected);
        Connection c;
        c.params() = params;
        QCOMPARE(c.connectionString(), expected);
        QVERIFY(!c.isConnected());
    }

    // The local scratch database: created by the first connect, then used.
    void createDatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VELDRUN.FDB"));
        auto params = [&](const char* create) {
            return QStringList{QStringLiteral("CreateDatabase=") + QLatin1String(create),
                               QStringLiteral("Database=") + path,
                               QStringLiteral("User_Name=sysdba"),
                               QStringLiteral("Password=zorquemit"),
                               QStringLiteral("Protocol=TCPIP"),
                               QStringLiteral("Port=3060"),
                               QStringLiteral("DriverID=FB")};
        };
        Connection c;
        c.params() = params("true");
        c.setConnected(true);
        QVERIFY(c.isConnected());
        QVERIFY(QFile::exists(path));
        c.setConnected(false);
        QVERIFY(!c.isConnected());

        c.params() = params("false");
        Query q(c);
        q.setSql(QStringLiteral("select count(*) as N from RDB$RELATIONS"));
        q.open(); // connects by itself
        QVERIFY(c.isConnected());
        QVERIFY(q.field(QStringLiteral("N")).asInteger() > 0);

        // Creating over an existing file fails with the server's word for it.
        Connection again;
        again.params() = params("true");
        try {
            again.connect();
            QFAIL("creating an existing database succeeded");
        } catch (const db::Error& e) {
            QVERIFY2(!e.message().isEmpty(), "no message");
            QVERIFY(!again.isConnected());
        }
    }

    void failures_data()
    {
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QString>("messagePart");
        QTest::addColumn<QString>("sqlState");
        QTest::newRow("wrong password")
            << QStringLiteral("Password=zorquemit") << QStringLiteral("Password=wrong")
            << QStringLiteral("password") << QStringLiteral("28000");
        QTest::newRow("no server on the port")
            << QStringLiteral("Port=3060") << QStringLiteral("Port=3069") << QStringLiteral("network request")
            << QStringLiteral("08006");
        QTest::newRow("missing file") << QStringLiteral("VORNALIX.FDB") << QStringLiteral("NOFILE.FDB")
                                      << QStringLiteral("NOFILE.FDB") << QStringLiteral("08001");
        QTest::newRow("unknown driver") << QStringLiteral("DriverID=FB") << QStringLiteral("DriverID=ORA")
                                        << QStringLiteral("ORA") << QString();
    }

    void failures()
    {
        QFETCH(QString, replace);
        QFETCH(QString, with);
        QFETCH(QString, messagePart);
        QFETCH(QString, sqlState);
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params().replaceInStrings(replace, with);
        for (int attempt = 0; attempt < 2; ++attempt) { // failing twice is as clean as failing once
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

    // Other workstations' work is seen after the connection was switched off and on.
    void seesCommittedRowsAfterReconnect()
    {
        testing::SuiteDatabase suite;
        Connection mine;
        mine.params() = suite.params();
        Query read(mine);
        read.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        read.open();
        QCOMPARE(read.field(QStringLiteral("N")).asInteger(), 0);

        Connection other;
        other.params() = suite.params();
        Query write(other);
        write.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (1, :N)"));
        write.setParam(QStringLiteral("N"), QStringLiteral("山田建設"));
        write.execute();

        mine.setConnected(false);
        mine.setConnected(true);
        read.open();
        QCOMPARE(read.field(QStringLiteral("N")).asInteger(), 1);
    }

    // Switching off keeps what a query shows: its unread rows are read first.
    void disconnectKeepsRows()
    {
        testing::SuiteDatabase suite;
        Connection c;
        c.params() = suite.params();
        Query q(c);
        q.setSql(QStringLiteral("select RDB$FIELD_NAME as NAME from RDB$FIELDS"));
        q.open();
        QVERIFY(!q.allFetched());
        c.setConnected(false);
        QVERIFY(q.allFetched());
        const int n = q.recordCount();
        QVERIFY(n > 64);
        q.last();
        QVERIFY(!q.field(QStringLiteral("NAME")).asString().isEmpty());

        // The next statement connects again by itself.
        Query again(c);
        again.setSql(QStringLiteral("select count(*) as N from RDB$FIELDS"));
        again.open();
        QCOMPARE(again.field(QStringLiteral("N")).asInteger(), n);
    }

    // A moved connection takes its attachment, its open transaction and its
    // queries along; the one moved from is empty and can be used afresh.
    void movingTakesQueriesAlong()
    {
        testing::SuiteDatabase suite;
        Connection first;
        first.params() = suite.params();
        Query q(first);
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (:CD, 'moved')"));
        first.startTransaction();
        q.setParam(QStringLiteral("CD"), 1);
        q.execute();

        Connection second(std::move(first));
        QVERIFY(second.inTransaction() && !first.inTransaction() && !first.isConnected());
        QCOMPARE(&q.connection(), &second);
        q.setParam(QStringLiteral("CD"), 2);
        q.execute();
        second.commit();

        Connection third;
        third = std::move(second);
        Query count(third);
        count.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE where T_NAME01 = 'moved'"));
        count.open();
        QCOMPARE(count.field(QStringLiteral("N")).asInteger(), 2);
        QCOMPARE(&q.connection(), &third);

        first.params() = suite.params();
        Query fresh(first);
        fresh.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        fresh.open();
        QCOMPARE(fresh.field(QStringLiteral("N")).asInteger(), 2);
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"

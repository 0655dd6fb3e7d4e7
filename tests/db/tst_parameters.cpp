#include <QTest>

#include "db/SqlParameters.h"

using db::parseParameters;

// How statements are turned into the server's "?" form: the names must come
// out in marker order and nothing inside quotes or comments may be touched.
class TestParameters : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("plain") << QStringLiteral("select * from T where A=:A and B = :b_2")
                               << QStringLiteral("select * from T where A=? and B = ?")
                               << QStringList{QStringLiteral("A"), QStringLiteral("B_2")};
        QTest::newRow("name twice") << QStringLiteral("update T set A=:X where B=:X")
                                    << QStringLiteral("update T set A=? where B=?")
                                    << QStringList{QStringLiteral("X"), QStringLiteral("X")};
        QTest::newRow("string literal") << QStringLiteral("select ':A' , 'it''s :B' from T where C=:C")
                                        << QStringLiteral("select ':A' , 'it''s :B' from T where C=?")
                                        << QStringList{QStringLiteral("C")};
        QTest::newRow("quoted identifier")
            << QStringLiteral("select \"x:Y\" from T where Z=:Z")
            << QStringLiteral("select \"x:Y\" from T where Z=?") << QStringList{QStringLiteral("Z")};
        QTest::newRow("comments") << QStringLiteral("select 1 -- :A\nfrom T /* :B */ where C=:C")
                                  << QStringLiteral("select 1 -- :A\nfrom T /* :B */ where C=?")
                                  << QStringList{QStringLiteral("C")};
        QTest::newRow("time literal colon")
            << QStringLiteral("select '12:30' from T where D = :D1")
            << QStringLiteral("select '12:30' from T where D = ?") << QStringList{QStringLiteral("D1")};
        QTest::newRow("japanese around") << QStringLiteral("select * from T where NAME='株式会社:X' and A=:A")
                                         << QStringLiteral("select * from T where NAME='株式会社:X' and A=?")
                                         << QStringList{QStringLiteral("A")};
        QTest::newRow("execute block body keeps its variables")
            << QStringLiteral("EXECUTE BLOCK (P0 VARCHAR(10) = :P0, P1 INTEGER = :P1) AS BEGIN "
                              "INSERT INTO T (A, B) VALUES (:P0, :P1); END")
            << QStringLiteral("EXECUTE BLOCK (P0 VARCHAR(10) = ?, P1 INTEGER = ?) AS BEGIN "
                              "INSERT INTO T (A, B) VALUES (:P0, :P1); END")
            << QStringList{QStringLiteral("P0"), QStringLiteral("P1")};
        QTest::newRow("procedure definition untouched")
            << QStringLiteral(
                   "CREATE OR ALTER PROCEDURE P (A INTEGER) AS BEGIN INSERT INTO T VALUES (:A); END")
            << QStringLiteral(
                   "CREATE OR ALTER PROCEDURE P (A INTEGER) AS BEGIN INSERT INTO T VALUES (:A); END")
            << QStringList{};
        QTest::newRow("unterminated quote")
            << QStringLiteral("select 'abc :A") << QStringLiteral("select 'abc :A") << QStringList{};
    }

    void parse()
    {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        const db::ParsedStatement p = parseParameters(sql);
        QCOMPARE(p.text, text);
        QCOMPARE(p.names, names);
    }
};

QTEST_GUILESS_MAIN(TestParameters)
#include "tst_parameters.moc"

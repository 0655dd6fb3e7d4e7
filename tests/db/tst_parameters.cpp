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

        QTest::newRow("plain") << u"select * from T where A=:A and B = :b_2"_qs
                               << u"select * from T where A=? and B = ?"_qs
                               << QStringList{u"A"_qs, u"B_2"_qs};
        QTest::newRow("name twice") << u"update T set A=:X where B=:X"_qs << u"update T set A=? where B=?"_qs
                                    << QStringList{u"X"_qs, u"X"_qs};
        QTest::newRow("string literal")
            << u"select ':A' , 'it''s :B' from T where C=:C"_qs
            << u"select ':A' , 'it''s :B' from T where C=?"_qs << QStringList{u"C"_qs};
        QTest::newRow("quoted identifier") << u"select \"x:Y\" from T where Z=:Z"_qs
                                           << u"select \"x:Y\" from T where Z=?"_qs << QStringList{u"Z"_qs};
        QTest::newRow("comments") << u"select 1 -- :A\nfrom T /* :B */ where C=:C"_qs
                                  << u"select 1 -- :A\nfrom T /* :B */ where C=?"_qs << QStringList{u"C"_qs};
        QTest::newRow("time literal colon")
            << u"select '12:30' from T where D = :D1"_qs << u"select '12:30' from T where D = ?"_qs
            << QStringList{u"D1"_qs};
        QTest::newRow("japanese around")
            << u"select * from T where NAME='株式会社:X' and A=:A"_qs
            << u"select * from T where NAME='株式会社:X' and A=?"_qs << QStringList{u"A"_qs};
        QTest::newRow("execute block body keeps its variables")
            << QStringLiteral("EXECUTE BLOCK (P0 VARCHAR(10) = :P0, P1 INTEGER = :P1) AS BEGIN "
                              "INSERT INTO T (A, B) VALUES (:P0, :P1); END")
            << QStringLiteral("EXECUTE BLOCK (P0 VARCHAR(10) = ?, P1 INTEGER = ?) AS BEGIN "
                              "INSERT INTO T (A, B) VALUES (:P0, :P1); END")
            << QStringList{u"P0"_qs, u"P1"_qs};
        QTest::newRow("procedure definition untouched")
            << QStringLiteral(
                   "CREATE OR ALTER PROCEDURE P (A INTEGER) AS BEGIN INSERT INTO T VALUES (:A); END")
            << QStringLiteral(
                   "CREATE OR ALTER PROCEDURE P (A INTEGER) AS BEGIN INSERT INTO T VALUES (:A); END")
            << QStringList{};
        QTest::newRow("unterminated quote") << u"select 'abc :A"_qs << u"select 'abc :A"_qs << QStringList{};
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

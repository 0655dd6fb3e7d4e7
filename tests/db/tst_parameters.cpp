#include <QTest>

#include "db/SqlParameters.h"

// How statements are turned into the server's "?" form: the names must come
// out in marker order and nothing inside quotes or comments may be touched.
class TestParameters : public QObject
{
    Q_OBJECT

private slots:
    void parse()
    {
        struct Row
        {
            const char* name;
            QString sql, text;
            QStringList names;
        };
        const QString block = u"EXECUTE BLOCK (P0 INTEGER = %1) AS BEGIN INSERT INTO T VALUES (:P0); END"_qs;
        const QString procedure =
            u"CREATE PROCEDURE P (A INTEGER) AS BEGIN INSERT INTO T VALUES (:A); END"_qs;
        for (const Row& r : std::initializer_list<Row>{
                 {"name twice",
                  u"update T set A=:X where B=:x_2"_qs,
                  u"update T set A=? where B=?"_qs,
                  {u"X"_qs, u"X_2"_qs}},
                 {"quotes",
                  u"select ':A', 'it''s :B', \"x:Y\" where C=:C"_qs,
                  u"select ':A', 'it''s :B', \"x:Y\" where C=?"_qs,
                  {u"C"_qs}},
                 {"comments",
                  u"select 1 -- :A\nfrom T /* :B */ where C=:C"_qs,
                  u"select 1 -- :A\nfrom T /* :B */ where C=?"_qs,
                  {u"C"_qs}},
                 {"execute block body keeps its variables",
                  block.arg(u":P0"_qs),
                  block.arg(u"?"_qs),
                  {u"P0"_qs}},
                 {"procedure definition untouched", procedure, procedure, {}},
                 {"unterminated quote", u"select 'abc :A"_qs, u"select 'abc :A"_qs, {}},
             }) {
            const db::ParsedStatement p = db::parseParameters(r.sql);
            QVERIFY2(p.text == r.text && p.names == r.names, r.name);
        }
    }
};

QTEST_GUILESS_MAIN(TestParameters)
#include "tst_parameters.moc"

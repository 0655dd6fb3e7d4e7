#include <QTest>

#include <memory>

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/QueryFaults.h"
#include "db/Schema.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

using db::Connection;
using db::Query;

namespace {

// A fresh suite database and a connection to it.
struct Suite
{
    explicit Suite(testing::Suite kind = testing::Suite::Current) : database(kind)
    {
        conn.params() = database.params();
    }

    // Rows of MAS_SIIRE as another workstation sees them: committed ones only.
    int count(const QString& where = {})
    {
        Connection other;
        other.params() = database.params();
        Query q(other);
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE ") + where);
        q.open();
        return q.field(QStringLiteral("N")).asInteger();
    }

    void insert(int code, const QString& name)
    {
        Query q(conn);
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (:CD, :NAME)"));
        q.setParam(QStringLiteral("CD"), code);
        q.setParam(QStringLiteral("NAME"), name);
        q.execute();
    }

    // Runs sql; with open, as a select whose rows are walked.
    std::unique_ptr<Query> run(const QString& sql, bool open = false)
    {
        auto q = std::make_unique<Query>(conn);
        q->setSql(sql);
        open ? q->open() : q->execute();
        return q;
    }

    std::unique_ptr<Query> select(const QString& sql) { return run(sql, true); }

    testing::SuiteDatabase database;
    Connection conn;
};

db::Field field(Query& q, const char* name)
{
    return q.field(QLatin1String(name));
}

} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

private slots:
    void transactions()
    {
        Suite s;
        s.conn.startTransaction();
        s.insert(1, QStringLiteral("kept"));
        QCOMPARE(s.count(), 0); // not yet visible to others
        s.conn.commit();
        QCOMPARE(s.count(), 1);
        s.conn.startTransaction();
        s.insert(2, QStringLiteral("dropped"));
        s.conn.rollback();
        QVERIFY_THROWS_EXCEPTION(db::Error, s.conn.commit()); // nothing to commit
        {
            db::TransactionGuard abandoned(s.conn);
            s.insert(3, QStringLiteral("abandoned"));
        }
        QVERIFY(!s.conn.inTransaction());
        QCOMPARE(s.count(), 1);
        {
            db::TransactionGuard guard(s.conn);
            s.insert(4, QStringLiteral("guarded"));
            guard.commit();
        }
        QCOMPARE(s.count(), 2);

        // A failing statement inside a transaction leaves the transaction to its owner.
        s.conn.startTransaction();
        s.insert(5, QStringLiteral("before the failure"));
        QVERIFY_THROWS_EXCEPTION(db::Error, s.insert(5, QStringLiteral("duplicate key")));
        QVERIFY(s.conn.inTransaction());
        s.conn.rollback();
        QCOMPARE(s.count(), 2);
    }

    void generatorsAndReturning()
    {
        Suite s;
        s.run(QStringLiteral("SET GENERATOR GYOUSYA_ID TO 100"));
        Query q(s.conn);
        q.setSql(QStringList{QStringLiteral("INSERT INTO MAS_SIIRE (T_CD, T_NAME01)"),
                             QStringLiteral("values (GEN_ID(GYOUSYA_ID,1), :T_NAME01)  RETURNING T_CD")});
        const auto add = [&q](const QString& name) {
            q.setParam(QStringLiteral("T_NAME01"), name);
            q.open();
            return field(q, "T_CD").asInteger();
        };
        s.conn.startTransaction();
        QCOMPARE(add(QStringLiteral("一番")), 101);
        q.close();
        QCOMPARE(add(QStringLiteral("二番")), 102);
        s.conn.commit();
        QCOMPARE(s.count(QStringLiteral("where T_CD in (101, 102)")), 2);
        // Outside a transaction the row is committed on its own.
        QCOMPARE(add(QStringLiteral("三番")), 103);
        QCOMPARE(s.count(), 3);

        // Opening a statement that returns nothing is refused before it runs.
        q.setSql(QStringLiteral("delete from MAS_SIIRE"));
        QVERIFY_THROWS_EXCEPTION(db::Error, q.open());
        QCOMPARE(s.count(), 3);
        q.execute();
        QCOMPARE(q.rowsAffected(), 3);
    }

    void refusals()
    {
        Suite old(testing::Suite::Old);
        Query q(old.conn);
        // A character code page 932 cannot hold fails before anything is sent.
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (1, :N)"));
        q.setParam(QStringLiteral("N"), QStringLiteral("山田\U0001F600建設"));
        try {
            q.execute();
            QFAIL("an emoji was stored");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("U+1F600")), qPrintable(e.message()));
        }
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (2, '–')")); // en dash
        QVERIFY_THROWS_EXCEPTION(db::Error, q.execute());
        QCOMPARE(old.count(), 0);

        // The server's words, and the statement they are about.
        q.setSql(QStringLiteral("select * from NO_SUCH_TABLE"));
        try {
            q.open();
            QFAIL("opened a missing table");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("NO_SUCH_TABLE")), qPrintable(e.message()));
            QCOMPARE(e.statement(), QStringLiteral("select * from NO_SUCH_TABLE"));
        }
        QVERIFY(!q.isOpen());

        // A statement that failed while it was being described is prepared
        // afresh, not run on what was left of it.
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        db::faults::failNextDescribe();
        QVERIFY_THROWS_EXCEPTION(db::Error, q.open());
        q.open();
        QCOMPARE(q.field(QStringLiteral("N")).asInteger(), 0);
        q.close();

        // What the system tables know: names in any case, views as tables.
        QVERIFY(db::HasTable(old.conn, QStringLiteral("mas_siire")));
        QVERIFY(!db::HasTable(old.conn, QStringLiteral("NO_SUCH_TABLE")));
        QVERIFY(db::HasColumn(old.conn, QStringLiteral("MAS_SIIRE"), QStringLiteral("t_name01")));
        QVERIFY(!db::HasColumn(old.conn, QStringLiteral("MAS_SIIRE"), QStringLiteral("E_MAILE")));
        old.run(QStringLiteral("create view SUPPLIER_NAMES as select T_CD, T_NAME01 from MAS_SIIRE"));
        QVERIFY(db::HasTable(old.conn, QStringLiteral("SUPPLIER_NAMES")));
        QVERIFY(db::HasColumn(old.conn, QStringLiteral("SUPPLIER_NAMES"), QStringLiteral("T_NAME01")));

        // Schema statements; the connection is fine after a failure.
        q.setSql(QStringLiteral("ALTER TABLE MAS_SIIRE ADD E_MAILE Char(120)"));
        q.execute();
        QVERIFY_THROWS_EXCEPTION(db::Error, q.execute()); // the column twice
        QCOMPARE(old.select(QStringLiteral("select E_MAILE from MAS_SIIRE"))->fieldName(0),
                 QStringLiteral("E_MAILE"));
        QVERIFY(db::HasColumn(old.conn, QStringLiteral("MAS_SIIRE"), QStringLiteral("E_MAILE")));
    }

    void parametersAndNulls()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(QStringList{
            QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, KU_TAX, KU_SIME, KIN_01, E_DATE01, "
                           "E_DATE02)"),
            QStringLiteral(
                "values (:T_CD, :T_NAME01, :T_TEL, :KU_TAX, :KU_SIME, :KIN_01, :E_DATE01, :E_DATE02)")});
        QVERIFY_THROWS_EXCEPTION(db::Error, q.setParam(QStringLiteral("NOT_THERE"), 1));
        q.setParam(QStringLiteral("T_CD"), 1);
        q.setParam(QStringLiteral("T_NAME01"), QStringLiteral("山田建設"));
        q.setParam(QStringLiteral("KU_TAX"), QStringLiteral("12")); // the server converts text
        q.setParam(QStringLiteral("KU_SIME"), QStringLiteral("1.6"));
        q.setParam(QStringLiteral("kin_01"), 12.5); // names are not case-sensitive
        q.setParam(QStringLiteral("E_DATE01"), QDate(2026, 12, 4));
        q.setParam(QStringLiteral("E_DATE02"), QDateTime(QDate(2027, 1, 5), QTime(10, 30)));
        q.execute(); // T_TEL never set: null
        q.setParam(QStringLiteral("T_CD"), 2);
        q.setParam(QStringLiteral("KU_TAX"), QStringLiteral("abc"));
        QVERIFY_THROWS_EXCEPTION(db::Error, q.execute());
        q.clearParams();
        q.setParam(QStringLiteral("T_CD"), 3);
        q.execute(); // every other column null

        const auto rows = s.select(QStringLiteral("select * from MAS_SIIRE order by T_CD"));
        Query& r = *rows;
        QCOMPARE(r.recordCount(), 2);
        QCOMPARE(field(r, "T_NAME01").asString(), QStringLiteral("山田建設"));
        QVERIFY(field(r, "T_TEL").isNull());
        QCOMPARE(field(r, "KU_TAX").asInteger(), 12);
        QCOMPARE(field(r, "KU_SIME").asInteger(), 2);
        QCOMPARE(field(r, "KIN_01").asFloat(), 12.5);
        QCOMPARE(field(r, "E_DATE01").asString(), QStringLiteral("2026/12/04"));
        // A DATE column keeps the day only.
        QCOMPARE(field(r, "E_DATE02").asDateTime(), QDateTime(QDate(2027, 1, 5), QTime(0, 0)));
        r.next();
        QCOMPARE(field(r, "T_CD").asInteger(), 3);
        for (const char* name : {"T_NAME01", "KU_TAX", "KIN_01", "E_DATE01"}) {
            const db::Field f = field(r, name);
            QVERIFY(f.isNull());
            QCOMPARE(f.asString(), QString());
            QCOMPARE(f.asInteger(), 0);
            QCOMPARE(f.asFloat(), 0.0);
            QVERIFY(!f.asDateTime().isValid());
        }
        QVERIFY_THROWS_EXCEPTION(db::Error, field(r, "NO_SUCH_FIELD"));

        // A name used twice is one parameter.
        r.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE where T_CD = :CD or T_CD + 2 = :CD"));
        r.setParam(QStringLiteral("CD"), 3);
        r.open();
        QCOMPARE(field(r, "N").asInteger(), 2);
    }

    void codePage932_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("company") << QStringLiteral("株式会社山田建設") << QStringLiteral("株式会社山田建設");
        QTest::newRow("half-width kana") << QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ") << QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ");
        QTest::newRow("vendor characters") << QStringLiteral("㈱①髙") << QStringLiteral("㈱①髙");
        QTest::newRow("quote") << QStringLiteral("O'Brien's 工務店") << QStringLiteral("O'Brien's 工務店");
        QTest::newRow("wave dash and minus fold") << QStringLiteral("1〜2−3") << QStringLiteral("1～2－3");
    }

    void codePage932()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        Suite s;
        s.insert(1, text);
        const auto q =
            s.select(QStringLiteral("select T_NAME01, octet_length(T_NAME01) as N from MAS_SIIRE"));
        QCOMPARE(field(*q, "T_NAME01").asString(), stored);
        QCOMPARE(field(*q, "N").asInteger(), int(cp932::encode(stored).size()));
        // The statement text itself travels in the same code page.
        const QString literal = QString(stored).replace(u'\'', QLatin1String("''"));
        q->setSql(QStringLiteral("select T_CD from MAS_SIIRE where T_NAME01 = '%1'").arg(literal));
        q->open();
        QCOMPARE(q->recordCount(), 1);
    }

    void walkingAResult()
    {
        Suite s;
        s.run(QStringLiteral(
            "insert into MAS_SIIRE (T_CD, T_KEY) with recursive N (I) as (select 1 from "
            "RDB$DATABASE union all select I + 1 from N where I < 300) select I, 'ｶ' || I from N"));
        Query q(s.conn);
        q.setSql(QStringLiteral("select T_CD, T_KEY from MAS_SIIRE order by T_CD"));
        q.open();
        QVERIFY2(q.fetchedCount() < 300, "the whole result was read at open");
        for (int seen = 1; !q.eof(); q.next(), ++seen) {
            QCOMPARE(field(q, "T_CD").asInteger(), seen);
            QCOMPARE(q.recNo(), seen);
        }
        QCOMPARE(field(q, "T_KEY").asString(), QStringLiteral("ｶ300")); // stays on the last row
        QCOMPARE(q.recordCount(), 300);

        q.first();
        q.prior();
        QVERIFY(q.bof());
        QCOMPARE(q.recNo(), 1);
        q.last();
        QVERIFY(q.eof());
        q.prior();
        QCOMPARE(field(q, "T_CD").asInteger(), 299);
        q.moveTo(9);
        QCOMPARE(q.recNo(), 10);

        // Switching the connection off reads the unread rows of a result
        // that keeps them, and closes one that does not, reading nothing.
        q.open();
        s.conn.setConnected(false);
        QCOMPARE(q.fetchedCount(), 300);
        Query list(s.conn);
        list.setKeepRowsOnDisconnect(false);
        list.setSql(QStringLiteral("select T_CD from MAS_SIIRE where T_CD > :FROM order by T_CD"));
        list.setParam(QStringLiteral("FROM"), 10);
        list.open();
        QVERIFY(list.fetchedCount() < 290);
        s.conn.setConnected(false);
        QVERIFY(!list.isOpen());
        QCOMPARE(list.fetchedCount(), 0);
        list.open(); // the same search again, parameters and all
        QCOMPARE(list.recordCount(), 290);

        q.setSql(QStringLiteral("select * from MAS_SIIRE where T_CD < 0"));
        q.open();
        QVERIFY(q.isEmpty() && q.eof());
        QCOMPARE(q.recNo(), 0);
        QCOMPARE(q.recordCount(), 0);
        QCOMPARE(field(q, "T_NAME01").asString(), QString()); // an empty result reads as null
        q.next();
        QVERIFY(q.eof());
    }

    void cachedUpdates()
    {
        Suite s;
        s.run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_KEY, T_NAME01, T_TEL, KU_TAX, KIN_01) "
                             "values (1, 'ﾔﾏﾀﾞ', '山田建設', '03-1234-5678', 0, 5)"));
        const QString unchanged = QStringLiteral("where T_NAME01 = '山田建設'");
        Query q(s.conn);
        q.setCachedUpdates(true);
        q.setSql(QStringLiteral("Select * from MAS_SIIRE where T_CD=1"));
        const auto change = [&q] {
            q.open();
            QVERIFY_THROWS_EXCEPTION(db::Error,
                                     field(q, "T_NAME01").setValue(QStringLiteral("x"))); // not editing
            q.edit();
            field(q, "T_NAME01").setValue(QStringLiteral("山田建設工業"));
            field(q, "T_TEL").clear();
            field(q, "KU_TAX").setValue(QStringLiteral("3"));
            q.post();
            QCOMPARE(field(q, "T_NAME01").asString(), QStringLiteral("山田建設工業"));
        };
        change();
        QVERIFY(q.hasPendingUpdates());
        QCOMPARE(s.count(unchanged), 1); // nothing written yet
        // Inside the caller's transaction: its rollback undoes the changes.
        s.conn.startTransaction();
        q.applyUpdates();
        s.conn.rollback();
        QCOMPARE(s.count(unchanged), 1);

        change();
        q.applyUpdates();
        QVERIFY(!q.hasPendingUpdates());
        const auto r = s.select(QStringLiteral("select * from MAS_SIIRE where T_CD=1"));
        QCOMPARE(field(*r, "T_NAME01").asString(), QStringLiteral("山田建設工業"));
        QVERIFY(field(*r, "T_TEL").isNull());
        QCOMPARE(field(*r, "KU_TAX").asInteger(), 3);
        QCOMPARE(field(*r, "T_KEY").asString(), QStringLiteral("ﾔﾏﾀﾞ")); // left alone

        // A change that cannot be stored writes nothing at all.
        q.edit();
        field(q, "T_KEY").setValue(QStringLiteral("ｶﾜﾘ"));
        field(q, "T_NAME02").setValue(QStringLiteral("\U0001F600"));
        q.post();
        QVERIFY_THROWS_EXCEPTION(db::Error, q.applyUpdates());
        QVERIFY(!s.conn.inTransaction());
        QCOMPARE(s.count(QStringLiteral("where T_KEY = 'ﾔﾏﾀﾞ'")), 1);

        // The row went away meanwhile: the update fails instead of vanishing.
        change();
        s.run(QStringLiteral("delete from MAS_SIIRE"));
        QVERIFY_THROWS_EXCEPTION(db::Error, q.applyUpdates());
        QCOMPARE(s.count(), 0);
    }

    void blockInsert()
    {
        Suite s;
        const QStringList columns =
            QStringLiteral("T_CD,T_NAME01,KU_SIME,KIN_01,E_DATE01,E_MAILE").split(u',');
        auto row = [](int code) {
            return QVariantList{code,
                                QStringLiteral("株式会社O'Neil ㈱①髙 %1").arg(code),
                                code % 2 ? QVariant(QStringLiteral("31")) : QVariant(),
                                code * 0.5,
                                QDate(2026, 12, 4),
                                QStringLiteral("a@b.jp")};
        };
        {
            db::TransactionGuard guard(s.conn);
            db::BlockInsert insert(s.conn, QStringLiteral("MAS_SIIRE"), columns);
            QVERIFY(insert.rowsPerBlock() > 10);
            QVERIFY_THROWS_EXCEPTION(db::Error, insert.add({1, 2}));
            for (int code = 1; code <= 1001; ++code)
                insert.add(row(code));
            QVERIFY(insert.rowsWaiting() > 0); // a partial block waits for flush()
            insert.flush();
            QCOMPARE(insert.rowsWritten(), 1001);
            guard.commit();
        }
        QCOMPARE(s.count(), 1001);
        const auto q =
            s.select(QStringLiteral("select * from MAS_SIIRE where T_CD in (500, 1001) order by T_CD"));
        QCOMPARE(field(*q, "T_NAME01").asString(), QStringLiteral("株式会社O'Neil ㈱①髙 500"));
        QVERIFY(field(*q, "KU_SIME").isNull());
        QCOMPARE(field(*q, "KIN_01").asFloat(), 250.0);
        QCOMPARE(field(*q, "E_DATE01").asDateTime().date(), QDate(2026, 12, 4));
        // CHAR columns come back padded to their width.
        QCOMPARE(field(*q, "E_MAILE").asString(), QStringLiteral("a@b.jp").leftJustified(120));
        q->next();
        QCOMPARE(field(*q, "KU_SIME").asInteger(), 31);

        // A failing block inside a transaction: the caller rolls back and nothing stays.
        {
            db::TransactionGuard guard(s.conn);
            db::BlockInsert insert(s.conn, QStringLiteral("MAS_SIIRE"), columns, 10);
            for (int code = 2000; code < 2005; ++code)
                insert.add(row(code));
            insert.add(row(1)); // an existing code
            QVERIFY_THROWS_EXCEPTION(db::Error, insert.flush());
            QVERIFY_THROWS_EXCEPTION(
                db::Error, insert.add(QVariantList{3000, QStringLiteral("\U0001F600"), {}, {}, {}, {}}));
        }
        QCOMPARE(s.count(), 1001);
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"

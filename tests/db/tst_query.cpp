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
        q.setSql(u"select count(*) as N from MAS_SIIRE "_qs + where);
        q.open();
        return q.field(u"N"_qs).asInteger();
    }

    void insert(int code, const QString& name)
    {
        Query q(conn);
        q.setSql(u"insert into MAS_SIIRE (T_CD, T_NAME01) values (:CD, :NAME)"_qs);
        q.setParam(u"CD"_qs, code);
        q.setParam(u"NAME"_qs, name);
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
        {
            db::TransactionGuard abandoned(s.conn);
            s.insert(3, u"abandoned"_qs);
        }
        QVERIFY(!s.conn.inTransaction());
        QCOMPARE(s.count(), 0);
        {
            db::TransactionGuard guard(s.conn);
            s.insert(4, u"guarded"_qs);
            QCOMPARE(s.count(), 0); // not yet visible to others
            guard.commit();
        }
        QCOMPARE(s.count(), 1);

        // A failing statement inside a transaction leaves the transaction to its owner.
        s.conn.startTransaction();
        s.insert(5, u"before the failure"_qs);
        QVERIFY_THROWS_EXCEPTION(db::Error, s.insert(5, u"duplicate key"_qs));
        QVERIFY(s.conn.inTransaction());
        s.conn.rollback();
        QCOMPARE(s.count(), 1);
    }

    void generatorsAndReturning()
    {
        Suite s;
        s.run(u"SET GENERATOR GYOUSYA_ID TO 100"_qs);
        Query q(s.conn);
        q.setSql(QStringList{u"INSERT INTO MAS_SIIRE (T_CD, T_NAME01)"_qs,
                             u"values (GEN_ID(GYOUSYA_ID,1), :T_NAME01)  RETURNING T_CD"_qs});
        const auto add = [&q](const QString& name) {
            q.setParam(u"T_NAME01"_qs, name);
            q.open();
            return field(q, "T_CD").asInteger();
        };
        s.conn.startTransaction();
        QCOMPARE(add(u"一番"_qs), 101);
        q.close();
        QCOMPARE(add(u"二番"_qs), 102);
        s.conn.commit();
        QCOMPARE(s.count(u"where T_CD in (101, 102)"_qs), 2);

        // Opening a statement that returns nothing is refused before it runs.
        q.setSql(u"delete from MAS_SIIRE"_qs);
        QVERIFY_THROWS_EXCEPTION(db::Error, q.open());
        QCOMPARE(s.count(), 2);
    }

    void refusals()
    {
        Suite old(testing::Suite::Old);
        Query q(old.conn);
        // A character code page 932 cannot hold fails before anything is sent.
        q.setSql(u"insert into MAS_SIIRE (T_CD, T_NAME01) values (1, :N)"_qs);
        q.setParam(u"N"_qs, u"山田\U0001F600建設"_qs);
        try {
            q.execute();
            QFAIL("an emoji was stored");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("U+1F600")), qPrintable(e.message()));
        }
        QCOMPARE(old.count(), 0);

        // The server's words, and the statement they are about.
        q.setSql(u"select * from NO_SUCH_TABLE"_qs);
        try {
            q.open();
            QFAIL("opened a missing table");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("NO_SUCH_TABLE")), qPrintable(e.message()));
            QCOMPARE(e.statement(), u"select * from NO_SUCH_TABLE"_qs);
        }

        // A statement that failed while it was being described is prepared
        // afresh, not run on what was left of it.
        q.setSql(u"select count(*) as N from MAS_SIIRE"_qs);
        db::faults::failNextDescribe();
        QVERIFY_THROWS_EXCEPTION(db::Error, q.open());
        q.open();
        QCOMPARE(q.field(u"N"_qs).asInteger(), 0);
        q.close();

        // What the system tables know: names in any case, views as tables.
        QVERIFY(db::HasTable(old.conn, u"mas_siire"_qs));
        QVERIFY(!db::HasTable(old.conn, u"NO_SUCH_TABLE"_qs));
        QVERIFY(db::HasColumn(old.conn, u"MAS_SIIRE"_qs, u"t_name01"_qs));
        QVERIFY(!db::HasColumn(old.conn, u"MAS_SIIRE"_qs, u"E_MAILE"_qs));
        old.run(u"create view SUPPLIER_NAMES as select T_CD, T_NAME01 from MAS_SIIRE"_qs);
        QVERIFY(db::HasTable(old.conn, u"SUPPLIER_NAMES"_qs));
        QVERIFY(db::HasColumn(old.conn, u"SUPPLIER_NAMES"_qs, u"T_NAME01"_qs));
    }

    void parametersAndNulls()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(u"insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, KU_TAX, KIN_01, E_DATE01) "
                 u"values (:T_CD, :T_NAME01, :T_TEL, :KU_TAX, :KIN_01, :E_DATE01)"_qs);
        QVERIFY_THROWS_EXCEPTION(db::Error, q.setParam(u"NOT_THERE"_qs, 1));
        q.setParam(u"T_CD"_qs, 1);
        q.setParam(u"T_NAME01"_qs, u"山田建設"_qs);
        q.setParam(u"KU_TAX"_qs, u"12"_qs); // the server converts text
        q.setParam(u"kin_01"_qs, 12.5);     // names are not case-sensitive
        q.setParam(u"E_DATE01"_qs, QDate(2026, 12, 4));
        q.execute(); // T_TEL never set: null
        q.clearParams();
        q.setParam(u"T_CD"_qs, 3);
        q.execute(); // every other column null

        const auto rows = s.select(u"select * from MAS_SIIRE order by T_CD"_qs);
        Query& r = *rows;
        QCOMPARE(r.recordCount(), 2);
        QCOMPARE(field(r, "T_NAME01").asString(), u"山田建設"_qs);
        QVERIFY(field(r, "T_TEL").isNull());
        QCOMPARE(field(r, "KU_TAX").asInteger(), 12);
        QCOMPARE(field(r, "KIN_01").asFloat(), 12.5);
        QCOMPARE(field(r, "E_DATE01").asString(), u"2026/12/04"_qs);
        r.next();
        QCOMPARE(field(r, "T_CD").asInteger(), 3);
        for (const char* name : {"T_NAME01", "KU_TAX", "KIN_01", "E_DATE01"}) {
            const db::Field f = field(r, name);
            QVERIFY(f.isNull());
            QVERIFY(f.asString().isEmpty() && f.asInteger() == 0 && !f.asDateTime().isValid());
        }
        QVERIFY_THROWS_EXCEPTION(db::Error, field(r, "NO_SUCH_FIELD"));
    }

    // Vendor characters, half-width kana and a quote are kept; the wave dash and minus fold.
    void codePage932()
    {
        Suite s;
        s.insert(1, u"㈱①髙ﾔﾏﾀﾞ O'Brien 1〜2−3"_qs);
        const QString stored = u"㈱①髙ﾔﾏﾀﾞ O'Brien 1～2－3"_qs;
        const auto q = s.select(u"select T_NAME01, octet_length(T_NAME01) as N from MAS_SIIRE"_qs);
        QCOMPARE(field(*q, "T_NAME01").asString(), stored);
        QCOMPARE(field(*q, "N").asInteger(), int(cp932::encode(stored).size()));
        // The statement text itself travels in the same code page.
        const QString literal = QString(stored).replace(u'\'', QLatin1String("''"));
        q->setSql(u"select T_CD from MAS_SIIRE where T_NAME01 = '%1'"_qs.arg(literal));
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
        q.setSql(u"select T_CD, T_KEY from MAS_SIIRE order by T_CD"_qs);
        q.open();
        QVERIFY2(q.fetchedCount() < 300, "the whole result was read at open");
        for (int seen = 1; !q.eof(); q.next(), ++seen) {
            QCOMPARE(field(q, "T_CD").asInteger(), seen);
            QCOMPARE(q.recNo(), seen);
        }
        QCOMPARE(field(q, "T_KEY").asString(), u"ｶ300"_qs); // stays on the last row
        QCOMPARE(q.recordCount(), 300);

        // Switching the connection off reads the unread rows first.
        q.open();
        s.conn.setConnected(false);
        QCOMPARE(q.fetchedCount(), 300);
        q.last();
        QCOMPARE(field(q, "T_KEY").asString(), u"ｶ300"_qs);

        q.setSql(u"select * from MAS_SIIRE where T_CD < 0"_qs);
        q.open();
        QVERIFY(q.isEmpty() && q.eof());
        QCOMPARE(field(q, "T_NAME01").asString(), QString()); // an empty result reads as null
    }

    void cachedUpdates()
    {
        Suite s;
        s.run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_KEY, T_NAME01, T_TEL, KU_TAX, KIN_01) "
                             "values (1, 'ﾔﾏﾀﾞ', '山田建設', '03-1234-5678', 0, 5)"));
        const QString unchanged = u"where T_NAME01 = '山田建設'"_qs;
        Query q(s.conn);
        q.setCachedUpdates(true);
        q.setSql(u"Select * from MAS_SIIRE where T_CD=1"_qs);
        const auto change = [&q] {
            q.open();
            QVERIFY_THROWS_EXCEPTION(db::Error, field(q, "T_NAME01").setValue(u"x"_qs)); // not editing
            q.edit();
            field(q, "T_NAME01").setValue(u"山田建設工業"_qs);
            field(q, "T_TEL").clear();
            field(q, "KU_TAX").setValue(u"3"_qs);
            q.post();
            QCOMPARE(field(q, "T_NAME01").asString(), u"山田建設工業"_qs);
        };
        change();
        QVERIFY(q.hasPendingUpdates());
        QCOMPARE(s.count(unchanged), 1); // nothing written yet
        q.applyUpdates();
        QVERIFY(!q.hasPendingUpdates());
        const auto r = s.select(u"select * from MAS_SIIRE where T_CD=1"_qs);
        QCOMPARE(field(*r, "T_NAME01").asString(), u"山田建設工業"_qs);
        QVERIFY(field(*r, "T_TEL").isNull());
        QCOMPARE(field(*r, "T_KEY").asString(), u"ﾔﾏﾀﾞ"_qs); // left alone

        // The row went away meanwhile: the update fails instead of vanishing.
        change();
        s.run(u"delete from MAS_SIIRE"_qs);
        QVERIFY_THROWS_EXCEPTION(db::Error, q.applyUpdates());
        QCOMPARE(s.count(), 0);
    }

    void blockInsert()
    {
        Suite s;
        const QStringList columns = u"T_CD,T_NAME01,KU_SIME,KIN_01,E_DATE01,E_MAILE"_qs.split(u',');
        auto row = [](int code) {
            return QVariantList{code,
                                u"株式会社O'Neil ㈱①髙 %1"_qs.arg(code),
                                code % 2 ? QVariant(u"31"_qs) : QVariant(),
                                code * 0.5,
                                QDate(2026, 12, 4),
                                u"a@b.jp"_qs};
        };
        {
            db::TransactionGuard guard(s.conn);
            db::BlockInsert insert(s.conn, u"MAS_SIIRE"_qs, columns);
            QVERIFY_THROWS_EXCEPTION(db::Error, insert.add({1, 2}));
            for (int code = 1; code <= 1001; ++code)
                insert.add(row(code));
            insert.flush();
            QCOMPARE(insert.rowsWritten(), 1001);
            guard.commit();
        }
        QCOMPARE(s.count(), 1001);
        const auto q = s.select(u"select * from MAS_SIIRE where T_CD in (500, 1001) order by T_CD"_qs);
        QCOMPARE(field(*q, "T_NAME01").asString(), u"株式会社O'Neil ㈱①髙 500"_qs);
        QVERIFY(field(*q, "KU_SIME").isNull());
        QCOMPARE(field(*q, "E_DATE01").asDateTime().date(), QDate(2026, 12, 4));
        // CHAR columns come back padded to their width.
        QCOMPARE(field(*q, "E_MAILE").asString(), u"a@b.jp"_qs.leftJustified(120));
        q->next();
        QCOMPARE(field(*q, "KU_SIME").asInteger(), 31);

        // A failing block inside a transaction: the caller rolls back and nothing stays.
        {
            db::TransactionGuard guard(s.conn);
            db::BlockInsert insert(s.conn, u"MAS_SIIRE"_qs, columns, 10);
            for (int code = 2000; code < 2005; ++code)
                insert.add(row(code));
            insert.add(row(1)); // an existing code
            QVERIFY_THROWS_EXCEPTION(db::Error, insert.flush());
        }
        QCOMPARE(s.count(), 1001);
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

#include <QTest>

using db::Connection;
using db::Query;

namespace {

// A fresh suite database and a connection to it.
struct Suite
{
    explicit Suite(testing::Suite kind = testing::Suite::Current) : database(kind) { conn.params() = database.params(); }

    int count(const QString& where = {})
    {
        Connection other; // another workstation: sees only committed rows
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

    testing::SuiteDatabase database;
    Connection conn;
};

} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

private slots:
    void transactions()
    {
        Suite s;
        s.insert(1, QStringLiteral("autocommit")); // no transaction: committed at once
        QCOMPARE(s.count(), 1);

        s.conn.startTransaction();
        s.insert(2, QStringLiteral("kept"));
        QCOMPARE(s.count(), 1); // not yet visible to others
        s.conn.commit();
        QCOMPARE(s.count(), 2);

        s.conn.startTransaction();
        s.insert(3, QStringLiteral("dropped"));
        s.conn.rollback();
        QCOMPARE(s.count(), 2);
        QVERIFY_THROWS_EXCEPTION(db::Error, s.conn.commit()); // nothing to commit

        {
            db::TransactionGuard abandoned(s.conn);
            s.insert(4, QStringLiteral("abandoned"));
        }
        QVERIFY(!s.conn.inTransaction());
        QCOMPARE(s.count(), 2);
        {
            db::TransactionGuard guard(s.conn);
            s.insert(5, QStringLiteral("guarded"));
            guard.commit();
        }
        QCOMPARE(s.count(), 3);

        // A failing statement inside a transaction leaves the transaction to its owner.
        s.conn.startTransaction();
        s.insert(6, QStringLiteral("before the failure"));
        QVERIFY_THROWS_EXCEPTION(db::Error, s.insert(6, QStringLiteral("duplicate key")));
        QVERIFY(s.conn.inTransaction());
        s.conn.rollback();
        QCOMPARE(s.count(), 3);
    }

    void generatorsAndReturning()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(QStringLiteral("SET GENERATOR GYOUSYA_ID TO 100"));
        q.execute();
        q.setSql(QStringList{QStringLiteral("INSERT INTO MAS_SIIRE (T_CD, T_NAME01)"),
                             QStringLiteral("values (GEN_ID(GYOUSYA_ID,1), :T_NAME01)  RETURNING T_CD")});
        s.conn.startTransaction();
        q.setParam(QStringLiteral("T_NAME01"), QStringLiteral("一番"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("T_CD")).asInteger(), 101);
        QCOMPARE(q.recordCount(), 1);
        q.close();
        q.setParam(QStringLiteral("T_NAME01"), QStringLiteral("二番"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("T_CD")).asInteger(), 102);
        s.conn.commit();
        QCOMPARE(s.count(QStringLiteral("where T_CD in (101, 102)")), 2);

        // A row-returning statement outside a transaction is committed on its own.
        q.setParam(QStringLiteral("T_NAME01"), QStringLiteral("三番"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("T_CD")).asInteger(), 103);
        QCOMPARE(s.count(), 3);

        // Opening a statement that returns nothing is refused before it runs.
        q.setSql(QStringLiteral("delete from MAS_SIIRE"));
        QVERIFY_THROWS_EXCEPTION(db::Error, q.open());
        QCOMPARE(s.count(), 3);
        q.execute();
        QCOMPARE(q.rowsAffected(), 3);
    }

    void schemaStatements()
    {
        Suite old(testing::Suite::Old);
        Query q(old.conn);
        q.setSql(QStringLiteral("ALTER TABLE MAS_SIIRE ADD E_MAILE Char(120)"));
        q.execute();
        try {
            q.execute();
            QFAIL("adding a column twice succeeded");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("unsuccessful metadata update")), qPrintable(e.message()));
            QCOMPARE(e.sqlState(), QStringLiteral("23000"));
            QVERIFY(e.statement().contains(QLatin1String("ALTER TABLE")));
        }
        Query check(old.conn);
        check.setSql(QStringLiteral("select E_MAILE from MAS_SIIRE"));
        check.open(); // the column is there
        QVERIFY(check.isEmpty());
        QCOMPARE(check.fieldName(0), QStringLiteral("E_MAILE"));
    }

    void parametersAndNulls()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(QStringList{
            QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, KU_TAX, KU_SIME, KIN_01, E_DATE01, E_DATE02)"),
            QStringLiteral("values (:T_CD, :T_NAME01, :T_TEL, :KU_TAX, :KU_SIME, :KIN_01, :E_DATE01, :E_DATE02)")});
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
        try {
            q.execute();
            QFAIL("text that is no number went into a SMALLINT");
        } catch (const db::Error& e) {
            QCOMPARE(e.sqlState(), QStringLiteral("22018"));
        }
        q.clearParams();
        q.setParam(QStringLiteral("T_CD"), 3);
        q.execute(); // every other column null

        Query r(s.conn);
        r.setSql(QStringLiteral("select * from MAS_SIIRE order by T_CD"));
        r.open();
        QCOMPARE(r.recordCount(), 2);
        QCOMPARE(r.field(QStringLiteral("T_NAME01")).asString(), QStringLiteral("山田建設"));
        QVERIFY(r.field(QStringLiteral("T_TEL")).isNull());
        QCOMPARE(r.field(QStringLiteral("T_TEL")).asString(), QString());
        QCOMPARE(r.field(QStringLiteral("KU_TAX")).asInteger(), 12);
        QCOMPARE(r.field(QStringLiteral("KU_SIME")).asInteger(), 2);
        QCOMPARE(r.field(QStringLiteral("KIN_01")).asFloat(), 12.5);
        QCOMPARE(r.field(QStringLiteral("E_DATE01")).asDateTime(), QDateTime(QDate(2026, 12, 4), QTime(0, 0)));
        QCOMPARE(r.field(QStringLiteral("E_DATE01")).asString(), QStringLiteral("2026/12/04"));
        // A DATE column keeps the day only.
        QCOMPARE(r.field(QStringLiteral("E_DATE02")).asDateTime(), QDateTime(QDate(2027, 1, 5), QTime(0, 0)));
        r.next();
        QCOMPARE(r.field(QStringLiteral("T_CD")).asInteger(), 3);
        for (const char* name : {"T_NAME01", "KU_TAX", "KIN_01", "E_DATE01"}) {
            const db::Field f = r.field(QLatin1String(name));
            QVERIFY(f.isNull());
            QCOMPARE(f.asString(), QString());
            QCOMPARE(f.asInteger(), 0);
            QCOMPARE(f.asFloat(), 0.0);
            QVERIFY(!f.asDateTime().isValid());
        }
        QVERIFY_THROWS_EXCEPTION(db::Error, r.field(QStringLiteral("NO_SUCH_FIELD")));

        // A name used twice is one parameter.
        Query twice(s.conn);
        twice.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE where T_CD = :CD or T_CD + 2 = :CD"));
        twice.setParam(QStringLiteral("CD"), 3);
        twice.open();
        QCOMPARE(twice.field(QStringLiteral("N")).asInteger(), 2);
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
        Query q(s.conn);
        q.setSql(QStringLiteral("select T_NAME01, octet_length(T_NAME01) as BYTES from MAS_SIIRE"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("T_NAME01")).asString(), stored);
        QCOMPARE(q.field(QStringLiteral("BYTES")).asInteger(), int(cp932::encode(stored).size()));

        // The statement text itself travels in the same code page.
        Query literal(s.conn);
        literal.setSql(QStringLiteral("select T_CD from MAS_SIIRE where T_NAME01 = '")
                       + QString(stored).replace(QLatin1String("'"), QLatin1String("''")) + QStringLiteral("'"));
        literal.open();
        QCOMPARE(literal.recordCount(), 1);
    }

    void characterWithoutCodePage932FormIsRefused()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (1, :N)"));
        q.setParam(QStringLiteral("N"), QStringLiteral("山田\U0001F600建設"));
        try {
            q.execute();
            QFAIL("an emoji was stored");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("\U0001F600")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QLatin1String("U+1F600")), qPrintable(e.message()));
            QVERIFY(e.message().contains(QLatin1String("N")));
        }
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (2, '–')")); // en dash in the text
        QVERIFY_THROWS_EXCEPTION(db::Error, q.execute());
        QCOMPARE(s.count(), 0);
    }

    void fixedWidthTextComesBackPadded()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, E_MAILE) values (1, :M)"));
        q.setParam(QStringLiteral("M"), QStringLiteral("info@yamada.example.jp"));
        q.execute();
        q.setSql(QStringLiteral("select E_MAILE from MAS_SIIRE"));
        q.open();
        const QString mail = q.field(QStringLiteral("E_MAILE")).asString();
        QCOMPARE(mail.size(), 120);
        QCOMPARE(mail.trimmed(), QStringLiteral("info@yamada.example.jp"));
    }

    void walkingAResult()
    {
        Suite s;
        Query insert(s.conn);
        insert.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_KEY) values (:CD, :KEY)"));
        s.conn.startTransaction();
        for (int i = 1; i <= 300; ++i) {
            insert.setParam(QStringLiteral("CD"), i);
            insert.setParam(QStringLiteral("KEY"), QStringLiteral("ｶ%1").arg(i));
            insert.execute();
        }
        s.conn.commit();

        Query q(s.conn);
        q.setSql(QStringLiteral("select T_CD, T_KEY from MAS_SIIRE order by T_CD"));
        q.open();
        QVERIFY(q.bof());
        QVERIFY(!q.eof());
        QCOMPARE(q.recNo(), 1);
        QVERIFY2(q.fetchedCount() < 300, "the whole result was read at open");
        int seen = 0;
        int sum = 0;
        for (; !q.eof(); q.next()) {
            ++seen;
            sum += q.field(QStringLiteral("T_CD")).asInteger();
            QCOMPARE(q.recNo(), seen);
        }
        QCOMPARE(seen, 300);
        QCOMPARE(sum, 300 * 301 / 2);
        QCOMPARE(q.field(QStringLiteral("T_CD")).asInteger(), 300); // stays on the last row
        QCOMPARE(q.recordCount(), 300);

        q.first();
        QCOMPARE(q.field(QStringLiteral("T_KEY")).asString(), QStringLiteral("ｶ1"));
        q.prior();
        QVERIFY(q.bof());
        QCOMPARE(q.recNo(), 1);
        q.last();
        QVERIFY(q.eof());
        QCOMPARE(q.field(QStringLiteral("T_CD")).asInteger(), 300);
        q.prior();
        QCOMPARE(q.field(QStringLiteral("T_CD")).asInteger(), 299);
        q.moveTo(9);
        QCOMPARE(q.recNo(), 10);

        q.setSql(QStringLiteral("select * from MAS_SIIRE where T_CD < 0"));
        q.open();
        QVERIFY(q.isEmpty());
        QVERIFY(q.eof());
        QCOMPARE(q.recNo(), 0);
        QCOMPARE(q.recordCount(), 0);
        QCOMPARE(q.field(QStringLiteral("T_NAME01")).asString(), QString()); // an empty result reads as null
        q.next();
        QVERIFY(q.eof());
    }

    void cachedUpdates()
    {
        Suite s;
        Query seed(s.conn);
        seed.setSql(QStringLiteral("insert into MAS_SIIRE (T_CD, T_KEY, T_NAME01, T_TEL, KU_TAX, KIN_01) "
                                   "values (1, 'ﾔﾏﾀﾞ', '山田建設', '03-1234-5678', 0, 5)"));
        seed.execute();

        Query q(s.conn);
        q.setCachedUpdates(true);
        q.setSql(QStringLiteral("Select * from MAS_SIIRE where T_CD=1"));
        q.open();
        QVERIFY_THROWS_EXCEPTION(db::Error, q.field(QStringLiteral("T_NAME01")).setValue(QStringLiteral("x")));
        q.edit();
        q.field(QStringLiteral("T_NAME01")).setValue(QStringLiteral("山田建設工業"));
        q.field(QStringLiteral("T_TEL")).clear();
        q.field(QStringLiteral("KU_TAX")).setValue(QStringLiteral("3"));
        QCOMPARE(q.field(QStringLiteral("T_NAME01")).asString(), QStringLiteral("山田建設工業"));
        q.post();
        QVERIFY(q.hasPendingUpdates());
        QCOMPARE(s.count(QStringLiteral("where T_NAME01 = '山田建設'")), 1); // nothing written yet

        s.conn.startTransaction();
        q.applyUpdates();
        s.conn.rollback();
        QCOMPARE(s.count(QStringLiteral("where T_NAME01 = '山田建設'")), 1);

        q.close();
        q.open();
        q.edit();
        q.field(QStringLiteral("T_NAME01")).setValue(QStringLiteral("山田建設工業"));
        q.field(QStringLiteral("T_TEL")).clear();
        q.field(QStringLiteral("KU_TAX")).setValue(QStringLiteral("3"));
        q.post();
        q.applyUpdates();
        QVERIFY(!q.hasPendingUpdates());

        Query r(s.conn);
        r.setSql(QStringLiteral("select * from MAS_SIIRE where T_CD=1"));
        r.open();
        QCOMPARE(r.field(QStringLiteral("T_NAME01")).asString(), QStringLiteral("山田建設工業"));
        QVERIFY(r.field(QStringLiteral("T_TEL")).isNull());
        QCOMPARE(r.field(QStringLiteral("KU_TAX")).asInteger(), 3);
        QCOMPARE(r.field(QStringLiteral("T_KEY")).asString(), QStringLiteral("ﾔﾏﾀﾞ")); // left alone
        QCOMPARE(r.field(QStringLiteral("KIN_01")).asFloat(), 5.0);

        // A change that cannot be stored writes nothing at all.
        q.edit();
        q.field(QStringLiteral("T_KEY")).setValue(QStringLiteral("ﾔﾏﾀﾞ"));
        q.field(QStringLiteral("T_NAME02")).setValue(QStringLiteral("\U0001F600"));
        q.post();
        QVERIFY_THROWS_EXCEPTION(db::Error, q.applyUpdates());
        QVERIFY(!s.conn.inTransaction());

        // The row went away meanwhile: the update fails instead of vanishing.
        Query gone(s.conn);
        gone.setCachedUpdates(true);
        gone.setSql(QStringLiteral("Select * from MAS_SIIRE where T_CD=1"));
        gone.open();
        seed.setSql(QStringLiteral("delete from MAS_SIIRE"));
        seed.execute();
        gone.edit();
        gone.field(QStringLiteral("T_NAME01")).setValue(QStringLiteral("x"));
        gone.post();
        QVERIFY_THROWS_EXCEPTION(db::Error, gone.applyUpdates());
        QCOMPARE(s.count(), 0);
    }

    void blockInsert()
    {
        Suite s;
        const QStringList columns{QStringLiteral("T_CD"), QStringLiteral("T_NAME01"), QStringLiteral("KU_SIME"),
                                  QStringLiteral("KIN_01"), QStringLiteral("E_DATE01"), QStringLiteral("E_MAILE")};
        auto row = [](int code) {
            return QVariantList{code, QStringLiteral("株式会社O'Neil ㈱①髙 %1").arg(code),
                                code % 2 ? QVariant(QStringLiteral("31")) : QVariant(), code * 0.5,
                                QDate(2026, 12, 4), QStringLiteral("a@b.jp")};
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
        Query q(s.conn);
        q.setSql(QStringLiteral("select * from MAS_SIIRE where T_CD in (500, 1001) order by T_CD"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("T_NAME01")).asString(), QStringLiteral("株式会社O'Neil ㈱①髙 500"));
        QVERIFY(q.field(QStringLiteral("KU_SIME")).isNull());
        QCOMPARE(q.field(QStringLiteral("KIN_01")).asFloat(), 250.0);
        QCOMPARE(q.field(QStringLiteral("E_DATE01")).asDateTime().date(), QDate(2026, 12, 4));
        QCOMPARE(q.field(QStringLiteral("E_MAILE")).asString().size(), 120);
        q.next();
        QCOMPARE(q.field(QStringLiteral("KU_SIME")).asInteger(), 31);

        // A failing block inside a transaction: the caller rolls back and nothing stays.
        {
            db::TransactionGuard guard(s.conn);
            db::BlockInsert insert(s.conn, QStringLiteral("MAS_SIIRE"), columns, 10);
            for (int code = 2000; code < 2005; ++code)
                insert.add(row(code));
            insert.add(row(1)); // an existing code
            QVERIFY_THROWS_EXCEPTION(db::Error, insert.flush());
            QVERIFY_THROWS_EXCEPTION(db::Error, insert.add(QVariantList{3000, QStringLiteral("\U0001F600"), {}, {}, {}, {}}));
        }
        QCOMPARE(s.count(), 1001);
    }

    void statementErrorsCarryTheServersWords()
    {
        Suite s;
        Query q(s.conn);
        q.setSql(QStringLiteral("select * from NO_SUCH_TABLE"));
        try {
            q.open();
            QFAIL("opened a missing table");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("NO_SUCH_TABLE")), qPrintable(e.message()));
            QCOMPARE(e.sqlState(), QStringLiteral("42S02"));
            QVERIFY(e.errorCode() != 0);
            QCOMPARE(e.statement(), QStringLiteral("select * from NO_SUCH_TABLE"));
        }
        QVERIFY(!q.isOpen());
        // The connection is fine afterwards.
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
        q.open();
        QCOMPARE(q.field(QStringLiteral("N")).asInteger(), 0);
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"

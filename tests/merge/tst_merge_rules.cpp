// The merge's rules on a real suite database, without a window: which codes
// can be merged, and what a merge changes.

#include <QTest>

#include <memory>

#include "db/Error.h"
#include "merge/Unit7.h"
#include "tests/support/TestSupport.h"

namespace {

// The tables whose rows name a supplier: the row's number, the column naming it.
struct Reference
{
    const char* table;
    const char* number;
    const char* column;
};
const Reference kReferences[] = {
    {"DAT_SIAGE02", "SIAGE_NO", "T_CD_2"},     {"DAT_K_KOUTEI", "KOUTEI_NO", "T_CD2"},
    {"DAT_MITUMORI_M", "MITUMORI_NO", "S_CD"}, {"DAT_JIKKOU_MEISAI", "MEISAI_NO", "T_CD_2"},
    {"DAT_JIKKOU", "JIKKOU_NO", "T_CD_2"},     {"DAT_HYOUSI_05", "HYOUSI_NO", "T_CD_2"},
    {"DAT_MEISAI03", "MEISAI_NO", "T_CD_2"},   {"DAT_HYOUSI_03", "HYOUSI_NO", "T_CD_2"},
    {"DAT_SATEI03", "SATEI_NO", "T_CD_2"},
};

} // namespace

class TestMergeRules : public QObject
{
    Q_OBJECT

    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<testing::SuiteSql> m_suite;

    // Every supplier code the tables hold (but without), table by table, row by row.
    QStringList references(const char* without = "")
    {
        QStringList tables;
        for (const Reference& r : kReferences) {
            if (qstrcmp(r.table, without) == 0)
                continue;
            QStringList codes;
            for (const QVariant& v : m_suite->column(
                     QStringLiteral("select %1 from %2 order by %3")
                         .arg(QLatin1String(r.column), QLatin1String(r.table), QLatin1String(r.number))))
                codes << v.toString();
            tables << QLatin1String(r.table) + u':' + codes.join(u',');
        }
        return tables;
    }

private slots:
    void initTestCase()
    {
        m_database = std::make_unique<testing::SuiteDatabase>();
        m_suite = std::make_unique<testing::SuiteSql>(m_database->params());
        m_suite->addSupplier(105, u"ｱｵｲｹﾝｾﾂ"_qs, u"葵建設"_qs, {}, 301);
        m_suite->addSupplier(230, u"ｱｵｲｹﾝｾﾂ2"_qs, u"葵建設（重複）"_qs);
        m_suite->addSupplier(231, u"ｱｵｲｺｳｷﾞｮｳ"_qs, u"葵工業"_qs);
        m_suite->addSupplier(300, u"ｻｸｼﾞｮ"_qs, u"削除済"_qs, {}, {}, true);
    }

    // Empty: none. A deleted lower supplier still hands its data over.
    void mergeProblem()
    {
        const char* const rows[][3] = {
            {" 105 ", "230 ", ""},
            {"105", "300", ""},
            {"105", " ", "下段の仕入先CDを入力してください。"},
            {"abc", "230", "上段の仕入先CD「abc」は仕入先のコードではありません。"},
            {"105", "-230", "下段の仕入先CD「-230」は仕入先のコードではありません。"},
            {"105", " 105", "上段と下段が同じ仕入先CD 105 です。別の業者を指定してください。"},
            {"999", "230", "上段の仕入先CD 999 の業者は登録されていません。"},
            {"300", "230", "上段の仕入先CD 300 の業者は削除されています。"},
        };
        for (const auto& r : rows)
            QCOMPARE(suppliermerge::MergeProblem(m_suite->connection(), QString::fromUtf8(r[0]),
                                                 QString::fromUtf8(r[1])),
                     QString::fromUtf8(r[2]));
    }

    // Every row of the lower supplier moves to the upper one, which is left
    // as it was; the lower one is stamped deleted on the day given.
    void mergeMovesEveryRow()
    {
        int number = 1;
        for (const Reference& r : kReferences)
            for (const int code : {230, 105, 231, 230})
                m_suite->run(
                    QStringLiteral("insert into %1 (%2, %3) values (%4, %5)")
                        .arg(QLatin1String(r.table), QLatin1String(r.number), QLatin1String(r.column))
                        .arg(number++)
                        .arg(code));
        QStringList expected = references().replaceInStrings(u"230"_qs, u"105"_qs);
        const QVariantMap upper = m_suite->rows(u"select * from MAS_SIIRE where T_CD=105"_qs).value(0);

        suppliermerge::MergeSuppliers(m_suite->connection(), 105, 230, QDate(2026, 4, 1));
        QCOMPARE(references(), expected);
        QCOMPARE(m_suite->supplier(230, u"E_DATE04"_qs).toDate(), QDate(2026, 4, 1));
        QCOMPARE(m_suite->rows(u"select * from MAS_SIIRE where T_CD=105"_qs).value(0), upper);
        QVERIFY(m_suite->supplier(231, u"E_DATE04"_qs).isNull());

        // The seventh table is gone: the six before it were re-pointed, and are put back.
        m_suite->run(u"DROP TABLE DAT_MEISAI03"_qs);
        expected = references("DAT_MEISAI03");
        QVERIFY_THROWS_EXCEPTION(db::Error,
                                 suppliermerge::MergeSuppliers(m_suite->connection(), 231, 105, {}));
        QCOMPARE(references("DAT_MEISAI03"), expected);
        QVERIFY(m_suite->supplier(105, u"E_DATE04"_qs).isNull());
    }
};

QTEST_GUILESS_MAIN(TestMergeRules)
#include "tst_merge_rules.moc"

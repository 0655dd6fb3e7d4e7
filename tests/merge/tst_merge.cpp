// The merge form as the clerk works it: OK's paths and the code pickers.
// Which codes can be merged and what a merge moves: tst_merge_rules.

#include <QRegularExpression>

#include <memory>

#include "dialogs/Fonts.h"
#include "merge/Unit7.h"
#include "search/trad_sel.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"

using namespace testing;

namespace {

// A name of 44 characters (88 bytes of T_NAME01's 100).
const QString kLongName =
    u"株式会社葵建設（重複登録・旧鳥取営業所・とび・土工・コンクリート工事部門・鉄骨工事部門）"_qs;

} // namespace

class TestMerge : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;
    std::unique_ptr<db::Connection> m_program;
    std::unique_ptr<QWidget> m_main; // and the dialogs, gone before their connection

    // Who the estimates name, and the two suppliers' deletion dates.
    QStringList state()
    {
        QStringList s;
        for (const QVariant& v : m_suite->column(u"select S_CD from DAT_MITUMORI_M order by MITUMORI_NO"_qs))
            s << v.toString();
        for (const int code : {105, 230})
            s << m_suite->supplier(code, u"E_DATE04"_qs).toString();
        return s;
    }

    // OK on the two codes typed; then the answers to what follows. The form
    // stays open after a refusal: cancelled then.
    int mergeWith(const QString& upper, const QString& lower, const QList<Responder>& then,
                  QStringList* said = nullptr)
    {
        return showWith(
            *Form7,
            [&] {
                Form7->E_G_CD1->setText(upper);
                Form7->E_G_CD2->setText(lower);
                Form7->BitBtn1->click();
                if (Form7->isVisible())
                    Form7->BitBtn2->click();
            },
            then, said);
    }

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs)); }

    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<SuiteDatabase>();
        m_suite = std::make_unique<SuiteSql>(m_database->params());
        m_suite->addSupplier(105, u"ｱｵｲｹﾝｾﾂ"_qs, u"葵建設"_qs, u"0857-22-0105"_qs, 301);
        m_suite->addSupplier(230, u"ｱｵｲｹﾝｾﾂ2"_qs, kLongName);
        m_suite->addSupplier(231, u"ｱｵｲｺｳｷﾞｮｳ"_qs, u"葵工業"_qs);
        for (const int code : {230, 105, 231})
            m_suite->run(
                u"insert into DAT_MITUMORI_M (MITUMORI_NO, S_CD) values (%1, %2)"_qs.arg(code + 1).arg(code));
        m_program = std::make_unique<db::Connection>();
        m_program->setParams(m_database->params());
        m_main = mainWindow();
        MASSAGE_FORM = new TMASSAGE_FORM(m_main.get());
        trad_sen2 = new Ttrad_sen2(*m_program, m_main.get());
        Form7 = new TForm7(*m_program, m_main.get());
    }

    void picking()
    {
        TForm7& form = *Form7;
        const auto pickSecondRow = [](QDialog&) {
            QCOMPARE(listed(trad_sen2->DBGrid1), (QList<int>{105, 230, 231}));
            QTest::keyClick(trad_sen2->Edit1, Qt::Key_Return);
            QTest::keyClick(trad_sen2->DBGrid1, Qt::Key_Down);
            QTest::keyClick(trad_sen2->DBGrid1, Qt::Key_Return);
        };
        const auto clerk = [&] {
            // A code that finds exactly one supplier is taken without the list.
            typeInto(form.E_G_CD1, u"105"_qs);
            QTest::keyClick(form.E_G_CD1, Qt::Key_Return);
            QCOMPARE(form.E_G_NAME1->text(), u"葵建設"_qs);
            // A name fragment finding several opens the list with them.
            typeInto(form.E_G_CD2, u"ｱｵｲ"_qs);
            QTest::keyClick(form.E_G_CD2, Qt::Key_Return);
            QCOMPARE(form.E_G_CD2->text(), u"230"_qs);
            QCOMPARE(form.E_G_NAME2->text(), kLongName); // whole, past the 40 a clerk may type
            form.BitBtn2->click();
        };
        QCOMPARE(showWith(form, clerk, {pickSecondRow}), TForm7::ResultCancel);
    }

    // OK refuses codes that cannot be merged and the form stays; else it asks,
    // and Yes merges. A failed merge is told. Only a finished merge changes anything.
    void okPaths()
    {
        const QStringList before = state();
        QStringList said;
        QCOMPARE(mergeWith(u"105"_qs, u"105"_qs, {answer(true)}, &said), TForm7::ResultCancel);
        QCOMPARE(said.size(), 1); // the refusal only, nothing asked
        QCOMPARE(mergeWith(u"105"_qs, u"230"_qs, {answer(false)}), TForm7::ResultOk);
        QCOMPARE(state(), before);

        QCOMPARE(mergeWith(u"105"_qs, u"230"_qs, {answer(true)}), TForm7::ResultOk);
        const QStringList after = state();
        QCOMPARE(after.mid(0, 4), (QStringList{u"105"_qs, u"105"_qs, u"231"_qs, QString()}));
        QVERIFY(!after.last().isEmpty()); // 230 deleted

        m_suite->run(u"DROP TABLE DAT_MEISAI03"_qs); // a failed merge is told; the rollback: tst_merge_rules
        QCOMPARE(mergeWith(u"105"_qs, u"231"_qs, {answer(true), ok()}, &said), TForm7::ResultOk);
        QVERIFY2(said.size() == 2 && said[1].contains(u"DAT_MEISAI03"_qs), qPrintable(said.join(u'\n')));
    }
};

QTEST_MAIN(TestMerge)
#include "tst_merge.moc"

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

    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;
    std::unique_ptr<db::Connection> m_program;

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
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_main = mainWindow();
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
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
        MASSAGE_FORM = new TMASSAGE_FORM(m_main.get());
        trad_sen2 = new Ttrad_sen2(*m_program, m_main.get());
        Form7 = new TForm7(*m_program, m_main.get());
    }

    void cleanup()
    {
        delete Form7;
        delete trad_sen2;
        delete MASSAGE_FORM;
        m_program.reset();
        m_suite.reset();
        m_database.reset();
    }

    // OK refuses codes that cannot be merged and the form stays; else it asks,
    // and Yes merges. A failed merge is told. Only a finished merge changes anything.
    void okPaths()
    {
        const QStringList before = state();
        QStringList said;
        QCOMPARE(mergeWith(u"105"_qs, u"105"_qs, {answer(true)}, &said), TForm7::ResultCancel);
        QCOMPARE(said, QStringList{u"上段と下段が同じ仕入先CD 105 です。別の業者を指定してください。"_qs});
        QCOMPARE(mergeWith(u"105"_qs, u"230"_qs, {answer(false)}, &said), TForm7::ResultOk);
        QCOMPARE(said, QStringList{u"業者を統合しますか？"_qs});
        QCOMPARE(state(), before);

        const QDate day = QDate::currentDate();
        QCOMPARE(mergeWith(u"105"_qs, u"230"_qs, {answer(true)}), TForm7::ResultOk);
        const QStringList after = state();
        QCOMPARE(after.mid(0, 4), (QStringList{u"105"_qs, u"105"_qs, u"231"_qs, QString()}));
        QVERIFY2(isToday(m_suite->supplier(230, u"E_DATE04"_qs).toDate(), day), qPrintable(after.last()));

        m_suite->run(u"DROP TABLE DAT_MEISAI03"_qs); // the seventh of the nine tables
        QCOMPARE(mergeWith(u"105"_qs, u"231"_qs, {answer(true), ok()}, &said), TForm7::ResultOk);
        QVERIFY2(said.size() == 2 && said[1].startsWith(u"エラー: "_qs) &&
                     said[1].contains(u"DAT_MEISAI03"_qs),
                 qPrintable(said.join(u'\n')));
        QCOMPARE(state(), after);
        QVERIFY(m_suite->supplier(231, u"E_DATE04"_qs).isNull());
    }

    void picking()
    {
        TForm7& form = *Form7;
        const auto pickSecondRow = [](QDialog& d) {
            QVERIFY(&d == trad_sen2);
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
            // With its name filled, Enter does nothing; a double-click still opens the list.
            typeInto(form.E_G_CD2, u"231"_qs);
            QTest::keyClick(form.E_G_CD2, Qt::Key_Return);
            QCOMPARE(form.E_G_NAME2->text(), kLongName);
            QTest::mouseDClick(form.E_G_CD2, Qt::LeftButton);
            QCOMPARE(form.E_G_CD2->text(), u"231"_qs); // the list was cancelled
            form.BitBtn2->click();
        };
        QCOMPARE(showWith(form, clerk, {pickSecondRow, press(Qt::Key_Escape)}), TForm7::ResultCancel);
    }
};

QTEST_MAIN(TestMerge)
#include "tst_merge.moc"

#include "dialogs/Fonts.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"
#include "merge/Unit7.h"
#include "search/trad_sel.h"
#include "tests/search/ListTesting.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

using testing::listedCodes;
using testing::SuiteData;
using testing::typeInto;

namespace {

using Responder = modal::Script::Responder;

// A name of 44 characters (88 bytes of T_NAME01's 100).
const QString kLongName = QStringLiteral("株式会社葵建設（重複登録・旧鳥取営業所・とび・土工・コンクリート工事部門・鉄骨工事部門）");

// The tables whose rows name a supplier: the row's number, the column naming it.
struct Reference
{
    QString table, number, column;
};
const QList<Reference> kReferences = {
    {QStringLiteral("DAT_SIAGE02"), QStringLiteral("SIAGE_NO"), QStringLiteral("T_CD_2")},
    {QStringLiteral("DAT_K_KOUTEI"), QStringLiteral("KOUTEI_NO"), QStringLiteral("T_CD2")},
    {QStringLiteral("DAT_MITUMORI_M"), QStringLiteral("MITUMORI_NO"), QStringLiteral("S_CD")},
    {QStringLiteral("DAT_JIKKOU_MEISAI"), QStringLiteral("MEISAI_NO"), QStringLiteral("T_CD_2")},
    {QStringLiteral("DAT_JIKKOU"), QStringLiteral("JIKKOU_NO"), QStringLiteral("T_CD_2")},
    {QStringLiteral("DAT_HYOUSI_05"), QStringLiteral("HYOUSI_NO"), QStringLiteral("T_CD_2")},
    {QStringLiteral("DAT_MEISAI03"), QStringLiteral("MEISAI_NO"), QStringLiteral("T_CD_2")},
    {QStringLiteral("DAT_HYOUSI_03"), QStringLiteral("HYOUSI_NO"), QStringLiteral("T_CD_2")},
    {QStringLiteral("DAT_SATEI03"), QStringLiteral("SATEI_NO"), QStringLiteral("T_CD_2")},
};

// Answers the message dialog, keeping what it said.
Responder message(bool yes, QStringList* said)
{
    return [yes, said](QDialog& d) {
        auto& form = static_cast<TMASSAGE_FORM&>(d);
        *said << form.LABEL->text();
        (yes ? form.BitBtn1 : form.BitBtn2)->click();
    };
}

} // namespace

class TestMerge : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<SuiteData> m_suite;
    std::unique_ptr<db::Connection> m_program;

    // Every supplier code the nine tables hold, row by row, and the two suppliers.
    QStringList snapshot(const QString& without = {})
    {
        QStringList rows;
        for (const Reference& r : kReferences) {
            if (r.table == without)
                continue;
            QStringList codes;
            for (const QVariant& v : m_suite->column(
                     QStringLiteral("select %1 from %2 order by %3").arg(r.column, r.table, r.number)))
                codes << v.toString();
            rows << r.table + QLatin1Char(':') + codes.join(QLatin1Char(','));
        }
        for (const int code : {105, 230})
            for (const char* column : {"T_NAME01", "T_NAME03", "KU_KOUSYU", "E_DATE04"})
                rows << QStringLiteral("%1.%2=%3")
                            .arg(code)
                            .arg(QLatin1String(column),
                                 m_suite->value(code, QLatin1String(column)).toString());
        return rows;
    }

    // Shows the merge with the two codes typed and OK pressed, answering what follows.
    // A dialog left unanswered or an answer left unused warns, which init() makes fail.
    int mergeWith(const QString& upper, const QString& lower, std::initializer_list<Responder> then)
    {
        modal::Script script;
        script.answer([&](QDialog&) {
            Form7->E_G_CD1->setText(upper);
            Form7->E_G_CD2->setText(lower);
            Form7->BitBtn1->click();
            if (Form7->isVisible()) // refused: the form stays for the clerk
                Form7->BitBtn2->click();
        });
        for (const Responder& r : then)
            script.answer(r);
        return modal::exec(*Form7);
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(60, 40, 1100, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_database = std::make_unique<testing::SuiteDatabase>();
        m_suite = std::make_unique<SuiteData>(m_database->params());
        SuiteData& s = *m_suite;
        s.addSupplier(105, QStringLiteral("ｱｵｲｹﾝｾﾂ"), QStringLiteral("葵建設"),
                      QStringLiteral("0857-22-0105"), 301);
        s.addSupplier(230, QStringLiteral("ｱｵｲｹﾝｾﾂ2"), kLongName);
        s.addSupplier(231, QStringLiteral("ｱｵｲｺｳｷﾞｮｳ"), QStringLiteral("葵工業"));
        s.addSupplier(300, QStringLiteral("ｻｸｼﾞｮ"), QStringLiteral("削除済"), {}, {}, true);
        int number = 1;
        for (const Reference& r : kReferences)
            for (const int code : {230, 105, 231, 230})
                s.run(QStringLiteral("insert into %1 (%2, %3) values (%4, %5)")
                          .arg(r.table, r.number, r.column)
                          .arg(number++)
                          .arg(code));
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

    void mergesIntoTheUpperSupplierWhenConfirmed()
    {
        const QStringList before = snapshot();
        QStringList said;
        QCOMPARE(mergeWith(QStringLiteral("105"), QStringLiteral("230"), {message(false, &said)}),
                 TForm7::ResultOk);
        QCOMPARE(snapshot(), before); // No changes nothing

        // Yes moves every row of the lower supplier to the upper one and marks the lower deleted.
        QStringList expected = before;
        for (QString& row : expected)
            if (row.contains(u':'))
                row.replace(QStringLiteral("230"), QStringLiteral("105"));
        expected.replace(expected.indexOf(QStringLiteral("230.E_DATE04=")),
                         QStringLiteral("230.E_DATE04=") + QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(mergeWith(QStringLiteral("105"), QStringLiteral("230"), {message(true, &said)}),
                 TForm7::ResultOk);
        QCOMPARE(said, QStringList(2, QStringLiteral("業者を統合しますか？")));
        QCOMPARE(snapshot(), expected); // 105 itself unchanged, 231 and the other rows too
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("says");
        const auto row = [](const char* name, const char* upper, const char* lower, const char* says) {
            QTest::newRow(name) << QString::fromUtf8(upper) << QString::fromUtf8(lower)
                                << QString::fromUtf8(says);
        };
        row("upper empty", "", "230", "上段の仕入先CDを入力してください。");
        row("lower empty", "105", " ", "下段の仕入先CDを入力してください。");
        row("upper not a number", "abc", "230", "上段の仕入先CD「abc」は仕入先のコードではありません。");
        row("lower not a number", "105", "1O5", "下段の仕入先CD「1O5」は仕入先のコードではありません。");
        row("code 0", "0", "230", "上段の仕入先CD「0」は仕入先のコードではありません。");
        row("the same", "105", "105", "上段と下段が同じ仕入先CD 105 です。別の業者を指定してください。");
        row("upper missing", "999", "230", "上段の仕入先CD 999 の業者は登録されていません。");
        row("upper deleted", "300", "230", "上段の仕入先CD 300 の業者は削除されています。");
        row("lower missing", "105", "999", "下段の仕入先CD 999 の業者は登録されていません。");
    }

    void refusals()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(QString, says);
        const QStringList before = snapshot();
        QStringList said;
        QCOMPARE(mergeWith(upper, lower, {message(true, &said)}), TForm7::ResultCancel);
        QCOMPARE(said, QStringList{says});
        QCOMPARE(snapshot(), before);
    }

    void failureLeavesEverythingAsItWas()
    {
        // The seventh of the nine tables is gone: the six before it were already re-pointed.
        const QStringList before = snapshot(QStringLiteral("DAT_MEISAI03"));
        m_suite->run(QStringLiteral("DROP TABLE DAT_MEISAI03"));
        QStringList said, error;
        const Responder errorBox = [&](QDialog& d) {
            error << static_cast<QMessageBox&>(d).text();
            d.accept();
        };
        QCOMPARE(mergeWith(QStringLiteral("105"), QStringLiteral("230"), {message(true, &said), errorBox}),
                 TForm7::ResultOk);
        QCOMPARE(error.size(), 1);
        QVERIFY2(error[0].startsWith(QStringLiteral("エラー: ")) &&
                     error[0].contains(QStringLiteral("DAT_MEISAI03")),
                 qPrintable(error[0]));
        QCOMPARE(snapshot(QStringLiteral("DAT_MEISAI03")), before);
    }

    void picking()
    {
        TForm7& form = *Form7;
        modal::Script script;
        script.answer([&](QDialog&) {
            // A code that finds exactly one supplier is taken without the list.
            typeInto(form.E_G_CD1, QStringLiteral("105"));
            QTest::keyClick(form.E_G_CD1, Qt::Key_Return);
            QCOMPARE(form.E_G_NAME1->text(), QStringLiteral("葵建設"));
            // A name fragment finding several opens the list with them.
            typeInto(form.E_G_CD2, QStringLiteral("ｱｵｲ"));
            QTest::keyClick(form.E_G_CD2, Qt::Key_Return);
            QCOMPARE(form.E_G_CD2->text(), QStringLiteral("230"));
            QCOMPARE(form.E_G_NAME2->text(), kLongName); // whole, past the 40 a clerk may type
            // With its name filled, Enter does nothing; a double-click still opens the list.
            typeInto(form.E_G_CD2, QStringLiteral("231"));
            QTest::keyClick(form.E_G_CD2, Qt::Key_Return);
            QCOMPARE(form.E_G_NAME2->text(), kLongName); // whole, past the 40 a clerk may type
            QTest::mouseDClick(form.E_G_CD2, Qt::LeftButton);
            QCOMPARE(form.E_G_CD2->text(), QStringLiteral("231")); // the list was cancelled
            form.BitBtn2->click();
        });
        script.answer([&](QDialog& d) {
            QVERIFY(&d == trad_sen2);
            QCOMPARE(listedCodes(trad_sen2->DBGrid1), (QList<int>{105, 230, 231}));
            QTest::keyClick(trad_sen2->Edit1, Qt::Key_Return);
            QTest::keyClick(trad_sen2->DBGrid1, Qt::Key_Down);
            QTest::keyClick(trad_sen2->DBGrid1, Qt::Key_Return);
        });
        script.answer([&](QDialog& d) {
            QVERIFY(&d == trad_sen2);
            QTest::keyClick(trad_sen2->Edit1, Qt::Key_Escape);
        });
        QCOMPARE(modal::exec(form), TForm7::ResultCancel);
    }
};

QTEST_MAIN(TestMerge)
#include "tst_merge.moc"

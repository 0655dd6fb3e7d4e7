#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/Modal.h"
#include "dialogs/ZIP_SEL.h"
#include "tests/supplier/Program.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using testing::Installation;
using testing::Program;

namespace {

class Suite
{
public:
    explicit Suite(const Installation& installation) { m_conn.params() = installation.params(); }

    void run(const QString& sql, const QVariantMap& params = {})
    {
        db::Query q(m_conn);
        q.setSql(sql);
        for (auto it = params.begin(); it != params.end(); ++it)
            q.setParam(it.key(), it.value());
        q.execute();
    }

    // The rows of a lookup table as "CD:NAME", in code order.
    QStringList rows(const QString& table)
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select CD, NAME from %1 order by CD").arg(table));
        q.open();
        QStringList out;
        for (; !q.eof(); q.next())
            out << q.field(QStringLiteral("CD")).asString() + u':' + q.field(QStringLiteral("NAME")).asString();
        return out;
    }

private:
    db::Connection m_conn;
};

} // namespace

// The coded fields and the postal code, by typing on the main screen.
class TestCodes : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_installation = std::make_unique<Installation>();
        m_suite = std::make_unique<Suite>(*m_installation);
        m_suite->run(QStringLiteral("insert into MAS_KOUSYU_02 values (3, 0, '基礎工事')"));
        m_suite->run(QStringLiteral("insert into MAS_KOUSYU_02 values (3, 2, '杭工事')"));
        m_suite->run(QStringLiteral("insert into MAS_KOUSYU_02 values (4, 1, '鉄筋工事')"));
        m_program = std::make_unique<Program>(*m_installation);
        // A dialog nobody expected is reported instead of waiting for an answer.
        m_unexpected = std::make_unique<modal::Script>();
        QVERIFY(m_program->start());
    }

    void cleanup()
    {
        const QString unexpected = m_unexpected->verify();
        m_unexpected.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        m_program.reset();
        m_suite.reset();
        m_installation.reset();
    }

    // Clicks into a code box, types, and presses Enter.
    void enterCode(QLineEdit* box, const QString& code)
    {
        m_program->focused();
        QTest::mouseClick(box, Qt::LeftButton);
        box->clear();
        m_program->typeText(code);
        m_program->type(Qt::Key_Return);
    }

    void taxKindAndInvoiceBox()
    {
        TForm1& f = m_program->form;
        m_suite->run(QStringLiteral("insert into LOOK_TAX_KUBUN values (0, '外税')"));
        m_suite->run(QStringLiteral("insert into LOOK_TAX_KUBUN values (1, '内税')"));
        m_suite->run(QStringLiteral("insert into LOOK_TAX_KUBUN values (2, '非課税')"));
        m_suite->run(QStringLiteral("insert into LOOK_TAX_KUBUN values (3, '免税')"));
        // An empty tax field lists the four kinds.
        int listed = -1;
        modal::Script script;
        script.answer([&listed](QDialog& d) {
            listed = Form_kouzou_sel->FDQ_1.recordCount();
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        enterCode(f.BAN_10, QString());
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QCOMPARE(listed, 4);
        QCOMPARE(m_program->focusedName(), QStringLiteral("BAN_12")); // Enter moves on, pick or not

        enterCode(f.BAN_10, QStringLiteral("3"));
        QCOMPARE(f.C_BOX_10->currentText(), QStringLiteral("免税"));
        QVERIFY(f.CheckBox1->isChecked());
        enterCode(f.BAN_10, QStringLiteral("0"));
        QCOMPARE(f.C_BOX_10->currentText(), QStringLiteral("外税"));
        QVERIFY(!f.CheckBox1->isChecked());

        // Emptying a code empties its name and touches nothing else.
        f.CheckBox1->setChecked(true);
        f.BAN_10->clear();
        QVERIFY(f.C_BOX_10->currentText().isEmpty());
        QVERIFY(f.CheckBox1->isChecked());

        // Opening the tax names always leaves exactly the four kinds.
        m_suite->run(QStringLiteral("insert into LOOK_TAX_KUBUN values (9, '余分')"));
        f.C_BOX_10->showPopup();
        f.C_BOX_10->hidePopup();
        QCOMPARE(m_suite->rows(QStringLiteral("LOOK_TAX_KUBUN")),
                 (QStringList{QStringLiteral("0:外税"), QStringLiteral("1:内税"), QStringLiteral("2:非課税"),
                              QStringLiteral("3:免税")}));
        QCOMPARE(f.C_BOX_10->count(), 4);
    }

    void oneSubjectIsTakenWithoutAList()
    {
        TForm1& f = m_program->form;
        m_suite->run(QStringLiteral("insert into LOOK_KAMOKU values (301, '外注費')"));
        modal::Script none; // no picker expected
        enterCode(f.BAN_12, QString());
        QVERIFY2(none.verify().isEmpty(), qPrintable(none.verify()));
        QCOMPARE(f.BAN_12->text(), QStringLiteral("301"));
        QCOMPARE(f.C_BOX_12->currentText(), QStringLiteral("外注費")); // the name follows the code
    }

    void tradeTypes()
    {
        TForm1& f = m_program->form;
        f.BAN_13->setText(QStringLiteral("302"));
        QCOMPARE(f.C_BOX_13->currentText(), QStringLiteral("杭工事"));
        // Not a number: looked up as 0, no name; Enter lists all trade types.
        f.BAN_13->setText(QStringLiteral("x"));
        QVERIFY(f.C_BOX_13->currentText().isEmpty());
        int listed = -1;
        modal::Script script;
        script.answer([&listed](QDialog&) {
            listed = Form_kouzou_sel->FDQ_1.recordCount();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // the first row: the heading 300
        });
        enterCode(f.BAN_13, QStringLiteral("x"));
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QCOMPARE(listed, 3);
        QCOMPARE(f.BAN_13->text(), QStringLiteral("300"));
        QCOMPARE(f.C_BOX_13->currentText(), QStringLiteral("基礎工事"));

        // Picking a name finds its code; a name that has gone empties the code.
        f.C_BOX_13->showPopup();
        f.C_BOX_13->hidePopup();
        QCOMPARE(f.C_BOX_13->count(), 3);
        f.C_BOX_13->setCurrentIndex(2);
        emit f.C_BOX_13->activated(2);
        QCOMPARE(f.BAN_13->text(), QStringLiteral("401"));
        m_suite->run(QStringLiteral("delete from MAS_KOUSYU_02 where BM_KUBUN = 1"));
        emit f.C_BOX_13->activated(2);
        QVERIFY(f.BAN_13->text().isEmpty());
        QVERIFY(f.C_BOX_13->currentText().isEmpty());
    }

    void roundingTablesKeepTheirFixedRows()
    {
        TForm1& f = m_program->form;
        for (int code : {0, 1, 2, 3})
            m_suite->run(QStringLiteral("insert into LOOK_HASUU values (%1, '旧%1')").arg(code));
        modal::Script script;
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        f.BAN_21DblClick(); // the amount rounding leaves four rows as they are
        QCOMPARE(m_suite->rows(QStringLiteral("LOOK_HASUU")).size(), 4);
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        f.BAN_11DblClick(); // the tax rounding puts back its three
        QCOMPARE(m_suite->rows(QStringLiteral("LOOK_HASUU")),
                 (QStringList{QStringLiteral("0:切捨て"), QStringLiteral("1:切上げ"), QStringLiteral("2:四捨五入")}));
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }

    void longListsDropDownThirtyAtATime()
    {
        TForm1& f = m_program->form;
        for (int code = 1; code <= 31; ++code)
            m_suite->run(QStringLiteral("insert into LOOK_KAMOKU values (%1, :N)").arg(code),
                         {{QStringLiteral("N"), QStringLiteral("科目%1").arg(code)}});
        f.C_BOX_12->showPopup();
        f.C_BOX_12->hidePopup();
        QCOMPARE(f.C_BOX_12->maxVisibleItems(), 31); // 31 still show 31
        m_suite->run(QStringLiteral("insert into LOOK_KAMOKU values (32, '科目32')"));
        f.C_BOX_12->showPopup();
        f.C_BOX_12->hidePopup();
        QCOMPARE(f.C_BOX_12->count(), 32);
        QCOMPARE(f.C_BOX_12->maxVisibleItems(), 30);
    }

    void quotesNeitherFailNorMatchWrongly()
    {
        TForm1& f = m_program->form;
        m_suite->run(QStringLiteral("insert into LOOK_SEIKYUU values (7, 'O''Neil')"));
        m_suite->run(QStringLiteral("insert into LOOK_SEIKYUU values (8, 'O')"));
        f.C_BOX_20->setEditText(QStringLiteral("O'Neil"));
        emit f.C_BOX_20->activated(0);
        QCOMPARE(f.BAN_20->text(), QStringLiteral("7"));
        f.C_BOX_20->setEditText(QStringLiteral("O' or '1'='1"));
        emit f.C_BOX_20->activated(0);
        QVERIFY(f.BAN_20->text().isEmpty());
        f.BAN_10->setText(QStringLiteral("'"));
        QVERIFY(f.C_BOX_10->currentText().isEmpty());
    }

    void postalCodeFillsTheAddress()
    {
        m_suite->run(QStringLiteral("ALTER TABLE LOOK_ZIP ADD YOMI Varchar(140)"));
        m_suite->run(QStringLiteral("insert into LOOK_ZIP (ZIP_CD, KEN_NAME, TIKU_NAME1, TIKU_NAME2, TI_MEI, TIKU_CD) "
                                    "values ('1234567', '鳥取県', '鳥取市', '東町', '鳥取県鳥取市東町', 31201)"));
        TForm1& f = m_program->form;
        enterCode(f.ED_08, QStringLiteral("123-4567"));
        QCOMPARE(f.ED_08->text(), QStringLiteral("123-4567"));
        QCOMPARE(f.ED_09->text(), QStringLiteral("鳥取県鳥取市東町"));
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_09"));

        // With an address already there, Enter only moves on.
        f.ED_09->setText(QStringLiteral("手で入れた住所"));
        modal::Script none;
        enterCode(f.ED_08, QStringLiteral("999-9999"));
        QVERIFY(none.verify().isEmpty());
        QCOMPARE(f.ED_09->text(), QStringLiteral("手で入れた住所"));
        QCOMPARE(f.ED_08->text(), QStringLiteral("999-9999"));
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_09"));
    }

private:
    std::unique_ptr<Installation> m_installation;
    std::unique_ptr<Suite> m_suite;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
};

QTEST_MAIN(TestCodes)
#include "tst_codes.moc"

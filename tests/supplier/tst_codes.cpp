#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/Modal.h"
#include "tests/supplier/Program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using testing::Installation;
using testing::Program;

// The coded fields and the postal code, by typing on the main screen.
class TestCodes : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_installation = std::make_unique<Installation>();
        m_conn.disconnect();
        m_conn.params() = m_installation->params();
        for (const char* trade : {"3, 0, '基礎工事'", "3, 2, '杭工事'", "4, 1, '鉄筋工事'"})
            run(QStringLiteral("insert into MAS_KOUSYU_02 values (%1)").arg(QString::fromUtf8(trade)));
        m_program = std::make_unique<Program>(*m_installation);
        m_unexpected = std::make_unique<modal::Script>(); // reports a dialog nobody expected
        QVERIFY(m_program->start());
    }

    void cleanup()
    {
        const QString unexpected = m_unexpected->verify();
        m_unexpected.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        m_program.reset();
        m_conn.disconnect();
        m_installation.reset();
    }

    void taxKindAndInvoiceBox()
    {
        TForm1& f = m_program->form;
        for (const char* kind : {"0, '外税'", "1, '内税'", "2, '非課税'", "3, '免税'"})
            run(QStringLiteral("insert into LOOK_TAX_KUBUN values (%1)").arg(QString::fromUtf8(kind)));
        // An empty tax field lists the four kinds; Enter moves on, pick or not.
        QCOMPARE(enterListing(f.BAN_10, QString(), Qt::Key_Escape), 4);
        QCOMPARE(m_program->focusedName(), QStringLiteral("BAN_12"));

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
        run(QStringLiteral("insert into LOOK_TAX_KUBUN values (9, '余分')"));
        popUp(f.C_BOX_10);
        QCOMPARE(rows(QStringLiteral("LOOK_TAX_KUBUN")),
                 QStringLiteral("0:外税 1:内税 2:非課税 3:免税").split(u' '));
        QCOMPARE(f.C_BOX_10->count(), 4);
    }

    void subjectsAndTradeTypes()
    {
        TForm1& f = m_program->form;
        // The only subject is taken without a list, its name following the code.
        run(QStringLiteral("insert into LOOK_KAMOKU values (301, '外注費')"));
        enterCode(f.BAN_12, QString());
        QCOMPARE(f.BAN_12->text(), QStringLiteral("301"));
        QCOMPARE(f.C_BOX_12->currentText(), QStringLiteral("外注費"));

        f.BAN_13->setText(QStringLiteral("302"));
        QCOMPARE(f.C_BOX_13->currentText(), QStringLiteral("杭工事"));
        // Not a number: looked up as 0, no name; Enter lists all trade types.
        f.BAN_13->setText(QStringLiteral("x"));
        QVERIFY(f.C_BOX_13->currentText().isEmpty());
        QCOMPARE(enterListing(f.BAN_13, QStringLiteral("x"), Qt::Key_Return), 3); // the first row: 300
        QCOMPARE(f.BAN_13->text(), QStringLiteral("300"));
        QCOMPARE(f.C_BOX_13->currentText(), QStringLiteral("基礎工事"));

        // Picking a name finds its code; a name that has gone empties the code.
        popUp(f.C_BOX_13);
        f.C_BOX_13->setCurrentIndex(2);
        emit f.C_BOX_13->activated(2);
        QCOMPARE(f.BAN_13->text(), QStringLiteral("401"));
        run(QStringLiteral("delete from MAS_KOUSYU_02 where BM_KUBUN = 1"));
        emit f.C_BOX_13->activated(2);
        QVERIFY(f.BAN_13->text().isEmpty() && f.C_BOX_13->currentText().isEmpty());
    }

    void roundingTablesKeepTheirFixedRows()
    {
        TForm1& f = m_program->form;
        for (int code : {0, 1, 2, 3})
            run(QStringLiteral("insert into LOOK_HASUU values (%1, '旧%1')").arg(code));
        modal::Script script;
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        f.BAN_21DblClick(); // the amount rounding leaves four rows as they are
        QCOMPARE(rows(QStringLiteral("LOOK_HASUU")).size(), 4);
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        f.BAN_11DblClick(); // the tax rounding puts back its three
        QCOMPARE(rows(QStringLiteral("LOOK_HASUU")), QStringLiteral("0:切捨て 1:切上げ 2:四捨五入").split(u' '));
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }

    void longListsDropDownThirtyAtATime()
    {
        TForm1& f = m_program->form;
        for (int code = 1; code <= 31; ++code)
            run(QStringLiteral("insert into LOOK_KAMOKU values (%1, '科目%1')").arg(code));
        popUp(f.C_BOX_12);
        QCOMPARE(f.C_BOX_12->maxVisibleItems(), 31); // 31 still show 31
        run(QStringLiteral("insert into LOOK_KAMOKU values (32, '科目32')"));
        popUp(f.C_BOX_12);
        QCOMPARE(f.C_BOX_12->count(), 32);
        QCOMPARE(f.C_BOX_12->maxVisibleItems(), 30);
    }

    void quotesNeitherFailNorMatchWrongly()
    {
        TForm1& f = m_program->form;
        run(QStringLiteral("insert into LOOK_SEIKYUU values (7, 'O''Neil')"));
        run(QStringLiteral("insert into LOOK_SEIKYUU values (8, 'O')"));
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
        run(QStringLiteral("ALTER TABLE LOOK_ZIP ADD YOMI Varchar(140)"));
        run(QStringLiteral("insert into LOOK_ZIP (ZIP_CD, KEN_NAME, TIKU_NAME1, TIKU_NAME2, TI_MEI, TIKU_CD) "
                           "values ('1234567', '鳥取県', '鳥取市', '東町', '鳥取県鳥取市東町', 31201)"));
        TForm1& f = m_program->form;
        enterCode(f.ED_08, QStringLiteral("123-4567"));
        QCOMPARE(f.ED_08->text(), QStringLiteral("123-4567"));
        QCOMPARE(f.ED_09->text(), QStringLiteral("鳥取県鳥取市東町"));
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_09"));

        // With an address already there, Enter only moves on.
        f.ED_09->setText(QStringLiteral("手で入れた住所"));
        enterCode(f.ED_08, QStringLiteral("999-9999"));
        QCOMPARE(f.ED_09->text(), QStringLiteral("手で入れた住所"));
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_09"));
    }

private:
    // Clicks into a code box, types, and presses Enter.
    void enterCode(QLineEdit* box, const QString& code)
    {
        m_program->focused();
        QTest::mouseClick(box, Qt::LeftButton);
        box->clear();
        m_program->typeText(code);
        m_program->type(Qt::Key_Return);
    }

    // Enters a code that brings up the code picker, answers it with a key and
    // returns how many rows it listed.
    int enterListing(QLineEdit* box, const QString& code, Qt::Key answer)
    {
        int listed = -1;
        modal::Script script;
        script.answer([&listed, answer](QDialog&) {
            listed = Form_kouzou_sel->FDQ_1.recordCount();
            QTest::keyClick(QApplication::focusWidget(), answer);
        });
        enterCode(box, code);
        return script.verify().isEmpty() ? listed : -1;
    }

    // Opens and closes a drop-down, as a click on its arrow does.
    static void popUp(QComboBox* box)
    {
        box->showPopup();
        box->hidePopup();
    }

    void run(const QString& sql)
    {
        db::Query q(m_conn);
        q.setSql(sql);
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

    std::unique_ptr<Installation> m_installation;
    db::Connection m_conn;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
};

QTEST_MAIN(TestCodes)
#include "tst_codes.moc"

#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/Modal.h"
#include "tests/supplier/Program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include <optional>

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

    // Real names run longer than the ten characters a clerk may type into a
    // name box: shown whole, and a pick from the list sets its own code.
    void longNamesShowWholeAndPickTheirOwnCode()
    {
        TForm1& f = m_program->form;
        const QString eleven = QStringLiteral("内装仕上・間仕切工事等");
        const QString fourteen = QStringLiteral("とび・土工・コンクリート工事");
        const QString forty = QStringLiteral("Reinforced concrete & steel frame works."); // the column's 40 bytes
        const QString names[] = {eleven, fourteen, forty};
        QCOMPARE(eleven.size(), 11);
        QCOMPARE(fourteen.size(), 14);
        QCOMPARE(forty.size(), 40);
        for (const QString& table : {QStringLiteral("LOOK_HASUU"), QStringLiteral("LOOK_KAMOKU"),
                                    QStringLiteral("LOOK_SIHARAI"), QStringLiteral("LOOK_SEIKYUU"),
                                    QStringLiteral("LOOK_TAX_KUBUN")})
            for (int i = 0; i < 3; ++i)
                run(QStringLiteral("insert into %1 values (%2, '%3')").arg(table).arg(5 + i).arg(names[i]));
        for (int i = 0; i < 3; ++i)
            run(QStringLiteral("insert into MAS_KOUSYU_02 values (5, %1, '%2')").arg(5 + i).arg(names[i]));

        const std::pair<QLineEdit*, QComboBox*> fields[] = {
            {f.BAN_10, f.C_BOX_10}, {f.BAN_11, f.C_BOX_11}, {f.BAN_12, f.C_BOX_12}, {f.BAN_13, f.C_BOX_13},
            {f.BAN_14, f.C_BOX_14}, {f.BAN_20, f.C_BOX_20}, {f.BAN_21, f.C_BOX_21}};
        for (const auto& [box, combo] : fields) {
            const QString field = box->objectName();
            for (int i = 0; i < 3; ++i) {
                const QString code = QString::number(box == f.BAN_13 ? 505 + i : 5 + i); // codes fit their boxes
                const QString& name = names[i];
                box->setText(code);
                QVERIFY2(combo->currentText() == name, qPrintable(field + u' ' + combo->currentText()));
                if (box == f.BAN_10)
                    continue; // its drop-down puts back the four fixed kinds
                box->clear();
                popUp(combo);
                const int index = combo->findText(name);
                QVERIFY2(index >= 0, qPrintable(field + u' ' + name));
                combo->setCurrentIndex(index);
                emit combo->activated(index);
                QVERIFY2(box->text() == code, qPrintable(field + u' ' + box->text()));
                QCOMPARE(combo->currentText(), name);
            }
        }

        // The clerk still types at most ten characters, and may shorten a long name.
        QLineEdit* typed = f.C_BOX_13->lineEdit();
        typed->clear();
        QTest::mouseClick(typed, Qt::LeftButton);
        m_program->typeText(QStringLiteral("基礎工事基礎工事基礎工事"));
        QCOMPARE(typed->text(), QStringLiteral("基礎工事基礎工事基礎"));
        f.BAN_13->setText(QStringLiteral("506"));
        QTest::mouseClick(typed, Qt::LeftButton);
        typed->end(false);
        QTest::keyClick(typed, Qt::Key_Backspace);
        QCOMPARE(typed->text(), fourteen.left(13));
        m_program->typeText(QStringLiteral("事業"));
        QCOMPARE(typed->text(), fourteen); // back to the name's own length, no further

        // What a pick set is what registration stores.
        f.BAN_13->clear();
        popUp(f.C_BOX_13);
        const int index = f.C_BOX_13->findText(fourteen);
        f.C_BOX_13->setCurrentIndex(index);
        emit f.C_BOX_13->activated(index);
        f.ED_02_1->setText(QStringLiteral("山田建設"));
        modal::Script script;
        script.answer([](QDialog&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
        script.answer([](QDialog&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
        m_program->type(Qt::Key_F3);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select KU_KOUSYU from MAS_SIIRE where T_CD = %1").arg(f.BAN_01->text().toInt()));
        q.open();
        QCOMPARE(q.field(QStringLiteral("KU_KOUSYU")).asInteger(), 506);
    }

    // The invoice box follows the tax kind only when a kind was found or
    // picked: a cancelled pick leaves a loaded supplier's flag alone.
    void cancelledTaxPickKeepsTheInvoiceBox()
    {
        TForm1& f = m_program->form;
        for (const char* kind : {"0, '外税'", "1, '内税'", "2, '非課税'", "3, '免税'"})
            run(QStringLiteral("insert into LOOK_TAX_KUBUN values (%1)").arg(QString::fromUtf8(kind)));
        for (const QString& code : {QString(), QStringLiteral("7")}) {
            // As a loaded supplier leaves them: the flag set after the tax kind.
            f.BAN_10->setText(code);
            f.CheckBox1->setChecked(true);
            QCOMPARE(enterListing(f.BAN_10, std::nullopt, Qt::Key_Escape), 4);
            QVERIFY2(f.CheckBox1->isChecked(), qPrintable(QStringLiteral("code \"%1\"").arg(code)));
        }
        // A found kind and a pick still set it.
        enterCode(f.BAN_10, QStringLiteral("1"));
        QVERIFY(!f.CheckBox1->isChecked());
        f.BAN_10->clear();
        f.CheckBox1->setChecked(false);
        modal::Script script;
        script.answer([](QDialog&) {
            QTableView* grid = Form_kouzou_sel->DBGrid1;
            grid->setCurrentIndex(grid->model()->index(3, 0)); // 3 免税
            QTest::keyClick(grid, Qt::Key_Return);
        });
        enterCode(f.BAN_10, QString());
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QCOMPARE(f.BAN_10->text(), QStringLiteral("3"));
        QVERIFY(f.CheckBox1->isChecked());
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
    // Without a code, Enter goes to what the box holds.
    void enterCode(QLineEdit* box, const std::optional<QString>& code)
    {
        m_program->focused();
        QTest::mouseClick(box, Qt::LeftButton);
        if (code) {
            box->clear();
            m_program->typeText(*code);
        }
        m_program->type(Qt::Key_Return);
    }

    // Enters a code that brings up the code picker, answers it with a key and
    // returns how many rows it listed.
    int enterListing(QLineEdit* box, const std::optional<QString>& code, Qt::Key answer)
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

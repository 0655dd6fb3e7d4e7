// The coded fields and the postal code, by typing on the main screen.

#include <QCheckBox>
#include <QRegularExpression>

#include <memory>
#include <optional>

#include "dialogs/KOUZOU_SEL.h"
#include "tests/supplier/Program.h"

using namespace testing;

class TestCodes : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;

    Program& program() { return m_session->program; }
    TForm1& form() { return m_session->program.form; }
    void run(const QString& sql) { m_session->suite.run(sql); }

    void addTaxKinds()
    {
        for (const char* kind : {"0, '外税'", "1, '内税'", "2, '非課税'", "3, '免税'"})
            run(u"insert into LOOK_TAX_KUBUN values (%1)"_qs.arg(QString::fromUtf8(kind)));
    }

    // Clicks into a code box, types, and presses Enter; without a code, Enter
    // goes to what the box holds. Answers the dialogs that brings up.
    void enterCode(QLineEdit* box, const std::optional<QString>& code, const QList<Responder>& answers = {})
    {
        program().focused();
        QTest::mouseClick(box, Qt::LeftButton);
        if (code) {
            box->clear();
            program().typeText(*code);
        }
        program().press(Qt::Key_Return, answers);
    }

    // The same when the code picker comes up: answered with a key; how many rows it listed.
    int enterListing(QLineEdit* box, const std::optional<QString>& code, Qt::Key answer)
    {
        int listed = -1;
        enterCode(box, code, {[&listed, answer](QDialog&) {
                      listed = Form_kouzou_sel->FDQ_1.recordCount();
                      QTest::keyClick(focused(), answer);
                  }});
        return listed;
    }

    // Picks name from a drop-down, as a click on its arrow and on the name does.
    static void pick(QComboBox* box, const QString& name)
    {
        box->showPopup();
        box->hidePopup();
        const int index = box->findText(name);
        QVERIFY2(index >= 0, qPrintable(box->objectName() + u' ' + name));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        m_session = std::make_unique<Session>();
        for (const char* trade : {"3, 0, '基礎工事'", "3, 2, '杭工事'", "4, 1, '鉄筋工事'"})
            run(u"insert into MAS_KOUSYU_02 values (%1)"_qs.arg(QString::fromUtf8(trade)));
        QVERIFY(program().start());
    }

    void cleanup() { m_session.reset(); }

    void taxKindAndInvoiceBox()
    {
        TForm1& f = form();
        addTaxKinds();
        // An empty tax field lists the four kinds; Enter moves on, pick or not.
        QCOMPARE(enterListing(f.BAN_10, QString(), Qt::Key_Escape), 4);
        QCOMPARE(program().focusedName(), u"BAN_12"_qs);

        enterCode(f.BAN_10, u"3"_qs);
        QCOMPARE(f.C_BOX_10->currentText(), u"免税"_qs);
        QVERIFY(f.CheckBox1->isChecked());
        enterCode(f.BAN_10, u"0"_qs);
        QCOMPARE(f.C_BOX_10->currentText(), u"外税"_qs);
        QVERIFY(!f.CheckBox1->isChecked());

        // Emptying a code empties its name and touches nothing else.
        f.CheckBox1->setChecked(true);
        f.BAN_10->clear();
        QVERIFY(f.C_BOX_10->currentText().isEmpty());
        QVERIFY(f.CheckBox1->isChecked());
    }

    // Real names run longer than the ten characters a clerk may type into a
    // name box: shown whole, and a pick from the list sets its own code.
    void longNamesShowWholeAndPickTheirOwnCode()
    {
        TForm1& f = form();
        const QString fourteen = u"とび・土工・コンクリート工事"_qs;
        // 11 and 14 characters, and the column's 40 bytes.
        const QString names[] = {u"内装仕上・間仕切工事等"_qs, fourteen,
                                 u"Reinforced concrete & steel frame works."_qs};
        for (const char* table :
             {"LOOK_HASUU", "LOOK_KAMOKU", "LOOK_SIHARAI", "LOOK_SEIKYUU", "LOOK_TAX_KUBUN"})
            for (int i = 0; i < 3; ++i)
                run(u"insert into %1 values (%2, '%3')"_qs.arg(QLatin1String(table))
                        .arg(5 + i)
                        .arg(names[i]));
        for (int i = 0; i < 3; ++i)
            run(u"insert into MAS_KOUSYU_02 values (5, %1, '%2')"_qs.arg(5 + i).arg(names[i]));

        for (const auto& [box, combo] : {std::pair(f.BAN_10, f.C_BOX_10), std::pair(f.BAN_11, f.C_BOX_11),
                                         std::pair(f.BAN_12, f.C_BOX_12), std::pair(f.BAN_13, f.C_BOX_13),
                                         std::pair(f.BAN_14, f.C_BOX_14), std::pair(f.BAN_20, f.C_BOX_20),
                                         std::pair(f.BAN_21, f.C_BOX_21)}) {
            for (int i = 0; i < 3; ++i) {
                const QString code =
                    QString::number(box == f.BAN_13 ? 505 + i : 5 + i); // codes fit their boxes
                box->setText(code);
                QVERIFY2(combo->currentText() == names[i],
                         qPrintable(box->objectName() + u' ' + combo->currentText()));
                if (box == f.BAN_10)
                    continue; // its drop-down puts back the four fixed kinds
                box->clear();
                pick(combo, names[i]);
                QVERIFY2(box->text() == code, qPrintable(box->objectName() + u' ' + box->text()));
                QCOMPARE(combo->currentText(), names[i]);
            }
        }

        // The clerk still types at most ten characters, and may shorten a long name.
        QLineEdit* typed = f.C_BOX_13->lineEdit();
        typed->clear();
        QTest::mouseClick(typed, Qt::LeftButton);
        program().typeText(u"基礎工事基礎工事基礎工事"_qs);
        QCOMPARE(typed->text(), u"基礎工事基礎工事基礎"_qs);
        f.BAN_13->setText(u"506"_qs);
        QTest::mouseClick(typed, Qt::LeftButton);
        typed->end(false);
        QTest::keyClick(typed, Qt::Key_Backspace);
        QCOMPARE(typed->text(), fourteen.left(13));
        program().typeText(u"事業"_qs);
        QCOMPARE(typed->text(), fourteen); // back to the name's own length, no further

        // What a pick set is what registration stores.
        f.BAN_13->clear();
        pick(f.C_BOX_13, fourteen);
        f.ED_02_1->setText(u"山田建設"_qs);
        program().press(Qt::Key_F3, {press(Qt::Key_Return), press(Qt::Key_Return)});
        QCOMPARE(m_session->suite.supplier(f.BAN_01->text().toInt(), u"KU_KOUSYU"_qs).toInt(), 506);
    }

    // The invoice box follows the tax kind only when a kind was found or
    // picked: a cancelled pick leaves a loaded supplier's flag alone.
    void cancelledTaxPickKeepsTheInvoiceBox()
    {
        TForm1& f = form();
        addTaxKinds();
        for (const QString& code : {QString(), u"7"_qs}) {
            // As a loaded supplier leaves them: the flag set after the tax kind.
            f.BAN_10->setText(code);
            f.CheckBox1->setChecked(true);
            QCOMPARE(enterListing(f.BAN_10, std::nullopt, Qt::Key_Escape), 4);
            QVERIFY2(f.CheckBox1->isChecked(), qPrintable(u"code \"%1\""_qs.arg(code)));
        }
        // A found kind and a pick still set it.
        enterCode(f.BAN_10, u"1"_qs);
        QVERIFY(!f.CheckBox1->isChecked());
        f.BAN_10->clear();
        f.CheckBox1->setChecked(false);
        enterCode(f.BAN_10, QString(), {[](QDialog&) {
                      QTableView* grid = Form_kouzou_sel->DBGrid1;
                      grid->setCurrentIndex(grid->model()->index(3, 0)); // 3 免税
                      QTest::keyClick(grid, Qt::Key_Return);
                  }});
        QCOMPARE(f.BAN_10->text(), u"3"_qs);
        QVERIFY(f.CheckBox1->isChecked());
    }

    void quotesNeitherFailNorMatchWrongly()
    {
        TForm1& f = form();
        run(u"insert into LOOK_SEIKYUU values (7, 'O''Neil')"_qs);
        run(u"insert into LOOK_SEIKYUU values (8, 'O')"_qs);
        f.C_BOX_20->setEditText(u"O'Neil"_qs);
        emit f.C_BOX_20->activated(0);
        QCOMPARE(f.BAN_20->text(), u"7"_qs);
        f.C_BOX_20->setEditText(u"O' or '1'='1"_qs);
        emit f.C_BOX_20->activated(0);
        QVERIFY(f.BAN_20->text().isEmpty());
        f.BAN_10->setText(u"'"_qs);
        QVERIFY(f.C_BOX_10->currentText().isEmpty());
    }

    void postalCodeFillsTheAddress()
    {
        run(u"ALTER TABLE LOOK_ZIP ADD YOMI Varchar(140)"_qs);
        run(u"insert into LOOK_ZIP (ZIP_CD, KEN_NAME, TIKU_NAME1, TIKU_NAME2, TI_MEI, TIKU_CD) "
            u"values ('1234567', '鳥取県', '鳥取市', '東町', '鳥取県鳥取市東町', 31201)"_qs);
        TForm1& f = form();
        enterCode(f.ED_08, u"123-4567"_qs);
        QCOMPARE(f.ED_08->text() + u' ' + f.ED_09->text(), u"123-4567 鳥取県鳥取市東町"_qs);
        QCOMPARE(program().focusedName(), u"ED_09"_qs);

        // With an address already there, Enter only moves on.
        f.ED_09->setText(u"手で入れた住所"_qs);
        enterCode(f.ED_08, u"999-9999"_qs);
        QCOMPARE(f.ED_09->text(), u"手で入れた住所"_qs);
        QCOMPARE(program().focusedName(), u"ED_09"_qs);
    }
};

QTEST_MAIN(TestCodes)
#include "tst_codes.moc"

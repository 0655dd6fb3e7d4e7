#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "dialogs/Modal.h"
#include "tests/supplier/Program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>

using testing::Installation;
using testing::Program;

namespace {

// Answers the program's message dialog with a key, keeping what it said.
modal::Script::Responder key(Qt::Key k, QStringList* said = nullptr)
{
    return [k, said](QDialog& d) {
        if (said)
            *said << static_cast<TMASSAGE_FORM&>(d).LABEL->text();
        QTest::keyClick(QApplication::focusWidget(), k);
    };
}

// Presses OK on a plain message box, keeping its text.
modal::Script::Responder ok(QStringList* said)
{
    return [said](QDialog& d) {
        auto& box = static_cast<QMessageBox&>(d);
        *said << box.text();
        QTest::keyClick(&box, Qt::Key_Return);
    };
}

// One supplier's row, column by column; an invalid QVariant is null.
class Row
{
public:
    explicit Row(QVariantMap values = {}) : m_values(std::move(values)) {}
    QVariant value(const char* column) const { return m_values.value(QLatin1String(column)); }
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QVariantMap m_values;
};

// The suite database as another workstation sees it.
class Suite
{
public:
    explicit Suite(const Installation& installation) { m_conn.params() = installation.params(); }

    void run(const QString& sql)
    {
        db::Query q(m_conn);
        q.setSql(sql);
        q.execute();
    }

    Row row(int code)
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select * from MAS_SIIRE where T_CD = :CD"));
        q.setParam(QStringLiteral("CD"), code);
        q.open();
        QVariantMap r;
        if (!q.isEmpty())
            for (int i = 0; i < q.fieldCount(); ++i)
                r.insert(q.fieldName(i), q.field(i).value());
        return Row(r);
    }

    int count(const QString& where = {})
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE ") + where);
        q.open();
        return q.field(QStringLiteral("N")).asInteger();
    }

private:
    db::Connection m_conn;
};

} // namespace

// Registering, loading, browsing and clearing, by typing on the main screen.
class TestRegister : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        m_installation = std::make_unique<Installation>();
        m_program = std::make_unique<Program>(*m_installation);
        m_suite = std::make_unique<Suite>(*m_installation);
        // A dialog nobody expected is reported instead of waiting for an answer.
        m_unexpected = std::make_unique<modal::Script>();
        QVERIFY(m_program->start());
    }

    void cleanup()
    {
        const QString unexpected = m_unexpected->verify();
        m_unexpected.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        m_suite.reset();
        m_program.reset();
        m_installation.reset();
    }

    // Types text into a box as the clerk does: click, type, move on with Down.
    void typeInto(QLineEdit* box, const QString& text)
    {
        m_program->focused();
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        m_program->typeText(text);
        m_program->type(Qt::Key_Down);
    }

    // F3, Yes by Enter, then the notice; returns what the dialogs said.
    QStringList registerWithF3(int expectedDialogs = 2)
    {
        QStringList said;
        modal::Script script;
        script.answer(key(Qt::Key_Return, &said));
        if (expectedDialogs > 1)
            script.answer(key(Qt::Key_Return, &said));
        m_program->type(Qt::Key_F3);
        [&] { QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify())); }();
        return said;
    }

    void newSupplierColumnByColumn()
    {
        TForm1& f = m_program->form;
        typeInto(f.ED_01, QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ"));
        typeInto(f.ED_02_1, QStringLiteral("株式会社 山田建設"));
        QCOMPARE(f.E_RYAKU->text(), QStringLiteral("㈱山田建設")); // on leaving the name
        typeInto(f.ED_06, QStringLiteral("0857-22-1234"));
        typeInto(f.ED_09, QStringLiteral("鳥取県鳥取市東町１丁目"));
        typeInto(f.E_CD_1, QStringLiteral("0005"));
        typeInto(f.E_CD_3, QStringLiteral("1"));
        typeInto(f.E_GINKOU_4, QStringLiteral("ヤマダキャク"));
        typeInto(f.BAN_16, QStringLiteral("1,500"));
        typeInto(f.BAN_17, QStringLiteral("0"));
        typeInto(f.BAN_18, QStringLiteral("-5"));
        typeInto(f.BAN_15, QStringLiteral("abc"));
        typeInto(f.ED_11, QStringLiteral("2.5"));
        f.BAN_08->clear();
        typeInto(f.BAN_09, QStringLiteral("125"));
        typeInto(f.BAN_12, QStringLiteral("301"));
        typeInto(f.E_MAILE, QStringLiteral("info@yamada.example.jp"));
        typeInto(f.E_INBOICE, QStringLiteral("T1234567890123"));
        f.ComboBox1->setCurrentText(QStringLiteral("個人"));

        const QStringList said = registerWithF3();
        QCOMPARE(said.value(0), QStringLiteral("登録しますか？"));
        const int code = f.BAN_01->text().toInt();
        QVERIFY(code > 0);
        QCOMPARE(said.value(1), QStringLiteral("%1 番で登録しました。").arg(code));

        const Row r = m_suite->row(code);
        QCOMPARE(r.value("T_KEY").toString(), QStringLiteral("ﾔﾏﾀﾞｹﾝｾﾂ"));
        QCOMPARE(r.value("T_NAME01").toString(), QStringLiteral("株式会社 山田建設"));
        QCOMPARE(r.value("T_NAME03").toString(), QStringLiteral("㈱山田建設"));
        QCOMPARE(r.value("T_TEL").toString(), QStringLiteral("0857-22-1234"));
        QCOMPARE(r.value("GINKOU_CD").toString(), QStringLiteral("5")); // 0005 as a number
        QCOMPARE(r.value("GINKOU_KOUZA_CD").toInt(), 1);
        QCOMPARE(r.value("GINKOU_KOUZA_KANA").toString(), QStringLiteral("ﾔﾏﾀﾞｷﾔｸ"));
        QCOMPARE(r.value("KIN_X1").toDouble(), 1500.0);
        for (const char* none : {"KIN_X2", "KIN_X0", "KIN_02", "KU_SIME", "IB_KBN", "T_NAME02", "T_FAX",
                                 "CD_SITEN", "KU_T_KETA", "KU_G_KETA", "GINKOU_KOUZA_NAME", "GINKOU_KOUZA_MEIGI",
                                 "BIKOU_03", "BIKOU_04", "BIKOU_05", "E_DATE03", "E_DATE04", "KIN", "T_PASS"})
            QVERIFY2(r.value(none).isNull(), none);
        QCOMPARE(r.value("KIN_01").toDouble(), 2.5);
        QCOMPARE(r.value("KU_HARAI").toInt(), 125);
        QCOMPARE(r.value("KU_KAMOKU").toInt(), 301);
        QCOMPARE(r.value("KU_SEIKYU").toInt(), 0); // empty stores 0
        QCOMPARE(r.value("KU_KIN_K").toInt(), 0);
        QCOMPARE(r.value("KU_UKEOI").toInt(), 1);
        QCOMPARE(r.value("E_MAILE").toString().trimmed(), QStringLiteral("info@yamada.example.jp"));
        QCOMPARE(r.value("INBOICE").toString(), QStringLiteral("T1234567890123"));
        QCOMPARE(r.value("E_DATE01").toDate(), QDate::currentDate());
        QCOMPARE(r.value("E_DATE02").toDate(), QDate::currentDate());
        QCOMPARE(r.value("PC_NAME").toString(), ComputerName);

        // A second F3 updates the same row; an emptied box clears its column.
        typeInto(f.ED_06, QString());
        typeInto(f.ED_10, QStringLiteral("東町ビル２階"));
        registerWithF3();
        QCOMPARE(m_suite->count(), 1);
        const Row again = m_suite->row(code);
        QVERIFY(again.value("T_TEL").isNull());
        QCOMPARE(again.value("T_ADD_2").toString(), QStringLiteral("東町ビル２階"));
        QCOMPARE(again.value("GINKOU_CD").toString(), QStringLiteral("5"));

        // A code whose row has gone is registered again under that code.
        m_suite->run(QStringLiteral("delete from MAS_SIIRE"));
        registerWithF3();
        QCOMPARE(m_suite->count(QStringLiteral("where T_CD = %1").arg(code)), 1);
        QCOMPARE(m_suite->row(code).value("T_NAME01").toString(), QStringLiteral("株式会社 山田建設"));
    }

    void existingSupplierKeepsWhatTheScreenDoesNotShow()
    {
        m_suite->run(QStringLiteral(
            "insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, CD_SITEN, KU_T_KETA, BIKOU_03, KIN, T_PASS, E_DATE01, "
            "E_DATE02, KU_TAX) values (42, '鳥取工務店', '0857-11-1111', 7, 1, 'メモ', 99, 'pw', '1/2/2020', "
            "'1/3/2020', 0)"));
        TForm1& f = m_program->form;
        f.BAN_01->setText(QStringLiteral("42"));
        f.Button1Click();
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("鳥取工務店"));
        QCOMPARE(f.NEN05->text(), QStringLiteral("2020"));
        QCOMPARE(f.TUKI05->text(), QStringLiteral("1"));
        QCOMPARE(f.HI05->text(), QStringLiteral("2"));
        typeInto(f.ED_06, QString());
        typeInto(f.ED_09, QStringLiteral("米子市"));
        registerWithF3();
        const Row r = m_suite->row(42);
        QCOMPARE(r.value("T_ADD_1").toString(), QStringLiteral("米子市"));
        QVERIFY(r.value("T_TEL").isNull());
        QCOMPARE(r.value("CD_SITEN").toInt(), 7);
        QCOMPARE(r.value("KU_T_KETA").toInt(), 1);
        QCOMPARE(r.value("BIKOU_03").toString(), QStringLiteral("メモ"));
        QCOMPARE(r.value("KIN").toDouble(), 99.0);
        QCOMPARE(r.value("T_PASS").toString(), QStringLiteral("pw"));
        QCOMPARE(r.value("E_DATE01").toDate(), QDate(2020, 1, 2)); // kept
        QCOMPARE(r.value("E_DATE02").toDate(), QDate::currentDate()); // stamped
        QCOMPARE(r.value("T_NAME03").toString(), QStringLiteral("鳥取工務店")); // derived on registering
    }

    void shortNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typedShort");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::newRow("company form first") << "株式会社 山田建設" << "" << "㈱山田建設" << "㈱山田建設";
        QTest::newRow("in brackets") << "山田建設（株）" << "" << "山田建設㈱" << "山田建設㈱";
        QTest::newRow("limited, half-width brackets") << "(有)カワイ　設備" << "" << "㈲カワイ設備" << "㈲カワイ設備";
        QTest::newRow("typed short name kept") << "株式会社 山田建設" << "ヤマケン" << "ヤマケン" << "ヤマケン";
    }

    void shortNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, typedShort);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        TForm1& f = m_program->form;
        if (!typedShort.isEmpty())
            typeInto(f.E_RYAKU, typedShort);
        typeInto(f.ED_02_1, name);
        QCOMPARE(f.E_RYAKU->text(), shown);
        registerWithF3();
        QCOMPARE(m_suite->row(f.BAN_01->text().toInt()).value("T_NAME03").toString(), stored);
    }

    void onlyTheSecondNameLine()
    {
        TForm1& f = m_program->form;
        typeInto(f.ED_02_2, QStringLiteral("二行目だけの名前"));
        registerWithF3();
        const Row r = m_suite->row(f.BAN_01->text().toInt());
        QCOMPARE(r.value("T_NAME02").toString(), QStringLiteral("二行目だけの名前"));
        QVERIFY(r.value("T_NAME03").isNull());
        QVERIFY(r.value("T_NAME01").isNull());
    }

    void notRegisteredForInvoicesIsTaxExempt()
    {
        TForm1& f = m_program->form;
        typeInto(f.ED_02_1, QStringLiteral("個人事業 田中"));
        typeInto(f.BAN_10, QStringLiteral("0"));
        QTest::mouseClick(f.CheckBox1, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.CheckBox1->isChecked());
        registerWithF3();
        QCOMPARE(f.BAN_10->text(), QStringLiteral("3"));
        const Row r = m_suite->row(f.BAN_01->text().toInt());
        QCOMPARE(r.value("KU_TAX").toInt(), 3);
        QCOMPARE(r.value("IB_KBN").toInt(), 1);
    }

    void refusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::newRow("code not a number") << "BAN_10" << "x" << "「税区分」には整数";
        QTest::newRow("bank code not a number") << "E_CD_1" << "ﾐｽﾞﾎ" << "「銀行ＣＤ」には整数";
        QTest::newRow("code too large") << "BAN_13" << "9999" << "";
        QTest::newRow("emoji in the name") << "ED_02_2" << QStringLiteral("山田\U0001F600") << "「仕入先名２」: 「\U0001F600」";
    }

    void refusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, says);
        TForm1& f = m_program->form;
        typeInto(f.ED_02_1, QStringLiteral("山田建設"));
        auto* edit = f.findChild<QLineEdit*>(box);
        edit->setText(typed); // typed or pasted
        QStringList said;
        modal::Script script;
        script.answer(key(Qt::Key_Return, &said));
        if (!says.isEmpty())
            script.answer(ok(&said));
        else
            script.answer(key(Qt::Key_Return, &said)); // 9999 is a valid SMALLINT: registered
        m_program->type(Qt::Key_F3);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        if (says.isEmpty()) {
            QCOMPARE(m_suite->count(), 1);
            return;
        }
        QVERIFY2(said.value(1).startsWith(QStringLiteral("エラー: ")), qPrintable(said.value(1)));
        QVERIFY2(said.value(1).contains(says), qPrintable(said.value(1)));
        QCOMPARE(m_suite->count(), 0);
        QVERIFY(f.BAN_01->text().isEmpty());
        QCOMPARE(edit->text(), typed); // the screen keeps what was typed
    }

    void failingWriteLeavesNoCodeAndNoRow()
    {
        // The suite refuses this one row on insert, after the generator moved on.
        m_suite->run(QStringLiteral("CREATE EXCEPTION E_REFUSED 'refused by the suite'"));
        m_suite->run(QStringLiteral("CREATE TRIGGER T_REFUSE FOR MAS_SIIRE BEFORE INSERT AS BEGIN "
                                    "IF (NEW.T_NAME01 = 'NG') THEN EXCEPTION E_REFUSED; END"));
        TForm1& f = m_program->form;
        typeInto(f.ED_02_1, QStringLiteral("NG"));
        QStringList said;
        modal::Script script;
        script.answer(key(Qt::Key_Return, &said));
        script.answer(ok(&said));
        m_program->type(Qt::Key_F3);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QVERIFY2(said.value(1).startsWith(QStringLiteral("エラー: ")), qPrintable(said.value(1)));
        QVERIFY2(said.value(1).contains(QStringLiteral("refused by the suite")), qPrintable(said.value(1)));
        QVERIFY(f.BAN_01->text().isEmpty()); // never a code without a row
        QCOMPARE(m_suite->count(), 0);
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("NG"));
        // Mended, the next F3 registers a new supplier.
        typeInto(f.ED_02_1, QStringLiteral("OK"));
        registerWithF3();
        QCOMPARE(m_suite->count(), 1);
    }

    void nameIsRequired()
    {
        QStringList said;
        modal::Script script;
        script.answer(key(Qt::Key_Return, &said));
        m_program->type(Qt::Key_F3);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QCOMPARE(said, QStringList{QStringLiteral("仕入先名を入力してください。")});
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_02_1"));
        QCOMPARE(m_suite->count(), 0);

        // Answering No to the question writes nothing.
        typeInto(m_program->form.ED_02_1, QStringLiteral("山田"));
        modal::Script no;
        no.answer(key(Qt::Key_N));
        m_program->type(Qt::Key_F3);
        QVERIFY(no.verify().isEmpty());
        QCOMPARE(m_suite->count(), 0);
        QVERIFY(m_program->form.BAN_01->text().isEmpty());
    }

    void browsingAndLoading()
    {
        for (const char* values : {"1, '一', null", "2, '二(削除)', '1/1/2025'", "3, '三', null", "4, '四', null",
                                   "5, '五(削除)', '1/1/2025'"})
            m_suite->run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01, E_DATE04) values (%1)")
                             .arg(QString::fromUtf8(values)));
        m_suite->run(QStringLiteral("update MAS_SIIRE set GINKOU_CD = '0 0 0 5', GINKOU_KOUZA_CD = 0, KU_UKEOI = 1 "
                                    "where T_CD = 3"));
        TForm1& f = m_program->form;
        auto shown = [&f] { return f.BAN_01->text() + u':' + f.ED_02_1->text(); };

        m_program->type(Qt::Key_F6); // empty screen: the highest live code
        QCOMPARE(shown(), QStringLiteral("4:四"));
        m_program->type(Qt::Key_F7); // the highest: nothing
        QCOMPARE(shown(), QStringLiteral("4:四"));
        m_program->type(Qt::Key_F6);
        QCOMPARE(shown(), QStringLiteral("3:三"));
        QCOMPARE(f.E_CD_1->text(), QStringLiteral("0005"));
        QCOMPARE(f.ComboBox1->currentText(), QStringLiteral("個人"));
        QVERIFY(f.NEN05->text().isEmpty() && f.TUKI05->text().isEmpty() && f.HI05->text().isEmpty());
        m_program->type(Qt::Key_F6); // deleted 2 skipped
        QCOMPARE(shown(), QStringLiteral("1:一"));
        m_program->type(Qt::Key_F6); // the lowest: nothing
        QCOMPARE(shown(), QStringLiteral("1:一"));
        QCOMPARE(f.ComboBox1->currentText(), QStringLiteral("法人・団体"));

        // A load by code shows a deleted supplier too; an account kind of 0
        // leaves the box as it was.
        f.E_CD_3->setText(QStringLiteral("2"));
        f.BAN_01->setText(QStringLiteral("5"));
        f.ED_02_1->clear();
        f.Button1Click();
        QCOMPARE(shown(), QStringLiteral("5:五(削除)"));
        QCOMPARE(f.E_CD_3->text(), QStringLiteral("2"));

        // An empty screen: F7 shows the lowest live code.
        modal::Script script;
        script.answer(key(Qt::Key_Y));
        m_program->type(Qt::Key_F8);
        QVERIFY(f.BAN_01->text().isEmpty());
        m_program->type(Qt::Key_F7);
        QCOMPARE(shown(), QStringLiteral("1:一"));
        QVERIFY(script.verify().isEmpty());
    }

    void clearingAsksFirst()
    {
        TForm1& f = m_program->form;
        typeInto(f.ED_02_1, QStringLiteral("山田建設"));
        typeInto(f.BAN_10, QStringLiteral("1"));
        f.C_BOX_10->setEditText(QStringLiteral("内税"));
        f.CheckBox1->setChecked(true);
        QStringList said;
        modal::Script script;
        script.answer(key(Qt::Key_Return, &said)); // No is the default
        m_program->type(Qt::Key_F8);
        QCOMPARE(said, QStringList{QStringLiteral("入力画面を初期化しますか？")});
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("山田建設"));
        QCOMPARE(f.C_BOX_10->currentText(), QStringLiteral("内税"));
        QVERIFY(f.CheckBox1->isChecked());
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_01"));

        script.answer(key(Qt::Key_Y));
        m_program->type(Qt::Key_F8);
        QVERIFY(f.ED_02_1->text().isEmpty() && f.BAN_10->text().isEmpty() && f.E_RYAKU->text().isEmpty());
        QVERIFY(f.C_BOX_10->currentText().isEmpty() && f.ComboBox1->currentText().isEmpty());
        QVERIFY(!f.CheckBox1->isChecked());
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_01"));
        QVERIFY(script.verify().isEmpty());
    }

    void bankAndBranchBoxes()
    {
        m_suite->run(QStringLiteral("insert into MAS_BANK values (5, 'ﾐﾂﾋﾞｼﾕｰｴﾌｼﾞｪｲ', '三菱ＵＦＪ')"));
        m_suite->run(QStringLiteral("insert into MAS_BANK_S values (5, 1, 'ﾎﾝﾃﾝ', '本店')"));
        m_suite->run(QStringLiteral("insert into MAS_BANK_S values (5, 2, 'ﾄｯﾄﾘ', '鳥取')"));
        TForm1& f = m_program->form;
        // A code of one bank fills its name without a picker and moves on.
        QTest::mouseClick(f.E_CD_1, Qt::LeftButton);
        m_program->typeText(QStringLiteral("5"));
        m_program->type(Qt::Key_Return);
        QCOMPARE(f.E_GINKOU_1->text(), QStringLiteral("ﾐﾂﾋﾞｼﾕｰｴﾌｼﾞｪｲ"));
        QCOMPARE(SelBankCode, 5);
        QCOMPARE(m_program->focusedName(), QStringLiteral("E_CD_2"));
        // One matching branch: taken without a picker.
        m_program->typeText(QStringLiteral("2"));
        m_program->type(Qt::Key_Return);
        QCOMPARE(f.E_CD_2->text(), QStringLiteral("2"));
        QCOMPARE(f.E_GINKOU_2->text(), QStringLiteral("ﾄｯﾄﾘ"));
        QCOMPARE(m_program->focusedName(), QStringLiteral("E_CD_3"));

        // Emptying the bank code empties both names, not the branch code.
        f.E_CD_1->clear();
        QVERIFY(f.E_GINKOU_1->text().isEmpty() && f.E_GINKOU_2->text().isEmpty());
        QCOMPARE(f.E_CD_2->text(), QStringLiteral("2"));
        QCOMPARE(SelBankCode, 0);

        // 0 opens the picker; cancelled, the box is left empty.
        QTest::mouseClick(f.E_CD_1, Qt::LeftButton);
        m_program->typeText(QStringLiteral("0"));
        modal::Script script;
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        m_program->type(Qt::Key_Return);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QVERIFY(f.E_CD_1->text().isEmpty());
    }

private:
    std::unique_ptr<Installation> m_installation;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
    std::unique_ptr<Suite> m_suite;
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"

#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/MAS_BANK.h"
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

// One supplier's row; an invalid QVariant is null.
struct Row
{
    QVariantMap values;
    QVariant value(const char* column) const { return values.value(QLatin1String(column)); }
};

// Compares columns as the text they hold (a number as it prints).
void expect(const Row& r, std::initializer_list<std::pair<const char*, const char*>> columns)
{
    for (const auto& [column, text] : columns) {
        const QString stored = r.value(column).toString().trimmed();
        QVERIFY2(stored == QString::fromUtf8(text), qPrintable(QLatin1String(column) + u'=' + stored));
    }
}

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
        m_conn.disconnect();
        m_conn.params() = m_installation->params();
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

    void newSupplierColumnByColumn()
    {
        TForm1& f = m_program->form;
        const std::pair<QLineEdit*, const char*> typed[] = {
            {f.ED_01, "ﾔﾏﾀﾞｹﾝｾﾂ"},          {f.ED_02_1, "株式会社 山田建設"},
            {f.ED_06, "0857-22-1234"},      {f.ED_09, "鳥取県鳥取市東町１丁目"},
            {f.E_CD_1, "0005"},             {f.E_CD_3, "1"},
            {f.E_GINKOU_4, "ヤマダキャク"}, {f.BAN_16, "1,500"},
            {f.BAN_17, "0"},                {f.BAN_18, "-5"},
            {f.BAN_15, "abc"},              {f.ED_11, "2.5"},
            {f.BAN_09, "125"},              {f.BAN_12, "301"},
            {f.E_MAILE, "info@yamada.example.jp"}, {f.E_INBOICE, "T1234567890123"},
        };
        for (const auto& [box, text] : typed)
            typeInto(box, QString::fromUtf8(text));
        QCOMPARE(f.E_RYAKU->text(), QStringLiteral("㈱山田建設")); // on leaving the name
        f.BAN_08->clear();
        f.BAN_13->setText(QStringLiteral("9999")); // a four-digit code still fits SMALLINT
        f.ComboBox1->setCurrentText(QStringLiteral("個人"));

        const QStringList said = pressF3();
        const int code = shownCode();
        QVERIFY(code > 0);
        QCOMPARE(said, (QStringList{QStringLiteral("登録しますか？"), QStringLiteral("%1 番で登録しました。").arg(code)}));

        const Row r = row(code);
        expect(r, {{"T_KEY", "ﾔﾏﾀﾞｹﾝｾﾂ"}, {"T_NAME01", "株式会社 山田建設"}, {"T_NAME03", "㈱山田建設"},
                   {"T_TEL", "0857-22-1234"}, {"GINKOU_CD", "5"}, {"GINKOU_KOUZA_CD", "1"},
                   {"GINKOU_KOUZA_KANA", "ﾔﾏﾀﾞｷﾔｸ"}, {"KIN_X1", "1500"}, {"KIN_01", "2.5"}, {"KU_HARAI", "125"},
                   {"KU_KAMOKU", "301"}, {"KU_KOUSYU", "9999"}, {"KU_SEIKYU", "0"}, {"KU_KIN_K", "0"},
                   {"KU_UKEOI", "1"}, {"E_MAILE", "info@yamada.example.jp"}, {"INBOICE", "T1234567890123"}});
        for (const char* none : {"KIN_X2", "KIN_X0", "KIN_02", "KU_SIME", "IB_KBN", "T_NAME02", "T_FAX",
                                 "CD_SITEN", "KU_T_KETA", "KU_G_KETA", "GINKOU_KOUZA_NAME", "GINKOU_KOUZA_MEIGI",
                                 "BIKOU_03", "BIKOU_04", "BIKOU_05", "E_DATE03", "E_DATE04", "KIN", "T_PASS"})
            QVERIFY2(r.value(none).isNull(), none);
        QCOMPARE(r.value("E_DATE01").toDate(), QDate::currentDate());
        QCOMPARE(r.value("E_DATE02").toDate(), QDate::currentDate());
        QCOMPARE(r.value("PC_NAME").toString(), ComputerName);

        // A second F3 updates the same row: an emptied box clears its column, a
        // quote goes through, and a supplier not registered for invoices is tax-exempt.
        typeInto(f.ED_06, QString());
        typeInto(f.ED_02_2, QStringLiteral("O'Neil 'n' Sons"));
        typeInto(f.BAN_10, QStringLiteral("0"));
        QTest::mouseClick(f.CheckBox1, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.CheckBox1->isChecked());
        pressF3();
        QCOMPARE(f.BAN_10->text(), QStringLiteral("3"));
        QCOMPARE(count(), 1);
        const Row again = row(code);
        QVERIFY(again.value("T_TEL").isNull());
        expect(again, {{"T_NAME02", "O'Neil 'n' Sons"}, {"KU_TAX", "3"}, {"IB_KBN", "1"}, {"GINKOU_CD", "5"}});

        // A code whose row has gone is registered again under that code.
        run(QStringLiteral("delete from MAS_SIIRE"));
        pressF3();
        QCOMPARE(count(), 1);
        QCOMPARE(row(code).value("T_NAME01").toString(), QStringLiteral("株式会社 山田建設"));
    }

    void existingSupplierKeepsWhatTheScreenDoesNotShow()
    {
        run(QStringLiteral(
            "insert into MAS_SIIRE (T_CD, T_NAME01, T_TEL, CD_SITEN, KU_T_KETA, BIKOU_03, KIN, T_PASS, E_DATE01, "
            "E_DATE02, KU_TAX) values (42, '鳥取工務店', '0857-11-1111', 7, 1, 'メモ', 99, 'pw', '1/2/2020', "
            "'1/3/2020', 0)"));
        TForm1& f = m_program->form;
        f.BAN_01->setText(QStringLiteral("42"));
        f.Button1Click();
        QCOMPARE(f.ED_02_1->text(), QStringLiteral("鳥取工務店"));
        QCOMPARE(f.NEN05->text() + u'/' + f.TUKI05->text() + u'/' + f.HI05->text(), QStringLiteral("2020/1/2"));
        typeInto(f.ED_06, QString());
        typeInto(f.ED_09, QStringLiteral("米子市"));
        pressF3();
        const Row r = row(42);
        QVERIFY(r.value("T_TEL").isNull());
        expect(r, {{"T_ADD_1", "米子市"}, {"CD_SITEN", "7"}, {"KU_T_KETA", "1"}, {"BIKOU_03", "メモ"}, {"KIN", "99"},
                   {"T_PASS", "pw"}, {"T_NAME03", "鳥取工務店"}}); // the short name derived on registering
        QCOMPARE(r.value("E_DATE01").toDate(), QDate(2020, 1, 2)); // kept
        QCOMPARE(r.value("E_DATE02").toDate(), QDate::currentDate()); // stamped
    }

    void shortNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typedShort");
        QTest::addColumn<QString>("stored");
        QTest::newRow("company form first") << "株式会社 山田建設" << "" << "㈱山田建設";
        QTest::newRow("in brackets") << "山田建設（株）" << "" << "山田建設㈱";
        QTest::newRow("limited, half-width brackets") << "(有)カワイ　設備" << "" << "㈲カワイ設備";
        QTest::newRow("typed short name kept") << "株式会社 山田建設" << "ヤマケン" << "ヤマケン";
        QTest::newRow("quote") << "O'Neil 建設" << "" << "O'Neil建設";
    }

    void shortNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, typedShort);
        QFETCH(QString, stored);
        TForm1& f = m_program->form;
        if (!typedShort.isEmpty())
            typeInto(f.E_RYAKU, typedShort);
        typeInto(f.ED_02_1, name);
        QCOMPARE(f.E_RYAKU->text(), stored);
        pressF3();
        const Row r = row(shownCode());
        QCOMPARE(r.value("T_NAME01").toString(), name);
        QCOMPARE(r.value("T_NAME03").toString(), stored);
    }

    void nameIsRequired()
    {
        TForm1& f = m_program->form;
        QCOMPARE(press(Qt::Key_F3, {Qt::Key_Return}), QStringList{QStringLiteral("仕入先名を入力してください。")});
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_02_1"));

        // The second name line alone will do; No to the question writes nothing.
        typeInto(f.ED_02_2, QStringLiteral("二行目だけの名前"));
        QCOMPARE(press(Qt::Key_F3, {Qt::Key_N}), QStringList{QStringLiteral("登録しますか？")});
        QCOMPARE(count(), 0);
        QVERIFY(f.BAN_01->text().isEmpty());

        pressF3();
        const Row r = row(shownCode());
        QCOMPARE(r.value("T_NAME02").toString(), QStringLiteral("二行目だけの名前"));
        QVERIFY(r.value("T_NAME01").isNull() && r.value("T_NAME03").isNull());
    }

    void refusedLeavesNoCodeAndNoRow_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("mended");
        QTest::newRow("code not a number") << "BAN_10" << "x" << "「税区分」には整数" << "1";
        QTest::newRow("bank code not a number") << "E_CD_1" << "ﾐｽﾞﾎ" << "「銀行ＣＤ」には整数" << "5";
        QTest::newRow("emoji in the name") << "ED_02_2" << QStringLiteral("山田\U0001F600") << "「仕入先名２」: 「\U0001F600」"
                                           << "山田";
        QTest::newRow("write fails") << "ED_02_1" << "NG" << "refused by the suite" << "OK";
    }

    void refusedLeavesNoCodeAndNoRow()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, says);
        QFETCH(QString, mended);
        // The suite refuses one name on insert, after the generator moved on.
        run(QStringLiteral("CREATE EXCEPTION E_REFUSED 'refused by the suite'"));
        run(QStringLiteral("CREATE TRIGGER T_REFUSE FOR MAS_SIIRE BEFORE INSERT AS BEGIN "
                           "IF (NEW.T_NAME01 = 'NG') THEN EXCEPTION E_REFUSED; END"));
        TForm1& f = m_program->form;
        typeInto(f.ED_02_1, QStringLiteral("山田建設"));
        auto* edit = f.findChild<QLineEdit*>(box);
        edit->setText(typed); // typed or pasted
        const QString error = pressF3().value(1);
        QVERIFY2(error.startsWith(QStringLiteral("エラー: ")) && error.contains(says), qPrintable(error));
        if (box == QLatin1String("ED_02_1")) // refused by the server: the details say where
            QVERIFY2(m_details.contains(QLatin1String("INSERT INTO MAS_SIIRE")), qPrintable(m_details));
        QCOMPARE(count(), 0);
        QVERIFY(f.BAN_01->text().isEmpty()); // never a code without a row
        QCOMPARE(edit->text(), typed); // the screen keeps what was typed

        // Mended, the next F3 registers a new supplier.
        edit->setText(mended);
        pressF3();
        QCOMPARE(count(), 1);
        QVERIFY(shownCode() > 0);
    }

    void browsingLoadingAndClearing()
    {
        for (const char* values : {"1, '一', null", "2, '二(削除)', '1/1/2025'", "3, '三', null", "4, '四', null",
                                   "5, '五(削除)', '1/1/2025'"})
            run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01, E_DATE04) values (%1)")
                    .arg(QString::fromUtf8(values)));
        run(QStringLiteral("update MAS_SIIRE set GINKOU_CD = '0 0 0 5', GINKOU_KOUZA_CD = 0, KU_UKEOI = 1 "
                           "where T_CD = 3"));
        TForm1& f = m_program->form;
        auto shown = [&f] { return f.BAN_01->text() + u':' + f.ED_02_1->text(); };
        auto step = [&](Qt::Key k) { m_program->type(k); return shown(); };
        QCOMPARE(step(Qt::Key_F6), QStringLiteral("4:四")); // empty screen: the highest live code
        QCOMPARE(step(Qt::Key_F7), QStringLiteral("4:四")); // the highest: nothing
        QCOMPARE(step(Qt::Key_F6), QStringLiteral("3:三"));
        QCOMPARE(f.E_CD_1->text(), QStringLiteral("0005"));
        QCOMPARE(f.ComboBox1->currentText(), QStringLiteral("個人"));
        QCOMPARE(step(Qt::Key_F6), QStringLiteral("1:一")); // deleted 2 skipped
        QCOMPARE(step(Qt::Key_F6), QStringLiteral("1:一")); // the lowest: nothing

        // A load by code shows a deleted supplier too.
        f.BAN_01->setText(QStringLiteral("5"));
        f.Button1Click();
        QCOMPARE(shown(), QStringLiteral("5:五(削除)"));

        // F8 asks first, No being the default; Yes clears boxes, lists and the tick.
        f.C_BOX_10->setEditText(QStringLiteral("内税"));
        f.CheckBox1->setChecked(true);
        QCOMPARE(press(Qt::Key_F8, {Qt::Key_Return}), QStringList{QStringLiteral("入力画面を初期化しますか？")});
        QCOMPARE(shown(), QStringLiteral("5:五(削除)"));
        press(Qt::Key_F8, {Qt::Key_Y});
        QVERIFY(f.BAN_01->text().isEmpty() && f.ED_02_1->text().isEmpty());
        QVERIFY(f.C_BOX_10->currentText().isEmpty() && f.ComboBox1->currentText().isEmpty());
        QVERIFY(!f.CheckBox1->isChecked());
        QCOMPARE(m_program->focusedName(), QStringLiteral("ED_01"));
        QCOMPARE(step(Qt::Key_F7), QStringLiteral("1:一")); // empty screen: the lowest live code
    }

    void bankAndBranchBoxes()
    {
        run(QStringLiteral("insert into MAS_BANK values (5, 'ﾐﾂﾋﾞｼﾕｰｴﾌｼﾞｪｲ', '三菱ＵＦＪ')"));
        run(QStringLiteral("insert into MAS_BANK_S values (5, 1, 'ﾎﾝﾃﾝ', '本店')"));
        run(QStringLiteral("insert into MAS_BANK_S values (5, 2, 'ﾄｯﾄﾘ', '鳥取')"));
        TForm1& f = m_program->form;
        auto enter = [this](QLineEdit* box, const QString& text) {
            QTest::mouseClick(box, Qt::LeftButton);
            m_program->typeText(text);
            m_program->type(Qt::Key_Return);
        };
        // One matching bank, then one matching branch: taken without a picker.
        enter(f.E_CD_1, QStringLiteral("5"));
        QCOMPARE(f.E_GINKOU_1->text(), QStringLiteral("ﾐﾂﾋﾞｼﾕｰｴﾌｼﾞｪｲ"));
        QCOMPARE(SelBankCode, 5);
        QCOMPARE(m_program->focusedName(), QStringLiteral("E_CD_2"));
        enter(f.E_CD_2, QStringLiteral("2"));
        QCOMPARE(f.E_GINKOU_2->text(), QStringLiteral("ﾄｯﾄﾘ"));

        // Emptying the bank code empties both names, not the branch code.
        f.E_CD_1->clear();
        QVERIFY(f.E_GINKOU_1->text().isEmpty() && f.E_GINKOU_2->text().isEmpty());
        QCOMPARE(f.E_CD_2->text(), QStringLiteral("2"));
        QCOMPARE(SelBankCode, 0);

        // 0 opens the picker; cancelled, the box is left empty.
        modal::Script script;
        script.answer([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        enter(f.E_CD_1, QStringLiteral("0"));
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        QVERIFY(f.E_CD_1->text().isEmpty());
    }

private:
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

    // Presses a key and answers the messages it brings up; returns what they said.
    QStringList press(Qt::Key k, std::initializer_list<Qt::Key> answers)
    {
        QStringList said;
        modal::Script script;
        for (Qt::Key answer : answers)
            script.answer([this, answer, &said](QDialog& d) {
                auto* box = qobject_cast<QMessageBox*>(&d); // a registration that failed
                said << (box ? box->text() : static_cast<TMASSAGE_FORM&>(d).LABEL->text());
                if (box)
                    m_details = box->detailedText();
                QTest::keyClick(QApplication::focusWidget(), answer);
            });
        m_program->type(k);
        [&] { QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify())); }();
        return said;
    }

    // F3 answered Yes by Enter, then the notice or the error by Enter.
    QStringList pressF3() { return press(Qt::Key_F3, {Qt::Key_Return, Qt::Key_Return}); }

    int shownCode() { return m_program->form.BAN_01->text().toInt(); }

    // The suite database as another workstation sees it.
    void run(const QString& sql)
    {
        db::Query q(m_conn);
        q.setSql(sql);
        q.execute();
    }

    Row row(int code)
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select * from MAS_SIIRE where T_CD = %1").arg(code));
        q.open();
        Row r;
        for (int i = 0; !q.isEmpty() && i < q.fieldCount(); ++i)
            r.values.insert(q.fieldName(i), q.field(i).value());
        return r;
    }

    int count()
    {
        db::Query q(m_conn);
        q.setSql(QStringLiteral("select count(*) from MAS_SIIRE"));
        q.open();
        return q.field(0).asInteger();
    }

    QString m_details; // of the last error box
    std::unique_ptr<Installation> m_installation;
    db::Connection m_conn;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<modal::Script> m_unexpected;
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"

// The text import form, worked as a clerk works it: the mapping made from the
// headings and corrected by double-click, Delete and typed codes, then the run,
// whose every effect is checked in the suite database.

#include "tests/import/ImportFixture.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTableView>

using testing::Encoding;
using testing::ImportProgram;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList l(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* t : texts)
        list << s(t);
    return list;
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        p = std::make_unique<ImportProgram>();
    }
    void cleanup() { p.reset(); }

    void headingsMapThemselves();
    void mappingByHand();
    void appendReplacesSuppliersAndConverts();
    void replaceWithTypedCodesAndFirstLine();
    void withoutCodeEachLineGetsNextCode();
    void failedInsertKeepsOldSupplier();
    void lostConnectionLeavesTableAsBefore();
    void refusedRunsChangeNothing();

private:
    QTableView& grid() { return *p->form->DBGrid1; }
    QString cell(int row, int column) { return grid().model()->index(row, column).data().toString(); }
    QString name(int code) { return p->supplier(code).value(s("T_NAME01")).toString(); }
    void insert(int code, const char* name)
    {
        p->execute(QStringLiteral("insert into MAS_SIIRE (T_CD, T_NAME01) values (%1, '%2')").arg(code).arg(s(name)));
    }
    // Double-clicks the row and picks the field of the given code in the
    // column picker with Enter, or cancels it with Esc (code 0).
    void pick(int row, int code)
    {
        modal::Script script;
        script.answer([code](QDialog& d) {
            auto& picker = static_cast<TForm6&>(d);
            if (code > 0)
                picker.DBGrid2->setCurrentIndex(picker.DBGrid2->model()->index(code - 1, 1));
            QTest::keyClick(picker.DBGrid2, code > 0 ? Qt::Key_Return : Qt::Key_Escape);
        });
        const QRect r = grid().visualRect(grid().model()->index(row, 1));
        QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }
    // Types a code into the row, from its first cell, and commits it with Enter.
    void typeCode(int row, const QString& code)
    {
        // After a dialog the form must be the active window again for the editor to take the focus.
        p->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p->form));
        grid().setCurrentIndex(grid().model()->index(row, 0));
        grid().setFocus();
        QTest::keyClicks(&grid(), code.left(1));
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &grid());
        QTest::keyClicks(editor, code.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the row is rewritten once the editor has closed
    }
    // Presses 取　込, answering each plain message with Enter; returns what they said.
    QStringList run(int expectedMessages = 0)
    {
        QStringList said;
        modal::Script script;
        for (int i = 0; i < expectedMessages; ++i)
            script.answer(testing::ok(&said));
        QTest::mouseClick(p->form->BitBtn1, Qt::LeftButton);
        [&] { QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify())); }();
        return said;
    }
    // The text is what is left of full after removing characters at its end
    // until it fits the box.
    void verifyFitted(const QString& text, const QString& full, const QWidget* box)
    {
        const QFontMetrics metrics(p->form->L_MOJI->font());
        QVERIFY2(full.startsWith(text) && text.size() < full.size(), qPrintable(text));
        QVERIFY(metrics.horizontalAdvance(text) <= box->width());
        QVERIFY(metrics.horizontalAdvance(full.left(text.size() + 1)) > box->width());
    }

    std::unique_ptr<ImportProgram> p;
};

void TestForm::headingsMapThemselves()
{
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,仕入先名1\t率%,O'Neil,住所 １"),
                                                           s("1,ｱ,a,b,c,d,e")})));
    QCOMPARE(p->columns(), l({"1 仕入先CD 1 T_CD 仕入先CD 数字", "2 ﾌﾘｶﾞﾅ 2 T_KEY ﾌﾘｶﾞﾅ 文字列半",
                              "3 仕入先名１ 3 T_NAME01 仕入先名１ 文字列", "4 仕入先名1 - - - -", "5 率％ - - - -",
                              "6 O'Neil - - - -", "7 住所１ 12 T_ADD_1 住所１ 文字列"}));
    QCOMPARE(cell(3, 2), QString()); // unmapped: blank, not 0
    QCOMPARE(cell(6, 2), s("12"));
    QCOMPARE(cell(6, 3), s("住所１"));
    QCOMPARE(p->form->RadioGroup1->itemIndex(), 1); // append unless the clerk says otherwise

    // Every showing starts the work tables afresh.
    QVERIFY(p->show(p->writeFile(QStringLiteral("b.csv"), {s("TEL,FAX")})));
    QCOMPARE(p->columns(), l({"1 TEL 9 T_TEL TEL 文字列半", "2 FAX 10 T_FAX FAX 文字列半"}));
    QCOMPARE(p->form->DBGrid2->model()->rowCount(), 35);
}

void TestForm::mappingByHand()
{
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名1,率%,O'Neil")})));
    pick(4, 29); // the heading with a quote
    QCOMPARE(p->columns().value(4), s("5 O'Neil 29 KU_TAX 税区分 数字"));
    QCOMPARE(grid().currentIndex().row(), 4);
    const QStringList before = p->columns();
    pick(2, 0);
    QCOMPARE(p->columns(), before);

    grid().setCurrentIndex(grid().model()->index(1, 1));
    QTest::keyClick(&grid(), Qt::Key_Delete);
    QCOMPARE(p->columns().value(1), s("2 ﾌﾘｶﾞﾅ 0 - - -"));
    QCOMPARE(grid().currentIndex().row(), 1);

    // A typed code maps the row as picking would; what the run reads is what the grid shows.
    typeCode(3, QStringLiteral("14"));
    QCOMPARE(p->columns().value(3), s("4 率％ 14 KU_SIME 締日 数字"));
    QCOMPARE(cell(3, 3), s("締日"));
    typeCode(0, QStringLiteral("4"));
    QCOMPARE(p->columns().value(0), s("1 仕入先CD 4 T_NAME02 仕入先名２ 文字列"));
    typeCode(3, QStringLiteral("99")); // no such field: refused
    QCOMPARE(p->columns().value(3), s("4 率％ 14 KU_SIME 締日 数字"));
    QVERIFY(p->form->CD2Typed(3, QString()));
    QCOMPARE(p->columns().value(3), s("4 率％ 0 - - -"));
    QStringList mapping;
    for (const textimport::Mapping& m : p->form->Mapping())
        mapping << QStringLiteral("%1 %2 %3").arg(m.position).arg(m.column, m.kind);
    QCOMPARE(mapping, l({"1 T_NAME02 文字列", "5 KU_TAX 数字"}));
}

void TestForm::appendReplacesSuppliersAndConverts()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01, KU_TAX, T_KEY) values (105, '旧山田', 5, 'ﾌﾙｲ')"));
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01, E_DATE01) values (106, '残る', '1/2/2020')"));
    insert(110, "日付なし");
    const QString longName = QString(40, QChar(u'建'));
    const QString longMobile = QString(40, u'9');
    const QString longMail = QString(100, u'm') + QStringLiteral("@example.jp");
    QVERIFY(p->show(p->writeFile(
        QStringLiteral("a.csv"),
        {s("仕入先CD,仕入先名１,締日,ﾌﾘｶﾞﾅ,住所２,携帯電話,E_MAILE"),
         s("105,\"山田建設, 本社\",12a,ヤマダ,,090-1234-5678,info@example.jp"), s("107,\"\"\"引用\"\"商店\",2.5,ｶﾅ,東町,,"),
         s("108,") + longName + s(",,ﾃｽﾄ,,") + longMobile + u',' + longMail, s("109,短い行"), s("900,最後,31,ｻｲｺﾞ,,,")})));
    QCOMPARE(run(1), l({"109,短い行"}));
    QVERIFY(!p->form->isVisible());
    QCOMPARE(p->form->result(), 1);

    QCOMPARE(p->count(), 6);
    const QVariantMap a = p->supplier(105);
    QCOMPARE(a.value(s("T_NAME01")).toString(), s("山田建設, 本社"));
    QCOMPARE(a.value(s("KU_SIME")).toInt(), 0);
    QCOMPARE(a.value(s("T_KEY")).toString(), s("ﾔﾏﾀﾞ"));
    QVERIFY(a.value(s("T_ADD_2")).isNull());
    QVERIFY(a.value(s("KU_TAX")).isNull()); // the whole row was replaced
    QCOMPARE(a.value(s("BIKOU_01")).toString(), s("090-1234-5678"));
    QCOMPARE(a.value(s("E_MAILE")).toString().trimmed(), s("info@example.jp"));
    QCOMPARE(name(107), s("\"引用\"商店"));
    const QVariantMap c = p->supplier(108);
    verifyFitted(c.value(s("T_NAME01")).toString(), longName, p->ED_02_1);
    verifyFitted(c.value(s("BIKOU_01")).toString(), longMobile, p->ED_12);
    verifyFitted(c.value(s("E_MAILE")).toString().trimmed(), longMail, p->E_MAILE);
    QVERIFY(p->supplier(109).isEmpty());
    // Every supplier without a registration date gets today's.
    for (int code : {105, 107, 108, 110}) {
        QCOMPARE(p->supplier(code).value(s("E_DATE01")).toDate(), QDate::currentDate());
        QCOMPARE(p->supplier(code).value(s("E_DATE02")).toDate(), QDate::currentDate());
    }
    QCOMPARE(p->supplier(106).value(s("E_DATE01")).toDate(), QDate(2020, 1, 2));
    QCOMPARE(p->nextCode(), 901);
}

void TestForm::replaceWithTypedCodesAndFirstLine()
{
    insert(50, "消える");
    insert(51, "消える");
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.txt"), {s("1,ａｂｃ商店,x"), s("2,山田,y")}, Encoding::Utf16LeMark,
                                 QStringLiteral("\r"))));
    for (const auto& [row, code] : {std::pair{0, "1"}, {1, "3"}, {2, "4"}, {2, "0"}})
        QVERIFY(p->form->CD2Typed(row, QString::fromLatin1(code)));
    p->form->CheckBox1->setChecked(true);
    p->form->RadioGroup1->setItemIndex(0);
    QCOMPARE(run(), QStringList());
    QCOMPARE(p->count(), 2);
    QCOMPARE(name(1), s("ａｂｃ商店"));
    QCOMPARE(name(2), s("山田"));
    QVERIFY(p->supplier(2).value(s("T_NAME02")).isNull());
    QCOMPARE(p->nextCode(), 3);
}

void TestForm::withoutCodeEachLineGetsNextCode()
{
    insert(500, "あり");
    p->execute(s("SET GENERATOR GYOUSYA_ID TO 500"));
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("ﾌﾘｶﾞﾅ,仕入先名１,TEL"), s("ｱ,一,0857-22-0001"),
                                                           s("ｲ,二,03–6634–5592"), s("ｳ,三,０８５７－２２－０００３")},
                                 Encoding::Utf8Mark, QStringLiteral("\n"))));
    // A line with no code page 932 form for a character is reported.
    QCOMPARE(run(1), l({"ｲ,二,03–6634–5592"}));
    QCOMPARE(p->count(), 3);
    QCOMPARE(name(501), s("一"));
    QCOMPARE(p->supplier(502).value(s("T_TEL")).toString(), s("0857-22-0003"));
    QCOMPARE(p->nextCode(), 503);
}

void TestForm::failedInsertKeepsOldSupplier()
{
    p->execute(QStringLiteral("CREATE EXCEPTION E_REFUSED 'refused'"));
    p->execute(QStringLiteral("CREATE TRIGGER MAS_SIIRE_REFUSE FOR MAS_SIIRE BEFORE INSERT AS BEGIN "
                              "IF (NEW.T_NAME01 = 'REFUSED') THEN EXCEPTION E_REFUSED; END"));
    insert(105, "旧名");
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("仕入先CD,仕入先名１"), s("104,前"), s("105,REFUSED"),
                                                           s("106,新規")})));
    QCOMPARE(run(1), l({"105,REFUSED"}));
    QCOMPARE(name(104), s("前"));
    QCOMPARE(name(105), s("旧名"));
    QCOMPARE(name(106), s("新規"));
}

void TestForm::lostConnectionLeavesTableAsBefore()
{
    insert(105, "旧名");
    QStringList lines{s("仕入先CD,仕入先名１"), s("105,新しい名前")};
    for (int code = 1000; code < 1300; ++code)
        lines << (code == 1200 ? s("短い") : QStringLiteral("%1,名前%1").arg(code));
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), lines)));
    QStringList said;
    modal::Script script;
    // While the short line is reported, the suite connection goes away.
    script.answer([&](QDialog& d) {
        QVERIFY(p->form->ProgressBar1->value() > 100); // the first blocks went in
        p->execute(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION"));
        testing::ok(&said)(d);
    });
    script.answer(testing::ok(&said)); // the error that ends the run
    QTest::mouseClick(p->form->BitBtn1, Qt::LeftButton);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(said.value(0), s("短い"));
    QCOMPARE(p->count(), 1);
    QCOMPARE(name(105), s("旧名"));
    QVERIFY(!p->form->isVisible());
}

// Runs that cannot start leave every supplier as it was, even in replace mode.
void TestForm::refusedRunsChangeNothing()
{
    insert(1, "旧");
    insert(2, "b");
    // Nothing mapped: a notice, and the clerk can map a column and try again.
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("名前,住所"), s("x,y")})));
    p->form->RadioGroup1->setItemIndex(0);
    MASSAGE_FORM = new TMASSAGE_FORM(&p->screen);
    QStringList said = run(1);
    QVERIFY2(said.value(0).contains(s("設定されていません")), qPrintable(said.value(0)));
    QVERIFY(p->form->isVisible() && grid().isVisible());
    QCOMPARE(grid().model()->rowCount(), 2);

    // The file gone before the run.
    const QString file = p->writeFile(QStringLiteral("b.csv"), {s("仕入先CD,仕入先名１"), s("1,a")});
    QVERIFY(p->show(file));
    QFile::remove(file);
    p->form->RadioGroup1->setItemIndex(0);
    said = run(1);
    QVERIFY2(said.value(0).contains(file), qPrintable(said.value(0)));
    QCOMPARE(p->count(), 2);
    QCOMPARE(name(1), s("旧"));

    // Gone before the showing: the error is shown and both lists stay closed.
    modal::Script script;
    script.answer(testing::ok(&said));
    QVERIFY(p->show(file));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QVERIFY(said.value(1).contains(file));
    QVERIFY(!p->form->FDQuery1.isOpen());
    QVERIFY(!p->form->FDQuery2.isOpen());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"

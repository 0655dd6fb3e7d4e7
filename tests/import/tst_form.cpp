// The text import form, worked as a clerk works it: the mapping made from the
// headings and corrected by double-click, Delete and typed codes, then the run,
// whose every effect is checked in the suite database.

#include "tests/import/ImportFixture.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
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

// Picks the field of the given code in the column picker with Enter, or
// cancels it with Esc (code 0).
modal::Script::Responder pick(int code)
{
    return [code](QDialog& d) {
        auto& picker = static_cast<TForm6&>(d);
        QVERIFY(picker.DBGrid2->model());
        if (code > 0)
            picker.DBGrid2->setCurrentIndex(picker.DBGrid2->model()->index(code - 1, 1));
        QTest::keyClick(picker.DBGrid2, code > 0 ? Qt::Key_Return : Qt::Key_Escape);
    };
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
    void headingOnlyStampsDatesAndSetsGenerator();
    void nothingMappedChangesNothing();
    void replaceWithTypedCodesAndFirstLine();
    void withoutCodeEachLineGetsNextCode();
    void failedInsertKeepsOldSupplier();
    void lostConnectionLeavesTableAsBefore();
    void missingFile();

private:
    QTableView& grid() { return *p->form->DBGrid1; }
    QString cell(int row, int column) { return grid().model()->index(row, column).data().toString(); }
    void doubleClick(int row)
    {
        const QRect r = grid().visualRect(grid().model()->index(row, 1));
        QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, r.center());
    }
    // Types a code into the row's CD2 cell and commits it with Enter.
    void typeCode(int row, const QString& code)
    {
        // After a dialog the form must be the active window again for the editor to take the focus.
        p->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p->form));
        grid().setCurrentIndex(grid().model()->index(row, 0));
        grid().setFocus();
        QTest::keyClick(&grid(), code.isEmpty() ? ' ' : code[0].toLatin1());
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != &grid());
        if (code.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
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
    int width(const QString& text) const { return QFontMetrics(p->form->L_MOJI->font()).horizontalAdvance(text); }
    // The text is what is left of full after removing characters at its end
    // until it fits the box.
    void verifyFitted(const QString& text, const QString& full, const QWidget* box)
    {
        QVERIFY2(full.startsWith(text) && text.size() < full.size(), qPrintable(text));
        QVERIFY(width(text) <= box->width());
        QVERIFY(width(full.left(text.size() + 1)) > box->width());
    }

    std::unique_ptr<ImportProgram> p;
};

void TestForm::headingsMapThemselves()
{
    const QString file = p->writeFile(QStringLiteral("a.csv"),
                                      {s("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,仕入先名1\t率%,O'Neil,住所 １"), s("1,ｱ,a,b,c,d,e")});
    QVERIFY(p->show(file));
    QCOMPARE(p->columns(), l({"1 仕入先CD 1 T_CD 仕入先CD 数字", "2 ﾌﾘｶﾞﾅ 2 T_KEY ﾌﾘｶﾞﾅ 文字列半",
                              "3 仕入先名１ 3 T_NAME01 仕入先名１ 文字列", "4 仕入先名1 - - - -", "5 率％ - - - -",
                              "6 O'Neil - - - -", "7 住所１ 12 T_ADD_1 住所１ 文字列"}));
    // The grids as the form shows them.
    QCOMPARE(grid().model()->headerData(1, Qt::Horizontal).toString(), s("摘　要"));
    QCOMPARE(grid().model()->headerData(3, Qt::Horizontal).toString(), s("対応列名"));
    QCOMPARE(cell(3, 2), QString()); // unmapped: blank, not 0
    QCOMPARE(cell(6, 2), s("12"));
    QCOMPARE(cell(6, 3), s("住所１"));
    QCOMPARE(p->form->DBGrid2->model()->rowCount(), 35);
    QCOMPARE(p->form->DBGrid2->model()->headerData(2, Qt::Horizontal).toString(), s("タイプ"));
    QVERIFY(p->form->ProgressBar1->isHidden());
    QCOMPARE(p->form->RadioGroup1->itemIndex(), 1);
    QVERIFY(p->form->Label1->text().contains(s("仕入先CD")));

    // Every showing starts the work tables afresh.
    QVERIFY(p->show(p->writeFile(QStringLiteral("b.csv"), {s("TEL,FAX")})));
    QCOMPARE(p->columns(), l({"1 TEL 9 T_TEL TEL 文字列半", "2 FAX 10 T_FAX FAX 文字列半"}));
    QCOMPARE(p->form->DBGrid2->model()->rowCount(), 35);
}

void TestForm::mappingByHand()
{
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("仕入先CD,ﾌﾘｶﾞﾅ,仕入先名1,率%,O'Neil")})));
    {
        modal::Script script;
        script.answer(pick(29));
        doubleClick(4); // the heading with a quote
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }
    QCOMPARE(p->columns().value(4), s("5 O'Neil 29 KU_TAX 税区分 数字"));
    QCOMPARE(cell(4, 3), s("税区分"));
    QCOMPARE(grid().currentIndex().row(), 4);

    const QStringList before = p->columns();
    {
        modal::Script script;
        script.answer(pick(0));
        doubleClick(2);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }
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
    typeCode(3, QString());
    QCOMPARE(p->columns().value(3), s("4 率％ 0 - - -"));
    const QList<textimport::Mapping> mapping = p->form->Mapping();
    QCOMPARE(mapping.size(), 2);
    QCOMPARE(mapping[0].position, 1);
    QCOMPARE(mapping[0].column, s("T_NAME02"));
    QCOMPARE(mapping[0].kind, s("文字列"));
    QCOMPARE(mapping[1].column, s("KU_TAX"));
}

void TestForm::appendReplacesSuppliersAndConverts()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01, KU_TAX, T_KEY) values (105, '旧山田', 5, 'ﾌﾙｲ')"));
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01, E_DATE01) values (106, '残る', '1/2/2020')"));
    const QString longName = QString(40, QChar(u'建'));
    const QString longMobile = QString(40, u'9');
    const QString longMail = QString(100, u'm') + QStringLiteral("@example.jp");
    const QString file = p->writeFile(
        QStringLiteral("a.csv"),
        {s("仕入先CD,仕入先名１,締日,ﾌﾘｶﾞﾅ,住所２,携帯電話,E_MAILE"),
         s("105,\"山田建設, 本社\",12a,ヤマダ,,090-1234-5678,info@example.jp"), s("107,\"\"\"引用\"\"商店\",2.5,ｶﾅ,東町,,"),
         s("108,") + longName + s(",,ﾃｽﾄ,,") + longMobile + u',' + longMail, s("109,短い行"), s("900,最後,31,ｻｲｺﾞ,,,")});
    QVERIFY(p->show(file));
    QCOMPARE(run(1), l({"109,短い行"}));
    QVERIFY(!p->form->isVisible());
    QCOMPARE(p->form->result(), 1);

    QCOMPARE(p->count(), 5);
    const QVariantMap a = p->supplier(105);
    QCOMPARE(a.value(s("T_NAME01")).toString(), s("山田建設, 本社"));
    QCOMPARE(a.value(s("KU_SIME")).toInt(), 0);
    QCOMPARE(a.value(s("T_KEY")).toString(), s("ﾔﾏﾀﾞ"));
    QVERIFY(a.value(s("T_ADD_2")).isNull());
    QVERIFY(a.value(s("KU_TAX")).isNull()); // the whole row was replaced
    QCOMPARE(a.value(s("BIKOU_01")).toString(), s("090-1234-5678"));
    QCOMPARE(a.value(s("E_MAILE")).toString().trimmed(), s("info@example.jp"));
    QCOMPARE(a.value(s("E_DATE01")).toDate(), QDate::currentDate());
    QCOMPARE(a.value(s("E_DATE02")).toDate(), QDate::currentDate());
    const QVariantMap b = p->supplier(107);
    QCOMPARE(b.value(s("T_NAME01")).toString(), s("\"引用\"商店"));
    QCOMPARE(b.value(s("KU_SIME")).toInt(), 0);
    QVERIFY(b.value(s("BIKOU_01")).isNull());
    const QVariantMap c = p->supplier(108);
    QCOMPARE(c.value(s("KU_SIME")).toInt(), 0);
    verifyFitted(c.value(s("T_NAME01")).toString(), longName, p->ED_02_1);
    verifyFitted(c.value(s("BIKOU_01")).toString(), longMobile, p->ED_12);
    verifyFitted(c.value(s("E_MAILE")).toString().trimmed(), longMail, p->E_MAILE);
    QVERIFY(p->supplier(109).isEmpty());
    QCOMPARE(p->supplier(106).value(s("E_DATE01")).toDate(), QDate(2020, 1, 2));
    QCOMPARE(p->nextCode(), 901);
}

void TestForm::headingOnlyStampsDatesAndSetsGenerator()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (7, '日付なし')"));
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("仕入先CD,仕入先名１")})));
    QCOMPARE(run(), QStringList());
    QCOMPARE(p->count(), 1);
    QCOMPARE(p->supplier(7).value(s("E_DATE01")).toDate(), QDate::currentDate());
    QCOMPARE(p->supplier(7).value(s("E_DATE02")).toDate(), QDate::currentDate());
    QCOMPARE(p->nextCode(), 8);
}

void TestForm::nothingMappedChangesNothing()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (1, 'a')"));
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (2, 'b')"));
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), {s("名前,住所"), s("x,y")})));
    p->form->RadioGroup1->setItemIndex(0);
    MASSAGE_FORM = new TMASSAGE_FORM(&p->screen);
    const QStringList said = run(1);
    QVERIFY2(said.value(0).contains(s("設定されていません")), qPrintable(said.value(0)));
    QCOMPARE(p->count(), 2);
    // The clerk can map a column and try again.
    QVERIFY(p->form->isVisible());
    QVERIFY(grid().isVisible());
    QCOMPARE(grid().model()->rowCount(), 2);
}

void TestForm::replaceWithTypedCodesAndFirstLine()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (50, '消える')"));
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (51, '消える')"));
    const QString file = p->writeFile(QStringLiteral("a.txt"), {s("1,ａｂｃ商店,x"), s("2,山田,y")}, Encoding::Utf16LeMark,
                                      QStringLiteral("\r"));
    QVERIFY(p->show(file));
    typeCode(0, QStringLiteral("1"));
    typeCode(1, QStringLiteral("3"));
    typeCode(2, QStringLiteral("4"));
    typeCode(2, QStringLiteral("0"));
    p->form->CheckBox1->setChecked(true);
    p->form->RadioGroup1->setItemIndex(0);
    QCOMPARE(run(), QStringList());
    QCOMPARE(p->count(), 2);
    QCOMPARE(p->supplier(1).value(s("T_NAME01")).toString(), s("ａｂｃ商店"));
    QCOMPARE(p->supplier(2).value(s("T_NAME01")).toString(), s("山田"));
    QVERIFY(p->supplier(2).value(s("T_NAME02")).isNull());
    QCOMPARE(p->nextCode(), 3);
}

void TestForm::withoutCodeEachLineGetsNextCode()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (500, 'あり')"));
    p->execute(s("SET GENERATOR GYOUSYA_ID TO 500"));
    const QString file = p->writeFile(QStringLiteral("a.csv"),
                                      {s("ﾌﾘｶﾞﾅ,仕入先名１,TEL"), s("ｱ,一,0857-22-0001"), s("ｲ,二,03–6634–5592"),
                                       s("ｳ,三,０８５７－２２－０００３"), s("ｴ,四,0857-22-00041234")},
                                      Encoding::Utf8Mark, QStringLiteral("\n"));
    QVERIFY(p->show(file));
    // Lines with no code page 932 form for a character, or too long for their column, are reported.
    QCOMPARE(run(2), l({"ｲ,二,03–6634–5592", "ｴ,四,0857-22-00041234"}));
    QCOMPARE(p->count(), 3);
    QCOMPARE(p->supplier(501).value(s("T_NAME01")).toString(), s("一"));
    QCOMPARE(p->supplier(502).value(s("T_NAME01")).toString(), s("三"));
    QCOMPARE(p->supplier(502).value(s("T_TEL")).toString(), s("0857-22-0003"));
    QCOMPARE(p->nextCode(), 503);
}

void TestForm::failedInsertKeepsOldSupplier()
{
    p->execute(QStringLiteral("CREATE EXCEPTION E_REFUSED 'refused'"));
    p->execute(QStringLiteral("CREATE TRIGGER MAS_SIIRE_REFUSE FOR MAS_SIIRE BEFORE INSERT AS BEGIN "
                              "IF (NEW.T_NAME01 = 'REFUSED') THEN EXCEPTION E_REFUSED; END"));
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (105, '旧名')"));
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"),
                                 {s("仕入先CD,仕入先名１"), s("104,前"), s("105,REFUSED"), s("106,新規")})));
    QCOMPARE(run(1), l({"105,REFUSED"}));
    QCOMPARE(p->supplier(104).value(s("T_NAME01")).toString(), s("前"));
    QCOMPARE(p->supplier(105).value(s("T_NAME01")).toString(), s("旧名"));
    QCOMPARE(p->supplier(106).value(s("T_NAME01")).toString(), s("新規"));
}

void TestForm::lostConnectionLeavesTableAsBefore()
{
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (105, '旧名')"));
    QStringList lines{s("仕入先CD,仕入先名１"), s("105,新しい名前")};
    for (int code = 1000; code < 1300; ++code)
        lines << (code == 1200 ? s("短い") : QStringLiteral("%1,名前%1").arg(code));
    QVERIFY(p->show(p->writeFile(QStringLiteral("a.csv"), lines)));
    QStringList said;
    {
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
    }
    QCOMPARE(said.value(0), s("短い"));
    QCOMPARE(p->count(), 1);
    QCOMPARE(p->supplier(105).value(s("T_NAME01")).toString(), s("旧名"));
    QVERIFY(!p->form->isVisible());
}

void TestForm::missingFile()
{
    const QString file = p->writeFile(QStringLiteral("a.csv"), {s("仕入先CD,仕入先名１"), s("1,a")});
    p->execute(s("insert into MAS_SIIRE (T_CD, T_NAME01) values (1, '旧')"));
    QVERIFY(p->show(file));
    // Gone before the run: nothing changes, even in replace mode.
    QFile::remove(file);
    p->form->RadioGroup1->setItemIndex(0);
    QStringList said;
    {
        modal::Script script;
        script.answer(testing::ok(&said));
        QTest::mouseClick(p->form->BitBtn1, Qt::LeftButton);
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }
    QVERIFY2(said.value(0).contains(file), qPrintable(said.value(0)));
    QCOMPARE(p->supplier(1).value(s("T_NAME01")).toString(), s("旧"));

    // Gone before the showing: the error is shown and both lists stay closed.
    {
        modal::Script script;
        script.answer(testing::ok(&said));
        QVERIFY(p->show(file));
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }
    QVERIFY(said.value(1).contains(file));
    QVERIFY(!p->form->FDQuery1.isOpen());
    QVERIFY(!p->form->FDQuery2.isOpen());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"

// The text import form, worked as a clerk works it: the mapping made from the
// headings and corrected by double-click, Delete and typed codes, then the
// run, whose effects are checked in the suite database. The conversions of
// each value: tst_text.

#include <QCheckBox>
#include <QProgressBar>
#include <QRegularExpression>

#include <memory>

#include "tests/import/ImportFixture.h"

using namespace testing;

class TestForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<ImportProgram> p;

    QTableView& grid() { return *p->form->DBGrid1; }
    QString cell(int row, int column) { return grid().model()->index(row, column).data().toString(); }
    // The mapping the run reads: "position column kind", in field-code order.
    QStringList mapping()
    {
        QStringList lines;
        for (const textimport::Mapping& m : p->form->Mapping())
            lines << u"%1 %2 %3"_qs.arg(m.position).arg(m.column, m.kind);
        return lines;
    }

    // Double-clicks the row and picks the field of the given code in the column picker with Enter.
    void pick(int row, int code)
    {
        const QRect r = grid().visualRect(grid().model()->index(row, 1));
        answering([&] { QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, r.center()); },
                  {[code](QDialog& d) {
                      QTableView* fields = static_cast<TForm6&>(d).DBGrid2;
                      fields->setCurrentIndex(fields->model()->index(code - 1, 1));
                      QTest::keyClick(fields, Qt::Key_Return);
                  }});
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        p = std::make_unique<ImportProgram>();
    }

    void cleanup() { p.reset(); }

    void headingsMapThemselves()
    {
        QVERIFY(
            p->show(p->writeFile(u"a.csv"_qs, {u"仕入先CD,ﾌﾘｶﾞﾅ,仕入先名１,仕入先名1\t率%,O'Neil,住所 １"_qs,
                                               u"1,ｱ,a,b,c,d,e"_qs})));
        QCOMPARE(cell(3, 2) + u'|' + cell(6, 2), u"|12"_qs); // unmapped: blank, not 0
        QCOMPARE(mapping(), (QStringList{u"1 T_CD 数字"_qs, u"2 T_KEY 文字列半"_qs, u"3 T_NAME01 文字列"_qs,
                                         u"7 T_ADD_1 文字列"_qs}));
        QVERIFY(p->show(p->writeFile(u"b.csv"_qs, {u"TEL"_qs}))); // every showing starts afresh
        QCOMPARE(mapping(), QStringList{u"1 T_TEL 文字列半"_qs});
    }

    void mappingByHand()
    {
        QVERIFY(p->show(p->writeFile(u"a.csv"_qs, {u"仕入先CD,ﾌﾘｶﾞﾅ,仕入先名1,率%,O'Neil"_qs})));
        pick(4, 29); // the heading with a quote
        grid().setCurrentIndex(grid().model()->index(1, 1));
        QTest::keyClick(&grid(), Qt::Key_Delete); // ﾌﾘｶﾞﾅ unmapped
        // A typed code maps the row as picking would; what the run reads is what the grid shows.
        QVERIFY(p->form->CD2Typed(3, u"14"_qs));
        QVERIFY(!p->form->CD2Typed(3, u"99"_qs)); // no such field: refused
        QCOMPARE(cell(3, 3) + u'|' + cell(4, 3), u"締日|税区分"_qs);
        QCOMPARE(mapping(), (QStringList{u"1 T_CD 数字"_qs, u"4 KU_SIME 数字"_qs, u"5 KU_TAX 数字"_qs}));
    }

    // Appending replaces a supplier of the same code whole; a short line is
    // reported and left out; long texts are fitted to the screen's boxes.
    void appendReplacesSuppliers()
    {
        p->suite.run(u"insert into MAS_SIIRE (T_CD, T_NAME01, KU_TAX) values (105, '旧山田', 5)"_qs);
        p->suite.run(u"insert into MAS_SIIRE (T_CD, T_NAME01, E_DATE01) values (106, '残る', '1/2/2020')"_qs);
        const QString longName = QString(40, u'建');
        QVERIFY(p->show(p->writeFile(u"a.csv"_qs, {u"仕入先CD,仕入先名１,締日,E_MAILE"_qs,
                                                   u"105,\"山田建設, 本社\",12a,info@example.jp"_qs,
                                                   u"108,"_qs + longName + u",,"_qs, u"109,短い行"_qs,
                                                   u"900,最後,31,"_qs})));
        const QDate day = QDate::currentDate();
        QCOMPARE(p->run(1), QStringList{u"109,短い行"_qs});

        QCOMPARE(p->count(), 4);
        const QVariantMap a = p->supplier(105);
        QCOMPARE(a.value(u"T_NAME01"_qs).toString(), u"山田建設, 本社"_qs);
        QVERIFY(a.value(u"KU_TAX"_qs).isNull()); // the whole row was replaced
        QCOMPARE(a.value(u"E_MAILE"_qs).toString().trimmed(), u"info@example.jp"_qs);
        QVERIFY(p->supplier(109).isEmpty());
        QVERIFY(p->fitted(p->name(108), longName, p->ED_02_1));
        // Every supplier without a registration date gets today's.
        for (int code : {105, 108})
            QVERIFY(isToday(p->supplier(code).value(u"E_DATE01"_qs).toDate(), day));
        QCOMPARE(p->supplier(106).value(u"E_DATE01"_qs).toDate(), QDate(2020, 1, 2));
        QCOMPARE(p->nextCode(), 901);
    }

    void replaceWithTypedCodesAndFirstLine()
    {
        p->suite.addSupplier(50, {}, u"消える"_qs);
        p->suite.addSupplier(51, {}, u"消える"_qs);
        QVERIFY(p->show(p->writeFile(u"a.txt"_qs, {u"1,ａｂｃ商店,x"_qs, u"2,山田,y"_qs},
                                     Encoding::Utf16LeMark, u"\r"_qs)));
        for (const auto& [row, code] : {std::pair{0, "1"}, {1, "3"}, {2, "4"}, {2, "0"}})
            QVERIFY(p->form->CD2Typed(row, QString::fromLatin1(code)));
        p->form->CheckBox1->setChecked(true);
        p->form->RadioGroup1->setItemIndex(0);
        QCOMPARE(p->run(), QStringList());
        QCOMPARE(p->count(), 2);
        QCOMPARE(p->name(1) + u'|' + p->name(2), u"ａｂｃ商店|山田"_qs);
        QVERIFY(p->supplier(2).value(u"T_NAME02"_qs).isNull());
    }

    void withoutCodeEachLineGetsNextCode()
    {
        p->suite.addSupplier(500, {}, u"あり"_qs);
        p->suite.run(u"SET GENERATOR GYOUSYA_ID TO 500"_qs);
        QVERIFY(p->show(p->writeFile(u"a.csv"_qs,
                                     {u"ﾌﾘｶﾞﾅ,仕入先名１,TEL"_qs, u"ｱ,一,0857-22-0001"_qs,
                                      u"ｲ,二,03–6634–5592"_qs, u"ｳ,三,0857-22-0003"_qs},
                                     Encoding::Utf8Mark, u"\n"_qs)));
        // A line with no code page 932 form for a character is reported.
        QCOMPARE(p->run(1), QStringList{u"ｲ,二,03–6634–5592"_qs});
        QCOMPARE(p->count(), 3);
        QCOMPARE(p->name(501) + p->name(502), u"一三"_qs); // a reported line takes no code
        QCOMPARE(p->nextCode(), 503);
    }

    void failedInsertKeepsOldSupplier()
    {
        p->suite.run(u"CREATE EXCEPTION E_REFUSED 'refused'"_qs);
        p->suite.run(u"CREATE TRIGGER MAS_SIIRE_REFUSE FOR MAS_SIIRE BEFORE INSERT AS BEGIN "
                     u"IF (NEW.T_NAME01 = 'REFUSED') THEN EXCEPTION E_REFUSED; END"_qs);
        p->suite.addSupplier(105, {}, u"旧名"_qs);
        QVERIFY(p->show(p->writeFile(
            u"a.csv"_qs, {u"仕入先CD,仕入先名１"_qs, u"104,前"_qs, u"105,REFUSED"_qs, u"106,新規"_qs})));
        QCOMPARE(p->run(1), QStringList{u"105,REFUSED"_qs});
        QCOMPARE(p->name(104) + p->name(105) + p->name(106), u"前旧名新規"_qs);
    }

    void lostConnectionLeavesTableAsBefore()
    {
        p->suite.addSupplier(105, {}, u"旧名"_qs);
        QStringList lines{u"仕入先CD,仕入先名１"_qs, u"105,新しい名前"_qs};
        for (int code = 1000; code < 1300; ++code)
            lines << (code == 1200 ? u"短い"_qs : u"%1,名前%1"_qs.arg(code));
        QVERIFY(p->show(p->writeFile(u"a.csv"_qs, lines)));
        // While the short line is reported, the suite connection goes away;
        // then the error that ends the run.
        const QStringList said =
            answering([&] { QTest::mouseClick(p->form->BitBtn1, Qt::LeftButton); },
                      {[&](QDialog& d) {
                           QVERIFY(p->form->ProgressBar1->value() > 100); // the first blocks went in
                           p->suite.run(u"DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> "
                                        u"CURRENT_CONNECTION"_qs);
                           press(Qt::Key_Return)(d);
                       },
                       press(Qt::Key_Return)});
        QCOMPARE(said.value(0), u"短い"_qs);
        QCOMPARE(p->count(), 1);
        QCOMPARE(p->name(105), u"旧名"_qs);
    }

    // Runs that cannot start leave every supplier as it was, even in replace mode.
    void refusedRunsChangeNothing()
    {
        p->suite.addSupplier(1, {}, u"旧"_qs);
        p->suite.addSupplier(2, {}, u"b"_qs);
        // Nothing mapped: a notice, and the clerk can map a column and try again.
        QVERIFY(p->show(p->writeFile(u"a.csv"_qs, {u"名前,住所"_qs, u"x,y"_qs})));
        p->form->RadioGroup1->setItemIndex(0);
        MASSAGE_FORM = new TMASSAGE_FORM(&p->screen);
        QStringList said = p->run(1);
        QVERIFY2(said.value(0).contains(u"設定されていません"_qs), qPrintable(said.value(0)));
        QVERIFY(p->form->isVisible());

        // The file gone before the run.
        const QString file = p->writeFile(u"b.csv"_qs, {u"仕入先CD,仕入先名１"_qs, u"1,a"_qs});
        QVERIFY(p->show(file));
        QFile::remove(file);
        p->form->RadioGroup1->setItemIndex(0);
        said = p->run(1);
        QVERIFY2(said.value(0).contains(file), qPrintable(said.value(0)));
        QCOMPARE(p->count(), 2);
        QCOMPARE(p->name(1), u"旧"_qs);
    }
};

QTEST_MAIN(TestForm)
#include "tst_form.moc"

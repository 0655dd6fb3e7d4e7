// The supplier search list worked as the clerk works it, on a real suite
// database. The statements it builds: tst_search_rules.

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <memory>

#include "dialogs/Fonts.h"
#include "dialogs/FORM_KOUSYU_MAS.h"
#include "search/trad_sel.h"
#include "tests/search/ListTesting.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"

using namespace testing;

namespace {

constexpr int Ok = TPicker::ResultOk;
constexpr int Cancel = TPicker::ResultCancel;

// Every live supplier of the test suite but code 0, by code.
const QList<int> kLive = {12, 105, 230, 1234, 1300, 2002, 3000, 3001, 3002, 4000, 4001};

QList<int> searchFor(QLineEdit* box, const QString& text)
{
    typeInto(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    return listed(trad_sen2->DBGrid1);
}

// Chooses code after searching for key, or for the trade type when given:
// Enter in the box, Enter on the code's row; then the answers to what follows.
int choose(const QString& key, int code, const QString& tradeType = {}, const QList<Responder>& then = {})
{
    Ttrad_sen2& list = *trad_sen2;
    return showWith(
        list,
        [&] {
            typeInto(list.Edit1, key);
            const QList<int> found =
                tradeType.isEmpty() ? searchFor(list.Edit1, key) : searchFor(list.Edit3, tradeType);
            QVERIFY2(found.contains(code), "not listed");
            clickRow(list.DBGrid1, int(found.indexOf(code)));
            QTest::keyClick(list.DBGrid1, Qt::Key_Return);
        },
        then);
}

} // namespace

class TestSearchList : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;         // the test's own view of the database
    std::unique_ptr<db::Connection> m_program; // the connection the dialogs use
    std::unique_ptr<QWidget> m_main;           // and the dialogs, gone before their connection

    QString shortName(int code) { return m_suite->supplier(code, u"T_NAME03"_qs).toString(); }
    QVariant tradeType(int code) { return m_suite->supplier(code, u"KU_KOUSYU"_qs); }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<SuiteDatabase>();
        m_suite = std::make_unique<SuiteSql>(m_database->params());
        const auto add = [this](int code, const char* key, const char* name, const char* tel = "",
                                const QVariant& tradeType = {}, bool deleted = false) {
            m_suite->addSupplier(code, QString::fromUtf8(key), QString::fromUtf8(name),
                                 QString::fromUtf8(tel), tradeType, deleted);
        };
        add(0, "ｾﾞﾛ", "（諸口）");
        add(12, "ｱｵｿﾞﾗ", "青空商店", "0857-11-0012");
        add(105, "ｱｵｲｹﾝｾﾂ", "葵建設", "03-5555-1234");
        add(230, "ｱｵｲｹﾝｾﾂ2", "葵建設（重複）", "03-5555-1230");
        add(1234, "ﾔﾏﾀﾞｺｳﾑﾃﾝ", "株式会社　山田 工務店", "0857-22-5678");
        add(1300, "ﾆｼﾔﾏﾀﾞ", "西山田商会", "0857-22-1300");
        add(2002, "ﾐﾅﾐ", "南設備", "0857-03-1234");
        add(4000, "ﾏﾙﾔﾏ", "丸山建材\r\n本店");
        add(4001, "ﾄｳｻﾞｲ", "東西南北中央建設工業株式会社");
        add(2100, "ｻｸｼﾞｮ", "削除済工業", "0857-44-1234", {}, true);
        add(3000, "ﾄｿｳ", "塗装店", "", 1203);
        add(3001, "ｾﾞﾛｺｳｼｭ", "ゼロ工種", "", 0);
        add(3002, "ｼﾞｯｺｳ", "実行塗装", "", 1205);
        m_suite->run(u"update MAS_SIIRE set T_NAME03='葵' where T_CD=105"_qs);
        // Executed work: 3000 and 3002 did trade type 1203.
        for (const char* values : {"1, 3000, 1203", "2, 3002, 1203", "3, 12, 301"})
            m_suite->run(u"insert into DAT_JIKKOU (JIKKOU_NO, T_CD_2, KOUSYU) values (%1)"_qs.arg(
                QLatin1String(values)));
        for (const char* values : {"12, 0, '塗装工事'", "12, 3, '塗装'"})
            m_suite->run(u"insert into MAS_KOUSYU_02 (BL_KUBUN, BM_KUBUN, NAME01) values (%1)"_qs.arg(
                QString::fromUtf8(values)));

        m_program = std::make_unique<db::Connection>();
        m_program->setParams(m_database->params());
        m_main = mainWindow();
        MASSAGE_FORM = new TMASSAGE_FORM(m_main.get());
        KOUSYU_MAS = new TKOUSYU_MAS(*m_program, m_main.get());
        trad_sen2 = new Ttrad_sen2(*m_program, m_main.get());
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs));
        Ttrad_sen2& list = *trad_sen2;
        const QSignalBlocker quiet1(list.CheckBox1), quiet2(list.CheckBox2);
        list.CheckBox1->setChecked(false);
        list.CheckBox2->setChecked(false);
        list.Edit1->clear();
        SortDescending = 0;
    }

    // Enter searches, and moves on to the list only when it found something.
    // A key wins over the trade type; a trade type nobody has lists everyone.
    void searches()
    {
        Ttrad_sen2& list = *trad_sen2;
        const auto pick = [](QDialog& d) {
            QCOMPARE(d.objectName(), u"KOUSYU_MAS"_qs);
            type(Qt::Key_Down); // 1200, 1203
            type(Qt::Key_Return);
        };
        inList(*trad_sen2,
               [&] {
                   QCOMPARE(listed(list.DBGrid1), kLive); // both boxes empty
                   // Telephone endings and the code; deleted 2100 also ends with 1234.
                   QCOMPARE(searchFor(list.Edit1, u"1234"_qs), (QList<int>{105, 1234, 2002}));
                   QCOMPARE(focused(), list.DBGrid1);
                   QCOMPARE(searchFor(list.Edit1, u"x' or '1'='1"_qs), QList<int>{}); // nothing found wrongly
                   QCOMPARE(focused(), list.Edit1);
                   list.CheckBox2->click(); // 先頭一致
                   QCOMPARE(searchFor(list.Edit1, u"やまだ"_qs), QList<int>{1234});

                   list.Edit1->clear();
                   QCOMPARE(searchFor(list.Edit3, u"1203"_qs), (QList<int>{3000}));
                   QCOMPARE(searchFor(list.Edit3, u"9999"_qs), kLive); // nobody has it: everyone
                   list.Edit3->setText(u"1203"_qs);
                   QCOMPARE(searchFor(list.Edit1, u"ｱｵ"_qs), (QList<int>{12, 105, 230}));
                   list.CheckBox1->click(); // 50音順 orders by the reading at once
                   QCOMPARE(listed(list.DBGrid1), (QList<int>{105, 230, 12}));
                   // A trade type picked by a double-click is searched.
                   list.Edit1->clear();
                   list.Edit3->clear();
                   QTest::mouseDClick(list.Edit3, Qt::LeftButton);
                   QCOMPARE(list.Edit3->text(), u"1203"_qs);
                   QCOMPARE(listed(list.DBGrid1), (QList<int>{3000}));
               },
               {pick});
    }

    void titleClicks()
    {
        Ttrad_sen2& list = *trad_sen2;
        // Each click sorts the other way.
        inList(*trad_sen2, [&] {
            list.Edit1->setText(u"1234"_qs); // a key sorts its own hits (TEL)
            QCOMPARE(clickTitle(trad_sen2->DBGrid1, 3), (QList<int>{105, 2002, 1234}));
            // A trade type: its carriers and those who did its work, or a whole major class.
            list.Edit1->clear();
            list.Edit3->setText(u"1200"_qs);
            QCOMPARE(clickTitle(trad_sen2->DBGrid1, 0), (QList<int>{3002, 3000}));
        });
        list.DBGrid1TitleClick(0); // a closed list sorts nothing
        QCOMPARE(SortDescending, 0);
    }

    // OK completes the short name of a supplier that has none, cut to what
    // its box shows on one line; after a trade-type search it offers the
    // trade type to a supplier without one.
    void okCompletesShortNameAndTradeType()
    {
        QCOMPARE(choose(u"1234"_qs, 1234), Ok); // a key search asks nothing
        QCOMPARE(SelectedSupplierCode + u'|' + SelectedSupplierName, u"1234|株式会社　山田 工務店"_qs);
        QCOMPARE(shortName(1234), u"㈱山田工務店"_qs);
        QVERIFY(tradeType(1234).isNull());
        QCOMPARE(choose(u"ﾏﾙﾔﾏ"_qs, 4000), Ok);
        QCOMPARE(shortName(4000), u"丸山建材"_qs); // the first line
        QCOMPARE(choose(u"ｱｵｲ"_qs, 105), Ok);
        QCOMPARE(shortName(105), u"葵"_qs);      // already set
        QCOMPARE(choose(u"ﾄｳｻﾞｲ"_qs, 4001), Ok); // too wide for the box: cut where it wraps
        const QString full = u"東西南北中央建設工業㈱"_qs, cut = shortName(4001);
        QVERIFY2(!cut.isEmpty() && cut.size() < full.size() && full.startsWith(cut), qPrintable(cut));

        QCOMPARE(choose({}, 1300, u"1299"_qs, {answer(true)}), Ok);
        QCOMPARE(tradeType(1300).toInt(), 1299);
        QCOMPARE(choose({}, 12, u"1298"_qs, {answer(false)}), Ok);
        QVERIFY(tradeType(12).isNull());
        QCOMPARE(choose({}, 3001, u"1298"_qs), Ok); // 0 is a trade type, not a missing one
        QCOMPARE(tradeType(3001).toInt(), 0);
    }

    // Esc publishes that nothing was chosen; the close box leaves the last choice.
    void cancelEscAndCloseBox()
    {
        Ttrad_sen2& list = *trad_sen2;
        const auto chosenAfter = [&](const std::function<void()>& clerk) {
            SelectedSupplierCode = u"105"_qs;
            SelectedSupplierName = u"葵建設"_qs;
            const int result = showWith(list, clerk);
            return QString::number(result) + u'|' + SelectedSupplierCode + u'|' + SelectedSupplierName;
        };
        QCOMPARE(chosenAfter([] { type(Qt::Key_Escape); }), u"2|0|"_qs);
        QCOMPARE(chosenAfter([&] { list.close(); }), u"2|105|葵建設"_qs);
        QVERIFY(!list.FDQ_1.isOpen()); // closing closes the list
    }

    // An old suite's table gets the newest columns when the list is first
    // shown; with no live supplier the list closes at once as cancelled.
    void oldSuiteWithoutLiveSuppliers()
    {
        SuiteDatabase old(Suite::Old);
        SuiteSql s(old.params());
        s.addSupplier(0, u"ｾﾞﾛ"_qs, u"（諸口）"_qs);
        s.addSupplier(7, u"ｻｸｼﾞｮ"_qs, u"削除済"_qs, {}, {}, true);
        const QString newer = u"select count(*) from RDB$RELATION_FIELDS where RDB$RELATION_NAME='MAS_SIIRE' "
                              u"and RDB$FIELD_NAME in ('E_MAILE','T_PASS','IB_KBN','INBOICE')"_qs;
        QCOMPARE(s.value(newer).toInt(), 0);
        db::Connection program;
        program.setParams(old.params());
        Ttrad_sen2 list(program, m_main.get());
        SelectedSupplierCode = u"105"_qs;
        QCOMPARE(showWith(list, QList<Responder>{}), Cancel); // without the clerk
        QCOMPARE(SelectedSupplierCode, u"0"_qs);
        QCOMPARE(s.value(newer).toInt(), 4);
    }
};

QTEST_MAIN(TestSearchList)
#include "tst_search_list.moc"

#include "dialogs/FORM_KOUSYU_MAS.h"
#include "dialogs/Fonts.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"
#include "search/trad_sel.h"
#include "tests/search/ListTesting.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWheelEvent>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using testing::goToCode;
using testing::listedCodes;
using testing::SuiteData;
using testing::typeInto;

namespace {

constexpr int Ok = TPicker::ResultOk;
constexpr int Cancel = TPicker::ResultCancel;
using Responder = modal::Script::Responder;

// Every live supplier of the test suite but code 0, by code.
const QList<int> kLive = {12, 105, 230, 1234, 1300, 2000, 2001, 2002, 3000, 3001, 3002, 4000, 4001, 12345};

void type(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

// Shows dialog through the modal seam, each responder answering one dialog
// in the order they come (nested ones included); what each said goes to said.
// A dialog left unanswered or a responder left unused warns, which init() makes fail.
int run(QDialog& dialog, std::initializer_list<Responder> responders, QStringList* said = nullptr)
{
    modal::Script script;
    for (const Responder& r : responders)
        script.answer(r);
    const int result = modal::exec(dialog);
    if (said)
        for (const modal::ShownDialog& shown : script.shown())
            *said << shown.text;
    return result;
}

Responder answer(bool yes)
{
    return [yes](QDialog& d) {
        auto& message = static_cast<TMASSAGE_FORM&>(d);
        (yes ? message.BitBtn1 : message.BitBtn2)->click();
    };
}

// Shows the list, runs body as the clerk in it, then closes it.
int inList(const std::function<void()>& body)
{
    return run(*trad_sen2, {[&](QDialog& d) {
        body();
        if (d.isVisible())
            trad_sen2->done(Cancel);
    }});
}

QList<int> searchFor(QLineEdit* box, const QString& text)
{
    typeInto(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    return listedCodes(trad_sen2->DBGrid1);
}

QList<int> clickTitle(int column)
{
    QHeaderView* titles = trad_sen2->DBGrid1->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    return listedCodes(trad_sen2->DBGrid1);
}

// Chooses code after searching for key, or for the trade type when given:
// Enter in the box, Enter on the code's row.
Responder choose(const QString& key, int code, const QString& tradeType = {})
{
    return [key, code, tradeType](QDialog&) {
        Ttrad_sen2& list = *trad_sen2;
        typeInto(list.Edit1, key);
        if (!tradeType.isEmpty())
            typeInto(list.Edit3, tradeType);
        QTest::keyClick(tradeType.isEmpty() ? list.Edit1 : list.Edit3, Qt::Key_Return);
        QVERIFY(goToCode(list.DBGrid1, code));
        QTest::keyClick(list.DBGrid1, Qt::Key_Return);
    };
}

QList<int> reversed(QList<int> codes)
{
    std::reverse(codes.begin(), codes.end());
    return codes;
}

} // namespace

class TestSearchList : public QObject
{
    Q_OBJECT

    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<SuiteData> m_suite;        // the test's own view of the database
    std::unique_ptr<db::Connection> m_program; // the connection the dialogs use
    std::unique_ptr<QWidget> m_main;

    QString shortName(int code) { return m_suite->value(code, QStringLiteral("T_NAME03")).toString(); }
    QVariant tradeType(int code) { return m_suite->value(code, QStringLiteral("KU_KOUSYU")); }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<testing::SuiteDatabase>();
        m_suite = std::make_unique<SuiteData>(m_database->params());
        SuiteData& s = *m_suite;
        const auto add = [&s](int code, const char* key, const char* name, const char* tel = "",
                              const QVariant& tradeType = {}, bool deleted = false) {
            s.addSupplier(code, QString::fromUtf8(key), QString::fromUtf8(name), QString::fromUtf8(tel),
                          tradeType, deleted);
        };
        add(0, "ｾﾞﾛ", "（諸口）");
        add(12, "ｱｵｿﾞﾗ", "青空商店", "0857-11-0012");
        add(105, "ｱｵｲｹﾝｾﾂ", "葵建設", "03-5555-1234");
        add(230, "ｱｵｲｹﾝｾﾂ2", "葵建設（重複）", "03-5555-1230");
        add(1234, "ﾔﾏﾀﾞｺｳﾑﾃﾝ", "株式会社　山田 工務店", "0857-22-5678");
        add(1300, "ﾆｼﾔﾏﾀﾞ", "西山田商会", "0857-22-1300");
        add(2000, "ｴｰﾋﾞｰ", "a-b商事", "0857-33-2000");
        add(2001, "ｵﾆｰﾙ", "O'Neil Trading", "0857-33-2001");
        add(2002, "ﾐﾅﾐ", "南設備", "0857-03-1234");
        add(4000, "ﾏﾙﾔﾏ", "丸山建材\r\n本店");
        add(4001, "ﾄｳｻﾞｲ", "東西南北中央建設工業株式会社");
        add(12345, "ｲﾁﾆｻﾝ", "一二三四五", "0857-12-3450");
        add(2100, "ｻｸｼﾞｮ", "削除済工業", "0857-44-1234", {}, true);
        add(3000, "ﾄｿｳ", "塗装店", "", 1203);
        add(3001, "ｾﾞﾛｺｳｼｭ", "ゼロ工種", "", 0);
        add(3002, "ｼﾞｯｺｳ", "実行塗装", "", 1205);
        s.run(QStringLiteral("update MAS_SIIRE set T_NAME03='葵' where T_CD=105"));
        // Executed work: 3000 and 3002 did trade type 1203.
        for (const char* values : {"1, 3000, 1203", "2, 3002, 1203", "3, 12, 301"})
            s.run(QStringLiteral("insert into DAT_JIKKOU (JIKKOU_NO, T_CD_2, KOUSYU) values (%1)")
                      .arg(QLatin1String(values)));
        for (const char* values : {"12, 0, '塗装工事'", "12, 3, '塗装'"})
            s.run(QStringLiteral("insert into MAS_KOUSYU_02 (BL_KUBUN, BM_KUBUN, NAME01) values (%1)")
                      .arg(QString::fromUtf8(values)));

        m_program = std::make_unique<db::Connection>();
        m_program->setParams(m_database->params());
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(60, 40, 1100, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        MASSAGE_FORM = new TMASSAGE_FORM(m_main.get());
        KOUSYU_MAS = new TKOUSYU_MAS(*m_program, m_main.get());
        trad_sen2 = new Ttrad_sen2(*m_program, m_main.get());
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
        Ttrad_sen2& list = *trad_sen2;
        const QSignalBlocker quiet1(list.CheckBox1), quiet2(list.CheckBox2);
        list.CheckBox1->setChecked(false);
        list.CheckBox2->setChecked(false);
        list.Edit1->clear();
        SortDescending = 0;
    }

    void cleanupTestCase()
    {
        delete trad_sen2;
        delete KOUSYU_MAS;
        delete MASSAGE_FORM;
        m_main.reset();
        m_program.reset();
    }

    void searches_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("prefix");
        QTest::addColumn<QList<int>>("codes");
        // Deleted 2100 also ends with 1234; code 0 is never listed.
        QTest::newRow("four digits: telephone endings and the code")
            << "1234" << false << QList<int>{105, 1234, 2002};
        QTest::newRow("five digits: the code") << "12345" << false << QList<int>{12345};
        QTest::newRow("two digits: the code") << "12" << false << QList<int>{12};
        QTest::newRow("telephone ending") << "03-1234" << false << QList<int>{2002};
        QTest::newRow("short hyphenated: substring") << "a-b" << false << QList<int>{2000};
        QTest::newRow("reading substring") << "ﾔﾏﾀﾞ" << false << QList<int>{1234, 1300};
        QTest::newRow("reading prefix") << "ﾔﾏﾀﾞ" << true << QList<int>{1234};
        QTest::newRow("hiragana prefix") << "やまだ" << true << QList<int>{1234};
        QTest::newRow("name substring") << "工務店" << false << QList<int>{1234};
        QTest::newRow("name not by prefix") << "工務店" << true << QList<int>{};
        QTest::newRow("quote") << "O'Neil" << false << QList<int>{2001};
        QTest::newRow("quote cannot change the statement") << "x' or '1'='1" << false << QList<int>{};
        QTest::newRow("deleted never") << "削除" << false << QList<int>{};
        QTest::newRow("code 0 never") << "ｾﾞﾛ" << false << QList<int>{3001};
    }

    void searches()
    {
        QFETCH(QString, key);
        QFETCH(bool, prefix);
        QFETCH(QList<int>, codes);
        Ttrad_sen2& list = *trad_sen2;
        list.CheckBox2->setChecked(prefix);
        inList([&] {
            QCOMPARE(searchFor(list.Edit1, key), codes);
            // Enter moves on to the list only when it found something.
            QCOMPARE(QApplication::focusWidget(),
                     codes.isEmpty() ? static_cast<QWidget*>(list.Edit1) : list.DBGrid1);
        });
    }

    void tradeTypeAndOrder()
    {
        Ttrad_sen2& list = *trad_sen2;
        inList([&] {
            QCOMPARE(listedCodes(list.DBGrid1), kLive); // both boxes empty
            QCOMPARE(searchFor(list.Edit3, QStringLiteral("1203")), (QList<int>{3000}));
            // Nobody has it, or no trade type at all: everyone.
            for (const char* none : {"9999", "0", "abc"})
                QCOMPARE(searchFor(list.Edit3, QLatin1String(none)), kLive);
            // A key makes the trade type count for nothing.
            list.Edit3->setText(QStringLiteral("1203"));
            QCOMPARE(searchFor(list.Edit1, QStringLiteral("ｱｵ")), (QList<int>{12, 105, 230}));
            // 50音順 orders by the reading at once.
            list.CheckBox1->click();
            QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{105, 230, 12}));
        });
    }

    void titleClicks()
    {
        Ttrad_sen2& list = *trad_sen2;
        // 名称 sorts by the main name; the plain sort lists code 0 too.
        QList<int> byName;
        for (const QVariant& v : m_suite->column(
                 QStringLiteral("select T_CD from MAS_SIIRE where E_DATE04 is null order by T_NAME01")))
            byName << v.toInt();
        QVERIFY(byName.contains(0));
        inList([&] {
            QCOMPARE(clickTitle(2), byName);
            QCOMPARE(SortDescending, 1);
            QCOMPARE(clickTitle(2), reversed(byName));
            QCOMPARE(SortDescending, 0);
            // A key sorts its own hits by the clicked column (TEL).
            list.Edit1->setText(QStringLiteral("1234"));
            QCOMPARE(clickTitle(3), (QList<int>{105, 2002, 1234}));

            // A trade type: its carriers and those who did its work; the TEL
            // click left the next sort descending.
            list.Edit1->clear();
            list.Edit3->setText(QStringLiteral("1203"));
            QCOMPARE(clickTitle(0), (QList<int>{3002, 3000}));
            QCOMPARE(clickTitle(0), (QList<int>{3000, 3002}));
            list.Edit3->setText(QStringLiteral("1200")); // a whole major class
            QCOMPARE(clickTitle(0), (QList<int>{3002, 3000}));
            QCOMPARE(SortDescending, 0);
            // Nobody: every live supplier, in the direction after the one the join took.
            list.Edit3->setText(QStringLiteral("9900"));
            QCOMPARE(clickTitle(0), reversed(QList<int>{0} + kLive));
            QCOMPARE(SortDescending, 0);
            list.Edit3->clear();
            QCOMPARE(clickTitle(0), QList<int>{0} + kLive);
        });
        // A closed list sorts nothing.
        list.DBGrid1TitleClick(0);
        QCOMPARE(SortDescending, 1);
    }

    void keysAndZoom()
    {
        Ttrad_sen2& list = *trad_sen2;
        QTableView* grid = list.DBGrid1;
        const auto turn = [grid](int delta, Qt::KeyboardModifiers modifiers) {
            const QPointF at = grid->viewport()->rect().center();
            QWheelEvent event(at, grid->viewport()->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton,
                              modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &event);
            return grid->font().pointSize();
        };
        inList([&] {
            searchFor(list.Edit1, QStringLiteral("ﾔﾏﾀﾞ"));
            QCOMPARE(QApplication::focusWidget(), grid);
            type(Qt::Key_Down);
            type(Qt::Key_Up);
            QCOMPARE(grid->currentIndex().row(), 0);
            QCOMPARE(QApplication::focusWidget(), grid);
            type(Qt::Key_Up); // on the first row: back to the box
            QCOMPARE(QApplication::focusWidget(), list.Edit1);

            // Ctrl zooms (its bounds are the shared list zoom's); the wheel alone scrolls.
            QCOMPARE(turn(120, Qt::NoModifier), 14);
            QCOMPARE(turn(120, Qt::ControlModifier), 15);
            QCOMPARE(turn(-120, Qt::ControlModifier), 14);
        });
    }

    void okCompletesShortNameAndTradeType()
    {
        Ttrad_sen2& list = *trad_sen2;
        // Legal form abbreviated, blanks of both widths gone; a key search asks nothing.
        QCOMPARE(run(list, {choose(QStringLiteral("1234"), 1234)}), Ok);
        QCOMPARE(SelectedSupplierCode, QStringLiteral("1234"));
        QCOMPARE(SelectedSupplierName, QStringLiteral("株式会社　山田 工務店"));
        QCOMPARE(shortName(1234), QStringLiteral("㈱山田工務店"));
        QVERIFY(tradeType(1234).isNull());
        QCOMPARE(run(list, {choose(QStringLiteral("ﾏﾙﾔﾏ"), 4000)}), Ok);
        QCOMPARE(shortName(4000), QStringLiteral("丸山建材"));
        QCOMPARE(run(list, {choose(QStringLiteral("O'Neil"), 2001)}), Ok);
        QCOMPARE(shortName(2001), QStringLiteral("O'NeilTrading"));
        QCOMPARE(run(list, {choose(QStringLiteral("ｱｵｲ"), 105)}), Ok);
        QCOMPARE(shortName(105), QStringLiteral("葵")); // already set

        // Too wide for the box: cut where it wraps.
        QCOMPARE(run(list, {choose(QStringLiteral("ﾄｳｻﾞｲ"), 4001)}), Ok);
        const QString full = QStringLiteral("東西南北中央建設工業㈱");
        const QString cut = shortName(4001);
        QVERIFY2(!cut.isEmpty() && cut.size() < full.size() && full.startsWith(cut), qPrintable(cut));
        const QFontMetricsF metrics(list.Memo1->font());
        const int width = suppliersearch::TextWidthOf(*list.Memo1);
        QVERIFY(metrics.horizontalAdvance(cut) <= width);
        QVERIFY(metrics.horizontalAdvance(full.left(cut.size() + 1)) > width);

        // After a trade-type search a supplier without one is asked about.
        QStringList said;
        QCOMPARE(run(list, {choose({}, 1300, QStringLiteral("1299")), answer(true)}, &said), Ok);
        QCOMPARE(said.value(1), QStringLiteral("西山田商会に工種をセットしますか？"));
        QCOMPARE(tradeType(1300).toInt(), 1299);
        QCOMPARE(run(list, {choose({}, 12, QStringLiteral("1298")), answer(false)}), Ok);
        QVERIFY(tradeType(12).isNull());
        QCOMPARE(SelectedSupplierCode, QStringLiteral("12"));
        // 0 is a trade type, not a missing one.
        QCOMPARE(run(list, {choose({}, 3001, QStringLiteral("1298"))}), Ok);
        QCOMPARE(tradeType(3001).toInt(), 0);
    }

    void cancelEscAndCloseBox()
    {
        Ttrad_sen2& list = *trad_sen2;
        // Cancel and Esc publish that nothing was chosen; the close box leaves the last choice.
        const auto chosenAfter = [&](const Responder& clerk) -> QString {
            SelectedSupplierCode = QStringLiteral("105");
            SelectedSupplierName = QStringLiteral("葵建設");
            if (run(list, {clerk}) != Cancel)
                return QStringLiteral("not cancelled");
            return SelectedSupplierCode + u'|' + SelectedSupplierName;
        };
        QCOMPARE(chosenAfter([&](QDialog&) { list.BitBtn1->click(); }), QStringLiteral("0|"));
        QCOMPARE(chosenAfter([](QDialog&) {
                     type(Qt::Key_Down);
                     type(Qt::Key_Escape);
                 }),
                 QStringLiteral("0|"));
        QCOMPARE(chosenAfter([&](QDialog&) { list.close(); }), QStringLiteral("105|葵建設"));
        QVERIFY(!list.FDQ_1.isOpen()); // closing closes the list
    }

    void tradeTypePicker()
    {
        Ttrad_sen2& list = *trad_sen2;
        const auto pick = [&](QDialog&) {
            QTest::mouseDClick(list.Edit3, Qt::LeftButton);
            QCOMPARE(list.Edit3->text(), QStringLiteral("1203"));
            QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{3000}));
            // Cancelling the picker changes nothing.
            QTest::mouseDClick(list.Edit3, Qt::LeftButton);
            QCOMPARE(list.Edit3->text(), QStringLiteral("1203"));
            QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{3000}));
            list.BitBtn1->click();
        };
        const auto picker = [](Qt::Key last) {
            return [last](QDialog& d) {
                QCOMPARE(d.objectName(), QStringLiteral("KOUSYU_MAS"));
                type(Qt::Key_Down); // 1200, 1203
                type(last);
            };
        };
        QCOMPARE(run(list, {pick, picker(Qt::Key_Return), picker(Qt::Key_Escape)}), Cancel);
    }

    // An old suite's table gets the newest columns when the list is first shown;
    // with no live supplier the list closes at once as cancelled.
    void oldSuiteWithoutLiveSuppliers()
    {
        testing::SuiteDatabase old(testing::Suite::Old);
        SuiteData s(old.params());
        s.addSupplier(0, QStringLiteral("ｾﾞﾛ"), QStringLiteral("（諸口）"));
        s.addSupplier(7, QStringLiteral("ｻｸｼﾞｮ"), QStringLiteral("削除済"), {}, {}, true);
        const QString newer =
            QStringLiteral("select count(*) from RDB$RELATION_FIELDS where RDB$RELATION_NAME='MAS_SIIRE' "
                           "and RDB$FIELD_NAME in ('E_MAILE','T_PASS','IB_KBN','INBOICE')");
        QCOMPARE(s.column(newer).value(0).toInt(), 0);
        db::Connection program;
        program.setParams(old.params());
        Ttrad_sen2 list(program, m_main.get());
        SelectedSupplierCode = QStringLiteral("105");
        SelectedSupplierName = QStringLiteral("葵建設");
        QCOMPARE(run(list, {}), Cancel); // without the clerk
        QCOMPARE(SelectedSupplierCode, QStringLiteral("0"));
        QVERIFY(SelectedSupplierName.isEmpty());
        QCOMPARE(s.column(newer).value(0).toInt(), 4);

        s.addSupplier(1, QStringLiteral("ﾌﾙｲ"), QStringLiteral("古井商店"));
        QCOMPARE(run(list, {[&](QDialog&) {
                         QCOMPARE(listedCodes(list.DBGrid1), QList<int>{1});
                         QCOMPARE(QApplication::focusWidget(), list.Edit1);
                         type(Qt::Key_Return);
                         type(Qt::Key_Return);
                     }}),
                 Ok);
        QCOMPARE(SelectedSupplierCode, QStringLiteral("1"));
    }
};

QTEST_MAIN(TestSearchList)
#include "tst_search_list.moc"

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

void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Shows dialog through the modal seam, each responder answering one dialog
// in the order they come (nested ones included); what each said goes to said.
int run(QDialog& dialog, std::initializer_list<Responder> responders, QStringList* said = nullptr)
{
    modal::Script script;
    for (const Responder& r : responders)
        script.answer(r);
    const int result = modal::exec(dialog);
    [&] {
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }();
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

QList<int> reversed(QList<int> codes)
{
    std::reverse(codes.begin(), codes.end());
    return codes;
}

} // namespace

class TestSearchList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void searches_data();
    void searches();
    void tradeTypeAndOrder();
    void titleClicks();
    void keysAndZoom();
    void okCompletesShortNameAndTradeType();
    void cancelEscAndCloseBox();
    void tradeTypePicker();
    void noLiveSupplierClosesAsCancel();
    void oldTableGetsItsColumnsOnFirstShow();

private:
    // Shows the list modally, runs body as the clerk in it, then closes it.
    int inList(const std::function<void()>& body);
    void clickTitle(int column);
    // Chooses code after searching for key: Enter in the key box, Enter on its row.
    Responder choose(const QString& key, int code, const QString& tradeType = {});

    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<SuiteData> m_suite;        // the test's own view of the database
    std::unique_ptr<db::Connection> m_program; // the connection the dialogs use
    std::unique_ptr<QWidget> m_main;
};

void TestSearchList::initTestCase()
{
    InstallFontSubstitutions();
    m_database = std::make_unique<testing::SuiteDatabase>();
    m_suite = std::make_unique<SuiteData>(m_database->params());
    SuiteData& s = *m_suite;
    s.addSupplier(0, QStringLiteral("ｾﾞﾛ"), QStringLiteral("（諸口）"));
    s.addSupplier(12, QStringLiteral("ｱｵｿﾞﾗ"), QStringLiteral("青空商店"), QStringLiteral("0857-11-0012"));
    s.addSupplier(105, QStringLiteral("ｱｵｲｹﾝｾﾂ"), QStringLiteral("葵建設"), QStringLiteral("03-5555-1234"));
    s.addSupplier(230, QStringLiteral("ｱｵｲｹﾝｾﾂ2"), QStringLiteral("葵建設（重複）"),
                  QStringLiteral("03-5555-1230"));
    s.addSupplier(1234, QStringLiteral("ﾔﾏﾀﾞｺｳﾑﾃﾝ"), QStringLiteral("株式会社　山田 工務店"),
                  QStringLiteral("0857-22-5678"));
    s.addSupplier(1300, QStringLiteral("ﾆｼﾔﾏﾀﾞ"), QStringLiteral("西山田商会"),
                  QStringLiteral("0857-22-1300"));
    s.addSupplier(2000, QStringLiteral("ｴｰﾋﾞｰ"), QStringLiteral("a-b商事"), QStringLiteral("0857-33-2000"));
    s.addSupplier(2001, QStringLiteral("ｵﾆｰﾙ"), QStringLiteral("O'Neil Trading"),
                  QStringLiteral("0857-33-2001"));
    s.addSupplier(2002, QStringLiteral("ﾐﾅﾐ"), QStringLiteral("南設備"), QStringLiteral("0857-03-1234"));
    s.addSupplier(2100, QStringLiteral("ｻｸｼﾞｮ"), QStringLiteral("削除済工業"), QStringLiteral("0857-44-1234"),
                  {}, true);
    s.addSupplier(3000, QStringLiteral("ﾄｿｳ"), QStringLiteral("塗装店"), {}, 1203);
    s.addSupplier(3001, QStringLiteral("ｾﾞﾛｺｳｼｭ"), QStringLiteral("ゼロ工種"), {}, 0);
    s.addSupplier(3002, QStringLiteral("ｼﾞｯｺｳ"), QStringLiteral("実行塗装"), {}, 1205);
    s.addSupplier(4000, QStringLiteral("ﾏﾙﾔﾏ"), QStringLiteral("丸山建材\r\n本店"));
    s.addSupplier(4001, QStringLiteral("ﾄｳｻﾞｲ"), QStringLiteral("東西南北中央建設工業株式会社"));
    s.addSupplier(12345, QStringLiteral("ｲﾁﾆｻﾝ"), QStringLiteral("一二三四五"),
                  QStringLiteral("0857-12-3450"));
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

void TestSearchList::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
    Ttrad_sen2& list = *trad_sen2;
    const QSignalBlocker quiet1(list.CheckBox1), quiet2(list.CheckBox2);
    list.CheckBox1->setChecked(false);
    list.CheckBox2->setChecked(false);
    list.Edit1->clear();
    SortDescending = 0;
}

void TestSearchList::cleanupTestCase()
{
    delete trad_sen2;
    delete KOUSYU_MAS;
    delete MASSAGE_FORM;
    QVERIFY(!trad_sen2);
    m_main.reset();
    m_program.reset();
}

int TestSearchList::inList(const std::function<void()>& body)
{
    return run(*trad_sen2, {[&](QDialog& d) {
        body();
        if (d.isVisible())
            trad_sen2->done(Cancel);
    }});
}

void TestSearchList::clickTitle(int column)
{
    QHeaderView* titles = trad_sen2->DBGrid1->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
}

Responder TestSearchList::choose(const QString& key, int code, const QString& tradeType)
{
    return [key, code, tradeType](QDialog&) {
        Ttrad_sen2& list = *trad_sen2;
        typeInto(list.Edit1, key);
        QLineEdit* box = list.Edit1;
        if (!tradeType.isEmpty()) {
            typeInto(list.Edit3, tradeType);
            box = list.Edit3;
        }
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(goToCode(list.DBGrid1, code));
        QTest::keyClick(list.DBGrid1, Qt::Key_Return);
    };
}

void TestSearchList::searches_data()
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

void TestSearchList::searches()
{
    QFETCH(QString, key);
    QFETCH(bool, prefix);
    QFETCH(QList<int>, codes);
    Ttrad_sen2& list = *trad_sen2;
    list.CheckBox2->setChecked(prefix);
    inList([&] {
        typeInto(list.Edit1, key);
        QTest::keyClick(list.Edit1, Qt::Key_Return);
        QCOMPARE(listedCodes(list.DBGrid1), codes);
        // Enter moves on to the list only when it found something.
        QCOMPARE(QApplication::focusWidget(),
                 codes.isEmpty() ? static_cast<QWidget*>(list.Edit1) : list.DBGrid1);
    });
}

void TestSearchList::tradeTypeAndOrder()
{
    Ttrad_sen2& list = *trad_sen2;
    inList([&] {
        QCOMPARE(listedCodes(list.DBGrid1), kLive); // both boxes empty
        const auto byTradeType = [&](const QString& text) {
            typeInto(list.Edit3, text);
            QTest::keyClick(list.Edit3, Qt::Key_Return);
            return listedCodes(list.DBGrid1);
        };
        QCOMPARE(byTradeType(QStringLiteral("1203")), (QList<int>{3000}));
        QCOMPARE(byTradeType(QStringLiteral("9999")), kLive); // nobody has it: everyone
        QCOMPARE(byTradeType(QStringLiteral("0")), kLive);
        QCOMPARE(byTradeType(QStringLiteral("abc")), kLive);
        // A key makes the trade type count for nothing.
        list.Edit3->setText(QStringLiteral("1203"));
        typeInto(list.Edit1, QStringLiteral("ｱｵ"));
        QTest::keyClick(list.Edit1, Qt::Key_Return);
        QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{12, 105, 230}));

        // 50音順 orders by the reading at once.
        list.CheckBox1->click();
        QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{105, 230, 12}));
    });
}

void TestSearchList::titleClicks()
{
    Ttrad_sen2& list = *trad_sen2;
    // 名称 sorts by the main name; the plain sort lists code 0 too.
    QList<int> byName;
    for (const QVariant& v : m_suite->column(
             QStringLiteral("select T_CD from MAS_SIIRE where E_DATE04 is null order by T_NAME01")))
        byName << v.toInt();
    QVERIFY(byName.contains(0));
    inList([&] {
        clickTitle(2);
        QCOMPARE(listedCodes(list.DBGrid1), byName);
        QCOMPARE(SortDescending, 1);
        clickTitle(2);
        QCOMPARE(listedCodes(list.DBGrid1), reversed(byName));
        QCOMPARE(SortDescending, 0);

        // A key sorts its own hits by the clicked column (TEL).
        list.Edit1->setText(QStringLiteral("1234"));
        clickTitle(3);
        QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{105, 2002, 1234}));

        // A trade type: its carriers and those who did its work; the TEL
        // click left the next sort descending.
        list.Edit1->clear();
        list.Edit3->setText(QStringLiteral("1203"));
        clickTitle(0);
        QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{3002, 3000}));
        clickTitle(0);
        QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{3000, 3002}));
        // A whole major class.
        list.Edit3->setText(QStringLiteral("1200"));
        clickTitle(0);
        QCOMPARE(listedCodes(list.DBGrid1), (QList<int>{3002, 3000}));
        QCOMPARE(SortDescending, 0);

        // Nobody: every live supplier, in the direction after the one the join took.
        list.Edit3->setText(QStringLiteral("9900"));
        clickTitle(0);
        QCOMPARE(listedCodes(list.DBGrid1), reversed(QList<int>{0} + kLive));
        QCOMPARE(SortDescending, 0);
        list.Edit3->clear();
        clickTitle(0);
        QCOMPARE(listedCodes(list.DBGrid1), QList<int>{0} + kLive);
    });
    // A closed list sorts nothing.
    list.DBGrid1TitleClick(0);
    QCOMPARE(SortDescending, 1);
}

void TestSearchList::keysAndZoom()
{
    Ttrad_sen2& list = *trad_sen2;
    QTableView* grid = list.DBGrid1;
    const auto turn = [grid](int delta, Qt::KeyboardModifiers modifiers, int times = 1) {
        const QPointF at = grid->viewport()->rect().center();
        for (int i = 0; i < times; ++i) {
            QWheelEvent event(at, grid->viewport()->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton,
                              modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &event);
        }
        return grid->font().pointSize();
    };
    inList([&] {
        typeInto(list.Edit1, QStringLiteral("ﾔﾏﾀﾞ"));
        type(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), grid);
        type(Qt::Key_Down);
        type(Qt::Key_Up);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(QApplication::focusWidget(), grid);
        type(Qt::Key_Up); // on the first row: back to the box
        QCOMPARE(QApplication::focusWidget(), list.Edit1);
        typeInto(list.Edit1, QStringLiteral("zzz"));
        type(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), list.Edit1);

        QCOMPARE(grid->font().pointSize(), 14);
        QCOMPARE(turn(120, Qt::NoModifier), 14); // scrolls
        QCOMPARE(turn(-120, Qt::ControlModifier), 14);
        QCOMPARE(turn(120, Qt::ControlModifier, 12), 25);
        QCOMPARE(turn(-120, Qt::ControlModifier, 11), 14);
    });
}

void TestSearchList::okCompletesShortNameAndTradeType()
{
    Ttrad_sen2& list = *trad_sen2;
    SuiteData& s = *m_suite;
    // Legal form abbreviated, blanks of both widths gone; a key search asks nothing.
    QCOMPARE(run(list, {choose(QStringLiteral("1234"), 1234)}), Ok);
    QCOMPARE(SelectedSupplierCode, QStringLiteral("1234"));
    QCOMPARE(SelectedSupplierName, QStringLiteral("株式会社　山田 工務店"));
    QCOMPARE(s.value(1234, QStringLiteral("T_NAME03")).toString(), QStringLiteral("㈱山田工務店"));
    QVERIFY(s.value(1234, QStringLiteral("KU_KOUSYU")).isNull());

    QCOMPARE(run(list, {choose(QStringLiteral("ﾏﾙﾔﾏ"), 4000)}), Ok);
    QCOMPARE(s.value(4000, QStringLiteral("T_NAME03")).toString(), QStringLiteral("丸山建材"));
    QCOMPARE(run(list, {choose(QStringLiteral("O'Neil"), 2001)}), Ok);
    QCOMPARE(s.value(2001, QStringLiteral("T_NAME03")).toString(), QStringLiteral("O'NeilTrading"));
    QCOMPARE(run(list, {choose(QStringLiteral("ｱｵｲ"), 105)}), Ok);
    QCOMPARE(s.value(105, QStringLiteral("T_NAME03")).toString(), QStringLiteral("葵")); // already set

    // Too wide for the box: cut where it wraps.
    QCOMPARE(run(list, {choose(QStringLiteral("ﾄｳｻﾞｲ"), 4001)}), Ok);
    const QString full = QStringLiteral("東西南北中央建設工業㈱");
    const QString cut = s.value(4001, QStringLiteral("T_NAME03")).toString();
    QVERIFY2(!cut.isEmpty() && cut.size() < full.size() && full.startsWith(cut), qPrintable(cut));
    const QFontMetricsF metrics(list.Memo1->font());
    const int width = suppliersearch::TextWidthOf(*list.Memo1);
    QVERIFY(width > 150 && width < 172);
    QVERIFY(metrics.horizontalAdvance(cut) <= width);
    QVERIFY(metrics.horizontalAdvance(full.left(cut.size() + 1)) > width);

    // After a trade-type search a supplier without one is asked about.
    QStringList said;
    QCOMPARE(run(list, {choose({}, 1300, QStringLiteral("1299")), answer(true)}, &said), Ok);
    QCOMPARE(said.value(1), QStringLiteral("西山田商会に工種をセットしますか？"));
    QCOMPARE(s.value(1300, QStringLiteral("KU_KOUSYU")).toInt(), 1299);
    QCOMPARE(run(list, {choose({}, 12, QStringLiteral("1298")), answer(false)}), Ok);
    QVERIFY(s.value(12, QStringLiteral("KU_KOUSYU")).isNull());
    QCOMPARE(SelectedSupplierCode, QStringLiteral("12"));
    // 0 is a trade type, not a missing one.
    QCOMPARE(run(list, {choose({}, 3001, QStringLiteral("1298"))}), Ok);
    QCOMPARE(s.value(3001, QStringLiteral("KU_KOUSYU")).toInt(), 0);
}

void TestSearchList::cancelEscAndCloseBox()
{
    Ttrad_sen2& list = *trad_sen2;
    const auto chosenBefore = [] {
        SelectedSupplierCode = QStringLiteral("105");
        SelectedSupplierName = QStringLiteral("葵建設");
    };
    chosenBefore();
    QCOMPARE(run(list, {[&](QDialog&) {
                     list.BitBtn1->click();
                 }}),
             Cancel);
    QCOMPARE(SelectedSupplierCode, QStringLiteral("0"));
    QVERIFY(SelectedSupplierName.isEmpty());
    chosenBefore();
    QCOMPARE(run(list, {[&](QDialog&) {
                     type(Qt::Key_Down);
                     type(Qt::Key_Escape);
                 }}),
             Cancel);
    QCOMPARE(SelectedSupplierCode, QStringLiteral("0"));
    QVERIFY(SelectedSupplierName.isEmpty());
    chosenBefore();
    QCOMPARE(run(list, {[&](QDialog&) {
                     list.close();
                 }}),
             Cancel);
    QCOMPARE(SelectedSupplierCode, QStringLiteral("105"));
    QCOMPARE(SelectedSupplierName, QStringLiteral("葵建設"));
    QVERIFY(!list.FDQ_1.isOpen()); // closing closes the list
}

void TestSearchList::tradeTypePicker()
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

void TestSearchList::noLiveSupplierClosesAsCancel()
{
    testing::SuiteDatabase empty;
    SuiteData s(empty.params());
    s.addSupplier(0, QStringLiteral("ｾﾞﾛ"), QStringLiteral("（諸口）"));
    s.addSupplier(7, QStringLiteral("ｻｸｼﾞｮ"), QStringLiteral("削除済"), {}, {}, true);
    db::Connection program;
    program.setParams(empty.params());
    Ttrad_sen2 list(program, m_main.get());
    SelectedSupplierCode = QStringLiteral("105");
    SelectedSupplierName = QStringLiteral("葵建設");
    modal::Script nobodyAnswers;
    QCOMPARE(modal::exec(list), Cancel);
    QVERIFY2(nobodyAnswers.verify().isEmpty(), qPrintable(nobodyAnswers.verify()));
    QCOMPARE(SelectedSupplierCode, QStringLiteral("0"));
    QVERIFY(SelectedSupplierName.isEmpty());
}

void TestSearchList::oldTableGetsItsColumnsOnFirstShow()
{
    testing::SuiteDatabase old(testing::Suite::Old);
    SuiteData s(old.params());
    s.addSupplier(1, QStringLiteral("ﾌﾙｲ"), QStringLiteral("古井商店"));
    const QString newer =
        QStringLiteral("select count(*) from RDB$RELATION_FIELDS where RDB$RELATION_NAME='MAS_SIIRE' "
                       "and RDB$FIELD_NAME in ('E_MAILE','T_PASS','IB_KBN','INBOICE')");
    QCOMPARE(s.column(newer).value(0).toInt(), 0);
    db::Connection program;
    program.setParams(old.params());
    Ttrad_sen2 list(program, m_main.get());
    QCOMPARE(run(list, {[&](QDialog&) {
                     QCOMPARE(listedCodes(list.DBGrid1), QList<int>{1});
                     QCOMPARE(QApplication::focusWidget(), list.Edit1);
                     type(Qt::Key_Return);
                     type(Qt::Key_Return);
                 }}),
             Ok);
    QCOMPARE(SelectedSupplierCode, QStringLiteral("1"));
    QCOMPARE(s.column(newer).value(0).toInt(), 4);
}

QTEST_MAIN(TestSearchList)
#include "tst_search_list.moc"

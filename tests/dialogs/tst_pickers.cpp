// The code, trade-type and column pickers, worked from the keyboard and the mouse.

#include <QRegularExpression>

#include <memory>

#include "dialogs/Fonts.h"
#include "dialogs/FORM_KOUSYU_MAS.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/Unit6.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"

using namespace testing;

namespace {

const QString kKamoku = u"SELECT CD,NAME from LOOK_KAMOKU order by CD"_qs;
constexpr int Ok = TPicker::ResultOk;
constexpr int Cancel = TPicker::ResultCancel;

// Shows dialog and types keys into it: only the last may close it.
int typed(QDialog& dialog, std::initializer_list<Qt::Key> keys)
{
    return showWith(dialog, [&] {
        for (const Qt::Key key : keys) {
            QVERIFY(dialog.isVisible());
            type(key);
        }
    });
}

// The texts of the grid's first column, one blank between them.
QString firstColumn(const QTableView* grid)
{
    QStringList texts;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        texts << grid->model()->index(r, 0).data().toString();
    return texts.join(u' ');
}

QList<int> tradeTypeResults()
{
    return {SelectedTradeTypeCode, SelectedTradeTypeMajor, SelectedTradeTypeMinor, SelectedTradeTypeRecNo};
}

// As the main screen calls the code picker: its statement, then its place.
void prepareCodePicker(const QString& sql, const QPoint& at)
{
    pickers::Reopen(Form_kouzou_sel->FDQ_1, {sql}, {});
    Form_kouzou_sel->resize(145, Form_kouzou_sel->height());
    Form_kouzou_sel->move(at);
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;
    std::unique_ptr<QWidget> m_main;

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<SuiteDatabase>();
        m_suite = std::make_unique<SuiteSql>(m_database->params());
        // Stored out of order: only the statements' ordering lists them by code.
        for (const char* values : {"201, '労務費'", "101, '材料費'"})
            m_suite->run(u"insert into LOOK_KAMOKU (CD, NAME) values (%1)"_qs.arg(QString::fromUtf8(values)));
        for (const char* values : {"12, 3, '塗装'", "3, 2, '造作材'", "1, 0, '仮設工事'", "3, 0, '木工事'"})
            m_suite->run(u"insert into MAS_KOUSYU_02 (BL_KUBUN, BM_KUBUN, NAME01) values (%1)"_qs.arg(
                QString::fromUtf8(values)));

        m_main = mainWindow();
        Form_kouzou_sel = new TForm_kouzou_sel(m_suite->connection(), m_main.get());
        KOUSYU_MAS = new TKOUSYU_MAS(m_suite->connection(), m_main.get());
        Form6 = new TForm6(m_main.get());
    }

    void init() { QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs)); }

    void cleanupTestCase()
    {
        m_main.reset(); // and the pickers with it, which must not stay behind in their globals
        QVERIFY(!Form6 && !KOUSYU_MAS && !Form_kouzou_sel);
    }

    void codePicker()
    {
        TForm_kouzou_sel& picker = *Form_kouzou_sel;
        prepareCodePicker(kKamoku, {400, 300});
        // Written after the caller opened the list (fixed rows): showing lists it.
        m_suite->run(u"insert into LOOK_KAMOKU (CD, NAME) values (301, '外注費')"_qs);
        const auto check = [&] {
            QCOMPARE(firstColumn(picker.DBGrid1), u"材料費 労務費 外注費"_qs);
            QCOMPARE(focused(), picker.DBGrid1);
            type(Qt::Key_Down);
            type(Qt::Key_Return);
        };
        QCOMPARE(showWith(picker, check), Ok);
        QCOMPARE(QString::number(SelCode) + SelName, u"201労務費"_qs);
        QVERIFY(picker.FDQ_1.isOpen()); // left open for the caller

        QCOMPARE(showWith(picker, [&] { clickRow(picker.DBGrid1, 2, true); }), Ok);
        // Esc and the cancel button keep what was picked.
        QCOMPARE(typed(picker, {Qt::Key_Down, Qt::Key_Escape}), Cancel);
        QCOMPARE(QString::number(SelCode) + SelName, u"301外注費"_qs);

        // A code that is not a number picks 0.
        prepareCodePicker(u"select 'A1' as CD, '記号' as NAME from RDB$DATABASE"_qs, {400, 300});
        QCOMPARE(showWith(picker, [&] { picker.BitBtn2->click(); }), Ok);
        QCOMPARE(QString::number(SelCode) + SelName, u"0記号"_qs);
    }

    void tradeTypePicker()
    {
        TKOUSYU_MAS& picker = *KOUSYU_MAS;
        const auto check = [&] {
            // Headings show their major number, minor categories their full code.
            QCOMPARE(firstColumn(picker.DBGrid1), u"1 3 302 1203"_qs);
            type(Qt::Key_Down);
            type(Qt::Key_Down);
            type(Qt::Key_Return);
        };
        QCOMPARE(showWith(picker, check), Ok);
        QCOMPARE(tradeTypeResults(), (QList<int>{302, 3, 2, 3}));
        QCOMPARE(SelectedTradeTypeName, u"造作材"_qs);
        QCOMPARE(showWith(picker, [&] { clickRow(picker.DBGrid1, 3, true); }), Ok);
        QCOMPARE(tradeTypeResults(), (QList<int>{1203, 12, 3, 4}));

        // The search list's own statement; a heading picks minor 0.
        pickers::Reopen(
            picker.FDQ_1,
            {u"select BL_KUBUN*100+BM_KUBUN as KOUSYU,NAME01 as NAME_01,'1' as ARI from MAS_KOUSYU_02 "
             u"order by KOUSYU"_qs},
            {});
        QCOMPARE(typed(picker, {Qt::Key_Enter}), Ok);
        QCOMPARE(tradeTypeResults(), (QList<int>{100, 1, 0, 1}));
        QCOMPARE(SelectedTradeTypeName, u"仮設工事"_qs);
        QCOMPARE(typed(picker, {Qt::Key_Down, Qt::Key_Escape}), Cancel); // Esc keeps the results
        QCOMPARE(tradeTypeResults(), (QList<int>{100, 1, 0, 1}));
    }

    void columnPicker()
    {
        TForm6& picker = *Form6;
        db::Query fields(m_suite->connection());
        fields.setSql(u"select 1 as CD, 'コード' as NAME01, '数字' as TYPE from RDB$DATABASE "
                      u"union all select 2, '名前', '文字' from RDB$DATABASE "
                      u"union all select 3, '住所', '文字' from RDB$DATABASE"_qs);
        fields.open();
        picker.setSource(&fields);

        // Typing into the list closes nothing; Enter picks.
        QCOMPARE(typed(picker, {Qt::Key_A, Qt::Key_1, Qt::Key_Space, Qt::Key_Delete, Qt::Key_Backspace,
                                Qt::Key_F2, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return}),
                 Ok);
        QCOMPARE(fields.recNo(), 2);
        QCOMPARE(showWith(picker, [&] { clickRow(picker.DBGrid2, 2, true); }), Ok);
        QCOMPARE(fields.field(u"CD"_qs).asInteger(), 3);
        QCOMPARE(typed(picker, {Qt::Key_Escape}), Cancel);
    }
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"

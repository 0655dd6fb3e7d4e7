// The bank and branch pickers on the national bank list: what their lists
// bind and find, then the pickers worked from the keyboard.

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>

#include "db/BlockInsert.h"
#include "dialogs/Fonts.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

using namespace testing;
using Params = QVariantMap;

namespace {

constexpr int Ok = TPicker::ResultOk;
constexpr int Cancel = TPicker::ResultCancel;

// One line of the national bank list; a bank's own line has branch 0.
struct BankRow
{
    int bank = 0;
    int branch = 0;
    QString kana;
    QString name;
};

QList<int> sorted(QList<int> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

// What the text typed is bound as: a bank's code, a branch's code, a reading's pattern.
Params byReading(const QString& pattern)
{
    return {{u"NAME"_qs, pattern}};
}

// Shows picker; clerk is the user in it and must close it.
template <typename Picker, typename Clerk> void show(Picker& picker, int expected, Clerk clerk)
{
    QCOMPARE(showWith(picker, [&] { clerk(picker); }), expected);
}

// Enter goes from the search box to the list, Up on its first row back; Down
// moves the list and the query together. Ends on the third row.
void walkTheList(QLineEdit* box, QTableView* grid, db::Query& query)
{
    type(Qt::Key_Return);
    QCOMPARE(focused(), grid);
    type(Qt::Key_Up);
    QCOMPARE(focused(), box);
    for (const Qt::Key key : {Qt::Key_Enter, Qt::Key_Down, Qt::Key_Down})
        type(key);
    QCOMPARE(query.recNo(), 3);
    QVERIFY(grid->selectionModel()->isRowSelected(2, {}));
}

// What the pickers handed back: code, reading, name.
QStringList chosenBank()
{
    return {QString::number(SelBankCode), SelBankKana, SelBankName};
}

QStringList chosenBranch()
{
    return {QString::number(SelBranchCode), SelBranchKana, SelBranchName};
}

QStringList asChosen(int code, const BankRow& row)
{
    return {QString::number(code), row.kana, row.name};
}

} // namespace

class TestBankPickers : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteDatabase> m_database;
    std::unique_ptr<SuiteSql> m_suite;
    std::unique_ptr<QWidget> m_main;
    QList<BankRow> m_banks;    // in code order
    QList<BankRow> m_branches; // in bank and branch order

    QList<int> banksWhoseReadingHolds(const QString& part) const
    {
        QList<int> codes;
        for (const BankRow& b : m_banks)
            if (b.kana.contains(part))
                codes << b.bank;
        return codes;
    }

    QList<int> branchesOf(int bank, const QString& part = {}) const
    {
        QList<int> codes;
        for (const BankRow& b : m_branches)
            if (b.bank == bank && b.kana.contains(part))
                codes << b.branch;
        return codes;
    }

    const BankRow& bank(int code) const
    {
        return *std::find_if(m_banks.begin(), m_banks.end(),
                             [&](const BankRow& b) { return b.bank == code; });
    }

    const BankRow& branch(int bank, int code) const
    {
        return *std::find_if(m_branches.begin(), m_branches.end(),
                             [&](const BankRow& b) { return b.bank == bank && b.branch == code; });
    }

    void addBranch(int bank, int code, const QVariant& kana, const QString& name)
    {
        m_suite->run(
            u"insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) values (:B, :C, :K, :N)"_qs,
            {{u"B"_qs, bank}, {u"C"_qs, code}, {u"K"_qs, kana}, {u"N"_qs, name}});
    }

    // The codes in column of the rows a list finds, in its order.
    QList<int> found(const pickers::Statement& list, const QString& column)
    {
        db::Query query(m_suite->connection());
        pickers::Reopen(query, list);
        QList<int> codes;
        for (; !query.eof(); query.next())
            codes << query.field(column).asInteger();
        return codes;
    }

    // Shows the bank picker with text typed into its search box; check must close it.
    template <typename Check> static void showBankPicker(const QString& text, int expected, Check check)
    {
        show(*BAN_SEL, expected, [&](TBAN_SEL& picker) {
            QCOMPARE(focused(), picker.E_BANK_NAME);
            retype(text);
            QCOMPARE(picker.E_BANK_NAME->text(), text);
            check(picker);
        });
    }

    // The branch picker as the main screen fills it in: search text, bank name, bank code.
    static TBANK_S_SELL& branchPicker(const QString& bankCode, const QString& name = {})
    {
        TBANK_S_SELL& picker = *BANK_S_SELL;
        picker.Edit1->clear();
        picker.E_GINKOU_1->setText(name);
        picker.E_CD_1->setText(bankCode);
        return picker;
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        m_database = std::make_unique<SuiteDatabase>();
        m_suite = std::make_unique<SuiteSql>(m_database->params());

        // The list is in code order, and no field of it holds a comma.
        QFile file(QStringLiteral(VELDRUN_DATA_DIR "/banks/ginkositen.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const QString& line : cp932::decode(file.readAll()).split(u"\r\n"_qs, Qt::SkipEmptyParts)) {
            QStringList f = line.split(u',');
            QCOMPARE(f.size(), 5);
            const BankRow row{f[0].toInt(), f[1].toInt(), f[2].remove(u'"').trimmed(),
                              f[3].remove(u'"').trimmed()};
            (f[4] == u"1"_qs ? m_banks : m_branches) << row;
        }

        // Stored shuffled, so that only an ordered statement lists rows in code order.
        std::mt19937 random(20240401);
        db::Connection& conn = m_suite->connection();
        db::TransactionGuard transaction(conn);
        const auto store = [&](QList<BankRow> rows, const QString& table, const QString& columns) {
            std::shuffle(rows.begin(), rows.end(), random);
            db::BlockInsert insert(conn, table, columns.split(u','));
            for (const BankRow& b : std::as_const(rows))
                insert.add(table == u"MAS_BANK"_qs ? QVariantList{b.bank, b.kana, b.name}
                                                   : QVariantList{b.bank, b.branch, b.kana, b.name});
            insert.flush();
        };
        store(m_banks, u"MAS_BANK"_qs, u"SHGINCODE,SGINNAME1,SGINNAME2"_qs);
        store(m_branches, u"MAS_BANK_S"_qs, u"SHGINCODE,SHSTNCODE,SSTNNAME1,SSTNNAME2"_qs);
        transaction.commit();

        m_main = mainWindow();
        BAN_SEL = new TBAN_SEL(conn, m_main.get());
        BANK_S_SELL = new TBANK_S_SELL(conn, m_main.get());
    }

    void init() { QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs)); }

    void cleanupTestCase()
    {
        delete BANK_S_SELL;
        delete BAN_SEL;
        QVERIFY(!BAN_SEL && !BANK_S_SELL);
        m_main.reset();
    }

    // What a list binds (besides the bank) and finds, for the bank picker (bank 0) or a bank's
    // branches, while typing or on showing (then in branch order); the text typed is never
    // spliced into the statement. The whole bank, which a branch search that finds nothing
    // falls back on, is every branch with a reading in branch order.
    void lists()
    {
        const QList<int> kyoto = banksWhoseReadingHolds(u"ｷﾖｳﾄ"_qs);
        const Params kyou = byReading(u"%ｷﾖｳ%"_qs);
        for (const auto& [bank, typed, onShowing, bound, codes] :
             {std::tuple(0, u"0009"_qs, false, Params{{u"CODE"_qs, 9}}, QList<int>{9}),
              std::tuple(0, u"ｷｮｳ"_qs, false, kyou, banksWhoseReadingHolds(u"ｷﾖｳ"_qs)), // small kana
              std::tuple(0, u"キョウト"_qs, false, byReading(u"%ｷﾖｳﾄ%"_qs), kyoto), // from the input method
              std::tuple(0, u"きょうと"_qs, false, byReading(u"%ｷﾖｳﾄ%"_qs), kyoto),
              std::tuple(0, u"ufj"_qs, false, byReading(u"%UFJ%"_qs), banksWhoseReadingHolds(u"UFJ"_qs)),
              std::tuple(0, QString(), false, Params(), banksWhoseReadingHolds({})),
              std::tuple(1, u"024"_qs, true, Params{{u"BRANCH"_qs, 24}}, QList<int>{24}),
              std::tuple(1, u"きょう"_qs, false, kyou, branchesOf(1, u"ｷﾖｳ"_qs)),
              std::tuple(5, u"ｷｮｳ"_qs, true, kyou, branchesOf(5, u"ｷﾖｳ"_qs)),
              std::tuple(1, QString(), false, Params(), branchesOf(1)),
              // A head office may be filed under branch 0, as at bank 185.
              std::tuple(185, u"0"_qs, false, Params(), QList<int>{0}),
              std::tuple(185, u"0"_qs, true, byReading(u"%0%"_qs), QList<int>())}) {
            pickers::Statement list =
                bank ? pickers::BranchList(bank, typed, onShowing) : pickers::BankList(typed);
            QVERIFY(!list.sql.join(u'\n').contains(u'\''));
            const QList<int> listed = found(list, bank ? u"SHSTNCODE"_qs : u"SHGINCODE"_qs);
            QVERIFY2((bank && !onShowing ? sorted(listed) : listed) == codes, qPrintable(typed));
            if (bank) {
                QCOMPARE(list.params.take(u"BANK"_qs), QVariant(bank));
                QCOMPARE(found(pickers::WholeBank(bank), u"SHSTNCODE"_qs), branchesOf(bank));
            }
            QVERIFY2(list.params == bound, qPrintable(typed));
        }
    }

    // Typed into the shown picker through the input method, a reading lists
    // its banks; the keys walk the list and confirm its row.
    void bankPickerKeysAndConfirming()
    {
        const QList<int> kyou = banksWhoseReadingHolds(u"ｷﾖｳ"_qs);
        showBankPicker(u"きょう"_qs, Ok, [&](TBAN_SEL& picker) {
            QCOMPARE(listed(picker.DBGrid1), kyou);
            walkTheList(picker.E_BANK_NAME, picker.DBGrid1, picker.FDQ_1);
            picker.FDQ_1.prior(); // a caller stepping the query moves the grid as well
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 1);
            picker.FDQ_1.next();
            type(Qt::Key_Return);
        });
        QCOMPARE(chosenBank(), asChosen(kyou[2], bank(kyou[2])));
    }

    // Esc from the list keeps what was chosen before.
    void cancellingLeavesTheResults()
    {
        std::tie(SelBankCode, SelBankKana, SelBankName) = std::tuple(4321, u"ﾏｴﾉ"_qs, u"前の銀行"_qs);
        const QStringList before = chosenBank();
        showBankPicker(u"ｷｮｳ"_qs, Cancel, [](TBAN_SEL&) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Escape})
                type(key);
        });
        QCOMPARE(chosenBank(), before);
    }

    // Showing reads the bank's name again; a code that is no bank gives no name and no list.
    void bankCodeAndName()
    {
        TBANK_S_SELL& picker = branchPicker(u"1"_qs, u"古い名前"_qs);
        show(picker, Cancel, [&](TBANK_S_SELL& picker) {
            QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana);
            // An empty search lists the whole bank in branch order.
            QCOMPARE(listed(picker.DBGrid1, 1), branchesOf(1));
            type(Qt::Key_Escape);
        });
        picker.E_GINKOU_1->clear();
        picker.E_CD_1->setText(u"8888"_qs);
        QCOMPARE(picker.E_GINKOU_1->text(), QString());
        QCOMPARE(picker.FDQ_1.recordCount(), 0);
    }

    // A reading typed through the input method; the keys, a double-click on
    // a fresh showing (in branch order) and Esc, which keeps the choice.
    void branchPickerKeysAndConfirming()
    {
        TBANK_S_SELL& picker = branchPicker(u"1"_qs);
        const QList<int> kyou = branchesOf(1, u"ｷﾖｳ"_qs);
        int third = -1;
        show(picker, Ok, [&](TBANK_S_SELL& picker) {
            typeText(u"きょう"_qs);
            walkTheList(picker.Edit1, picker.DBGrid1, picker.FDQ_1);
            third = picker.DBGrid1->model()->index(2, 1).data(Qt::EditRole).toInt();
            type(Qt::Key_Return);
        });
        QVERIFY(kyou.contains(third));
        QCOMPARE(chosenBranch(), asChosen(third, branch(1, third)));

        show(picker, Ok, [&](TBANK_S_SELL& picker) {
            QCOMPARE(listed(picker.DBGrid1, 1), kyou);
            clickRow(picker.DBGrid1, 4, true);
        });
        QCOMPARE(chosenBranch(), asChosen(kyou[4], branch(1, kyou[4])));
        show(picker, Cancel, [](TBANK_S_SELL&) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Escape})
                type(key);
        });
        QCOMPARE(chosenBranch(), asChosen(kyou[4], branch(1, kyou[4])));
    }

    void enterOnAnEmptyBranchListLoadsTheWholeBank()
    {
        TBANK_S_SELL& picker = branchPicker(u"8888"_qs);
        const auto removeBank =
            qScopeGuard([this] { m_suite->run(u"delete from MAS_BANK_S where SHGINCODE=8888"_qs); });
        std::tie(SelBranchCode, SelBranchKana, SelBranchName) = std::tuple(77, u"ﾏｴﾉ"_qs, u"前の支店"_qs);
        show(picker, Ok, [&](TBANK_S_SELL& picker) {
            QCOMPARE(picker.FDQ_1.recordCount(), 0);
            type(Qt::Key_Return);
            QCOMPARE(focused(), picker.Edit1);
            // Branches appear meanwhile (another workstation): Enter lists them all and stays.
            addBranch(8888, 20, u"ﾆｼ"_qs, u"西"_qs);
            addBranch(8888, 10, u"ﾋｶﾞｼ"_qs, u"東"_qs);
            addBranch(8888, 5, QVariant(), u"読みなし"_qs);
            addBranch(8888, 30, u""_qs, u"読みが空"_qs);
            type(Qt::Key_Return);
            QCOMPARE(focused(), picker.Edit1);
            // Never a row whose reading is null; an empty one is listed.
            QCOMPARE(listed(picker.DBGrid1, 1), (QList<int>{10, 20, 30}));
            // Confirming a row without a reading: code 0 and no reading; the name is left as it was.
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Down})
                type(key);
            QCOMPARE(picker.FDQ_1.field(u"SHSTNCODE"_qs).asInteger(), 30);
            type(Qt::Key_Return);
        });
        QCOMPARE(chosenBranch(), (QStringList{u"0"_qs, QString(), u"前の支店"_qs}));
    }
};

QTEST_MAIN(TestBankPickers)
#include "tst_bank_pickers.moc"

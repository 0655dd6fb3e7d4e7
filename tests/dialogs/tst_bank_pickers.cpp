// The bank and branch pickers on the national bank list, worked from the keyboard.

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <random>

#include "db/BlockInsert.h"
#include "dialogs/Fonts.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

using namespace testing;

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

// Enter goes from the search box to the list, Up on its first row back; Down
// and Up move the list and the query together. Ends on the third row.
void walkTheList(QLineEdit* box, QTableView* grid, db::Query& query)
{
    type(Qt::Key_Return);
    QCOMPARE(focused(), grid);
    type(Qt::Key_Up);
    QCOMPARE(focused(), box);
    type(Qt::Key_Enter); // the keypad's Enter works alike
    for (int i = 0; i < 3; ++i)
        type(Qt::Key_Down);
    QCOMPARE(query.recNo(), 4);
    for (int row = 2; row >= 0; --row) {
        type(Qt::Key_Up);
        QCOMPARE(focused(), grid);
        QCOMPARE(query.recNo(), row + 1);
        QVERIFY(grid->selectionModel()->isRowSelected(row, {}));
    }
    type(Qt::Key_Up);
    QCOMPARE(focused(), box);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Down})
        type(key);
    QCOMPARE(query.recNo(), 3);
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

    // Bank 1's head office under branch 0, for as long as the guard lives.
    auto headOffice()
    {
        addBranch(1, 0, u"ﾎﾝﾃﾝ"_qs, u"本店"_qs);
        return qScopeGuard(
            [this] { m_suite->run(u"delete from MAS_BANK_S where SHGINCODE=1 and SHSTNCODE=0"_qs); });
    }

    bool centredOnTheMainWindow(const QWidget& dialog) const
    {
        return (dialog.frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 2;
    }

    // Shows the bank picker with text typed into its search box; check must close it.
    void showBankPicker(const QString& text, int expected, const std::function<void(TBAN_SEL&)>& check)
    {
        TBAN_SEL& picker = *BAN_SEL;
        QCOMPARE(showWith(picker,
                          [&] {
                              QCOMPARE(focused(), picker.E_BANK_NAME);
                              retype(text);
                              QCOMPARE(picker.E_BANK_NAME->text(), text);
                              check(picker);
                          }),
                 expected);
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
        QCOMPARE(m_banks.size(), 1338);
        QCOMPARE(m_branches.size(), 31048);

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

    void bankSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("codes"); // in the order listed
        const QList<int> all = banksWhoseReadingHolds({});
        const QList<int> kyoto = banksWhoseReadingHolds(u"ｷﾖｳﾄ"_qs);
        QTest::newRow("code with leading zeros lists that bank only") << u"0009"_qs << QList<int>{9};
        QTest::newRow("code of no bank") << u"8888"_qs << QList<int>{};
        QTest::newRow("small kana find full-size readings") << u"ｷｮｳ"_qs << banksWhoseReadingHolds(u"ｷﾖｳ"_qs);
        QTest::newRow("small tsu") << u"ｵﾘｯｸｽ"_qs << QList<int>{307};
        QTest::newRow("full-width katakana from the input method") << u"キョウト"_qs << kyoto;
        QTest::newRow("hiragana from the input method") << u"きょうと"_qs << kyoto;
        QTest::newRow("lower-case Latin finds upper-case") << u"ufj"_qs << banksWhoseReadingHolds(u"UFJ"_qs);
        QTest::newRow("0 is not a code") << u"0"_qs << QList<int>{};
        QTest::newRow("empty search lists every bank by code") << QString() << all;
        QTest::newRow("a quote breaks nothing") << u"ﾐ'"_qs << QList<int>{};
        QTest::newRow("a quote alone") << u"'"_qs << QList<int>{};
        QTest::newRow("a percent sign matches anything, as in a pattern") << u"%"_qs << all;
        QTest::newRow("percent between kana")
            << u"ﾐﾂ%ｼﾝﾀｸ"_qs << QList<int>{288, 294}; // ﾐﾂﾋﾞｼUFJｼﾝﾀｸ, ﾐﾂｲｽﾐﾄﾓｼﾝﾀｸ
        QTest::newRow("longer than any reading") << u"ﾐﾂﾋﾞｼUFJｼﾝﾀｸ"_qs.repeated(3) << QList<int>{};
    }

    // The grid shows the query's rows as typed, on the first of them.
    void bankSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, codes);
        showBankPicker(typed, Cancel, [&](TBAN_SEL& picker) {
            QCOMPARE(listed(picker.DBGrid1), codes);
            QCOMPARE(picker.FDQ_1.recordCount(), codes.size());
            QCOMPARE(picker.DBGrid1->currentIndex().row(), codes.isEmpty() ? -1 : 0);
            if (!codes.isEmpty()) {
                QCOMPARE(picker.FDQ_1.recNo(), 1);
                const QAbstractItemModel* m = picker.DBGrid1->model();
                QCOMPARE(QStringList({m->index(0, 1).data().toString(), m->index(0, 2).data().toString()}),
                         QStringList({bank(codes[0]).kana, bank(codes[0]).name}));
            }
            type(Qt::Key_Escape);
        });
    }

    void bankPickerKeysAndConfirming()
    {
        showBankPicker(u"ｷｮｳ"_qs, Ok, [&](TBAN_SEL& picker) {
            QVERIFY(centredOnTheMainWindow(picker));
            walkTheList(picker.E_BANK_NAME, picker.DBGrid1, picker.FDQ_1);
            picker.FDQ_1.prior(); // a caller stepping the query moves the grid as well
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 1);
            picker.FDQ_1.next();
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 2);
            type(Qt::Key_Return);
        });
        const int third = banksWhoseReadingHolds(u"ｷﾖｳ"_qs).at(2);
        QCOMPARE(chosenBank(), asChosen(third, bank(third)));

        // The OK button confirms the current row too.
        showBankPicker(u"0009"_qs, Ok,
                       [](TBAN_SEL& picker) { QTest::mouseClick(picker.BitBtn1, Qt::LeftButton); });
        QCOMPARE(chosenBank(), asChosen(9, bank(9)));

        // A double-click far down a long list: the rows read as the grid scrolls are the ones confirmed.
        showBankPicker(QString(), Ok, [](TBAN_SEL& picker) {
            picker.DBGrid1->setFocus();
            type(Qt::Key_End, Qt::ControlModifier);
            QCOMPARE(picker.DBGrid1->currentIndex().row(), picker.FDQ_1.recNo() - 1);
            clickRow(picker.DBGrid1, 1000, true);
        });
        QCOMPARE(chosenBank(), asChosen(m_banks[1000].bank, m_banks[1000]));
    }

    // Esc from the list, Cancel, the close box, and Enter on Cancel (the button after OK).
    void cancellingLeavesTheResults()
    {
        const QList<std::function<void(TBAN_SEL&)>> cancels{
            [](TBAN_SEL& picker) {
                type(Qt::Key_Return);
                QCOMPARE(focused(), picker.DBGrid1);
                type(Qt::Key_Down);
                type(Qt::Key_Escape);
            },
            [](TBAN_SEL& picker) { QTest::mouseClick(picker.BitBtn2, Qt::LeftButton); },
            [](TBAN_SEL& picker) { picker.windowHandle()->close(); },
            [](TBAN_SEL& picker) {
                for (int i = 0; i < 3; ++i)
                    type(Qt::Key_Tab);
                QCOMPARE(focused(), picker.BitBtn2);
                type(Qt::Key_Return);
            },
        };
        std::tie(SelBankCode, SelBankKana, SelBankName) = std::tuple(4321, u"ﾏｴﾉ"_qs, u"前の銀行"_qs);
        const QStringList before = chosenBank();
        for (const auto& cancel : cancels) {
            showBankPicker(u"ｷｮｳ"_qs, Cancel, cancel);
            QCOMPARE(chosenBank(), before);
        }
    }

    // OK on an empty list, or on a bank without a reading, is no choice.
    void okWithoutAReadingClearsTheResults()
    {
        m_suite->run(u"insert into MAS_BANK (SHGINCODE, SGINNAME2) values (8887, '読みなし')"_qs);
        const auto removeBank =
            qScopeGuard([this] { m_suite->run(u"delete from MAS_BANK where SHGINCODE=8887"_qs); });
        const QList<std::pair<QString, std::function<void(TBAN_SEL&)>>> oks{
            {u"ﾝﾝﾝ"_qs,
             [](TBAN_SEL& picker) {
                 QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
                 type(Qt::Key_Return); // stays in the search box
                 QCOMPARE(focused(), picker.E_BANK_NAME);
                 QTest::mouseClick(picker.BitBtn1, Qt::LeftButton);
             }},
            {u"8887"_qs,
             [](TBAN_SEL& picker) {
                 QCOMPARE(listed(picker.DBGrid1), QList<int>{8887});
                 type(Qt::Key_Return);
                 type(Qt::Key_Return);
             }},
        };
        for (const auto& [typed, confirm] : oks) {
            std::tie(SelBankCode, SelBankKana, SelBankName) = std::tuple(4321, u"ﾏｴﾉ"_qs, u"前の銀行"_qs);
            showBankPicker(typed, Ok, confirm);
            QCOMPARE(chosenBank(), (QStringList{u"0"_qs, QString(), QString()}));
        }
    }

    void callerSearchesAndReopensTheBankList()
    {
        // The main screen fills the hidden picker's search box, then looks a code up with its query.
        TBAN_SEL& picker = *BAN_SEL;
        picker.E_BANK_NAME->setText(u"5"_qs);
        picker.FDQ_1.close();
        QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
        picker.FDQ_1.setSql(u"select * from MAS_BANK where SHGINCODE=17"_qs);
        picker.FDQ_1.open();
        QCOMPARE(listed(picker.DBGrid1), QList<int>{17});
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
        picker.FDQ_1.close();

        // Shown, it searches again from the text the box keeps.
        QCOMPARE(showWith(picker,
                          [&] {
                              QCOMPARE(listed(picker.DBGrid1), QList<int>{5});
                              type(Qt::Key_Return);
                              type(Qt::Key_Return);
                          }),
                 Ok);
        QCOMPARE(chosenBank(), asChosen(5, bank(5)));
    }

    void branchSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("branches");
        QTest::addColumn<bool>("ordered");
        const QList<int> all = branchesOf(1), kyou = branchesOf(1, u"ｷﾖｳ"_qs);
        QTest::newRow("branch code") << u"1"_qs << QList<int>{1} << true;
        QTest::newRow("branch code with zeros") << u"024"_qs << QList<int>{24} << true;
        QTest::newRow("small kana") << u"ｷｮｳ"_qs << kyou << false;
        QTest::newRow("hiragana") << u"きょう"_qs << kyou << false;
        QTest::newRow("full-width katakana") << u"キョウ"_qs << kyou << false;
        QTest::newRow("lower-case Latin") << u"jtb"_qs << branchesOf(1, u"JTB"_qs) << false;
        QTest::newRow("empty search") << QString() << all << false;
        QTest::newRow("no match lists the bank by branch code") << u"ﾝﾝﾝ"_qs << all << true;
        QTest::newRow("code of no branch lists the bank") << u"999"_qs << all << true;
        QTest::newRow("a quote lists the bank") << u"ﾄ'"_qs << all << true;
        QTest::newRow("a percent sign matches anything") << u"%"_qs << all << false;
        QTest::newRow("negative number is a reading") << u"-1"_qs << all << true;
    }

    void branchSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, branches);
        QFETCH(bool, ordered);
        TBANK_S_SELL& picker = branchPicker(u"1"_qs, u"ﾐｽﾞﾎ"_qs);
        showWith(picker, [&] {
            QCOMPARE(focused(), picker.Edit1);
            typeText(typed);
            const QList<int> found = listed(picker.DBGrid1, 1);
            QCOMPARE(ordered ? found : sorted(found), branches);
            QCOMPARE(listed(picker.DBGrid1), QList<int>(branches.size(), 1));
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
            QCOMPARE(picker.FDQ_1.field(u"SSTNNAME1"_qs).asString(), branch(1, found[0]).kana);
            type(Qt::Key_Escape);
        });
    }

    void branchZeroIsTheBranchCode()
    {
        // Bank 1 has no branch 0 in the list: 0 then lists the whole bank.
        TBANK_S_SELL& picker = branchPicker(u"1"_qs);
        picker.Edit1->setText(u"0"_qs);
        QCOMPARE(listed(picker.DBGrid1, 1), branchesOf(1));

        // With a head office under branch 0, 0 lists it alone.
        const auto removeHeadOffice = headOffice();
        picker.Edit1->clear();
        picker.Edit1->setText(u"0"_qs);
        QCOMPARE(listed(picker.DBGrid1, 1), QList<int>{0});
        QCOMPARE(listed(picker.DBGrid1), QList<int>{1});

        // Bank 185 has one in the real list; typed into the shown picker it is found and confirmed.
        branchPicker(u"185"_qs);
        QCOMPARE(showWith(picker,
                          [&] {
                              typeText(u"0"_qs);
                              QCOMPARE(listed(picker.DBGrid1, 1), QList<int>{0});
                              type(Qt::Key_Return);
                              type(Qt::Key_Return);
                          }),
                 Ok);
        QCOMPARE(chosenBranch(), asChosen(0, branch(185, 0)));
    }

    void noBankCodeLeavesTheBranchList()
    {
        TBANK_S_SELL& picker = branchPicker(u"5"_qs);
        const QList<int> shown = listed(picker.DBGrid1, 1);
        QCOMPARE(sorted(shown), branchesOf(5));
        QCOMPARE(picker.E_GINKOU_1->text(), bank(5).kana);
        const QStringList sql = picker.FDQ_1.sql();
        QSignalSpy resets(&picker.FDQ_1, &db::Query::aboutToReset);
        const auto untouched = [&] {
            return resets.isEmpty() && picker.FDQ_1.isOpen() && picker.FDQ_1.sql() == sql &&
                   picker.E_GINKOU_1->text() == bank(5).kana;
        };
        picker.E_CD_1->clear();
        QVERIFY(untouched());
        picker.Edit1->setText(u"ｷｮｳ"_qs);
        QVERIFY(untouched());
        for (const char* code : {"ABC", "-5", "0"}) {
            picker.E_CD_1->setText(QLatin1String(code));
            QVERIFY2(untouched(), code);
        }
        // Nor does showing the picker without a bank; the focus still goes to the search box.
        showWith(picker, [&] {
            QCOMPARE(focused(), picker.Edit1);
            QVERIFY(untouched());
            QCOMPARE(listed(picker.DBGrid1, 1), shown);
            type(Qt::Key_Escape);
        });
    }

    void branchPickerShowingFillsTheBankAndOrders()
    {
        const auto removeHeadOffice = headOffice();
        TBANK_S_SELL& picker = branchPicker(u"1"_qs, u"古い名前"_qs);
        QCOMPARE(picker.E_GINKOU_1->text(), u"古い名前"_qs); // a name already there stays
        picker.Edit1->setText(u"0"_qs);
        QCOMPARE(picker.FDQ_1.recordCount(), 1);

        showWith(picker, [&] {
            QVERIFY(centredOnTheMainWindow(picker));
            QCOMPARE(focused(), picker.Edit1);
            QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana); // read again on showing
            // On showing 0 is a reading: nothing matches and the bank is listed in branch order.
            QCOMPARE(listed(picker.DBGrid1, 1), QList<int>{0} + branchesOf(1));
            type(Qt::Key_Backspace); // typing searches again, unordered
            typeText(u"ｷｮｳ"_qs);
            QCOMPARE(sorted(listed(picker.DBGrid1, 1)), branchesOf(1, u"ｷﾖｳ"_qs));
            type(Qt::Key_Escape);
        });

        // A reading typed before showing is searched and ordered by branch code.
        picker.E_CD_1->setText(u"5"_qs);
        QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana); // not empty: not read again while typing
        showWith(picker, [&] {
            QCOMPARE(picker.E_GINKOU_1->text(), bank(5).kana);
            QCOMPARE(listed(picker.DBGrid1, 1), branchesOf(5, u"ｷﾖｳ"_qs));
            type(Qt::Key_Escape);
        });

        // An emptied name box is filled by the next change; a code that is no bank gives no name, no list.
        picker.E_GINKOU_1->clear();
        picker.E_CD_1->setText(u"9"_qs);
        QCOMPARE(picker.E_GINKOU_1->text(), bank(9).kana);
        picker.E_GINKOU_1->clear();
        picker.E_CD_1->setText(u"8888"_qs);
        QCOMPARE(picker.E_GINKOU_1->text(), QString());
        QCOMPARE(picker.FDQ_1.recordCount(), 0);
    }

    void branchPickerKeysAndConfirming()
    {
        TBANK_S_SELL& picker = branchPicker(u"1"_qs);
        const QList<int> kyou = branchesOf(1, u"ｷﾖｳ"_qs);
        int third = -1;
        QCOMPARE(showWith(picker,
                          [&] {
                              typeText(u"ｷｮｳ"_qs);
                              walkTheList(picker.Edit1, picker.DBGrid1, picker.FDQ_1);
                              third = picker.DBGrid1->model()->index(2, 1).data(Qt::EditRole).toInt();
                              type(Qt::Key_Return);
                          }),
                 Ok);
        QVERIFY(kyou.contains(third));
        QCOMPARE(chosenBranch(), asChosen(third, branch(1, third)));

        // Double-click, on a fresh showing (ordered by branch code).
        QCOMPARE(showWith(picker,
                          [&] {
                              QCOMPARE(listed(picker.DBGrid1, 1), kyou);
                              clickRow(picker.DBGrid1, 4, true);
                          }),
                 Ok);
        QCOMPARE(chosenBranch(), asChosen(kyou[4], branch(1, kyou[4])));

        // Esc keeps what was chosen.
        showWith(picker, [] {
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
        const QStringList before = chosenBranch();

        QCOMPARE(showWith(picker,
                          [&] {
                              QCOMPARE(picker.FDQ_1.recordCount(), 0);
                              type(Qt::Key_Return);
                              QCOMPARE(focused(), picker.Edit1);
                              // Branches appear meanwhile (another workstation): Enter lists them all and
                              // stays.
                              addBranch(8888, 20, u"ﾆｼ"_qs, u"西"_qs);
                              addBranch(8888, 10, u"ﾋｶﾞｼ"_qs, u"東"_qs);
                              addBranch(8888, 5, QVariant(), u"読みなし"_qs);
                              addBranch(8888, 30, u""_qs, u"読みが空"_qs);
                              type(Qt::Key_Return);
                              QCOMPARE(focused(), picker.Edit1);
                              // Never a row whose reading is null; an empty one is listed.
                              QCOMPARE(listed(picker.DBGrid1, 1), (QList<int>{10, 20, 30}));
                              type(Qt::Key_Return);
                              QCOMPARE(focused(), picker.DBGrid1);
                              type(Qt::Key_Down);
                              type(Qt::Key_Escape);
                          }),
                 Cancel);
        QCOMPARE(chosenBranch(), before);

        // Confirming a row without a reading: code 0 and no reading; the name is left as it was.
        const QStringList none{u"0"_qs, QString(), u"前の支店"_qs};
        QCOMPARE(showWith(picker,
                          [&] {
                              for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Down})
                                  type(key);
                              QCOMPARE(picker.FDQ_1.field(u"SHSTNCODE"_qs).asInteger(), 30);
                              type(Qt::Key_Return);
                          }),
                 Ok);
        QCOMPARE(chosenBranch(), none);

        // OK on an empty list: the same.
        SelBranchCode = 77;
        m_suite->run(u"delete from MAS_BANK_S where SHGINCODE=8888"_qs);
        QCOMPARE(showWith(picker,
                          [&] {
                              QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
                              QTest::mouseClick(picker.BitBtn1, Qt::LeftButton);
                          }),
                 Ok);
        QCOMPARE(chosenBranch(), none);
    }
};

QTEST_MAIN(TestBankPickers)
#include "tst_bank_pickers.moc"

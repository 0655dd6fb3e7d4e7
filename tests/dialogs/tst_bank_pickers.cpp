#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableView>
#include <QWindow>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/Fonts.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "dialogs/Modal.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

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

QWidget* focused()
{
    return QApplication::focusWidget();
}

void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focused(), key, modifiers);
}

// Typed text: ASCII key by key, kana as an input method delivers it.
void typeText(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(focused(), c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(focused(), &commit);
        }
    }
}

// A grid column's codes, every row read.
QList<int> listed(QTableView* grid, int col)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QList<int> codes;
    for (int r = 0; r < model->rowCount(); ++r)
        codes << model->index(r, col).data(Qt::EditRole).toInt();
    return codes;
}

QList<int> sorted(QList<int> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

// Double-clicks a row as a mouse does: a click, then a second press arriving as a double-click.
void doubleClickRow(QTableView* grid, int row)
{
    QAbstractItemModel* model = grid->model();
    while (model->rowCount() <= row && model->canFetchMore({}))
        model->fetchMore({});
    const QModelIndex index = model->index(row, 1);
    grid->scrollTo(index);
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(grid->currentIndex().row(), row);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at, 10);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at, 10);
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
    type(Qt::Key_Return);
    type(Qt::Key_Down);
    type(Qt::Key_Down);
    QCOMPARE(query.recNo(), 3);
}

// Shows a picker with one scripted answer, which must close it.
void exec(QDialog& dialog, int expected, const std::function<void()>& answer)
{
    modal::Script script;
    script.answer([&](QDialog&) { answer(); });
    QCOMPARE(modal::exec(dialog), expected);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
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

    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<db::Connection> m_suite;
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

    void execute(const QString& sql, const QVariantList& values = {})
    {
        db::Query q(*m_suite);
        q.setSql(sql);
        for (int i = 0; i < values.size(); ++i)
            q.setParam(QStringLiteral("P%1").arg(i), values[i]);
        q.execute();
    }

    void addBranch(int bank, int code, const QVariant& kana, const QString& name)
    {
        execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                               "values (:P0, :P1, :P2, :P3)"),
                {bank, code, kana, name});
    }

    // Bank 1's head office under branch 0, for as long as the guard lives.
    auto headOffice()
    {
        addBranch(1, 0, QStringLiteral("ﾎﾝﾃﾝ"), QStringLiteral("本店"));
        return qScopeGuard(
            [this] { execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=1 and SHSTNCODE=0")); });
    }

    bool centredOnTheMainWindow(const QWidget& dialog) const
    {
        return (dialog.frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 2;
    }

    // Shows the bank picker with text typed into its search box; check must close it.
    void showBankPicker(const QString& text, int expected, const std::function<void(TBAN_SEL&)>& check)
    {
        TBAN_SEL& picker = *BAN_SEL;
        exec(picker, expected, [&] {
            QCOMPARE(focused(), picker.E_BANK_NAME);
            type(Qt::Key_A, Qt::ControlModifier);
            type(Qt::Key_Backspace);
            typeText(text);
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
        m_database = std::make_unique<testing::SuiteDatabase>();
        m_suite = std::make_unique<db::Connection>();
        m_suite->setParams(m_database->params());

        // The list is in code order, and no field of it holds a comma.
        QFile file(QStringLiteral(VELDRUN_DATA_DIR "/banks/ginkositen.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const QString& line :
             cp932::decode(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            QStringList f = line.split(QLatin1Char(','));
            QCOMPARE(f.size(), 5);
            const BankRow row{f[0].toInt(), f[1].toInt(), f[2].remove(u'"').trimmed(),
                              f[3].remove(u'"').trimmed()};
            (f[4] == QLatin1String("1") ? m_banks : m_branches) << row;
        }
        QCOMPARE(m_banks.size(), 1338);
        QCOMPARE(m_branches.size(), 31048);

        // Stored shuffled, so that only an ordered statement lists rows in code order.
        std::mt19937 random(20240401);
        db::TransactionGuard transaction(*m_suite);
        const auto store = [&](QList<BankRow> rows, const QString& table, const QStringList& columns) {
            std::shuffle(rows.begin(), rows.end(), random);
            db::BlockInsert insert(*m_suite, table, columns);
            for (const BankRow& b : std::as_const(rows))
                insert.add(columns.size() == 3 ? QVariantList{b.bank, b.kana, b.name}
                                               : QVariantList{b.bank, b.branch, b.kana, b.name});
            insert.flush();
        };
        store(m_banks, QStringLiteral("MAS_BANK"),
              {QStringLiteral("SHGINCODE"), QStringLiteral("SGINNAME1"), QStringLiteral("SGINNAME2")});
        store(m_branches, QStringLiteral("MAS_BANK_S"),
              {QStringLiteral("SHGINCODE"), QStringLiteral("SHSTNCODE"), QStringLiteral("SSTNNAME1"),
               QStringLiteral("SSTNNAME2")});
        transaction.commit();

        // The main window the pickers belong to, away from the screen's centre.
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(60, 40, 1100, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        BAN_SEL = new TBAN_SEL(*m_suite, m_main.get());
        BANK_S_SELL = new TBANK_S_SELL(*m_suite, m_main.get());
    }

    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script"))); }

    void cleanupTestCase()
    {
        delete BANK_S_SELL;
        delete BAN_SEL;
        QVERIFY(!BAN_SEL && !BANK_S_SELL);
        m_main.reset();
        m_suite.reset();
    }

    void bankSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("codes"); // in the order listed

        const QList<int> all = banksWhoseReadingHolds({});
        QTest::newRow("code with leading zeros lists that bank only")
            << QStringLiteral("0009") << QList<int>{9};
        QTest::newRow("code of no bank") << QStringLiteral("8888") << QList<int>{};
        QTest::newRow("small kana find full-size readings")
            << QStringLiteral("ｷｮｳ") << banksWhoseReadingHolds(QStringLiteral("ｷﾖｳ"));
        QTest::newRow("small tsu") << QStringLiteral("ｵﾘｯｸｽ") << QList<int>{307};
        QTest::newRow("full-width katakana from the input method")
            << QStringLiteral("キョウト") << banksWhoseReadingHolds(QStringLiteral("ｷﾖｳﾄ"));
        QTest::newRow("hiragana from the input method")
            << QStringLiteral("きょうと") << banksWhoseReadingHolds(QStringLiteral("ｷﾖｳﾄ"));
        QTest::newRow("lower-case Latin finds upper-case")
            << QStringLiteral("ufj") << banksWhoseReadingHolds(QStringLiteral("UFJ"));
        QTest::newRow("0 is not a code") << QStringLiteral("0") << QList<int>{};
        QTest::newRow("empty search lists every bank by code") << QString() << all;
        QTest::newRow("a quote breaks nothing") << QStringLiteral("ﾐ'") << QList<int>{};
        QTest::newRow("a quote alone") << QStringLiteral("'") << QList<int>{};
        QTest::newRow("a percent sign matches anything, as in a pattern") << QStringLiteral("%") << all;
        QTest::newRow("percent between kana")
            << QStringLiteral("ﾐﾂ%ｼﾝﾀｸ") << QList<int>{288, 294}; // ﾐﾂﾋﾞｼUFJｼﾝﾀｸ, ﾐﾂｲｽﾐﾄﾓｼﾝﾀｸ
        QTest::newRow("longer than any reading")
            << QStringLiteral("ﾐﾂﾋﾞｼUFJｼﾝﾀｸﾐﾂﾋﾞｼUFJｼﾝﾀｸﾐﾂﾋﾞｼUFJｼﾝﾀｸ") << QList<int>{};
    }

    void bankSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, codes);
        showBankPicker(typed, Cancel, [&](TBAN_SEL& picker) {
            QCOMPARE(listed(picker.DBGrid1, 0), codes);
            // The grid shows the query's rows, on the first of them.
            QCOMPARE(picker.FDQ_1.recordCount(), codes.size());
            QCOMPARE(picker.DBGrid1->currentIndex().row(), codes.isEmpty() ? -1 : 0);
            if (!codes.isEmpty()) {
                QCOMPARE(picker.FDQ_1.recNo(), 1);
                QCOMPARE(picker.DBGrid1->model()->index(0, 1).data().toString(), bank(codes[0]).kana);
                QCOMPARE(picker.DBGrid1->model()->index(0, 2).data().toString(), bank(codes[0]).name);
            }
            type(Qt::Key_Escape);
        });
    }

    void bankPickerKeysAndConfirming()
    {
        showBankPicker(QStringLiteral("ｷｮｳ"), Ok, [&](TBAN_SEL& picker) {
            QVERIFY(centredOnTheMainWindow(picker));
            walkTheList(picker.E_BANK_NAME, picker.DBGrid1, picker.FDQ_1);
            // A caller stepping the query moves the grid as well.
            picker.FDQ_1.prior();
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 1);
            picker.FDQ_1.next();
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 2);
            type(Qt::Key_Return);
        });
        const int third = banksWhoseReadingHolds(QStringLiteral("ｷﾖｳ")).at(2);
        QCOMPARE(chosenBank(), asChosen(third, bank(third)));

        // The OK button confirms the current row too.
        showBankPicker(QStringLiteral("0009"), Ok,
                       [](TBAN_SEL& picker) { QTest::mouseClick(picker.BitBtn1, Qt::LeftButton); });
        QCOMPARE(chosenBank(), asChosen(9, bank(9)));

        // A double-click far down a long list: the rows read as the grid scrolls are the ones confirmed.
        showBankPicker(QString(), Ok, [](TBAN_SEL& picker) {
            picker.DBGrid1->setFocus();
            type(Qt::Key_End, Qt::ControlModifier);
            QCOMPARE(picker.DBGrid1->currentIndex().row(), picker.FDQ_1.recNo() - 1);
            doubleClickRow(picker.DBGrid1, 1000);
        });
        QCOMPARE(chosenBank(), asChosen(m_banks[1000].bank, m_banks[1000]));
    }

    void cancellingLeavesTheResults()
    {
        const QList<std::function<void(TBAN_SEL&)>> cancels{
            [](TBAN_SEL& picker) { // Esc from the list
                type(Qt::Key_Return);
                QCOMPARE(focused(), picker.DBGrid1);
                type(Qt::Key_Down);
                type(Qt::Key_Escape);
            },
            [](TBAN_SEL& picker) { QTest::mouseClick(picker.BitBtn2, Qt::LeftButton); },
            [](TBAN_SEL& picker) { picker.windowHandle()->close(); },
            [](TBAN_SEL& picker) { // a button with the focus answers Enter; Cancel is the one after OK
                for (int i = 0; i < 3; ++i)
                    type(Qt::Key_Tab);
                QCOMPARE(focused(), picker.BitBtn2);
                type(Qt::Key_Return);
            },
        };
        std::tie(SelBankCode, SelBankKana, SelBankName) =
            std::tuple(4321, QStringLiteral("ﾏｴﾉ"), QStringLiteral("前の銀行"));
        const QStringList before = chosenBank();
        for (const auto& cancel : cancels) {
            showBankPicker(QStringLiteral("ｷｮｳ"), Cancel, cancel);
            QCOMPARE(chosenBank(), before);
        }
    }

    void okWithoutAReadingClearsTheResults()
    {
        const QStringList none{QStringLiteral("0"), QString(), QString()};
        std::tie(SelBankCode, SelBankKana, SelBankName) =
            std::tuple(4321, QStringLiteral("ﾏｴﾉ"), QStringLiteral("前の銀行"));
        showBankPicker(QStringLiteral("ﾝﾝﾝ"), Ok, [](TBAN_SEL& picker) {
            QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
            type(Qt::Key_Return); // stays in the search box
            QCOMPARE(focused(), picker.E_BANK_NAME);
            QTest::mouseClick(picker.BitBtn1, Qt::LeftButton);
        });
        QCOMPARE(chosenBank(), none);

        // A bank without a reading counts as no choice either.
        execute(QStringLiteral("insert into MAS_BANK (SHGINCODE, SGINNAME2) values (8887, '読みなし')"));
        const auto removeBank =
            qScopeGuard([this] { execute(QStringLiteral("delete from MAS_BANK where SHGINCODE=8887")); });
        std::tie(SelBankCode, SelBankKana, SelBankName) =
            std::tuple(4321, QStringLiteral("ﾏｴﾉ"), QStringLiteral("前の銀行"));
        showBankPicker(QStringLiteral("8887"), Ok, [](TBAN_SEL& picker) {
            QCOMPARE(listed(picker.DBGrid1, 0), QList<int>{8887});
            type(Qt::Key_Return);
            type(Qt::Key_Return);
        });
        QCOMPARE(chosenBank(), none);
    }

    void callerSearchesAndReopensTheBankList()
    {
        // The main screen fills the hidden picker's search box, then looks a code up with its query.
        TBAN_SEL& picker = *BAN_SEL;
        picker.E_BANK_NAME->setText(QStringLiteral("5"));
        picker.FDQ_1.close();
        QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
        picker.FDQ_1.setSql(QStringLiteral("select * from MAS_BANK where SHGINCODE=17"));
        picker.FDQ_1.open();
        QCOMPARE(listed(picker.DBGrid1, 0), QList<int>{17});
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
        picker.FDQ_1.close();

        // Shown, it searches again from the text the box keeps.
        exec(picker, Ok, [&] {
            QCOMPARE(listed(picker.DBGrid1, 0), QList<int>{5});
            type(Qt::Key_Return);
            type(Qt::Key_Return);
        });
        QCOMPARE(chosenBank(), asChosen(5, bank(5)));
    }

    void branchSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("branches");
        QTest::addColumn<bool>("ordered");

        const QList<int> all = branchesOf(1);
        QTest::newRow("branch code") << QStringLiteral("1") << QList<int>{1} << true;
        QTest::newRow("branch code with zeros") << QStringLiteral("024") << QList<int>{24} << true;
        QTest::newRow("small kana") << QStringLiteral("ｷｮｳ") << branchesOf(1, QStringLiteral("ｷﾖｳ")) << false;
        QTest::newRow("hiragana") << QStringLiteral("きょう") << branchesOf(1, QStringLiteral("ｷﾖｳ")) << false;
        QTest::newRow("full-width katakana") << QStringLiteral("キョウ") << branchesOf(1, QStringLiteral("ｷﾖｳ")) << false;
        QTest::newRow("lower-case Latin")
            << QStringLiteral("jtb") << branchesOf(1, QStringLiteral("JTB")) << false;
        QTest::newRow("empty search") << QString() << all << false;
        QTest::newRow("no match lists the bank by branch code") << QStringLiteral("ﾝﾝﾝ") << all << true;
        QTest::newRow("code of no branch lists the bank") << QStringLiteral("999") << all << true;
        QTest::newRow("a quote lists the bank") << QStringLiteral("ﾄ'") << all << true;
        QTest::newRow("a percent sign matches anything") << QStringLiteral("%") << all << false;
        QTest::newRow("negative number is a reading") << QStringLiteral("-1") << all << true;
    }

    void branchSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QList<int>, branches);
        QFETCH(bool, ordered);
        TBANK_S_SELL& picker = branchPicker(QStringLiteral("1"), QStringLiteral("ﾐｽﾞﾎ"));
        exec(picker, Cancel, [&] {
            QCOMPARE(focused(), picker.Edit1);
            typeText(typed);
            const QList<int> found = listed(picker.DBGrid1, 1);
            QCOMPARE(ordered ? found : sorted(found), branches);
            QCOMPARE(listed(picker.DBGrid1, 0), QList<int>(branches.size(), 1));
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
            QCOMPARE(picker.FDQ_1.field(QStringLiteral("SSTNNAME1")).asString(), branch(1, found[0]).kana);
            type(Qt::Key_Escape);
        });
    }

    void branchZeroIsTheBranchCode()
    {
        // Bank 1 has no branch 0 in the list: 0 then lists the whole bank.
        TBANK_S_SELL& picker = branchPicker(QStringLiteral("1"));
        picker.Edit1->setText(QStringLiteral("0"));
        QCOMPARE(listed(picker.DBGrid1, 1), branchesOf(1));

        // With a head office under branch 0, 0 lists it alone.
        const auto removeHeadOffice = headOffice();
        picker.Edit1->clear();
        picker.Edit1->setText(QStringLiteral("0"));
        QCOMPARE(listed(picker.DBGrid1, 1), QList<int>{0});
        QCOMPARE(listed(picker.DBGrid1, 0), QList<int>{1});

        // Bank 185 has one in the real list; typed into the shown picker it is found and confirmed.
        branchPicker(QStringLiteral("185"));
        exec(picker, Ok, [&] {
            typeText(QStringLiteral("0"));
            QCOMPARE(listed(picker.DBGrid1, 1), QList<int>{0});
            type(Qt::Key_Return);
            type(Qt::Key_Return);
        });
        QCOMPARE(chosenBranch(), asChosen(0, branch(185, 0)));
    }

    void noBankCodeLeavesTheBranchList()
    {
        TBANK_S_SELL& picker = branchPicker(QStringLiteral("5"));
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
        picker.Edit1->setText(QStringLiteral("ｷｮｳ"));
        QVERIFY(untouched());
        for (const char* code : {"ABC", "-5", "0"}) {
            picker.E_CD_1->setText(QLatin1String(code));
            QVERIFY2(untouched(), code);
        }
        // Nor does showing the picker without a bank; the focus still goes to the search box.
        exec(picker, Cancel, [&] {
            QCOMPARE(focused(), picker.Edit1);
            QVERIFY(untouched());
            QCOMPARE(listed(picker.DBGrid1, 1), shown);
            type(Qt::Key_Escape);
        });
    }

    void branchPickerShowingFillsTheBankAndOrders()
    {
        const auto removeHeadOffice = headOffice();
        // As the main screen fills it: the bank name it holds, the bank code, the branch box's text.
        TBANK_S_SELL& picker = branchPicker(QStringLiteral("1"), QStringLiteral("古い名前"));
        QCOMPARE(picker.E_GINKOU_1->text(), QStringLiteral("古い名前")); // a name already there stays
        picker.Edit1->setText(QStringLiteral("0"));
        QCOMPARE(picker.FDQ_1.recordCount(), 1);

        exec(picker, Cancel, [&] {
            QVERIFY(centredOnTheMainWindow(picker));
            QCOMPARE(focused(), picker.Edit1);
            // On showing the bank's name is read again, whatever the box held.
            QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana);
            // On showing 0 is a reading: nothing matches and the bank is listed in branch order.
            QCOMPARE(listed(picker.DBGrid1, 1), QList<int>{0} + branchesOf(1));
            // Typing searches again, unordered.
            type(Qt::Key_Backspace);
            typeText(QStringLiteral("ｷｮｳ"));
            QCOMPARE(sorted(listed(picker.DBGrid1, 1)), branchesOf(1, QStringLiteral("ｷﾖｳ")));
            type(Qt::Key_Escape);
        });

        // A reading typed before showing is searched and ordered by branch code.
        picker.E_CD_1->setText(QStringLiteral("5"));
        QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana); // not empty: not read again while typing
        exec(picker, Cancel, [&] {
            QCOMPARE(picker.E_GINKOU_1->text(), bank(5).kana);
            QCOMPARE(listed(picker.DBGrid1, 1), branchesOf(5, QStringLiteral("ｷﾖｳ")));
            type(Qt::Key_Escape);
        });

        // An emptied name box is filled by the next change; a code that is no bank gives no name, no list.
        picker.E_GINKOU_1->clear();
        picker.E_CD_1->setText(QStringLiteral("9"));
        QCOMPARE(picker.E_GINKOU_1->text(), bank(9).kana);
        picker.E_GINKOU_1->clear();
        picker.E_CD_1->setText(QStringLiteral("8888"));
        QCOMPARE(picker.E_GINKOU_1->text(), QString());
        QCOMPARE(picker.FDQ_1.recordCount(), 0);
    }

    void branchPickerKeysAndConfirming()
    {
        TBANK_S_SELL& picker = branchPicker(QStringLiteral("1"));
        const QList<int> kyou = branchesOf(1, QStringLiteral("ｷﾖｳ"));
        int third = -1;
        exec(picker, Ok, [&] {
            typeText(QStringLiteral("ｷｮｳ"));
            walkTheList(picker.Edit1, picker.DBGrid1, picker.FDQ_1);
            third = picker.DBGrid1->model()->index(2, 1).data(Qt::EditRole).toInt();
            type(Qt::Key_Return);
        });
        QVERIFY(kyou.contains(third));
        QCOMPARE(chosenBranch(), asChosen(third, branch(1, third)));

        // Double-click, on a fresh showing (ordered by branch code).
        exec(picker, Ok, [&] {
            QCOMPARE(listed(picker.DBGrid1, 1), kyou);
            doubleClickRow(picker.DBGrid1, 4);
        });
        QCOMPARE(chosenBranch(), asChosen(kyou[4], branch(1, kyou[4])));

        // Esc keeps what was chosen.
        exec(picker, Cancel, [] {
            type(Qt::Key_Return);
            type(Qt::Key_Down);
            type(Qt::Key_Escape);
        });
        QCOMPARE(chosenBranch(), asChosen(kyou[4], branch(1, kyou[4])));
    }

    void enterOnAnEmptyBranchListLoadsTheWholeBank()
    {
        TBANK_S_SELL& picker = branchPicker(QStringLiteral("8888"));
        const auto removeBank =
            qScopeGuard([this] { execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=8888")); });
        std::tie(SelBranchCode, SelBranchKana, SelBranchName) =
            std::tuple(77, QStringLiteral("ﾏｴﾉ"), QStringLiteral("前の支店"));
        const QStringList before = chosenBranch();

        exec(picker, Cancel, [&] {
            QCOMPARE(picker.FDQ_1.recordCount(), 0);
            type(Qt::Key_Return);
            QCOMPARE(focused(), picker.Edit1);
            // Branches appear meanwhile (another workstation): Enter lists them all and stays.
            addBranch(8888, 20, QStringLiteral("ﾆｼ"), QStringLiteral("西"));
            addBranch(8888, 10, QStringLiteral("ﾋｶﾞｼ"), QStringLiteral("東"));
            addBranch(8888, 5, QVariant(), QStringLiteral("読みなし"));
            addBranch(8888, 30, QStringLiteral(""), QStringLiteral("読みが空"));
            type(Qt::Key_Return);
            QCOMPARE(focused(), picker.Edit1);
            // Never a row whose reading is null; an empty one is listed.
            QCOMPARE(listed(picker.DBGrid1, 1), (QList<int>{10, 20, 30}));
            type(Qt::Key_Return);
            QCOMPARE(focused(), picker.DBGrid1);
            type(Qt::Key_Down);
            type(Qt::Key_Escape);
        });
        QCOMPARE(chosenBranch(), before);

        // Confirming a row without a reading: code 0 and no reading; the name is left as it was.
        const QStringList none{QStringLiteral("0"), QString(), QStringLiteral("前の支店")};
        exec(picker, Ok, [&] {
            type(Qt::Key_Return);
            type(Qt::Key_Down);
            type(Qt::Key_Down);
            QCOMPARE(picker.FDQ_1.field(QStringLiteral("SHSTNCODE")).asInteger(), 30);
            type(Qt::Key_Return);
        });
        QCOMPARE(chosenBranch(), none);

        // OK on an empty list: the same.
        SelBranchCode = 77;
        execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=8888"));
        exec(picker, Ok, [&] {
            QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
            QTest::mouseClick(picker.BitBtn1, Qt::LeftButton);
        });
        QCOMPARE(chosenBranch(), none);
    }
};

QTEST_MAIN(TestBankPickers)
#include "tst_bank_pickers.moc"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
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
#include <utility>

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

// One line of the national bank list.
struct BankRow
{
    int bank = 0;
    int branch = 0;
    QString kana;
    QString name;
};

// The fields of one line: commas outside double quotes separate them.
QStringList csvFields(QStringView line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u',' && !quoted)
            fields << std::exchange(field, QString());
        else
            field += c;
    }
    fields << field;
    return fields;
}

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

// Empties the focused box the way a user does.
void clearTyped()
{
    type(Qt::Key_A, Qt::ControlModifier);
    type(Qt::Key_Backspace);
}

// Every row of a grid's column, reading the whole list first.
QList<QVariant> column(QTableView* grid, int col)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QList<QVariant> values;
    for (int r = 0; r < model->rowCount(); ++r)
        values << model->index(r, col).data(Qt::EditRole);
    return values;
}

QList<int> integers(const QList<QVariant>& values)
{
    QList<int> result;
    for (const QVariant& v : values)
        result << v.toInt();
    return result;
}

QList<int> sorted(QList<int> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

// Double-clicks a row of the grid as a mouse does it: press and release,
// then the second press arriving as a double-click, and its release.
void doubleClickRow(QTableView* grid, int row)
{
    QAbstractItemModel* model = grid->model();
    while (model->rowCount() <= row && model->canFetchMore({}))
        model->fetchMore({});
    const QModelIndex index = model->index(row, 1);
    QVERIFY(index.isValid());
    grid->scrollTo(index);
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(grid->currentIndex().row(), row);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at, 10);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at, 10);
}

bool centredOn(const QWidget* dialog, const QWidget* window)
{
    return (dialog->frameGeometry().center() - window->frameGeometry().center()).manhattanLength() <= 2;
}

} // namespace

class TestBankPickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void theListIsLoaded();
    void bankSearch_data();
    void bankSearch();
    void bankPickerKeysAndConfirming();
    void doubleClickConfirmsTheClickedRow();
    void cancellingLeavesTheResults();
    void okOnAnEmptyListClearsTheResults();
    void callerSearchesAndReopensTheBankList();
    void branchSearch_data();
    void branchSearch();
    void branchZeroIsTheBranchCode();
    void noBankCodeLeavesTheBranchList();
    void branchPickerShowingFillsTheBankAndOrders();
    void branchPickerKeysAndConfirming();
    void enterOnAnEmptyBranchListLoadsTheWholeBank();

private:
    QList<int> banksWhoseReadingHolds(const QString& part) const;
    QList<int> branchesOf(int bank, const QString& part = {}) const;
    const BankRow& bank(int code) const;
    const BankRow& branch(int bank, int code) const;
    void execute(const QString& sql);
    // Shows the bank picker with this search text typed into it, hands it to
    // check and returns the modal result; check must close it.
    int showBankPicker(const QString& text, const std::function<void(TBAN_SEL&)>& check);

    std::unique_ptr<testing::SuiteDatabase> m_database;
    std::unique_ptr<db::Connection> m_suite;
    std::unique_ptr<QWidget> m_main;
    QList<BankRow> m_banks;    // in code order
    QList<BankRow> m_branches; // in bank and branch order
};

void TestBankPickers::initTestCase()
{
    InstallFontSubstitutions();
    m_database = std::make_unique<testing::SuiteDatabase>();
    m_suite = std::make_unique<db::Connection>();
    m_suite->setParams(m_database->params());

    QFile file(QStringLiteral(VELDRUN_DATA_DIR "/banks/ginkositen.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = cp932::decode(file.readAll());
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const QStringList f = csvFields(line);
        QCOMPARE(f.size(), 5);
        BankRow row;
        bool okBank = false;
        bool okBranch = false;
        row.bank = f[0].toInt(&okBank);
        row.branch = f[1].toInt(&okBranch);
        QVERIFY(okBank && okBranch);
        row.kana = f[2].trimmed();
        row.name = f[3].trimmed();
        if (f[4] == QLatin1String("1"))
            m_banks << row;
        else
            m_branches << row;
    }
    QCOMPARE(m_banks.size(), 1338);
    QCOMPARE(m_branches.size(), 31048);
    std::sort(m_banks.begin(), m_banks.end(),
              [](const BankRow& a, const BankRow& b) { return a.bank < b.bank; });
    std::sort(m_branches.begin(), m_branches.end(), [](const BankRow& a, const BankRow& b) {
        return std::pair(a.bank, a.branch) < std::pair(b.bank, b.branch);
    });

    // Stored in no particular order, so that only an ordered statement lists
    // rows in code order.
    QList<BankRow> banksStored = m_banks;
    QList<BankRow> branchesStored = m_branches;
    std::mt19937 random(20240401);
    std::shuffle(banksStored.begin(), banksStored.end(), random);
    std::shuffle(branchesStored.begin(), branchesStored.end(), random);
    {
        db::TransactionGuard transaction(*m_suite);
        db::BlockInsert banks(
            *m_suite, QStringLiteral("MAS_BANK"),
            {QStringLiteral("SHGINCODE"), QStringLiteral("SGINNAME1"), QStringLiteral("SGINNAME2")});
        for (const BankRow& b : std::as_const(banksStored))
            banks.add({b.bank, b.kana, b.name});
        banks.flush();
        db::BlockInsert branches(*m_suite, QStringLiteral("MAS_BANK_S"),
                                 {QStringLiteral("SHGINCODE"), QStringLiteral("SHSTNCODE"),
                                  QStringLiteral("SSTNNAME1"), QStringLiteral("SSTNNAME2")});
        for (const BankRow& b : std::as_const(branchesStored))
            branches.add({b.bank, b.branch, b.kana, b.name});
        branches.flush();
        transaction.commit();
    }

    // The main window the pickers belong to, away from the screen's centre.
    m_main = std::make_unique<QWidget>();
    m_main->setWindowTitle(QStringLiteral("仕入先マスター登録"));
    m_main->setGeometry(60, 40, 1100, 700);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));

    BAN_SEL = new TBAN_SEL(*m_suite, m_main.get());
    BANK_S_SELL = new TBANK_S_SELL(*m_suite, m_main.get());
}

void TestBankPickers::init()
{
    // A dialog nobody scripted fails the test it happens in.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
}

void TestBankPickers::cleanupTestCase()
{
    delete BANK_S_SELL;
    delete BAN_SEL;
    QVERIFY(!BAN_SEL);
    QVERIFY(!BANK_S_SELL);
    m_main.reset();
    m_suite.reset();
}

QList<int> TestBankPickers::banksWhoseReadingHolds(const QString& part) const
{
    QList<int> codes;
    for (const BankRow& b : m_banks)
        if (b.kana.contains(part))
            codes << b.bank;
    return codes;
}

QList<int> TestBankPickers::branchesOf(int bank, const QString& part) const
{
    QList<int> codes;
    for (const BankRow& b : m_branches)
        if (b.bank == bank && b.kana.contains(part))
            codes << b.branch;
    return codes;
}

const BankRow& TestBankPickers::bank(int code) const
{
    return *std::find_if(m_banks.begin(), m_banks.end(), [code](const BankRow& b) { return b.bank == code; });
}

const BankRow& TestBankPickers::branch(int bank, int code) const
{
    return *std::find_if(m_branches.begin(), m_branches.end(),
                         [bank, code](const BankRow& b) { return b.bank == bank && b.branch == code; });
}

void TestBankPickers::execute(const QString& sql)
{
    db::Query q(*m_suite);
    q.setSql(sql);
    q.execute();
}

int TestBankPickers::showBankPicker(const QString& text, const std::function<void(TBAN_SEL&)>& check)
{
    modal::Script script;
    script.answer([&](QDialog& dialog) {
        auto& picker = static_cast<TBAN_SEL&>(dialog);
        QCOMPARE(focused(), picker.E_BANK_NAME);
        clearTyped();
        typeText(text);
        QCOMPARE(picker.E_BANK_NAME->text(), text);
        check(picker);
    });
    const int result = modal::exec(*BAN_SEL);
    // A failure inside the lambda fails the test; the helper still returns.
    [&] {
        QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    }();
    return result;
}

void TestBankPickers::theListIsLoaded()
{
    db::Query q(*m_suite);
    q.setSql(
        QStringLiteral("select (select count(*) from MAS_BANK) as B, (select count(*) from MAS_BANK_S) as S "
                       "from RDB$DATABASE"));
    q.open();
    QCOMPARE(q.field(QStringLiteral("B")).asInteger(), 1338);
    QCOMPARE(q.field(QStringLiteral("S")).asInteger(), 31048);
    // What the searches below rely on.
    QCOMPARE(bank(9).kana, QStringLiteral("ﾐﾂｲｽﾐﾄﾓ"));
    QCOMPARE(branch(1, 1).kana, QStringLiteral("ﾄｳｷﾖｳ"));
    QCOMPARE(branch(185, 0).kana, QStringLiteral("ﾎﾝﾃﾝ"));
    QCOMPARE(branchesOf(1).first(), 1); // bank 1 has no branch 0
    QVERIFY(banksWhoseReadingHolds(QStringLiteral("ｷﾖｳ")).size() > 5);
    QVERIFY(banksWhoseReadingHolds(QStringLiteral("ﾁﾕｳ")).size() > 5);
    QVERIFY(banksWhoseReadingHolds(QStringLiteral("ｼﾔ")).size() > 1);
    QVERIFY(!banksWhoseReadingHolds(QStringLiteral("ﾌｱ")).isEmpty());
    QVERIFY(!banksWhoseReadingHolds(QStringLiteral("ｳｲ")).isEmpty());
    QCOMPARE(banksWhoseReadingHolds(QStringLiteral("UFJ")).size(), 1);
    QVERIFY(branchesOf(1, QStringLiteral("ｷﾖｳ")).size() > 5);
    QVERIFY(branchesOf(5, QStringLiteral("ｷﾖｳ")).size() > 5);
    QCOMPARE(branchesOf(1, QStringLiteral("JTB")), (QList<int>{980, 984}));
    QVERIFY(banksWhoseReadingHolds(QStringLiteral("'")).isEmpty());
    QVERIFY(banksWhoseReadingHolds(QStringLiteral("0")).isEmpty());
}

void TestBankPickers::bankSearch_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("codes"); // in the order listed

    QList<int> all;
    for (const BankRow& b : std::as_const(m_banks))
        all << b.bank;

    QTest::newRow("code with leading zeros lists that bank only") << QStringLiteral("0009") << QList<int>{9};
    QTest::newRow("code as typed") << QStringLiteral("163") << QList<int>{163};
    QTest::newRow("code of no bank") << QStringLiteral("8888") << QList<int>{};
    QTest::newRow("small kana find full-size readings")
        << QStringLiteral("ｷｮｳ") << banksWhoseReadingHolds(QStringLiteral("ｷﾖｳ"));
    QTest::newRow("full-size kana") << QStringLiteral("ｷﾖｳ") << banksWhoseReadingHolds(QStringLiteral("ｷﾖｳ"));
    QTest::newRow("small yu") << QStringLiteral("ﾁｭｳ") << banksWhoseReadingHolds(QStringLiteral("ﾁﾕｳ"));
    QTest::newRow("small ya") << QStringLiteral("ｼｬ") << banksWhoseReadingHolds(QStringLiteral("ｼﾔ"));
    QTest::newRow("small tsu") << QStringLiteral("ｵﾘｯｸｽ") << QList<int>{307};
    QTest::newRow("small a") << QStringLiteral("ﾌｧ") << banksWhoseReadingHolds(QStringLiteral("ﾌｱ"));
    QTest::newRow("small i") << QStringLiteral("ｳｨ") << banksWhoseReadingHolds(QStringLiteral("ｳｲ"));
    QTest::newRow("lower-case Latin finds upper-case")
        << QStringLiteral("ufj") << banksWhoseReadingHolds(QStringLiteral("UFJ"));
    QTest::newRow("Latin and kana") << QStringLiteral("jfｼﾏﾈ")
                                    << banksWhoseReadingHolds(QStringLiteral("JFｼﾏﾈ"));
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

void TestBankPickers::bankSearch()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, codes);

    const int result = showBankPicker(typed, [&](TBAN_SEL& picker) {
        QCOMPARE(integers(column(picker.DBGrid1, 0)), codes);
        // The grid shows the query's rows, on the first of them.
        QCOMPARE(picker.FDQ_1.recordCount(), codes.size());
        if (!codes.isEmpty()) {
            const BankRow& first = bank(codes.first());
            QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
            QCOMPARE(picker.FDQ_1.recNo(), 1);
            QCOMPARE(picker.DBGrid1->model()->index(0, 1).data().toString(), first.kana);
            QCOMPARE(picker.DBGrid1->model()->index(0, 2).data().toString(), first.name);
        } else {
            QCOMPARE(picker.DBGrid1->currentIndex().row(), -1);
        }
        type(Qt::Key_Escape);
    });
    QCOMPARE(result, int(TBAN_SEL::ResultCancel));
}

void TestBankPickers::bankPickerKeysAndConfirming()
{
    const QList<int> kyou = banksWhoseReadingHolds(QStringLiteral("ｷﾖｳ"));
    QVERIFY(kyou.size() > 3);
    SelBankCode = 0;

    const int result = showBankPicker(QStringLiteral("ｷｮｳ"), [&](TBAN_SEL& picker) {
        // The dialog as designed, centred on the main window.
        QCOMPARE(picker.windowTitle(), QStringLiteral("銀行コード"));
        QVERIFY(centredOn(&picker, m_main.get()));
        QVERIFY(picker.E_BANK_NAME->testAttribute(Qt::WA_InputMethodEnabled));
        const QAbstractItemModel* model = picker.DBGrid1->model();
        QCOMPARE(model->columnCount(), 3);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("コード"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("カナ名"));
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("銀行名"));
        QCOMPARE(picker.DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(picker.DBGrid1->selectionBehavior(), QAbstractItemView::SelectRows);

        // Enter goes from the search box to the list; Up on its first row goes back.
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.DBGrid1);
        QVERIFY(picker.isVisible());
        type(Qt::Key_Up);
        QCOMPARE(focused(), picker.E_BANK_NAME);
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
        QVERIFY(picker.isVisible());

        // Down moves the list and the query together; Up on a later row moves
        // up, only on the first row it leaves the list.
        type(Qt::Key_Enter); // the keypad's Enter works alike
        QCOMPARE(focused(), picker.DBGrid1);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 3);
        QCOMPARE(picker.FDQ_1.recNo(), 4);
        for (int row = 2; row >= 0; --row) {
            type(Qt::Key_Up);
            QCOMPARE(focused(), picker.DBGrid1);
            QCOMPARE(picker.DBGrid1->currentIndex().row(), row);
            QCOMPARE(picker.FDQ_1.recNo(), row + 1);
            QVERIFY(picker.DBGrid1->selectionModel()->isRowSelected(row, {}));
        }
        type(Qt::Key_Up);
        QCOMPARE(focused(), picker.E_BANK_NAME);
        type(Qt::Key_Return);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        QCOMPARE(picker.FDQ_1.recNo(), 3);

        // A caller stepping the query moves the grid as well.
        picker.FDQ_1.prior();
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 1);
        picker.FDQ_1.next();
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 2);

        type(Qt::Key_Return);
        QVERIFY(!picker.isVisible());
    });
    QCOMPARE(result, int(TBAN_SEL::ResultOk));
    const BankRow& chosen = bank(kyou[2]);
    QCOMPARE(SelBankCode, chosen.bank);
    QCOMPARE(SelBankKana, chosen.kana);
    QCOMPARE(SelBankName, chosen.name);

    // Enter in the search box over an empty list stays there.
    const int cancelled = showBankPicker(QStringLiteral("ﾝﾝﾝ"), [&](TBAN_SEL& picker) {
        QVERIFY(picker.FDQ_1.isEmpty());
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.E_BANK_NAME);
        QVERIFY(picker.isVisible());
        // A button with the focus answers Enter; Cancel is the one after OK.
        type(Qt::Key_Tab);
        type(Qt::Key_Tab);
        type(Qt::Key_Tab);
        QCOMPARE(focused(), picker.BitBtn2);
        type(Qt::Key_Return);
    });
    QCOMPARE(cancelled, int(TBAN_SEL::ResultCancel));
    QCOMPARE(SelBankCode, chosen.bank);

    // The OK button confirms the current row too.
    const int ok = showBankPicker(
        QStringLiteral("0009"), [&](TBAN_SEL& picker) { QTest::mouseClick(picker.BitBtn1, Qt::LeftButton); });
    QCOMPARE(ok, int(TBAN_SEL::ResultOk));
    QCOMPARE(SelBankCode, 9);
    QCOMPARE(SelBankKana, QStringLiteral("ﾐﾂｲｽﾐﾄﾓ"));
    QCOMPARE(SelBankName, QStringLiteral("三井住友"));
}

void TestBankPickers::doubleClickConfirmsTheClickedRow()
{
    const int result = showBankPicker(QString(), [&](TBAN_SEL& picker) {
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
        doubleClickRow(picker.DBGrid1, 5);
    });
    QCOMPARE(result, int(TBAN_SEL::ResultOk));
    const BankRow& sixth = m_banks[5];
    QCOMPARE(SelBankCode, sixth.bank);
    QCOMPARE(SelBankKana, sixth.kana);
    QCOMPARE(SelBankName, sixth.name);

    // Far down a long list: the rows read as the grid scrolls are the ones confirmed.
    const int far = showBankPicker(QString(), [&](TBAN_SEL& picker) {
        picker.DBGrid1->setFocus();
        type(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(picker.DBGrid1->currentIndex().row(), picker.FDQ_1.recNo() - 1);
        doubleClickRow(picker.DBGrid1, 1000);
    });
    QCOMPARE(far, int(TBAN_SEL::ResultOk));
    QCOMPARE(SelBankCode, m_banks[1000].bank);
    QCOMPARE(SelBankName, m_banks[1000].name);
}

void TestBankPickers::cancellingLeavesTheResults()
{
    const auto setResults = [] {
        SelBankCode = 4321;
        SelBankKana = QStringLiteral("ﾏｴﾉ");
        SelBankName = QStringLiteral("前の銀行");
    };
    const auto resultsUntouched = [] {
        return SelBankCode == 4321 && SelBankKana == QStringLiteral("ﾏｴﾉ") &&
               SelBankName == QStringLiteral("前の銀行");
    };

    setResults();
    // Esc from the list, Esc from the search box, the Cancel button, the close box.
    QCOMPARE(showBankPicker(QStringLiteral("ｷｮｳ"),
                            [](TBAN_SEL& picker) {
                                type(Qt::Key_Return);
                                QCOMPARE(focused(), picker.DBGrid1);
                                type(Qt::Key_Down);
                                type(Qt::Key_Escape);
                            }),
             int(TBAN_SEL::ResultCancel));
    QVERIFY(resultsUntouched());
    QCOMPARE(showBankPicker(QStringLiteral("ｷｮｳ"), [](TBAN_SEL&) { type(Qt::Key_Escape); }),
             int(TBAN_SEL::ResultCancel));
    QVERIFY(resultsUntouched());
    QCOMPARE(showBankPicker(QStringLiteral("ｷｮｳ"),
                            [](TBAN_SEL& picker) { QTest::mouseClick(picker.BitBtn2, Qt::LeftButton); }),
             int(TBAN_SEL::ResultCancel));
    QVERIFY(resultsUntouched());
    QCOMPARE(showBankPicker(QStringLiteral("ｷｮｳ"), [](TBAN_SEL& picker) { picker.windowHandle()->close(); }),
             int(TBAN_SEL::ResultCancel));
    QVERIFY(resultsUntouched());
}

void TestBankPickers::okOnAnEmptyListClearsTheResults()
{
    SelBankCode = 4321;
    SelBankKana = QStringLiteral("ﾏｴﾉ");
    SelBankName = QStringLiteral("前の銀行");
    const int result = showBankPicker(QStringLiteral("ﾝﾝﾝ"), [](TBAN_SEL& picker) {
        QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
        QTest::mouseClick(picker.BitBtn1, Qt::LeftButton);
    });
    QCOMPARE(result, int(TBAN_SEL::ResultOk));
    QCOMPARE(SelBankCode, 0);
    QCOMPARE(SelBankKana, QString());
    QCOMPARE(SelBankName, QString());

    // A bank without a reading counts as no choice either.
    execute(QStringLiteral(
        "insert into MAS_BANK (SHGINCODE, SGINNAME1, SGINNAME2) values (8887, null, '読みなし')"));
    const auto removeBank =
        qScopeGuard([this] { execute(QStringLiteral("delete from MAS_BANK where SHGINCODE=8887")); });
    SelBankCode = 4321;
    SelBankName = QStringLiteral("前の銀行");
    const int noReading = showBankPicker(QStringLiteral("8887"), [](TBAN_SEL& picker) {
        QCOMPARE(integers(column(picker.DBGrid1, 0)), QList<int>{8887});
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.DBGrid1);
        type(Qt::Key_Return);
    });
    QCOMPARE(noReading, int(TBAN_SEL::ResultOk));
    QCOMPARE(SelBankCode, 0);
    QCOMPARE(SelBankKana, QString());
    QCOMPARE(SelBankName, QString());
}

void TestBankPickers::callerSearchesAndReopensTheBankList()
{
    // The main screen puts the bank code box's text into the search box,
    // which searches at once, and looks the code up in the list itself.
    TBAN_SEL& picker = *BAN_SEL;
    QVERIFY(!picker.isVisible());
    picker.E_BANK_NAME->setText(QStringLiteral("ﾐｽﾞ"));
    QCOMPARE(integers(column(picker.DBGrid1, 0)), banksWhoseReadingHolds(QStringLiteral("ﾐｽﾞ")));
    picker.E_BANK_NAME->setText(QStringLiteral("5"));
    QCOMPARE(picker.FDQ_1.recordCount(), 1);
    QCOMPARE(integers(column(picker.DBGrid1, 0)), QList<int>{5});

    picker.FDQ_1.close();
    QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
    picker.FDQ_1.clearSql();
    picker.FDQ_1.addSql(QStringLiteral("select * from MAS_BANK where SHGINCODE=:CODE"));
    picker.FDQ_1.setParam(QStringLiteral("CODE"), 17);
    picker.FDQ_1.open();
    QCOMPARE(picker.FDQ_1.recordCount(), 1);
    QCOMPARE(integers(column(picker.DBGrid1, 0)), QList<int>{17});
    QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
    picker.FDQ_1.close();

    // Shown, it searches again from the text the box keeps.
    modal::Script script;
    script.answer([&](QDialog&) {
        QCOMPARE(picker.E_BANK_NAME->text(), QStringLiteral("5"));
        QCOMPARE(focused(), picker.E_BANK_NAME);
        QCOMPARE(integers(column(picker.DBGrid1, 0)), QList<int>{5});
        QVERIFY(centredOn(&picker, m_main.get()));
        type(Qt::Key_Return);
        type(Qt::Key_Return);
    });
    QCOMPARE(modal::exec(picker), int(TBAN_SEL::ResultOk));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(script.shown().at(0).title, QStringLiteral("銀行コード"));
    QCOMPARE(SelBankCode, 5);
    QCOMPARE(SelBankKana, bank(5).kana);
    QCOMPARE(SelBankName, QStringLiteral("三菱ＵＦＪ"));
}

void TestBankPickers::branchSearch_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("branches");
    QTest::addColumn<bool>("ordered");

    const QList<int> all = branchesOf(1);
    QTest::newRow("branch code") << QStringLiteral("1") << QList<int>{1} << true;
    QTest::newRow("branch code with zeros") << QStringLiteral("024") << QList<int>{24} << true;
    QTest::newRow("small kana") << QStringLiteral("ｷｮｳ") << branchesOf(1, QStringLiteral("ｷﾖｳ")) << false;
    QTest::newRow("lower-case Latin")
        << QStringLiteral("jtb") << branchesOf(1, QStringLiteral("JTB")) << false;
    QTest::newRow("empty search") << QString() << all << false;
    QTest::newRow("no match lists the bank by branch code") << QStringLiteral("ﾝﾝﾝ") << all << true;
    QTest::newRow("code of no branch lists the bank") << QStringLiteral("999") << all << true;
    QTest::newRow("a quote lists the bank") << QStringLiteral("ﾄ'") << all << true;
    QTest::newRow("a percent sign matches anything") << QStringLiteral("%") << all << false;
    QTest::newRow("negative number is a reading") << QStringLiteral("-1") << all << true;
}

void TestBankPickers::branchSearch()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, branches);
    QFETCH(bool, ordered);
    QVERIFY(!branches.isEmpty());

    TBANK_S_SELL& picker = *BANK_S_SELL;
    picker.E_CD_1->setText(QStringLiteral("1"));
    picker.E_GINKOU_1->setText(QStringLiteral("ﾐｽﾞﾎ"));
    picker.Edit1->clear();

    modal::Script script;
    script.answer([&](QDialog&) {
        QCOMPARE(focused(), picker.Edit1);
        typeText(typed);
        QCOMPARE(picker.Edit1->text(), typed);
        const QList<int> listed = integers(column(picker.DBGrid1, 1));
        QCOMPARE(ordered ? listed : sorted(listed), branches);
        for (const QVariant& b : column(picker.DBGrid1, 0))
            QCOMPARE(b.toInt(), 1);
        QCOMPARE(picker.DBGrid1->currentIndex().row(), 0);
        QCOMPARE(picker.FDQ_1.field(QStringLiteral("SSTNNAME1")).asString(), branch(1, listed[0]).kana);
        type(Qt::Key_Escape);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultCancel));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

void TestBankPickers::branchZeroIsTheBranchCode()
{
    TBANK_S_SELL& picker = *BANK_S_SELL;
    picker.Edit1->clear();
    picker.E_GINKOU_1->clear();
    picker.E_CD_1->setText(QStringLiteral("1"));

    // Bank 1 has no branch 0 in the list: 0 then lists the whole bank.
    picker.Edit1->setText(QStringLiteral("0"));
    QCOMPARE(integers(column(picker.DBGrid1, 1)), branchesOf(1));

    // With a head office under branch 0, 0 lists it alone.
    execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                           "values (1, 0, 'ﾎﾝﾃﾝ', '本店')"));
    const auto removeHeadOffice = qScopeGuard(
        [this] { execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=1 and SHSTNCODE=0")); });
    picker.Edit1->clear();
    picker.Edit1->setText(QStringLiteral("0"));
    QCOMPARE(integers(column(picker.DBGrid1, 1)), QList<int>{0});
    QCOMPARE(integers(column(picker.DBGrid1, 0)), QList<int>{1});

    // Bank 185 has one in the real list; typed into the shown picker it is found
    // the same way and confirmed.
    picker.E_CD_1->setText(QStringLiteral("185"));
    picker.Edit1->clear();
    SelBranchName = QStringLiteral("前の支店");
    modal::Script script;
    script.answer([&](QDialog&) {
        typeText(QStringLiteral("0"));
        QCOMPARE(integers(column(picker.DBGrid1, 1)), QList<int>{0});
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.DBGrid1);
        type(Qt::Key_Return);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultOk));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(SelBranchCode, 0);
    QCOMPARE(SelBranchKana, QStringLiteral("ﾎﾝﾃﾝ"));
    QCOMPARE(SelBranchName, QStringLiteral("本店"));
}

void TestBankPickers::noBankCodeLeavesTheBranchList()
{
    TBANK_S_SELL& picker = *BANK_S_SELL;
    picker.Edit1->clear();
    picker.E_GINKOU_1->clear();
    picker.E_CD_1->setText(QStringLiteral("5"));
    const QList<int> listed = integers(column(picker.DBGrid1, 1));
    QCOMPARE(sorted(listed), branchesOf(5));
    const QString name = picker.E_GINKOU_1->text();
    QCOMPARE(name, bank(5).kana);
    const QStringList sql = picker.FDQ_1.sql();

    QSignalSpy resets(&picker.FDQ_1, &db::Query::aboutToReset);
    QSignalSpy nameReads(&picker.FDQ_2, &db::Query::aboutToReset);
    const auto untouched = [&] {
        return resets.isEmpty() && nameReads.isEmpty() && picker.FDQ_1.isOpen() &&
               picker.FDQ_1.sql() == sql && picker.E_GINKOU_1->text() == name;
    };
    picker.E_CD_1->clear();
    QVERIFY(untouched());
    picker.Edit1->setText(QStringLiteral("ｷｮｳ"));
    QVERIFY(untouched());
    picker.E_CD_1->setText(QStringLiteral("0"));
    QVERIFY(untouched());
    picker.Edit1->setText(QStringLiteral("1"));
    QVERIFY(untouched());
    picker.E_CD_1->setText(QStringLiteral("ABC"));
    QVERIFY(untouched());
    picker.E_CD_1->setText(QStringLiteral("-5"));
    QVERIFY(untouched());

    // Nor does showing the picker without a bank; the focus still goes to the search box.
    picker.E_CD_1->setText(QStringLiteral("0"));
    modal::Script script;
    script.answer([&](QDialog&) {
        QCOMPARE(focused(), picker.Edit1);
        QVERIFY(untouched());
        QCOMPARE(integers(column(picker.DBGrid1, 1)), listed);
        type(Qt::Key_Escape);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultCancel));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

void TestBankPickers::branchPickerShowingFillsTheBankAndOrders()
{
    TBANK_S_SELL& picker = *BANK_S_SELL;
    execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                           "values (1, 0, 'ﾎﾝﾃﾝ', '本店')"));
    const auto removeHeadOffice = qScopeGuard(
        [this] { execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=1 and SHSTNCODE=0")); });

    // As the main screen calls it: the bank code, the name it holds, the branch code box's text.
    picker.Edit1->clear();
    picker.E_GINKOU_1->setText(QStringLiteral("古い名前"));
    picker.E_CD_1->setText(QStringLiteral("1"));
    QCOMPARE(picker.E_GINKOU_1->text(), QStringLiteral("古い名前")); // a name already there stays
    picker.Edit1->setText(QStringLiteral("0"));
    QCOMPARE(picker.FDQ_1.recordCount(), 1);

    modal::Script script;
    script.answer([&](QDialog& dialog) {
        QVERIFY(centredOn(&dialog, m_main.get()));
        QCOMPARE(focused(), picker.Edit1);
        // On showing the bank's name is read again, whatever the box held.
        QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana);
        // On showing, 0 is a reading: nothing matches and the bank is listed in branch order.
        QCOMPARE(integers(column(picker.DBGrid1, 1)), QList<int>{0} + branchesOf(1));
        type(Qt::Key_Backspace);
        // Typing searches again without ordering; deleting the text lists the bank.
        typeText(QStringLiteral("ｷｮｳ"));
        QCOMPARE(sorted(integers(column(picker.DBGrid1, 1))), branchesOf(1, QStringLiteral("ｷﾖｳ")));
        type(Qt::Key_Escape);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultCancel));

    // A reading typed before showing is searched and ordered by branch code.
    picker.E_CD_1->setText(QStringLiteral("5"));
    QCOMPARE(picker.E_GINKOU_1->text(), bank(1).kana); // not empty: not read again while typing
    script.answer([&](QDialog&) {
        QCOMPARE(picker.E_GINKOU_1->text(), bank(5).kana);
        QCOMPARE(picker.Edit1->text(), QStringLiteral("ｷｮｳ"));
        QCOMPARE(integers(column(picker.DBGrid1, 1)), branchesOf(5, QStringLiteral("ｷﾖｳ")));
        type(Qt::Key_Escape);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultCancel));

    // An emptied name box is filled by the next change.
    picker.E_GINKOU_1->clear();
    picker.E_CD_1->setText(QStringLiteral("9"));
    QCOMPARE(picker.E_GINKOU_1->text(), bank(9).kana);
    // A bank code that is no bank gives an empty name and an empty list.
    picker.E_GINKOU_1->clear();
    picker.E_CD_1->setText(QStringLiteral("8888"));
    QCOMPARE(picker.E_GINKOU_1->text(), QString());
    QCOMPARE(picker.FDQ_1.recordCount(), 0);

    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(script.shown().at(0).title, QStringLiteral("銀行支店"));
    QCOMPARE(script.shown().at(0).text, QStringLiteral("銀行ＣＤ\n銀行名"));
}

void TestBankPickers::branchPickerKeysAndConfirming()
{
    TBANK_S_SELL& picker = *BANK_S_SELL;
    QCOMPARE(picker.E_CD_1->maxLength(), 8);
    QCOMPARE(picker.E_GINKOU_1->maxLength(), 40);
    QVERIFY(picker.Edit1->testAttribute(Qt::WA_InputMethodEnabled));
    const QAbstractItemModel* model = picker.DBGrid1->model();
    QCOMPARE(model->columnCount(), 4);
    const QStringList titles{QStringLiteral("コード"), QStringLiteral("支店CD"), QStringLiteral("カナ名"),
                             QStringLiteral("支店名")};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), titles[c]);

    picker.E_CD_1->setText(QStringLiteral("1"));
    picker.Edit1->clear();
    const QList<int> kyou = branchesOf(1, QStringLiteral("ｷﾖｳ"));
    int third = -1;

    modal::Script script;
    script.answer([&](QDialog&) {
        typeText(QStringLiteral("ｷｮｳ"));
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.DBGrid1);
        type(Qt::Key_Up);
        QCOMPARE(focused(), picker.Edit1);
        type(Qt::Key_Return);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        for (int row = 2; row >= 0; --row) {
            type(Qt::Key_Up);
            QCOMPARE(focused(), picker.DBGrid1);
            QCOMPARE(picker.DBGrid1->currentIndex().row(), row);
            QCOMPARE(picker.FDQ_1.recNo(), row + 1);
        }
        type(Qt::Key_Up);
        QCOMPARE(focused(), picker.Edit1);
        type(Qt::Key_Return);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        QCOMPARE(picker.FDQ_1.recNo(), 3);
        third = picker.DBGrid1->model()->index(2, 1).data(Qt::EditRole).toInt();
        type(Qt::Key_Return);
    });
    // Double-click, on a fresh showing (ordered by branch code).
    script.answer([&](QDialog&) {
        QCOMPARE(integers(column(picker.DBGrid1, 1)), kyou);
        doubleClickRow(picker.DBGrid1, 4);
    });
    // Esc keeps what was chosen.
    script.answer([&](QDialog&) {
        type(Qt::Key_Return);
        type(Qt::Key_Down);
        type(Qt::Key_Escape);
    });

    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultOk));
    QVERIFY(kyou.contains(third));
    QCOMPARE(SelBranchCode, third);
    QCOMPARE(SelBranchKana, branch(1, third).kana);
    QCOMPARE(SelBranchName, branch(1, third).name);

    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultOk));
    QCOMPARE(SelBranchCode, kyou[4]);
    QCOMPARE(SelBranchKana, branch(1, kyou[4]).kana);
    QCOMPARE(SelBranchName, branch(1, kyou[4]).name);

    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultCancel));
    QCOMPARE(SelBranchCode, kyou[4]);
    QCOMPARE(SelBranchKana, branch(1, kyou[4]).kana);
    QCOMPARE(SelBranchName, branch(1, kyou[4]).name);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

void TestBankPickers::enterOnAnEmptyBranchListLoadsTheWholeBank()
{
    TBANK_S_SELL& picker = *BANK_S_SELL;
    picker.E_GINKOU_1->clear();
    picker.Edit1->clear();
    picker.E_CD_1->setText(QStringLiteral("8888"));
    const auto removeBank =
        qScopeGuard([this] { execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=8888")); });
    SelBranchCode = 77;
    SelBranchKana = QStringLiteral("ﾏｴﾉ");
    SelBranchName = QStringLiteral("前の支店");

    modal::Script script;
    script.answer([&](QDialog&) {
        QCOMPARE(picker.FDQ_1.recordCount(), 0);
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.Edit1);
        QVERIFY(picker.FDQ_1.isOpen());
        QCOMPARE(picker.FDQ_1.recordCount(), 0);

        // Branches appear meanwhile (another workstation): Enter lists them all and stays.
        execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                               "values (8888, 20, 'ﾆｼ', '西')"));
        execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                               "values (8888, 10, 'ﾋｶﾞｼ', '東')"));
        execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                               "values (8888, 5, null, '読みなし')"));
        execute(QStringLiteral("insert into MAS_BANK_S (SHGINCODE, SHSTNCODE, SSTNNAME1, SSTNNAME2) "
                               "values (8888, 30, '', '読みが空')"));
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.Edit1);
        // Never a row whose reading is null; an empty one is listed.
        QCOMPARE(integers(column(picker.DBGrid1, 1)), (QList<int>{10, 20, 30}));
        type(Qt::Key_Return);
        QCOMPARE(focused(), picker.DBGrid1);
        type(Qt::Key_Down);
        type(Qt::Key_Escape);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultCancel));
    QCOMPARE(SelBranchCode, 77);
    QCOMPARE(SelBranchKana, QStringLiteral("ﾏｴﾉ"));

    // Confirming a row without a reading: code 0 and no reading; the name is left as it was.
    script.answer([&](QDialog&) {
        type(Qt::Key_Return);
        type(Qt::Key_Down);
        type(Qt::Key_Down);
        QCOMPARE(picker.FDQ_1.field(QStringLiteral("SHSTNCODE")).asInteger(), 30);
        type(Qt::Key_Return);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultOk));
    QCOMPARE(SelBranchCode, 0);
    QCOMPARE(SelBranchKana, QString());
    QCOMPARE(SelBranchName, QStringLiteral("前の支店"));

    // OK on an empty list: the same.
    SelBranchCode = 77;
    SelBranchKana = QStringLiteral("ﾏｴﾉ");
    execute(QStringLiteral("delete from MAS_BANK_S where SHGINCODE=8888"));
    script.answer([&](QDialog&) {
        QCOMPARE(picker.DBGrid1->model()->rowCount(), 0);
        QTest::mouseClick(picker.BitBtn1, Qt::LeftButton);
    });
    QCOMPARE(modal::exec(picker), int(TBANK_S_SELL::ResultOk));
    QCOMPARE(SelBranchCode, 0);
    QCOMPARE(SelBranchKana, QString());
    QCOMPARE(SelBranchName, QStringLiteral("前の支店"));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

QTEST_MAIN(TestBankPickers)
#include "tst_bank_pickers.moc"

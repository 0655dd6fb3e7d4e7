#include "dialogs/MAS_BANK_S.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "dialogs/Picker.h"
#include "util/Numbers.h"

int SelBranchCode = 0;
QString SelBranchKana;
QString SelBranchName;
TBANK_S_SELL* BANK_S_SELL = nullptr;

namespace pickers {

namespace {

const QString kBranchesOfBank = QStringLiteral("select * from MAS_BANK_S where SSTNNAME1 is not null");

} // namespace

Statement BranchList(int bank, const QString& text, bool onShowing)
{
    Statement list{{kBranchesOfBank, QStringLiteral("and SHGINCODE=:BANK")},
                   {{QStringLiteral("BANK"), bank}}};
    const int branch = toIntDef(text);
    if (!onShowing && text == QLatin1String("0")) {
        list.sql << QStringLiteral("and SHSTNCODE=0");
    } else if (branch > 0) {
        list.sql << QStringLiteral("and SHSTNCODE=:BRANCH");
        list.params.insert(QStringLiteral("BRANCH"), branch);
    } else if (!text.isEmpty()) {
        list.sql << QStringLiteral("and ") + ReadingLike(QStringLiteral("SSTNNAME1"));
        list.params.insert(QStringLiteral("NAME"), Containing(text));
    }
    if (onShowing)
        list.sql << QStringLiteral("order by SHSTNCODE");
    return list;
}

Statement WholeBank(int bank)
{
    return {{kBranchesOfBank, QStringLiteral("and SHGINCODE=:BANK"), QStringLiteral("order by SHSTNCODE")},
            {{QStringLiteral("BANK"), bank}}};
}

} // namespace pickers

TBANK_S_SELL::TBANK_S_SELL(db::Connection& suite, QWidget* parent)
    : TPicker(parent), FDQ_1(suite), FDQ_2(suite), DataSource1(FDQ_1)
{
    setObjectName(QStringLiteral("BANK_S_SELL"));
    setWindowTitle(QStringLiteral("銀行支店"));
    setFont(pickers::PickerFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);

    Label1 = new QLabel(QStringLiteral("銀行ＣＤ"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    E_CD_1 = new QLineEdit(Panel1);
    E_CD_1->setObjectName(QStringLiteral("E_CD_1"));
    E_CD_1->setMaxLength(8);
    E_CD_1->setMaximumWidth(120);
    // A code: digits only, no composed input.
    E_CD_1->setAttribute(Qt::WA_InputMethodEnabled, false);
    E_CD_1->setProperty("imeMode", QStringLiteral("off"));
    Label1->setBuddy(E_CD_1);

    Label2 = new QLabel(QStringLiteral("銀行名"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    E_GINKOU_1 = new QLineEdit(Panel1);
    E_GINKOU_1->setObjectName(QStringLiteral("E_GINKOU_1"));
    E_GINKOU_1->setMaxLength(40);
    Label2->setBuddy(E_GINKOU_1);

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setPlaceholderText(QStringLiteral("支店コード または カナ"));
    // Readings are typed in half-width katakana through the input method.
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, true);
    Edit1->setProperty("imeMode", QStringLiteral("kana"));

    BitBtn2 = pickers::Button(Panel1, "BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    BitBtn1 = pickers::Button(Panel1, "BitBtn1", QStringLiteral("ＯＫ"), QStyle::SP_DialogOkButton);
    for (QPushButton* b : {BitBtn1, BitBtn2})
        b->setMinimumWidth(130);

    auto* top = new QGridLayout(Panel1);
    top->setContentsMargins(8, 8, 8, 8);
    top->addWidget(Label1, 0, 0);
    top->addWidget(E_CD_1, 0, 1);
    top->addWidget(Label2, 0, 2);
    top->addWidget(E_GINKOU_1, 0, 3, 1, 3);
    top->addWidget(Edit1, 1, 0, 1, 4);
    top->addWidget(BitBtn2, 1, 4);
    top->addWidget(BitBtn1, 1, 5);
    top->setColumnStretch(3, 1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    pickers::SetUpGrid(DBGrid1, DataSource1,
                       {
                           {QStringLiteral("SHGINCODE"), QStringLiteral("コード"), 80, right, {}},
                           {QStringLiteral("SHSTNCODE"), QStringLiteral("支店CD"), 80, right, {}},
                           {QStringLiteral("SSTNNAME1"), QStringLiteral("カナ名"), 240, {}, {}},
                           {QStringLiteral("SSTNNAME2"), QStringLiteral("支店名"), 0, {}, {}},
                       });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    resize(760, 560);

    setTabOrder(E_CD_1, E_GINKOU_1);
    setTabOrder(E_GINKOU_1, Edit1);
    setTabOrder(Edit1, DBGrid1);
    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(E_CD_1, &QLineEdit::textChanged, this, &TBANK_S_SELL::E_CD_1Change);
    connect(Edit1, &QLineEdit::textChanged, this, &TBANK_S_SELL::E_CD_1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TBANK_S_SELL::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TBANK_S_SELL::reject);
    setList(DBGrid1, Edit1);
    forgetOnDestruction(BANK_S_SELL);
}

TBANK_S_SELL::~TBANK_S_SELL() = default;

int TBANK_S_SELL::bankCode() const
{
    return toIntDef(E_CD_1->text());
}

// The bank's reading, which is what the main screen keeps as the bank's name.
QString TBANK_S_SELL::bankName(int bank)
{
    FDQ_2.close();
    FDQ_2.setSql(
        QStringList{QStringLiteral("select * from MAS_BANK"), QStringLiteral("where SHGINCODE=:CODE")});
    FDQ_2.setParam(QStringLiteral("CODE"), bank);
    FDQ_2.open();
    const QString name = FDQ_2.isEmpty() ? QString() : FDQ_2.field(QStringLiteral("SGINNAME1")).asString();
    FDQ_2.close();
    return name;
}

// A search that finds nothing falls back to the whole bank.
void TBANK_S_SELL::searchBranches(int bank, bool onShowing)
{
    pickers::Reopen(FDQ_1, pickers::BranchList(bank, Edit1->text(), onShowing));
    if (FDQ_1.isEmpty())
        listWholeBank(bank);
}

void TBANK_S_SELL::listWholeBank(int bank)
{
    pickers::Reopen(FDQ_1, pickers::WholeBank(bank));
}

void TBANK_S_SELL::FormShow()
{
    Edit1->setFocus();
    const int bank = bankCode();
    if (bank <= 0)
        return;
    E_GINKOU_1->setText(bankName(bank));
    searchBranches(bank, true);
}

void TBANK_S_SELL::E_CD_1Change()
{
    const int bank = bankCode();
    if (bank <= 0)
        return;
    if (E_GINKOU_1->text().isEmpty())
        E_GINKOU_1->setText(bankName(bank));
    searchBranches(bank, false);
}

bool TBANK_S_SELL::Edit1KeyPress(int key)
{
    if (!pickers::IsEnter(key))
        return false;
    if (!FDQ_1.isEmpty())
        DBGrid1->setFocus();
    else
        listWholeBank(bankCode());
    return true;
}

void TBANK_S_SELL::DBGrid1DblClick()
{
    BitBtn1Click();
}

void TBANK_S_SELL::BitBtn1Click()
{
    SelBranchCode = 0;
    SelBranchKana.clear();
    const int row = pickers::CurrentRow(DBGrid1);
    if (row >= 0 && FDQ_1.isOpen()) {
        FDQ_1.moveTo(row);
        const QString kana = FDQ_1.field(QStringLiteral("SSTNNAME1")).asString();
        if (!kana.isEmpty()) {
            SelBranchKana = kana;
            SelBranchName = FDQ_1.field(QStringLiteral("SSTNNAME2")).asString();
            SelBranchCode = toIntDef(FDQ_1.field(QStringLiteral("SHSTNCODE")).asString());
        }
    }
    done(ResultOk);
}

bool TBANK_S_SELL::previewKey(QWidget* target, int key)
{
    if (target == Edit1)
        return Edit1KeyPress(key);
    return false;
}

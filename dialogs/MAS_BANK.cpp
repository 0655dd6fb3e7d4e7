#include "dialogs/MAS_BANK.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "util/Numbers.h"

int SelBankCode = 0;
QString SelBankKana;
QString SelBankName;
TBAN_SEL* BAN_SEL = nullptr;

namespace pickers {

// The text is bound, never part of the statement, so a quote or a percent
// sign typed into the box cannot break it.
Statement BankList(const QString& text)
{
    Statement list{{QStringLiteral("select * from MAS_BANK")}, {}};
    if (!text.isEmpty()) {
        if (const int code = toIntDef(text); code > 0) {
            list.sql << QStringLiteral("where SHGINCODE=:CODE");
            list.params.insert(QStringLiteral("CODE"), code);
        } else {
            list.sql << QStringLiteral("where ") + ReadingLike(QStringLiteral("SGINNAME1"));
            list.params.insert(QStringLiteral("NAME"), Containing(text));
        }
    }
    list.sql << QStringLiteral("order by SHGINCODE");
    return list;
}

} // namespace pickers

TBAN_SEL::TBAN_SEL(db::Connection& suite, QWidget* parent) : TPicker(parent), FDQ_1(suite), DataSource1(FDQ_1)
{
    setObjectName(QStringLiteral("BAN_SEL"));
    setWindowTitle(QStringLiteral("銀行コード"));
    setFont(pickers::PickerFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);

    E_BANK_NAME = new QLineEdit(Panel1);
    E_BANK_NAME->setObjectName(QStringLiteral("E_BANK_NAME"));
    E_BANK_NAME->setPlaceholderText(QStringLiteral("コード または カナ"));
    // Readings are typed in half-width katakana through the input method.
    E_BANK_NAME->setAttribute(Qt::WA_InputMethodEnabled, true);
    E_BANK_NAME->setProperty("imeMode", QStringLiteral("kana"));

    BitBtn2 = pickers::Button(Panel1, "BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    BitBtn1 = pickers::Button(Panel1, "BitBtn1", QStringLiteral("ＯＫ"), QStyle::SP_DialogOkButton);
    for (QPushButton* b : {BitBtn1, BitBtn2})
        b->setMinimumWidth(130);

    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 8, 8, 8);
    top->addWidget(E_BANK_NAME, 1);
    top->addSpacing(16);
    top->addWidget(BitBtn2);
    top->addWidget(BitBtn1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    pickers::SetUpGrid(DBGrid1, DataSource1,
                       {
                           {QStringLiteral("SHGINCODE"), QStringLiteral("コード"), 80, right, {}},
                           {QStringLiteral("SGINNAME1"), QStringLiteral("カナ名"), 240, {}, {}},
                           {QStringLiteral("SGINNAME2"), QStringLiteral("銀行名"), 0, {}, {}},
                       });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    resize(640, 520);

    setTabOrder(E_BANK_NAME, DBGrid1);
    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(E_BANK_NAME, &QLineEdit::textChanged, this, &TBAN_SEL::E_BANK_NAMEChange);
    connect(BitBtn1, &QPushButton::clicked, this, &TBAN_SEL::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TBAN_SEL::reject);
    setList(DBGrid1, E_BANK_NAME);
    forgetOnDestruction(BAN_SEL);
}

TBAN_SEL::~TBAN_SEL() = default;

void TBAN_SEL::FormShow()
{
    E_BANK_NAME->setFocus();
    search();
}

void TBAN_SEL::E_BANK_NAMEChange()
{
    search();
}

void TBAN_SEL::search()
{
    pickers::Reopen(FDQ_1, pickers::BankList(E_BANK_NAME->text()));
}

bool TBAN_SEL::E_BANK_NAMEKeyPress(int key)
{
    if (!pickers::IsEnter(key))
        return false;
    if (!FDQ_1.isEmpty())
        DBGrid1->setFocus();
    return true;
}

void TBAN_SEL::DBGrid1DblClick()
{
    BitBtn1Click();
}

void TBAN_SEL::BitBtn1Click()
{
    SelBankCode = 0;
    SelBankKana.clear();
    SelBankName.clear();
    const int row = pickers::CurrentRow(DBGrid1);
    if (row >= 0 && FDQ_1.isOpen()) {
        FDQ_1.moveTo(row);
        const QString kana = FDQ_1.field(QStringLiteral("SGINNAME1")).asString();
        if (!kana.isEmpty()) {
            SelBankCode = toIntDef(FDQ_1.field(QStringLiteral("SHGINCODE")).asString());
            SelBankKana = kana;
            SelBankName = FDQ_1.field(QStringLiteral("SGINNAME2")).asString();
        }
    }
    done(ResultOk);
}

bool TBAN_SEL::previewKey(QWidget* target, int key)
{
    if (target == E_BANK_NAME)
        return E_BANK_NAMEKeyPress(key);
    return false;
}

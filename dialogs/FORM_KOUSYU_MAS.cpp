#include "dialogs/FORM_KOUSYU_MAS.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "dialogs/KOUZOU_SEL.h"
#include "util/Numbers.h"

int SelectedTradeTypeCode = 0;
int SelectedTradeTypeMajor = 0;
int SelectedTradeTypeMinor = 0;
QString SelectedTradeTypeName;
int SelectedTradeTypeRecNo = 0;
TKOUSYU_MAS* KOUSYU_MAS = nullptr;

TKOUSYU_MAS::TKOUSYU_MAS(db::Connection& suite, QWidget* parent)
    : TPicker(parent), FDQ_1(suite), DataSource1(FDQ_1)
{
    setObjectName(QStringLiteral("KOUSYU_MAS"));
    setWindowTitle(QStringLiteral("工種選択"));
    setFont(pickers::PickerFont());

    FDQ_1.setSql(QStringList{
        QStringLiteral("select BL_KUBUN, BM_KUBUN,BL_KUBUN*100+BM_KUBUN as KOUSYU, NAME01 as NAME_01 "
                       "from MAS_KOUSYU_02"),
        QStringLiteral("order by BL_KUBUN, BM_KUBUN")});

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    BitBtn1 = pickers::Button(Panel1, "BitBtn1", QStringLiteral("OK"), QStyle::SP_DialogOkButton);
    BitBtn2 = pickers::Button(Panel1, "BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    for (QPushButton* b : {BitBtn1, BitBtn2})
        b->setMinimumWidth(130);
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 8, 8, 8);
    top->addStretch(1);
    top->addWidget(BitBtn2);
    top->addWidget(BitBtn1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    QFont listFont = font();
    listFont.setPointSize(ListFontSize);
    DBGrid1->setFont(listFont);
    pickers::SetUpGrid(
        DBGrid1, DataSource1,
        {
            {{}, QStringLiteral("CD"), 60, Qt::AlignRight | Qt::AlignVCenter, &FDQ_1CalcFields},
            {QStringLiteral("NAME_01"), {}, 390, {}, {}},
        });
    // Showing fits the name column to the grid; stretching would undo it.
    DBGrid1->horizontalHeader()->setStretchLastSection(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(DBGrid1, 1);
    resize(500, 600);

    setTabOrder(DBGrid1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(BitBtn1, &QPushButton::clicked, this, &TKOUSYU_MAS::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TKOUSYU_MAS::reject);
    setList(DBGrid1);
    forgetOnDestruction(KOUSYU_MAS);
}

TKOUSYU_MAS::~TKOUSYU_MAS() = default;

void TKOUSYU_MAS::FormShow()
{
    if (!FDQ_1.isOpen())
        FDQ_1.open();
    DBGrid1->setFocus();

    // As tall as the first monitor less twice the button panel, and never
    // reaching below that, which leaves it at the monitor's top.
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    move(x(), monitor.top());
    resize(width(), monitor.height() - 2 * Panel1->height());

    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, DBGrid1);
    DBGrid1->setColumnWidth(1, DBGrid1->contentsRect().width() - DBGrid1->columnWidth(0) -
                                   int(1.32 * scrollBar));
}

QVariant TKOUSYU_MAS::FDQ_1CalcFields(const db::Query& query, int row)
{
    const int k = query.valueAt(row, query.fieldIndex(QStringLiteral("KOUSYU"))).toInt();
    return k % 100 != 0 ? k : k / 100;
}

void TKOUSYU_MAS::BitBtn1Click()
{
    int code = 0;
    QString name;
    int recNo = 0;
    const int row = pickers::CurrentRow(DBGrid1);
    if (row >= 0 && FDQ_1.isOpen()) {
        FDQ_1.moveTo(row);
        code = toIntDef(FDQ_1.field(QStringLiteral("KOUSYU")).asString());
        name = FDQ_1.field(QStringLiteral("NAME_01")).asString();
        recNo = FDQ_1.recNo();
    }
    SelectedTradeTypeMajor = code / 100;
    SelectedTradeTypeMinor = code % 100;
    SelectedTradeTypeName = name;
    SelectedTradeTypeCode = code;
    SelectedTradeTypeRecNo = recNo;
    done(ResultOk);
}

void TKOUSYU_MAS::DBGrid1DblClick()
{
    BitBtn1Click();
}

bool TKOUSYU_MAS::DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta)
{
    return ZoomListFont(DBGrid1, modifiers, delta);
}

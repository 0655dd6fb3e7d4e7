#include "dialogs/KOUZOU_SEL.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "util/Numbers.h"

int SelCode = 0;
QString SelName;
TForm_kouzou_sel* Form_kouzou_sel = nullptr;

bool ZoomListFont(QTableView* list, Qt::KeyboardModifiers modifiers, int delta)
{
    if (!(modifiers & Qt::ControlModifier))
        return false;
    QFont font = list->font();
    const int size = font.pointSize();
    if (delta < 1) {
        if (size > ListFontSize)
            font.setPointSize(size - 1);
    } else if (size < 25) {
        font.setPointSize(size + 1);
    }
    list->setFont(font);
    // Rows as tall as the text, as the list was set up.
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
    return true;
}

TForm_kouzou_sel::TForm_kouzou_sel(db::Connection& suite, QWidget* parent)
    : TPicker(parent), FDQ_1(suite), DataSource1(FDQ_1)
{
    setObjectName(QStringLiteral("Form_kouzou_sel"));
    setWindowTitle(QStringLiteral("参照"));
    setFont(pickers::PickerFont());

    // Every caller gives it its own statement before showing it.
    FDQ_1.setCachedUpdates(true);
    FDQ_1.setSql(QStringList{QStringLiteral("select * from LOOK_MEMO"), QStringLiteral("order by CNT")});

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    QFont listFont = font();
    listFont.setPointSize(ListFontSize);
    DBGrid1->setFont(listFont);
    pickers::SetUpGrid(DBGrid1, DataSource1, {{QStringLiteral("NAME"), {}, 0, {}, {}}});
    DBGrid1->horizontalHeader()->setSectionsClickable(false);
    // Showing gives the column its width; stretching would undo it.
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    // Codes and names are picked, never typed.
    DBGrid1->setAttribute(Qt::WA_InputMethodEnabled, false);
    DBGrid1->setProperty("imeMode", QStringLiteral("off"));

    // The grid covers the whole form; the buttons stay for what clicking them does.
    BitBtn2 = pickers::Button(this, "BitBtn2", QStringLiteral("OK"), QStyle::SP_DialogOkButton);
    BitBtn1 = pickers::Button(this, "BitBtn1", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    for (QWidget* w :
         {static_cast<QWidget*>(BitBtn2), static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(Edit1)}) {
        w->resize(w->sizeHint());
        w->hide();
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(DBGrid1);
    resize(240, 300);

    connect(BitBtn2, &QPushButton::clicked, this, &TForm_kouzou_sel::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_kouzou_sel::reject);
    setList(DBGrid1);
    forgetOnDestruction(Form_kouzou_sel);
}

TForm_kouzou_sel::~TForm_kouzou_sel() = default;

void TForm_kouzou_sel::FormShow()
{
    // Narrower and back: the grid lays itself out afresh for the caller's width.
    resize(width() - 10, height());
    resize(width() + 10, height());
    setAttribute(Qt::WA_InputMethodEnabled, false);

    // Again, so that rows the caller wrote after opening it are listed.
    FDQ_1.close();
    FDQ_1.open();
    DBGrid1->setFocus();
    const int rows = FDQ_1.recordCount();
    FDQ_1.first();

    // One row more than the list holds, for the title row.
    const int rowHeight = int(1.25 * Edit1->height());
    int h = rowHeight * (rows + 1);

    // Beside the main screen: a picker the caller did not place opens near
    // its top left corner, and none hangs below its bottom.
    QRect main;
    if (QWidget* owner = parentWidget())
        main = owner->window()->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        main = screen->availableGeometry();
    // QDialog centres a dialog nobody moved before it shows it; that is not
    // the caller's placement.
    const bool placed = testAttribute(Qt::WA_Moved);
    int top = placed ? y() : 0;
    int left = placed ? x() : 0;
    if (top < 1)
        top = main.top() + 50;
    if (top + h > main.top() + main.height())
        top = main.top() + main.height() - h;
    if (top < 0)
        top = 10;
    if (left < 1)
        left = main.left() + 50;

    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, DBGrid1);
    DBGrid1->setColumnWidth(0, DBGrid1->width() - int(1.1 * scrollBar));

    // A long list stops short of the screen's bottom.
    const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
    const int room = screenHeight - top - 2 * BitBtn1->height();
    if (h + main.top() > room)
        h = room;

    move(left, top);
    resize(width(), h);
}

void TForm_kouzou_sel::BitBtn2Click()
{
    SelCode = 0;
    SelName.clear();
    const int row = pickers::CurrentRow(DBGrid1);
    if (row >= 0 && FDQ_1.isOpen()) {
        FDQ_1.moveTo(row);
        SelCode = toIntDef(FDQ_1.field(QStringLiteral("CD")).asString());
        SelName = FDQ_1.field(QStringLiteral("NAME")).asString();
    }
    done(ResultOk);
}

void TForm_kouzou_sel::DBGrid1DblClick()
{
    BitBtn2Click();
}

bool TForm_kouzou_sel::DBGrid1MouseWheel(Qt::KeyboardModifiers modifiers, int delta)
{
    return ZoomListFont(DBGrid1, modifiers, delta);
}

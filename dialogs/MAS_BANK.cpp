#include "dialogs/MAS_BANK.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "util/Kana.h"
#include "util/Numbers.h"

int SelBankCode = 0;
QString SelBankKana;
QString SelBankName;
TBAN_SEL* BAN_SEL = nullptr;

namespace bankpickers {

void SetUpGrid(QTableView* grid, db::QueryModel& model, const QList<db::QueryModel::Column>& columns)
{
    model.setColumns(columns);
    grid->setModel(&model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the list instead of walking its cells.
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].width > 0)
            grid->setColumnWidth(i, columns[i].width);

    db::Query& query = model.query();
    // The query moved (opened on its first row, or stepped by a caller).
    QObject::connect(&query, &db::Query::currentChanged, grid, [grid, &model](int row) {
        if (row < 0 || row >= model.rowCount() || grid->currentIndex().row() == row)
            return;
        grid->setCurrentIndex(model.index(row, std::max(0, grid->currentIndex().column())));
    });
    // The user moved in the grid.
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [&query](const QModelIndex& current) {
                         if (current.isValid() && query.isOpen() && query.recNo() - 1 != current.row())
                             query.moveTo(current.row());
                     });
}

int CurrentRow(const QTableView* grid)
{
    const QModelIndex current = grid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CentreOnParent(QDialog* dialog)
{
    // Windows are centred by their frames, as the user sees them.
    QRect area;
    if (QWidget* parent = dialog->parentWidget())
        area = parent->window()->frameGeometry();
    else if (QScreen* screen = dialog->screen())
        area = screen->availableGeometry();
    else
        return;
    const QSize outer = dialog->frameGeometry().size();
    dialog->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}

QFont PickerFont()
{
    QFont font(QStringLiteral("ＭＳ 明朝"));
    font.setPixelSize(19);
    return font;
}

bool IsEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString ReadingLike(const QString& column)
{
    // Left to itself the server gives the pattern the column's type and
    // refuses a text longer than a reading ("string right truncation")
    // instead of finding nothing. 8191 characters fit any character set.
    return column + QStringLiteral(" LIKE CAST(:NAME AS VARCHAR(8191))");
}

QString Containing(const QString& text)
{
    return QLatin1Char('%') + NormaliseReading(text) + QLatin1Char('%');
}

void Reopen(db::Query& query, const QStringList& sql, const QVariantMap& params)
{
    query.close();
    query.setSql(sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        query.setParam(it.key(), it.value());
    query.open();
}

} // namespace bankpickers

namespace {

// The bank picker's list: every bank, one bank by its code, or the banks
// whose reading holds the text. The text is bound, never part of the
// statement, so a quote or a percent sign typed into the box cannot break it.
void rebuildBankList(db::Query& query, const QString& text)
{
    QStringList sql{QStringLiteral("select * from MAS_BANK")};
    QVariantMap params;
    if (!text.isEmpty()) {
        if (const int code = toIntDef(text); code > 0) {
            sql << QStringLiteral("where SHGINCODE=:CODE");
            params.insert(QStringLiteral("CODE"), code);
        } else {
            sql << QStringLiteral("where ") + bankpickers::ReadingLike(QStringLiteral("SGINNAME1"));
            params.insert(QStringLiteral("NAME"), bankpickers::Containing(text));
        }
    }
    sql << QStringLiteral("order by SHGINCODE");
    bankpickers::Reopen(query, sql, params);
}

} // namespace

TBAN_SEL::TBAN_SEL(db::Connection& suite, QWidget* parent) : QDialog(parent), FDQ_1(suite), DataSource1(FDQ_1)
{
    setObjectName(QStringLiteral("BAN_SEL"));
    setWindowTitle(QStringLiteral("銀行コード"));
    setFont(bankpickers::PickerFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);

    E_BANK_NAME = new QLineEdit(Panel1);
    E_BANK_NAME->setObjectName(QStringLiteral("E_BANK_NAME"));
    E_BANK_NAME->setPlaceholderText(QStringLiteral("コード または カナ"));
    // Readings are typed in half-width katakana through the input method.
    E_BANK_NAME->setAttribute(Qt::WA_InputMethodEnabled, true);
    E_BANK_NAME->setProperty("imeMode", QStringLiteral("kana"));

    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                              QStringLiteral("キャンセル"), Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn1 =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("ＯＫ"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    // Enter belongs to the search box and the grid; no button takes it as
    // the dialog's default.
    for (QPushButton* b : {BitBtn1, BitBtn2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(130);
    }

    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(8, 8, 8, 8);
    top->addWidget(E_BANK_NAME, 1);
    top->addSpacing(16);
    top->addWidget(BitBtn2);
    top->addWidget(BitBtn1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    bankpickers::SetUpGrid(DBGrid1, DataSource1,
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
    // The form sees every key before its controls, and the grid's double-clicks.
    qApp->installEventFilter(this);
}

TBAN_SEL::~TBAN_SEL()
{
    qApp->removeEventFilter(this);
    // The grid, a child, outlives the members it shows.
    disconnect(&FDQ_1, nullptr, DBGrid1, nullptr);
    DBGrid1->setModel(nullptr);
    if (BAN_SEL == this)
        BAN_SEL = nullptr;
}

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
    rebuildBankList(FDQ_1, E_BANK_NAME->text());
}

bool TBAN_SEL::E_BANK_NAMEKeyPress(int key)
{
    if (!bankpickers::IsEnter(key))
        return false;
    if (!FDQ_1.isEmpty())
        DBGrid1->setFocus();
    return true;
}

bool TBAN_SEL::DBGrid1KeyPress(int key)
{
    if (!bankpickers::IsEnter(key))
        return false;
    BitBtn1Click();
    return true;
}

bool TBAN_SEL::DBGrid1KeyDown(int key)
{
    if (key != Qt::Key_Up || bankpickers::CurrentRow(DBGrid1) > 0)
        return false;
    E_BANK_NAME->setFocus();
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
    const int row = bankpickers::CurrentRow(DBGrid1);
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

void TBAN_SEL::reject()
{
    done(ResultCancel);
}

void TBAN_SEL::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    bankpickers::CentreOnParent(this);
    FormShow();
}

bool TBAN_SEL::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched != DBGrid1->viewport() || mouse->button() != Qt::LeftButton)
            return false;
        // The press before it has made the row current; a double-click
        // arriving alone picks its row the same way.
        if (const QModelIndex at = DBGrid1->indexAt(mouse->position().toPoint()); at.isValid())
            DBGrid1->setCurrentIndex(at);
        DBGrid1DblClick();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (target == E_BANK_NAME)
        return E_BANK_NAMEKeyPress(key);
    if (target == DBGrid1)
        return DBGrid1KeyDown(key) || DBGrid1KeyPress(key);
    // A button with the focus answers Enter, as on the desktop it was designed on.
    if (bankpickers::IsEnter(key) && (target == BitBtn1 || target == BitBtn2)) {
        static_cast<QPushButton*>(target)->click();
        return true;
    }
    return false;
}

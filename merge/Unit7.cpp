#include "merge/Unit7.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "dialogs/Picker.h"
#include "dialogs/TypingLimit.h"
#include "search/trad_sel.h"
#include "util/Numbers.h"

TForm7* Form7 = nullptr;

namespace suppliermerge {
namespace {

// The suite's records that name a supplier, in the order they are re-pointed.
struct Reference
{
    const char* table;
    const char* column;
};
constexpr Reference kReferences[] = {
    {"DAT_SIAGE02", "T_CD_2"},       {"DAT_K_KOUTEI", "T_CD2"},   {"DAT_MITUMORI_M", "S_CD"},
    {"DAT_JIKKOU_MEISAI", "T_CD_2"}, {"DAT_JIKKOU", "T_CD_2"},    {"DAT_HYOUSI_05", "T_CD_2"},
    {"DAT_MEISAI03", "T_CD_2"},      {"DAT_HYOUSI_03", "T_CD_2"}, {"DAT_SATEI03", "T_CD_2"},
};

enum class Found { Missing, Deleted, Live };

Found lookUp(db::Connection& suite, int code)
{
    db::Query q(suite);
    q.setSql(QStringLiteral("select E_DATE04 from MAS_SIIRE where T_CD=:CD"));
    q.setParam(QStringLiteral("CD"), code);
    q.open();
    if (q.isEmpty())
        return Found::Missing;
    return q.field(QStringLiteral("E_DATE04")).isNull() ? Found::Live : Found::Deleted;
}

// A supplier code as a box holds it; 0 when it holds none.
int codeIn(const QString& text)
{
    return toIntDef(text.trimmed());
}

} // namespace

QString MergeProblem(db::Connection& suite, const QString& upperText, const QString& lowerText)
{
    const struct
    {
        QString row;
        QString text;
    } boxes[] = {{QStringLiteral("上段"), upperText}, {QStringLiteral("下段"), lowerText}};
    for (const auto& box : boxes) {
        if (box.text.trimmed().isEmpty())
            return box.row + QStringLiteral("の仕入先CDを入力してください。");
        // Code 0 is never a supplier.
        if (codeIn(box.text) < 1)
            return box.row + QStringLiteral("の仕入先CD「%1」は仕入先のコードではありません。").arg(box.text);
    }
    const int upper = codeIn(upperText);
    const int lower = codeIn(lowerText);
    if (upper == lower)
        return QStringLiteral("上段と下段が同じ仕入先CD %1 です。別の業者を指定してください。").arg(upper);
    // The upper supplier keeps the data, so it must be one in use; a lower
    // one deleted earlier may still have data to hand over.
    switch (lookUp(suite, upper)) {
    case Found::Missing:
        return QStringLiteral("上段の仕入先CD %1 の業者は登録されていません。").arg(upper);
    case Found::Deleted:
        return QStringLiteral("上段の仕入先CD %1 の業者は削除されています。").arg(upper);
    case Found::Live:
        break;
    }
    if (lookUp(suite, lower) == Found::Missing)
        return QStringLiteral("下段の仕入先CD %1 の業者は登録されていません。").arg(lower);
    return {};
}

void MergeSuppliers(db::Connection& suite, int upper, int lower, const QDate& today)
{
    db::TransactionGuard transaction(suite);
    db::Query q(suite);
    for (const Reference& r : kReferences) {
        const QString table = QLatin1String(r.table);
        const QString column = QLatin1String(r.column);
        q.setSql(QStringLiteral("UPDATE %1 set %2=:UPPER where %2=:LOWER").arg(table, column));
        q.setParam(QStringLiteral("UPPER"), upper);
        q.setParam(QStringLiteral("LOWER"), lower);
        q.execute();
    }
    q.setSql(QStringList{QStringLiteral("UPDATE MAS_SIIRE set e_date04=:TODAY"),
                         QStringLiteral("where T_CD=:LOWER")});
    q.setParam(QStringLiteral("TODAY"), today);
    q.setParam(QStringLiteral("LOWER"), lower);
    q.execute();
    q.close();
    transaction.commit();
}

} // namespace suppliermerge

TForm7::TForm7(db::Connection& suite, QWidget* parent) : QDialog(parent), m_suite(suite)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("マスター統合"));
    setFont(pickers::PickerFont());

    const QString hint =
        QStringLiteral("空白Ｅｎｔｅｒキーを押すかダブルクリックで業者選択ウィンドウからセットします。");
    const auto codeBox = [&](const QString& name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(name);
        box->setToolTip(hint);
        box->setMaximumWidth(110);
        // Codes are typed without the input method.
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->setProperty("imeMode", QStringLiteral("off"));
        box->installEventFilter(this);
        return box;
    };
    const auto nameBox = [&](const QString& name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(name);
        LimitTyping(box, 40); // a picked name shows whole, as long as it is
        // Filled by picking; Tab goes from code box to code box.
        box->setFocusPolicy(Qt::ClickFocus);
        QPalette p = box->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Window));
        box->setPalette(p);
        return box;
    };
    E_G_CD1 = codeBox(QStringLiteral("E_G_CD1"));
    E_G_NAME1 = nameBox(QStringLiteral("E_G_NAME1"));
    E_G_CD2 = codeBox(QStringLiteral("E_G_CD2"));
    E_G_NAME2 = nameBox(QStringLiteral("E_G_NAME2"));

    BitBtn1 = pickers::Button(this, "BitBtn1", QStringLiteral("OK"), QStyle::SP_DialogOkButton);
    BitBtn2 = pickers::Button(this, "BitBtn2", QStringLiteral("キャンセル"), QStyle::SP_DialogCancelButton);
    for (QPushButton* b : {BitBtn1, BitBtn2})
        b->setMinimumWidth(120);

    auto* help1 = new QLabel(QStringLiteral("上段の業者に下段の業者を統合します。"), this);
    auto* help2 = new QLabel(QStringLiteral("発注･仕入・支払データーの業者を1つにまとめます。"), this);
    auto* rows = new QGridLayout;
    rows->addWidget(new QLabel(QStringLiteral("仕入先CD"), this), 0, 0);
    rows->addWidget(E_G_CD1, 0, 1);
    rows->addWidget(E_G_NAME1, 0, 2);
    rows->addWidget(new QLabel(QStringLiteral("仕入先CD"), this), 1, 0);
    rows->addWidget(E_G_CD2, 1, 1);
    rows->addWidget(E_G_NAME2, 1, 2);
    rows->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help2, 1);
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->addWidget(help1);
    layout->addLayout(rows);
    layout->addLayout(buttons);
    resize(615, 163);

    setTabOrder(E_G_CD1, E_G_CD2);
    setTabOrder(E_G_CD2, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm7::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm7::reject);
}

TForm7::~TForm7()
{
    if (Form7 == this)
        Form7 = nullptr;
}

QWidget* TForm7::mainForm() const
{
    return parentWidget() ? parentWidget()->window() : nullptr;
}

void TForm7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QWidget* main = mainForm()) {
        const QRect area = main->frameGeometry();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
    E_G_CD1->setFocus();
}

void TForm7::pick(QLineEdit* code, QLineEdit* name)
{
    if (!trad_sen2)
        return;
    if (QWidget* main = mainForm())
        trad_sen2->move(main->pos() + QPoint(100, 100));
    if (modal::exec(*trad_sen2) != TPicker::ResultOk)
        return;
    code->setText(SelectedSupplierCode);
    name->setText(SelectedSupplierName);
}

bool TForm7::quickPick(QLineEdit* code, QLineEdit* name, int key)
{
    if (!pickers::IsEnter(key))
        return false;
    if (!name->text().isEmpty() || !trad_sen2)
        return true;
    if (QWidget* main = mainForm())
        trad_sen2->move(main->pos() + QPoint(100, 100));
    trad_sen2->Edit1->setText(code->text());
    try {
        trad_sen2->Button1Click();
    } catch (const std::exception&) {
        // Showing the list searches again and reports what failed.
    }
    db::Query& found = trad_sen2->FDQ_1;
    if (found.isOpen() && !found.allFetched() && found.fetchedCount() < 2)
        found.fetchMore(2);
    if (found.isOpen() && found.allFetched() && found.fetchedCount() == 1) {
        // One supplier: taken as if chosen in the list, which is not shown.
        trad_sen2->BitBtn2Click();
        found.close();
        code->setText(SelectedSupplierCode);
        name->setText(SelectedSupplierName);
        return true;
    }
    pick(code, name);
    return true;
}

void TForm7::E_G_CD1DblClick()
{
    pick(E_G_CD1, E_G_NAME1);
}

void TForm7::E_G_CD2DblClick()
{
    pick(E_G_CD2, E_G_NAME2);
}

bool TForm7::E_G_CD1KeyPress(int key)
{
    return quickPick(E_G_CD1, E_G_NAME1, key);
}

bool TForm7::E_G_CD2KeyPress(int key)
{
    return quickPick(E_G_CD2, E_G_NAME2, key);
}

void TForm7::BitBtn1Click()
{
    using namespace suppliermerge;
    try {
        if (const QString problem = MergeProblem(m_suite, E_G_CD1->text(), E_G_CD2->text());
            !problem.isEmpty()) {
            // Nothing was changed; the form stays for the clerk to correct the codes.
            ShowMessageDialog(MessageNotice, problem, mainForm());
            return;
        }
    } catch (const db::Error&) {
        ShowError(std::current_exception(), ErrorBox::Plain, QStringLiteral("エラー: %1"));
        return;
    }
    if (ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("業者を統合しますか？"), mainForm()) != 1) {
        done(ResultOk);
        return;
    }
    try {
        MergeSuppliers(m_suite, toIntDef(E_G_CD1->text().trimmed()), toIntDef(E_G_CD2->text().trimmed()),
                       QDate::currentDate());
    } catch (const db::Error&) {
        ShowError(std::current_exception(), ErrorBox::Plain, QStringLiteral("エラー: %1"));
    }
    done(ResultOk);
}

void TForm7::reject()
{
    done(ResultCancel);
}

bool TForm7::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == E_G_CD1 || watched == E_G_CD2) {
        const bool upper = watched == E_G_CD1;
        if (event->type() == QEvent::MouseButtonDblClick) {
            upper ? E_G_CD1DblClick() : E_G_CD2DblClick();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            return upper ? E_G_CD1KeyPress(key) : E_G_CD2KeyPress(key);
        }
    }
    return QDialog::eventFilter(watched, event);
}

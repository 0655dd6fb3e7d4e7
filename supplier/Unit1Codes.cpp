// The coded fields of the main screen: tax kind, tax rounding, account
// subject, trade type, payment kind, billing kind and amount rounding. Each
// code box shows the name of its code in the drop-down beside it, checks a
// typed code on Enter, offers the code picker on Enter and double-click, and
// its drop-down lists every name. The postal-code box fills the address, and
// three labels start sibling programs of the suite.

#include "supplier/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QToolButton>

#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/DropDownBox.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/Modal.h"
#include "dialogs/Picker.h"
#include "dialogs/ZIP_SEL.h"
#include "suite/SuiteLink.h"
#include "suite/Unit2.h"
#include "util/Numbers.h"

namespace {

const QString kTrades =
    QStringLiteral("SELECT BL_KUBUN*100+BM_KUBUN as CD,NAME01 as NAME from MAS_KOUSYU_02");
const QString kTradeOrder = QStringLiteral("order by BL_KUBUN,BM_KUBUN");

// The rows the screen keeps in its lookup tables.
struct FixedRows
{
    QString table;
    QList<std::pair<int, const char*>> rows;
};

const FixedRows kTaxKinds{QStringLiteral("LOOK_TAX_KUBUN"),
                          {{0, "外税"}, {1, "内税"}, {2, "非課税"}, {3, "免税"}}};
const FixedRows kRoundings{QStringLiteral("LOOK_HASUU"), {{0, "切捨て"}, {1, "切上げ"}, {2, "四捨五入"}}};
const FixedRows kSubjects{
    QStringLiteral("LOOK_KAMOKU"),
    {{101, "材料費"}, {201, "労務費"}, {301, "外注費"}, {401, "経費"}, {501, "その他"}}};
const FixedRows kPayments{QStringLiteral("LOOK_SIHARAI"), {{0, "振込み"}, {1, "手形"}, {2, "集金"}}};
const FixedRows kBillings{QStringLiteral("LOOK_SEIKYUU"),
                          {{0, "工事工種毎"}, {1, "工事毎"}, {2, "請求一括"}}};

// Writes the fixed rows, after emptying the table when asked to, all or
// nothing: a table is never left with half of them.
void writeFixedRows(const FixedRows& fixed, bool replace)
{
    db::Connection& suite = DM2->FDConnection1;
    db::TransactionGuard transaction(suite);
    db::Query& q = DM2->FDQ_VORNALIX;
    if (replace) {
        q.clearSql();
        q.addSql(fixed.table == QLatin1String("LOOK_TAX_KUBUN")
                     ? QStringLiteral("DELETE FROM LOOK_TAX_KUBUN")
                     : QStringLiteral("Delete from ") + fixed.table);
        q.execute();
    }
    for (const auto& [code, name] : fixed.rows) {
        q.clearSql();
        q.setSql(QStringList{QStringLiteral("INSERT INTO ") + fixed.table, QStringLiteral("(CD,NAME)"),
                             QStringLiteral("values"), QStringLiteral("(:CD,:NAME)")});
        q.setParam(QStringLiteral("CD"), code);
        q.setParam(QStringLiteral("NAME"), QString::fromUtf8(name));
        q.execute();
    }
    transaction.commit();
}

// The code as the statements compare it: a whole number, or null, which
// matches nothing (a letter in a code box finds no row instead of failing).
QVariant codeValue(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral(R"(^\s*[-+]?\d{1,9}\s*$)"));
    return digits.match(text).hasMatch() ? QVariant(text.trimmed().toInt()) : QVariant();
}

QString trimRight(QString text)
{
    // At most 60 trailing blanks, as the postal rows are padded.
    for (int i = 0; i < 60 && text.endsWith(u' '); ++i)
        text.chop(1);
    return text;
}

} // namespace

void TForm1::buildCodedFields()
{
    const QString taxes = QStringLiteral("SELECT * from LOOK_TAX_KUBUN");
    const QString roundings = QStringLiteral("SELECT * from LOOK_HASUU");
    const QString subjects = QStringLiteral("SELECT CD,NAME from LOOK_KAMOKU");
    const QString payments = QStringLiteral("SELECT * from LOOK_SIHARAI");
    const QString billings = QStringLiteral("SELECT * from LOOK_SEIKYUU");
    const QString byCode = QStringLiteral("WHERE CD=:CODE");
    const QString byName = QStringLiteral("where NAME=:NAME");
    auto width = [](QWidget* w, double factor = 1.0) {
        return [w, factor] {
            return int(w->width() * factor);
        };
    };
    // A field whose lookups all read one table as it stands.
    auto plainField = [&](QLineEdit* box, QComboBox* names, const QString& table, QWidget* pickerWidth) {
        CodedField f;
        f.box = box;
        f.names = names;
        f.nameSql = {table, byCode};
        f.checkSql = f.enterList = f.clickList = f.fillSql = {table};
        f.checkWhere = byCode;
        f.pickSql = {table, byName};
        f.clickWidth = f.enterWidth = width(pickerWidth);
        return f;
    };

    m_codes.insert(BAN_10, plainField(BAN_10, C_BOX_10, taxes, C_BOX_10));

    CodedField taxRounding = plainField(BAN_11, C_BOX_11, roundings, C_BOX_11);
    taxRounding.checkTail = QStringLiteral("order by CD");
    m_codes.insert(BAN_11, taxRounding);

    CodedField amountRounding = plainField(BAN_21, C_BOX_21, roundings, C_BOX_11);
    amountRounding.keepsFocusHandler = false;
    m_codes.insert(BAN_21, amountRounding);

    const QString subjectsByCode = subjects + QStringLiteral(" order by CD");
    CodedField subject = plainField(BAN_12, C_BOX_12, subjects, C_BOX_10);
    subject.nameSql = {subjects + QStringLiteral(" Where CD=:CODE")};
    subject.nameByNumber = subject.checkNeedsNumber = true;
    subject.enterList = subject.clickList = subject.fillSql = {subjectsByCode};
    subject.clickWidth = width(C_BOX_10, 1.5);
    subject.nameFollowsCode = subject.capDropDown = true;
    m_codes.insert(BAN_12, subject);

    CodedField trade = plainField(BAN_13, C_BOX_13, kTrades, C_BOX_13);
    trade.nameSql = {kTrades, QStringLiteral("where BL_KUBUN*100+BM_KUBUN=:CODE")};
    trade.nameByNumber = trade.checkNeedsNumber = true;
    trade.checkWhere = QStringLiteral("WHERE BL_KUBUN*100+BM_KUBUN=:CODE");
    trade.checkTail = kTradeOrder;
    trade.enterList = trade.clickList = trade.fillSql = {kTrades, kTradeOrder};
    trade.pickSql = {kTrades, QStringLiteral("where NAME01=:NAME"), kTradeOrder};
    trade.clickWidth = width(C_BOX_13, 2.0);
    trade.capDropDown = true;
    m_codes.insert(BAN_13, trade);

    CodedField payment = plainField(BAN_14, C_BOX_14, payments, C_BOX_14);
    payment.nameSql = {payments + QStringLiteral(" where CD=:CODE")};
    payment.nameByNumber = true;
    payment.enterWidth = width(C_BOX_12);
    m_codes.insert(BAN_14, payment);

    CodedField billing = plainField(BAN_20, C_BOX_20, billings, C_BOX_13);
    billing.nameSql = {QStringLiteral("SELECT CD,NAME from LOOK_SEIKYUU"), QStringLiteral("where CD=:CODE")};
    billing.nameByNumber = true;
    billing.clickList = {QStringLiteral("SELECT CD,NAME from LOOK_SEIKYUU"), QStringLiteral("order by CD")};
    m_codes.insert(BAN_20, billing);

    for (auto it = m_codes.cbegin(); it != m_codes.cend(); ++it) {
        QLineEdit* box = it.key();
        QComboBox* names = it->names;
        connect(box, &QLineEdit::textChanged, this, [this, box] { CodeChange(box); });
        m_onKeyPress.insert(box, [this, box](int key) { return CodeKeyPress(box, key); });
        m_onDoubleClick.insert(box, [this, box] { CodeDblClick(box); });
        static_cast<DropDownBox*>(names)->onDropDown = [this, box] {
            NamesDropDown(box);
        };
        connect(names, &QComboBox::activated, this, [this, box](int index) { NamePicked(box, index); });
    }
    m_onKeyPress.insert(ED_08, [this](int key) { return ED_08KeyPress(key); });
    m_onDoubleClick.insert(ED_08, [this] { ED_08DblClick(); });
    m_onDoubleClick.insert(Label18, [this] { Label18DblClick(); });
    m_onDoubleClick.insert(Label20, [this] { Label20DblClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
}

void TForm1::CodeChange(QLineEdit* box)
{
    const CodedField& f = m_codes[box];
    if (box->text().isEmpty()) {
        f.names->setEditText(QString());
        return;
    }
    const QVariant code = f.nameByNumber ? QVariant(toIntDef(box->text())) : codeValue(box->text());
    db::Query& q = Form_kouzou_sel->FDQ_1;
    pickers::Reopen(q, f.nameSql, {{QStringLiteral("CODE"), code}});
    f.names->setEditText(q.field(QStringLiteral("NAME")).asString());
    q.close();
    if (box == BAN_10)
        InvoiceRule();
}

void TForm1::InvoiceRule()
{
    // Tax kind 3 (免税) goes with a supplier not registered for invoices.
    if (BAN_10->text() == QLatin1String("3")) {
        CheckBox1->setChecked(true);
        C_BOX_10->setEditText(QStringLiteral("免税"));
    } else {
        CheckBox1->setChecked(false);
    }
}

void TForm1::MaintainFixedRows(QLineEdit* box, Trigger trigger, int count)
{
    const bool empty = box->text().isEmpty();
    if (box == BAN_10) {
        if (trigger != Trigger::Enter || (!empty && count == 0))
            writeFixedRows(kTaxKinds, true);
    } else if (box == BAN_11) {
        if (trigger == Trigger::DropDown
                ? count == 0
                : (trigger == Trigger::DoubleClick || !empty) && (count == 0 || count > 3))
            writeFixedRows(kRoundings, trigger != Trigger::DropDown);
    } else if (box == BAN_21) {
        if ((trigger == Trigger::DropDown || (trigger == Trigger::Enter && !empty)) && count == 0)
            writeFixedRows(kRoundings, false);
    } else if (box == BAN_12) {
        if (trigger == Trigger::DropDown && count == 0)
            writeFixedRows(kSubjects, false);
    } else if (box == BAN_14) {
        if (trigger == Trigger::DoubleClick && count == 0)
            writeFixedRows(kPayments, false);
    } else if (box == BAN_20) {
        if (trigger == Trigger::DoubleClick && count == 0)
            writeFixedRows(kBillings, false);
    }
}

void TForm1::PlacePicker(QLineEdit* box, int width)
{
    // Just left of the code box, level with it.
    const QPoint at = box->mapToGlobal(QPoint(0, 0));
    Form_kouzou_sel->setGeometry(at.x() - width, at.y(), width, Form_kouzou_sel->height());
}

bool TForm1::CodeKeyPress(QLineEdit* box, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    const CodedField& f = m_codes[box];
    db::Query& q = Form_kouzou_sel->FDQ_1;
    // The account subject's lookups may fail harmlessly: the handler goes on.
    const bool quiet = box == BAN_12;
    try {
        QStringList check = f.checkSql;
        QVariantMap params;
        const QString text = box->text();
        if (f.checkNeedsNumber ? toIntDef(text) > 0 : !text.isEmpty()) {
            check << f.checkWhere;
            params.insert(QStringLiteral("CODE"), codeValue(text));
        } else if (box == BAN_12) {
            check << QStringLiteral(" order by CD");
        }
        if (!f.checkTail.isEmpty())
            check << f.checkTail;
        pickers::Reopen(q, check, params);
        const int count = q.recordCount();
        MaintainFixedRows(box, Trigger::Enter, count);
        bool taken = false;
        if (count == 1) {
            box->setText(q.field(QStringLiteral("CD")).asString());
            if (!f.nameFollowsCode)
                f.names->setEditText(q.field(QStringLiteral("NAME")).asString());
            taken = true;
        } else {
            PlacePicker(box, f.enterWidth());
            pickers::Reopen(q, f.enterList);
            if (modal::exec(*Form_kouzou_sel) == 1) {
                box->setText(QString::number(SelCode));
                if (!f.nameFollowsCode)
                    f.names->setEditText(SelName);
                taken = true;
            }
        }
        // Only a kind found or picked decides the invoice box: a cancelled
        // pick must not untick a loaded supplier's flag.
        if (taken && box == BAN_10)
            InvoiceRule();
    } catch (const std::exception&) {
        if (!quiet)
            throw;
    }
    if (f.keepsFocusHandler) {
        InstallFocusHandler();
        LastFocused = box;
    }
    Find_jump(true);
    return true;
}

void TForm1::CodeDblClick(QLineEdit* box)
{
    const CodedField& f = m_codes[box];
    db::Query& q = Form_kouzou_sel->FDQ_1;
    try {
        PlacePicker(box, f.clickWidth());
        pickers::Reopen(q, f.clickList);
        MaintainFixedRows(box, Trigger::DoubleClick, q.recordCount());
        if (modal::exec(*Form_kouzou_sel) == 1) { // the picker reads its list again when shown
            box->setText(QString::number(SelCode));
            f.names->setEditText(SelName);
        }
    } catch (const std::exception&) {
        if (box != BAN_12)
            throw;
    }
    if (f.keepsFocusHandler) {
        InstallFocusHandler();
        LastFocused = box;
    }
}

void TForm1::NamesDropDown(QLineEdit* box)
{
    const CodedField& f = m_codes[box];
    db::Query& q = Form_kouzou_sel->FDQ_1;
    f.names->clear();
    pickers::Reopen(q, f.fillSql);
    const int before = q.recordCount();
    MaintainFixedRows(box, Trigger::DropDown, before);
    pickers::Reopen(q, f.fillSql);
    QStringList items;
    for (; !q.eof(); q.next())
        items << q.field(QStringLiteral("NAME")).asString();
    const QString current = f.names->currentText();
    f.names->addItems(items);
    f.names->setEditText(current);
    const int n = int(items.size());
    f.names->setMaxVisibleItems(f.capDropDown && n > 31 ? 30 : std::max(1, n));
    q.close();
}

void TForm1::NamePicked(QLineEdit* box, int index)
{
    const CodedField& f = m_codes[box];
    db::Query& q = Form_kouzou_sel->FDQ_1;
    // The picked item's own name, not the box's text: the pick sets its own code.
    const QString name =
        index >= 0 && index < f.names->count() ? f.names->itemText(index) : f.names->currentText();
    if (!name.isEmpty()) {
        pickers::Reopen(q, f.pickSql, {{QStringLiteral("NAME"), name}});
        // A name that no longer exists empties the code, and with it the name.
        box->setText(q.field(QStringLiteral("CD")).asString());
    }
    q.close();
    box->setFocus();
    focus_move();
}

// ---------------------------------------------------------------------------
// The postal code fills the address.

void TForm1::TakePostalResults()
{
    ED_08->setText(SelZip);
    ED_09->setText(SelKen + SelTiku1 + SelTiku2);
}

bool TForm1::ED_08KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    Form_ZIP->Edit2->setText(ED_08->text());
    if (ED_09->text().isEmpty()) {
        const QPoint at = ED_08->mapToGlobal(QPoint(100, 0));
        Form_ZIP->move(at);
        db::Query& q = Form_ZIP->FDQ_1;
        QStringList sql{QStringLiteral("select * from LOOK_ZIP")};
        QVariantMap params;
        if (!ED_08->text().isEmpty()) {
            // Compared as text, so the code's index finds it and a stray
            // letter finds nothing instead of failing.
            sql << QStringLiteral("Where ZIP_CD=:ZIP");
            params.insert(QStringLiteral("ZIP"), QString(ED_08->text()).remove(u'-'));
        }
        pickers::Reopen(q, sql, params);
        if (q.recordCount() == 1) {
            const QString zip = q.field(QStringLiteral("ZIP_CD")).asString();
            SelZip = zip.left(3) + u'-' + zip.mid(3);
            SelKen = trimRight(q.field(QStringLiteral("KEN_NAME")).asString());
            SelTiku1 = trimRight(q.field(QStringLiteral("TIKU_NAME1")).asString());
            SelTiku2 = trimRight(q.field(QStringLiteral("TIKU_NAME2")).asString());
            TakePostalResults();
        } else if (modal::exec(*Form_ZIP) == 1) {
            TakePostalResults();
        }
        q.close();
    }
    InstallFocusHandler();
    LastFocused = ED_08;
    Find_jump(true);
    ED_09->end(false);
    return true;
}

void TForm1::ED_08DblClick()
{
    activateWindow();
    QCoreApplication::processEvents();
    const QPoint pointer = QCursor::pos();
    Form_ZIP->move(pointer.x() + 100 - Form_ZIP->width(), pointer.y() - 40);
    pickers::Reopen(Form_ZIP->FDQ_1, {QStringLiteral("select * from LOOK_ZIP")});
    if (modal::exec(*Form_ZIP) == 1) {
        TakePostalResults();
        ED_09->setFocus();
        ED_09->end(false);
    }
    InstallFocusHandler();
    LastFocused = ED_08;
}

// ---------------------------------------------------------------------------
// Sibling programs of the suite, copied from the suite's program folder when
// one is set and started without waiting; a missing one is ignored.

void TForm1::StartSibling(const QString& program)
{
    if (const QString source = SuiteProgramFile(ExePath, program);
        !source.isEmpty() && QFile::exists(source)) {
        QFile::remove(program);
        QFile::copy(source, program);
    }
    QProcess::startDetached(QDir::current().absoluteFilePath(program), {});
}

void TForm1::Label18DblClick()
{
    StartSibling(QStringLiteral("VELDRUN_7"));
}

void TForm1::Label20DblClick()
{
    StartSibling(QStringLiteral("VELDRUN_MNT"));
}

void TForm1::SpeedButton1Click()
{
    StartSibling(QStringLiteral("VELDRUN_BANKEDIT"));
}

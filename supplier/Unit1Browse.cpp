// The main screen's supplier on screen: loading one by its code, stepping to
// the previous or next live supplier, clearing the screen for a new one, and
// the bank and branch code boxes.

#include "supplier/Unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "db/Query.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "search/trad_sel.h"
#include "suite/Unit2.h"
#include "util/DateFields.h"
#include "util/Numbers.h"

void TForm1::ShowSupplier(db::Query& q)
{
    auto text = [&q](const char* column) {
        return q.field(QLatin1String(column)).asString();
    };
    auto number = [&q](const char* column) {
        return toIntDef(q.field(QLatin1String(column)).asString());
    };

    // In this order: setting a code box fires its own lookups.
    if (const QString bank = text("GINKOU_CD"); !bank.isEmpty())
        E_CD_1->setText(QString(bank).remove(u' '));
    if (const QString branch = text("GINKOU_S_CD"); !branch.isEmpty())
        E_CD_2->setText(QString(branch).remove(u' '));
    E_GINKOU_1->setText(text("GINKOU_NAME"));
    if (const int kind = number("GINKOU_KOUZA_CD"); kind > 0)
        E_CD_3->setText(QString::number(kind));
    E_GINKOU_2->setText(text("GINKOU_S_NAME"));
    E_GINKOU_3->setText(text("GINKOU_KOUZA_BANGOU"));
    E_GINKOU_4->setText(text("GINKOU_KOUZA_KANA"));
    E_MAILE->setText(text("E_MAILE"));
    E_RYAKU->setText(text("T_NAME03"));
    const std::pair<QLineEdit*, const char*> names[] = {
        {ED_01, "T_KEY"},    {ED_02_1, "T_NAME01"}, {ED_02_2, "T_NAME02"}, {ED_03, "T_DAIHYOU"},
        {ED_04, "T_BUSYO"},  {ED_05, "T_TANTOU"},   {ED_06, "T_TEL"},      {ED_07, "T_FAX"},
        {ED_08, "T_ZIP_CD"}, {ED_09, "T_ADD_1"},    {ED_10, "T_ADD_2"},
    };
    for (const auto& [box, column] : names)
        box->setText(text(column));
    ComboBox1->setEditText(number("KU_UKEOI") > 0 ? QStringLiteral("個人") : QStringLiteral("法人・団体"));
    const std::pair<QLineEdit*, const char*> codes[] = {
        {BAN_08, "KU_SIME"},   {BAN_09, "KU_HARAI"},  {BAN_10, "KU_TAX"},    {BAN_11, "KU_TAX_K"},
        {BAN_12, "KU_KAMOKU"}, {BAN_13, "KU_KOUSYU"}, {BAN_14, "KU_KAISYU"}, {BAN_20, "KU_SEIKYU"},
        {BAN_21, "KU_KIN_K"},  {BAN_15, "KIN_02"},    {BAN_16, "KIN_X1"},    {BAN_17, "KIN_X2"},
        {BAN_18, "KIN_X0"},    {ED_11, "KIN_01"},     {ED_12, "BIKOU_01"},   {ED_13, "BIKOU_02"},
        {ED_14, "KIN_03"},
    };
    for (const auto& [box, column] : codes)
        box->setText(text(column));
    // After the tax kind, whose own rule may have ticked or unticked it.
    CheckBox1->setChecked(number("IB_KBN") >= 1);
    E_INBOICE->setText(text("INBOICE"));
    ShowDateInFields(*NEN05, *TUKI05, *HI05, q.field(QStringLiteral("E_DATE01")).asDateTime());
    ShowDateInFields(*NEN06, *TUKI06, *HI06, q.field(QStringLiteral("E_DATE02")).asDateTime());
}

void TForm1::Button1Click()
{
    // Every select reads in a transaction of its own, so the row comes as
    // committed now, also by other workstations: no reconnection needed.
    db::Query& q = DM2->FDQ_VORNALIX;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("Select * from MAS_SIIRE where T_CD=%1").arg(toIntDef(BAN_01->text())));
    q.open();
    if (!q.isEmpty())
        ShowSupplier(q); // deleted or not: a load by code shows the row
    q.close();
}

void TForm1::Browse(const QStringList& statement)
{
    db::Query& q = DM2->FDQ_VORNALIX;
    q.close();
    q.clearSql();
    for (const QString& line : statement)
        q.addSql(line);
    q.open();
    if (q.isEmpty()) {
        q.close();
        return; // past the first or last live supplier: nothing happens
    }
    SelectedSupplierCode = QString::number(q.field(QStringLiteral("T_CD")).asInteger());
    ClearEditFields(this);
    BAN_01->setText(SelectedSupplierCode);
    Button1->click();
    q.close();
}

void TForm1::SB06Click()
{
    KeepOnScreen();
    const int c = toIntDef(BAN_01->text());
    if (c < 1) {
        Browse({QStringLiteral("Select * from MAS_SIIRE where E_DATE04 is null order by T_CD desc")});
        return;
    }
    Browse({QStringLiteral("Select * from MAS_SIIRE where T_CD<='%1'").arg(c - 1),
            QStringLiteral("and E_DATE04 is null"), QStringLiteral("order by T_CD desc")});
}

void TForm1::SB07Click()
{
    KeepOnScreen();
    const int c = toIntDef(BAN_01->text());
    Browse({QStringLiteral("Select * from MAS_SIIRE where T_CD>='%1'").arg(c + 1),
            QStringLiteral("and E_DATE04 is null"), QStringLiteral("order by T_CD")});
}

void TForm1::SB08Click()
{
    KeepOnScreen();
    if (ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("入力画面を初期化しますか？"), this) == 1) {
        // Every box, the name drop-downs included: the screen holds a new supplier.
        for (QLineEdit* e : PlainEditsOf(this))
            e->clear();
        for (QComboBox* c : Panel1->findChildren<QComboBox*>())
            c->setEditText(QString());
        CheckBox1->setChecked(false);
        ED_01->setFocus();
    }
    InstallFocusHandler();
    FocusChain({BAN_01, ED_02_1, ED_01});
}

void TForm1::BAN_01Exit()
{
    if (toIntDef(BAN_01->text()) > 0 && ED_02_1->text().isEmpty())
        Button1->click();
}

void TForm1::E_CD_1Change()
{
    if (!E_CD_1->text().isEmpty())
        return;
    SelBankKana.clear();
    SelBankName.clear();
    SelBankCode = 0;
    E_GINKOU_1->clear();
    E_GINKOU_2->clear(); // the branch code stays
}

void TForm1::E_CD_2Change()
{
    if (E_CD_2->text().isEmpty())
        E_GINKOU_2->clear();
}

void TForm1::pickBank()
{
    if (modal::exec(*BAN_SEL) == 1) {
        E_CD_1->setText(QString::number(SelBankCode));
        E_GINKOU_1->setText(SelBankKana);
    }
}

void TForm1::pickBranch()
{
    if (modal::exec(*BANK_S_SELL) == 1) {
        E_CD_2->setText(QString::number(SelBranchCode));
        E_GINKOU_2->setText(SelBranchKana);
    }
}

// Enter in a bank or branch code box is done: a 0 left in it goes, and the
// focus moves on.
void TForm1::enteredBankCode(QLineEdit* box)
{
    if (box->text() == QLatin1String("0"))
        box->clear();
    InstallFocusHandler();
    LastFocused = box;
    Find_jump(true);
}

void TForm1::E_CD_1DblClick()
{
    pickBank();
    InstallFocusHandler();
    LastFocused = E_CD_1;
}

bool TForm1::E_CD_1KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (E_GINKOU_1->text().isEmpty()) {
        // A code finds its bank at once; anything else (a reading in
        // half-width katakana, say) opens the picker searching for it.
        BAN_SEL->E_BANK_NAME->setText(E_CD_1->text());
        db::Query& q = BAN_SEL->FDQ_1;
        q.close();
        q.setSql(QStringLiteral("select * from MAS_BANK where SHGINCODE=%1").arg(toIntDef(E_CD_1->text())));
        q.open();
        if (q.recordCount() != 1) {
            pickBank();
        } else {
            SelBankKana = q.field(QStringLiteral("SGINNAME1")).asString();
            SelBankName = q.field(QStringLiteral("SGINNAME2")).asString();
            SelBankCode = toIntDef(q.field(QStringLiteral("SHGINCODE")).asString());
            E_CD_1->setText(q.field(QStringLiteral("SHGINCODE")).asString());
            E_GINKOU_1->setText(SelBankKana);
        }
        q.close();
    }
    enteredBankCode(E_CD_1);
    return true;
}

void TForm1::E_CD_2DblClick()
{
    if (const int bank = toIntDef(E_CD_1->text()); bank > 0)
        SelBankCode = bank;
    BANK_S_SELL->E_CD_1->setText(E_CD_1->text());
    BANK_S_SELL->E_GINKOU_1->setText(SelBankKana);
    pickBranch();
    InstallFocusHandler();
    LastFocused = E_CD_2;
}

bool TForm1::E_CD_2KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (E_GINKOU_2->text().isEmpty()) {
        BANK_S_SELL->E_CD_1->setText(E_CD_1->text());
        BANK_S_SELL->E_GINKOU_1->setText(E_GINKOU_1->text());
        BANK_S_SELL->Edit1->setText(E_CD_2->text());
        // The picker searches on every change; search once more so that its
        // list answers these boxes even when none of them changed.
        BANK_S_SELL->E_CD_1Change();
        db::Query& q = BANK_S_SELL->FDQ_1;
        if (q.recordCount() != 1) {
            pickBranch();
        } else {
            SelBranchKana = q.field(QStringLiteral("SSTNNAME1")).asString();
            SelBranchCode = toIntDef(q.field(QStringLiteral("SHSTNCODE")).asString());
            E_CD_2->setText(QString::number(SelBranchCode));
            E_GINKOU_2->setText(SelBranchKana);
        }
    }
    enteredBankCode(E_CD_2);
    return true;
}

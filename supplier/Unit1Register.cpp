// Registration (F3): the supplier on screen is written to MAS_SIIRE, as a new
// row when the code box is empty, onto its own row otherwise.

#include "supplier/Unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "db/Connection.h"
#include "db/Error.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "suite/Unit2.h"
#include "supplier/Duplicates.h"
#include "supplier/Registration.h"
#include "util/DateFields.h"
#include "util/Numbers.h"

SupplierScreen TForm1::Screen() const
{
    SupplierScreen s;
    for (QLineEdit* e : PlainEditsOf(const_cast<TForm1*>(this)))
        s.setText(e->objectName(), e->text());
    s.setText(ComboBox1->objectName(), ComboBox1->currentText());
    s.invoiceUnregistered = CheckBox1->isChecked();
    return s;
}

void TForm1::ED_02_1Exit()
{
    // A short name the clerk typed is never overwritten.
    if (!ED_02_1->text().isEmpty() && E_RYAKU->text().isEmpty())
        E_RYAKU->setText(AbbreviateName(ED_02_1->text()));
}

void TForm1::E_INBOICEExit()
{
    const QString normalised = NormaliseInvoiceNumber(E_INBOICE->text());
    if (normalised != E_INBOICE->text())
        E_INBOICE->setText(normalised);
}

void TForm1::SB03Click()
{
    // Leaving the field the clerk is in normalises it and runs its exit
    // handler (the abbreviation; a reload when the code box holds a code and
    // the name is empty) before anything is read.
    InstallFocusHandler();
    FocusChain({BAN_01, ED_01});
    KeepOnScreen();
    DM2->FDConnection1.setConnected(false); // the next statement sees what others committed

    if (ED_02_1->text().isEmpty() && ED_02_2->text().isEmpty()) {
        ShowMessageDialog(MessageNotice, QStringLiteral("仕入先名を入力してください。"), this);
        ED_02_1->setFocus();
        focus_move();
        return;
    }
    // The two checks below ask, with No as the answer Enter gives; a Yes
    // registers what the clerk sees.
    if (const QString question = InvoiceNumberQuestion(E_INBOICE->text()); !question.isEmpty()) {
        if (ShowMessageDialog(MessageAskDefaultNo, question, this) != 1) {
            InstallFocusHandler();
            FocusChain({E_INBOICE});
            return;
        }
    }
    QList<DuplicateMatch> duplicates;
    try {
        duplicates = FindDuplicates(DM2->FDConnection1, {toIntDef(BAN_01->text()), E_INBOICE->text(),
                                                         ED_06->text(), ED_07->text(), ED_02_1->text()});
    } catch (const std::exception&) {
        ShowError(std::current_exception(), ErrorBox::Plain, QStringLiteral("エラー: %1"));
        return;
    }
    if (!duplicates.isEmpty() &&
        ShowMessageDialog(MessageAskDefaultNo, DuplicateQuestion(duplicates), this) != 1) {
        InstallFocusHandler();
        FocusChain({BAN_01, ED_02_1, ED_01});
        DM2->FDConnection1.setConnected(false);
        return;
    }
    if (ShowMessageDialog(MessageAskDefaultYes, QStringLiteral("登録しますか？"), this) != 1) {
        InstallFocusHandler();
        FocusChain({BAN_01, ED_02_1, ED_01});
        DM2->FDConnection1.setConnected(false);
        return;
    }
    // A supplier not registered for invoices is tax-exempt.
    if (CheckBox1->isChecked())
        BAN_10->setText(QStringLiteral("3"));

    // Refused before anything is written: the screen keeps what was typed.
    if (const QString problem = RegistrationProblem(Screen()); !problem.isEmpty()) {
        ShowPlainMessage(QStringLiteral("エラー: ") + problem);
        return;
    }
    const int code = toIntDef(BAN_01->text());
    const bool datesFilled = !NEN05->text().isEmpty() && !TUKI05->text().isEmpty() && !HI05->text().isEmpty();
    const QDateTime registered = datesFilled ? DateFromFields(*NEN05, *TUKI05, *HI05) : QDateTime();
    const SupplierScreen screen = Screen();
    const SupplierRecord record =
        RegistrationRecord(screen, registered, QDateTime::currentDateTime(), ComputerName);
    if (E_RYAKU->text().isEmpty() && !ED_02_1->text().isEmpty())
        E_RYAKU->setText(AbbreviateName(ED_02_1->text()));

    db::Connection& suite = DM2->FDConnection1;
    try {
        db::TransactionGuard transaction(suite);
        int saved = code;
        if (code == 0)
            saved = InsertSupplier(suite, record);
        else
            UpdateSupplier(suite, code, record);
        transaction.commit();
        // Only a committed row gets its code on the screen.
        BAN_01->setText(QString::number(saved));
    } catch (const std::exception&) {
        ShowError(std::current_exception(), ErrorBox::Plain, QStringLiteral("エラー: %1"));
        return;
    }
    suite.setConnected(false);
    ShowMessageDialog(MessageNotice, BAN_01->text() + QStringLiteral(" 番で登録しました。"), this);
    InstallFocusHandler();
    FocusChain({BAN_01, ED_02_1, ED_01});
}

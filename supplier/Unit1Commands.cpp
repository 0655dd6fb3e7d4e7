// The main screen's commands that delete, search, hand over to other forms
// or repair data, and the end command.

#include "supplier/Unit1.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <stdexcept>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "import/Unit5.h"
#include "merge/Unit7.h"
#include "search/trad_sel.h"
#include "suite/Unit2.h"
#include "supplier/SupplierRecord.h"
#include "util/DateFields.h"
#include "util/Numbers.h"

namespace {

// A supplier another workstation is writing is tried again, a few seconds at
// a time, so that the screen is back within about ten seconds either way.
constexpr int kDeleteAttempts = 3;
constexpr int kDeleteLockWaitSeconds = 3;

} // namespace

void TForm1::ShowNormalBank()
{
    ToolBar3->show();
    ToolBar1->hide();
}

void TForm1::SBS_04Click()
{
    KeepOnScreen();
    ShowNormalBank();
    db::Connection& suite = DM2->FDConnection1;
    suite.setConnected(false);
    const int code = toIntDef(BAN_01->text());
    if (code > 0) {
        if (ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("削除しますか？"), this) != 1)
            return;
        std::exception_ptr failure;
        bool deleted = false;
        for (int attempt = 1; attempt <= kDeleteAttempts; ++attempt) {
            try {
                deleted = DeleteSupplier(suite, code, QDateTime::currentDateTime(), ComputerName,
                                         kDeleteLockWaitSeconds);
                if (!deleted)
                    failure = std::make_exception_ptr(std::runtime_error(
                        QStringLiteral("仕入先 %1 は登録されていません。").arg(code).toStdString()));
                break;
            } catch (const db::Error& e) {
                // Only a row another workstation holds may be free a moment later.
                failure = std::current_exception();
                if (!e.isLockConflict())
                    break;
            }
        }
        if (deleted) {
            ShowMessageDialog(MessageNotice, QStringLiteral("削除しました。"), this);
            ClearEditFields(this);
        } else {
            // The supplier stays, and so does the screen.
            ShowError(failure, ErrorBox::Plain, QStringLiteral("エラー: %1"));
        }
    }
    ShowNormalBank();
    suite.setConnected(false);
}

void TForm1::SB05Click()
{
    InstallFocusHandler();
    FocusChain({BAN_01, ED_01});
    DM2->FDConnection1.setConnected(false);
    KeepOnScreen();
    trad_sen2->move(frameGeometry().topLeft());
    // An OK on an empty list names code 0: nothing was chosen.
    if (modal::exec(*trad_sen2) == 1 && toIntDef(SelectedSupplierCode) > 0) {
        ClearEditFields(this);
        BAN_01->setText(SelectedSupplierCode);
        Button1->click();
    }
    InstallFocusHandler();
    FocusChain({BAN_01, ED_02_1, ED_01});
}

void TForm1::SBS_06Click()
{
    ShowNormalBank();
}

void TForm1::SBS_08Click()
{
    KeepOnScreen();
    DM2->FDConnection1.setConnected(false);
    modal::exec(*Form7);
}

void TForm1::SBS_09Click()
{
    KeepOnScreen();
    ShowNormalBank();
    QFileDialog chooser(this, QString(), ProgramFolder);
    chooser.setObjectName(QStringLiteral("OpenDialog1"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters({QStringLiteral("CSV (*.csv *.CSV)"), QStringLiteral("テキスト (*.txt *.TXT)"),
                            QStringLiteral("すべて (*)")});
    if (modal::exec(chooser) == QDialog::Accepted && !chooser.selectedFiles().isEmpty()) {
        Form_Txt_Con->Edit1->setText(chooser.selectedFiles().constFirst());
        modal::exec(*Form_Txt_Con);
    }
    DM2->FDConnection1.setConnected(false);
    ShowNormalBank();
}

void TForm1::SBS_12Click()
{
    // Suppliers not registered for invoices are tax-exempt, deleted ones too.
    db::Query& q = DM2->FDQ_VORNALIX;
    q.close();
    q.setSql(QStringLiteral("UPDATE MAS_SIIRE set KU_TAX=3 where IB_KBN>0"));
    q.execute();
    q.close();
}

void TForm1::SB10Click() {}

void TForm1::SB12Click()
{
    close(); // asks first and cleans up, as closing the window does
}

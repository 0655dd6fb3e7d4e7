// The overview commands of the main screen: the supplier list table (F9),
// the printed supplier list (F11) and the manual (F1).

#include "supplier/Unit1.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QUrl>

#include "dialogs/Modal.h"
#include "search/Unit8.h"
#include "suite/SuiteLink.h"
#include "suite/Unit2.h"
#include "supplier/SupplierReport.h"

void TForm1::SB09Click()
{
    KeepOnScreen();
    modal::exec(*Form8);
    DM2->FDConnection1.setConnected(false);
    InstallFocusHandler();
    FocusChain({BAN_01, ED_02_1, ED_01});
}

void TForm1::SB11Click()
{
    // The list as the list table last left it: its search and its order.
    KeepOnScreen();
    PrintSupplierList(DM2->FDQ_1, this);
}

void TForm1::SB01Click()
{
    // The manual is named after the program; the suite's program folder has
    // the current one when it is set. Nothing is reported when it is missing.
    const QString manual = ProgramBaseName + QStringLiteral(".PDF");
    if (const QString source = SuiteProgramFile(ExePath, manual);
        !source.isEmpty() && QFile::exists(source)) {
        QFile::remove(manual);
        QFile::copy(source, manual);
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(manual)));
}

// The program entry: the application, its title and fonts, the message
// hooks of the shared units, and the main screen.

#include "dialogs/Fonts.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "supplier/Unit1.h"
#include "util/DateFields.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELDRUN"));
    QApplication::setApplicationDisplayName(QStringLiteral("仕入先マスター登録"));
    InstallFontSubstitutions();
    setInvalidDateNotifier([](const QString& text) { ShowPlainMessage(text); });

    TForm1 form;
    Form1 = &form;
    MASSAGE_FORM = new TMASSAGE_FORM(&form);
    form.show();
    return QApplication::exec();
}

// One workstation of the suite for the concurrency test: starts the program
// in a program folder and registers suppliers one after another, typing as a
// clerk does, while another workstation does the same.
//
//   tst_supplier_workstation PROGRAM_FOLDER COUNT NAME_PREFIX
//
// Prints "registered N" and exits 0 when every registration reported success.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstdio>

#include "dialogs/Modal.h"
#include "tests/supplier/Program.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 4)
        return 2;
    QDir::setCurrent(args[1]);
    const int count = args[2].toInt();
    const QString prefix = args[3];

    ResetStartupSettings();
    InstallFontSubstitutions();
    TDM2 dm;
    TForm1 form;
    CreateForms(form, dm);
    form.show();

    int registered = 0;
    for (int i = 0; i < count; ++i) {
        ClearEditFields(&form);
        form.ED_02_1->setText(QStringLiteral("%1 %2").arg(prefix).arg(i));
        QStringList said;
        modal::Script script;
        // The question, then the notice: both answered with their default button.
        for (int answer = 0; answer < 2; ++answer)
            script.answer([&said](QDialog& d) {
                said << static_cast<TMASSAGE_FORM&>(d).LABEL->text();
                static_cast<TMASSAGE_FORM&>(d).BitBtn1->click();
            });
        form.SB03Click();
        if (!script.verify().isEmpty() || !said.value(1).endsWith(QStringLiteral(" 番で登録しました。"))) {
            std::fprintf(stderr, "registration %d failed: %s\n", i,
                         qPrintable(script.verify() + said.join(u'|')));
            return 1;
        }
        ++registered;
    }
    std::printf("registered %d\n", registered);
    return 0;
}

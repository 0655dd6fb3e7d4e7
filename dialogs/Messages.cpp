#include "dialogs/Messages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"

namespace {

void showBox(QMessageBox::Icon icon, const QString& objectName, const QString& text)
{
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(objectName);
    // Error texts quote what the user typed; never read them as markup.
    box.setTextFormat(Qt::PlainText);
    modal::exec(box);
}

} // namespace

void ShowPlainMessage(const QString& text)
{
    showBox(QMessageBox::NoIcon, QStringLiteral("PlainMessage"), text);
}

void ShowErrorBox(const QString& text)
{
    showBox(QMessageBox::Critical, QStringLiteral("ErrorBox"), text);
}

int ShowMessageDialog(int mode, const QString& text, QWidget* centreOn)
{
    if (!MASSAGE_FORM)
        MASSAGE_FORM = new TMASSAGE_FORM;
    MessageDialogMode = mode;
    MASSAGE_FORM->LABEL->setText(text);
    MASSAGE_FORM->centreOn(centreOn);
    return modal::exec(*MASSAGE_FORM);
}

#include "dialogs/Messages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include "db/Error.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"
#include "postal/PostalFile.h"
#include "util/Log.h"

namespace {

bool g_unattended = false;

void showBox(QMessageBox::Icon icon, const QString& objectName, const QString& text,
             const QString& details = {})
{
    if (g_unattended)
        return; // errors are in the log already
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(objectName);
    // Error texts quote what the user typed; never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (!details.isEmpty())
        box.setDetailedText(details);
    modal::exec(box);
}

} // namespace

void ShowPlainMessage(const QString& text)
{
    showBox(QMessageBox::NoIcon, QStringLiteral("PlainMessage"), text);
}

void ShowErrorBox(const QString& text, const QString& details)
{
    LogError(text, details);
    showBox(QMessageBox::Critical, QStringLiteral("ErrorBox"), text, details);
}

ErrorDescription DescribeError(const std::exception_ptr& error)
{
    const QString unknown = QStringLiteral("予期しないエラーが発生しました。");
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const db::Error& e) {
        return {e.message().isEmpty() ? unknown : e.message(), e.details()};
    } catch (const postal::ImportError& e) {
        return {e.message(), e.details()};
    } catch (const std::exception& e) {
        const QString text = QString::fromUtf8(e.what());
        return {text.isEmpty() ? unknown : text, {}};
    } catch (...) {
    }
    return {unknown, QStringLiteral("種類の分からない例外")};
}

void ShowError(const std::exception_ptr& error, ErrorBox box, const QString& form)
{
    const ErrorDescription d = DescribeError(error);
    const QString text = form.arg(d.text);
    if (box == ErrorBox::Standard) {
        ShowErrorBox(text, d.details);
        return;
    }
    LogError(text, d.details);
    showBox(QMessageBox::NoIcon, QStringLiteral("PlainMessage"), text, d.details);
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

void SetUnattended(bool on)
{
    g_unattended = on;
}

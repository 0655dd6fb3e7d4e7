#pragma once

// The program as the screen tests start it: an installation (suite root and
// program folder, which is the working directory), the data module and the
// main screen, created in the program's own order.

#include "dialogs/Fonts.h"
#include "dialogs/KOUZOU_SEL.h"
#include "dialogs/MAS_BANK.h"
#include "dialogs/MAS_BANK_S.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/ZIP_SEL.h"
#include "suite/Unit2.h"
#include "supplier/Unit1.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

namespace testing {

class Program
{
public:
    explicit Program(const Installation& installation)
        : m_installation(installation), m_ready((ResetStartupSettings(), InstallFontSubstitutions(), true))
    {
        CreateForms(form, dm);
    }

    // Shows the main screen (its first showing opens the databases) and
    // waits until it is the active window, as a user would find it.
    bool start()
    {
        form.show();
        form.activateWindow();
        return QTest::qWaitForWindowActive(&form);
    }

    // The control a keystroke goes to. After a modal dialog a window manager
    // gives the main window back its activation; offscreen the test does.
    QWidget* focused()
    {
        if (!QApplication::activeModalWidget() && QApplication::activeWindow() != &form) {
            form.activateWindow();
            if (!QTest::qWaitForWindowActive(&form))
                qWarning("the main window did not become active again");
        }
        QWidget* w = QApplication::focusWidget();
        return w ? w : &form;
    }

    // The name of the field that has the focus (a combo box, not its editor).
    QString focusedName()
    {
        QWidget* w = focused();
        if (w->parentWidget() && qobject_cast<QComboBox*>(w->parentWidget()))
            w = w->parentWidget();
        return w->objectName();
    }

    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), key, modifiers);
    }

    // Typed text: ASCII key by key, Japanese as an input method delivers it.
    void typeText(const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(focused(), c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(focused(), &commit);
            }
        }
    }

    const Installation& installation() const { return m_installation; }

private:
    const Installation& m_installation;
    bool m_ready;

public:
    TDM2 dm;
    TForm1 form;
};

} // namespace testing

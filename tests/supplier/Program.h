#pragma once

// The program as the screen tests start it, in the program folder of an
// installation (the working directory while the Installation lives): the
// data module and the main screen, created in the program's own order.

#include "dialogs/Fonts.h"
#include "suite/Unit2.h"
#include "supplier/Unit1.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"

namespace testing {

class Program
{
public:
    Program() : m_ready((ResetStartupSettings(), InstallFontSubstitutions(), true)) { CreateForms(form, dm); }

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

    QString focusedName()
    {
        focused();
        return testing::focusedName();
    }

    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), key, modifiers);
    }

    void typeText(const QString& text) { testing::typeText(text, focused()); }

    // Presses a key and answers the dialogs it brings up; returns what they said.
    QStringList press(Qt::Key key, const QList<Responder>& answers, Qt::KeyboardModifiers modifiers = {})
    {
        return answering([&] { type(key, modifiers); }, answers);
    }

private:
    bool m_ready;

public:
    TDM2 dm;
    TForm1 form;
};

// A screen test's world: a fresh installation, the suite as another
// workstation sees it, and the program on it (not yet started).
struct Session
{
    Installation installation;
    SuiteSql suite{installation.params()};
    Program program;
};

} // namespace testing

#pragma once

// What the screen tests share: the clerk's keys, typing and clicks, and the
// scripted answers to the dialogs a command brings up. A test that uses the
// scripts turns their warnings into failures in init():
//   QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
// so a dialog nobody answered, or an answer left unused, fails it.

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <functional>
#include <memory>

#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"

namespace testing {

using Responder = modal::Script::Responder;

// The main window the dialogs belong to, shown away from the screen's centre.
inline std::unique_ptr<QWidget> mainWindow()
{
    auto main = std::make_unique<QWidget>();
    main->setGeometry(60, 40, 1100, 700);
    main->show();
    if (!QTest::qWaitForWindowExposed(main.get()))
        qWarning("the main window was not shown");
    return main;
}

inline QWidget* focused()
{
    return QApplication::focusWidget();
}

// The name of the control with the focus; a combo box's, not its editor's.
inline QString focusedName()
{
    QWidget* w = focused();
    if (w && qobject_cast<QComboBox*>(w->parentWidget()))
        w = w->parentWidget();
    return w ? w->objectName() : QString();
}

inline void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focused(), key, modifiers);
}

// Typed into target, else where the focus is: ASCII key by key, Japanese as
// an input method commits it.
inline void typeText(const QString& text, QWidget* target = nullptr)
{
    for (const QChar c : text) {
        QWidget* to = target ? target : focused();
        if (c.unicode() < 0x80) {
            QTest::keyClick(to, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(to, &commit);
        }
    }
}

// Replaces the focused box's text as the clerk does.
inline void retype(const QString& text)
{
    type(Qt::Key_A, Qt::ControlModifier);
    type(Qt::Key_Backspace);
    typeText(text);
}

inline void typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->clear();
    typeText(text, box);
}

// A grid column's values as numbers, every row read.
inline QList<int> listed(QTableView* grid, int column = 0)
{
    QAbstractItemModel* model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QList<int> values;
    for (int r = 0; r < model->rowCount(); ++r)
        values << model->index(r, column).data(Qt::EditRole).toInt();
    return values;
}

// Clicks a row, then double-clicks it when twice is set, as a mouse does.
inline void clickRow(QTableView* grid, int row, bool twice = false)
{
    QAbstractItemModel* model = grid->model();
    while (model->rowCount() <= row && model->canFetchMore({}))
        model->fetchMore({});
    const QModelIndex index = model->index(row, 0);
    grid->scrollTo(index);
    const QPoint at = grid->visualRect(index).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    if (twice) {
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at, 10);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at, 10);
    }
}

// Answers with a keystroke where the dialog's focus is.
inline Responder press(Qt::Key key)
{
    return [key](QDialog& d) {
        QTest::keyClick(focused() ? focused() : &d, key);
    };
}

// Answers the program's message dialog with its Yes (or OK) or its No button.
inline Responder answer(bool yes)
{
    return [yes](QDialog& d) {
        auto& message = static_cast<TMASSAGE_FORM&>(d);
        (yes ? message.BitBtn1 : message.BitBtn2)->click();
    };
}

// Answers a plain message box with OK, keeping its details when asked.
inline Responder ok(QString* details = nullptr)
{
    return [details](QDialog& d) {
        auto& box = static_cast<QMessageBox&>(d);
        if (details)
            *details = box.detailedText();
        box.button(QMessageBox::Ok)->click();
    };
}

// Runs action with the dialogs it brings up answered in turn; returns what
// they said (a message's text, else their labels).
inline QStringList answering(const std::function<void()>& action, const QList<Responder>& responders)
{
    modal::Script script;
    for (const Responder& r : responders)
        script.answer(r);
    action();
    QStringList said;
    for (const modal::ShownDialog& shown : script.shown())
        said << shown.text;
    return said;
}

// Shows dialog modally, its first responder being the clerk in it and the
// others answering what that brings up; returns the modal result.
inline int showWith(QDialog& dialog, const QList<Responder>& responders, QStringList* said = nullptr)
{
    int result = -1;
    const QStringList texts = answering([&] { result = modal::exec(dialog); }, responders);
    if (said)
        *said = texts.mid(1);
    return result;
}

// The same with a clerk that needs not the dialog.
inline int showWith(QDialog& dialog, const std::function<void()>& clerk, const QList<Responder>& others = {},
                    QStringList* said = nullptr)
{
    return showWith(dialog, QList<Responder>{[clerk](QDialog&) {
                                clerk();
                            }} + others,
                    said);
}

} // namespace testing

#include "dialogs/Modal.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QtGlobal>
#include <QTimer>

#include <memory>

namespace modal {

namespace {

Script* activeScript = nullptr;

// How many turns of the dialog's event loop a responder waits for the window
// to become active (shortcuts and focus need it). Activation takes one or two
// turns; a platform without activation gets its responder after the last one.
constexpr int ActivationTurns = 100;

QString describe(const QDialog& dialog)
{
    if (const auto* box = qobject_cast<const QMessageBox*>(&dialog))
        return box->text();
    QStringList texts;
    const auto labels = dialog.findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->isVisibleTo(&dialog) && !label->text().isEmpty())
            texts.append(label->text());
    }
    return texts.join(QLatin1Char('\n'));
}

QString nameOf(const ShownDialog& shown)
{
    return QStringLiteral("\"%1\" (%2): \"%3\"").arg(shown.title, shown.objectName, shown.text);
}

} // namespace

int exec(QDialog& dialog)
{
    if (activeScript)
        return activeScript->run(dialog);
    return dialog.exec();
}

Script::Script() : m_previous(activeScript)
{
    activeScript = this;
}

Script::~Script()
{
    *m_alive = false;
    activeScript = m_previous;
    const bool checked = m_checked;
    const QString problems = verify();
    if (!problems.isEmpty() && !checked)
        qWarning("modal::Script: %s", qUtf8Printable(problems));
}

Script& Script::answer(Responder responder)
{
    m_responders.push_back(std::move(responder));
    m_checked = false;
    return *this;
}

QString Script::verify() const
{
    QStringList problems = m_unexpected;
    if (!m_responders.empty())
        problems.append(QStringLiteral("%1 responder(s) left unused").arg(m_responders.size()));
    m_checked = true;
    return problems.join(QLatin1Char('\n'));
}

void Script::complain(const QString& problem)
{
    m_unexpected.append(problem);
    m_checked = false;
    qWarning("modal::Script: %s", qUtf8Printable(problem));
}

int Script::run(QDialog& dialog)
{
    const int index = int(m_shown.size());
    ShownDialog shown;
    shown.objectName = dialog.objectName();
    shown.title = dialog.windowTitle();
    m_shown.append(shown);

    Responder responder;
    if (!m_responders.empty()) {
        responder = std::move(m_responders.front());
        m_responders.pop_front();
    }

    // Posted before exec(), so it runs inside the dialog's own event loop once
    // the dialog is on screen.
    auto finished = std::make_shared<bool>(false);
    respondLater(Pending{&dialog, index, std::move(responder), finished, 0});
    const int result = dialog.exec();
    *finished = true;
    m_shown[index].result = result;
    return result;
}

void Script::respondLater(Pending pending)
{
    QObject* context = pending.dialog ? static_cast<QObject*>(pending.dialog) : QCoreApplication::instance();
    QTimer::singleShot(0, context, [this, alive = m_alive, pending]() mutable {
        if (*alive)
            respond(std::move(pending));
    });
}

void Script::respond(Pending pending)
{
    QDialog* dialog = pending.dialog;
    const bool open = dialog && !*pending.finished && dialog->isVisible();
    if (!open) {
        if (dialog && !*pending.finished && pending.turn < ActivationTurns) {
            ++pending.turn; // not on screen yet
            respondLater(std::move(pending));
        } else if (pending.responder) {
            complain(QStringLiteral("dialog %1 closed before its responder ran")
                         .arg(nameOf(m_shown[pending.index])));
        }
        return;
    }
    if (!dialog->isActiveWindow() && pending.turn < ActivationTurns) {
        dialog->activateWindow();
        ++pending.turn;
        respondLater(std::move(pending));
        return;
    }

    ShownDialog& shown = m_shown[pending.index];
    shown.title = dialog->windowTitle();
    shown.text = describe(*dialog);

    if (!pending.responder) {
        complain(QStringLiteral("unexpected dialog %1").arg(nameOf(shown)));
        dialog->reject();
        return;
    }
    shown.answered = true;
    pending.responder(*dialog);
    if (pending.dialog && !*pending.finished && pending.dialog->isVisible()) {
        complain(
            QStringLiteral("dialog %1 was left open by its responder").arg(nameOf(m_shown[pending.index])));
        pending.dialog->reject();
    }
}

} // namespace modal

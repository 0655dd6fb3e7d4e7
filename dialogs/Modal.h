#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

// Every modal showing of the program goes through modal::exec(). In the running
// program it is QDialog::exec(). A test puts a modal::Script in place first and
// answers each dialog the way a user would (keys, clicks) while the dialog runs
// its own event loop, so the dialog's real logic runs and nobody waits on a clock.
namespace modal {

// Shows the dialog modally and returns what QDialog::exec() returns: the
// dialog's result (our dialogs use 1 for OK/Yes; a QMessageBox returns the
// standard button that was pressed).
int exec(QDialog& dialog);

// One showing of a dialog while a script was active.
struct ShownDialog
{
    QString objectName;
    QString title;
    // A message box's text; for other dialogs the texts of their visible
    // labels, one per line.
    QString text;
    // The result exec() returned; -1 while the dialog is still open.
    int result = -1;
    // False when no responder was left for it and the script rejected it.
    bool answered = false;
};

// Scripts the answers to the dialogs shown while it lives. Responders are used
// in the order the dialogs are shown, nested dialogs included (a responder that
// presses a button opening another dialog hands that one to the next responder).
//
// Nothing hangs: a dialog shown with no responder left is rejected and recorded
// as unexpected, and so is a dialog its responder left open. Check verify() at
// the end of the test; problems nobody looked at are also written as warnings
// starting with "modal::Script" (pair with QTest::failOnWarning to make them fail).
class Script
{
public:
    using Responder = std::function<void(QDialog&)>;

    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Queues a responder for the next dialog shown. It runs once the dialog is
    // shown, active and inside its own event loop, and must close it.
    Script& answer(Responder responder);

    // Responders not used yet.
    int pending() const { return int(m_responders.size()); }
    // Every dialog shown so far, in the order of showing.
    const QList<ShownDialog>& shown() const { return m_shown; }
    int shownCount() const { return int(m_shown.size()); }
    // One line per problem: dialogs nobody answered, dialogs left open.
    const QStringList& unexpected() const { return m_unexpected; }

    // Empty when every responder was used and nothing unexpected happened;
    // otherwise a description of what went wrong, for QVERIFY2.
    QString verify() const;

private:
    friend int exec(QDialog& dialog);

    // A responder waiting for its dialog to be on screen and active.
    struct Pending
    {
        QPointer<QDialog> dialog;
        int index = 0;
        Responder responder;
        std::shared_ptr<bool> finished; // exec() has returned
        int turn = 0;
    };

    int run(QDialog& dialog);
    void respondLater(Pending pending);
    void respond(Pending pending);
    void complain(const QString& problem);

    std::deque<Responder> m_responders;
    QList<ShownDialog> m_shown;
    QStringList m_unexpected;
    // Whether verify() has been asked since the last problem or responder;
    // the destructor only warns about what nobody checked.
    mutable bool m_checked = false;
    Script* m_previous = nullptr;
    // Cleared by the destructor, for answers still queued in an event loop.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace modal

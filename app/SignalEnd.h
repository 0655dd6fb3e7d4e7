#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the program on SIGINT and SIGTERM (Ctrl+C, a logout, a service
// manager) in every state, a modal box waiting for an answer included.
//
// The signal handler only writes the signal's number to a pipe; the main
// thread reads it and emits received(). The program then leaves every event
// loop it is in (QCoreApplication::exit), which also makes any dialog opened
// afterwards return at once, as if cancelled, so nothing is done as if the
// clerk had answered. Installed before the database client is first used, so
// that the client's own handlers find ours and leave the ending to us.
class SignalEnd : public QObject
{
    Q_OBJECT

public:
    explicit SignalEnd(QObject* parent = nullptr);
    ~SignalEnd() override;

    // The signal that ended the program, 0 while none came.
    static int received();
    // Ends the program as signal would, from any thread.
    static void end(int signal);

signals:
    void signalled(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};

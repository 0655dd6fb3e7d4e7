#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Lets one copy of the program run per user: the first copy takes a lock
// file in the user's runtime folder and listens on a socket beside it; a
// later copy finds the lock taken, asks the first through the socket to come
// to the front, and ends. Two copies started at the same instant cannot both
// be first.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy (it now holds the name). Otherwise
    // the running copy has been asked to show itself.
    bool acquire();

    // The name for this program and this user.
    static QString nameFor(const QString& program);

signals:
    // Another copy was started: show, raise and activate the main window.
    void activationRequested();

private:
    void askFirstCopyToShow(const QString& socket);

    QString m_name;
    int m_lock = -1; // the lock file, held while this copy runs
    QLocalServer* m_server = nullptr;
};

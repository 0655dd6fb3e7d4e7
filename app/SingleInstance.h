#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Lets one copy of the program run per user: the first copy listens under a
// name; a later copy finds it, asks it to come to the front and ends.
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
    QString m_name;
    QLocalServer* m_server = nullptr;
};

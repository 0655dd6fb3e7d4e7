#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

constexpr int kWaitMs = 2000;
const QByteArray kShow = QByteArrayLiteral("show\n");

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::nameFor(const QString& program)
{
    return program + QStringLiteral("-%1").arg(::getuid());
}

bool SingleInstance::acquire()
{
    {
        QLocalSocket first;
        first.connectToServer(m_name);
        if (first.waitForConnected(kWaitMs)) {
            first.write(kShow);
            first.waitForBytesWritten(kWaitMs);
            first.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: a name left over from a copy that crashed is ours to take.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return true; // cannot guard against a second copy; still run
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains(kShow))
                    emit activationRequested();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

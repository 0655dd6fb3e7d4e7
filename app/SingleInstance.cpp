#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kAskMs = 3000; // how long a second copy tries to reach the first
const QByteArray kShow = QByteArrayLiteral("show\n");

QString runtimeFile(const QString& name, const char* suffix)
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u'/' + name +
           QLatin1String(suffix);
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock >= 0)
        ::close(m_lock); // releases the lock; the file stays for the next copy
}

QString SingleInstance::nameFor(const QString& program)
{
    return program + QStringLiteral("-%1").arg(::getuid());
}

bool SingleInstance::acquire()
{
    const QString socket = runtimeFile(m_name, ".socket");
    // The lock decides, atomically, which copy is the first: the kernel holds
    // it for the process and lets go when the process ends, however it ends.
    m_lock = ::open(QFile::encodeName(runtimeFile(m_name, ".lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                    0600);
    if (m_lock >= 0 && ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_lock);
        m_lock = -1;
        askFirstCopyToShow(socket);
        return false;
    }
    // First (or without a lock file, unguarded): a socket left by a copy that
    // crashed is ours to take.
    QLocalServer::removeServer(socket);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socket))
        return true; // nobody can ask us to come forward; still run
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

void SingleInstance::askFirstCopyToShow(const QString& socket)
{
    // The first copy may have taken the lock a moment ago and not be
    // listening yet.
    const QDeadlineTimer deadline(kAskMs);
    while (!deadline.hasExpired()) {
        QLocalSocket first;
        first.connectToServer(socket);
        if (first.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            first.write(kShow);
            first.waitForBytesWritten(kAskMs);
            first.disconnectFromServer();
            return;
        }
        QThread::msleep(50);
    }
}

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <stdexcept>

namespace testing {

QStringList serverParams(const QString& databasePath)
{
    return {QStringLiteral("Database=") + databasePath, QStringLiteral("User_Name=sysdba"),
            QStringLiteral("Password=zorquemit"),        QStringLiteral("Server=127.0.0.1"),
            QStringLiteral("Protocol=TCPIP"),             QStringLiteral("Port=3060"),
            QStringLiteral("DriverID=FB")};
}

void serverCommand(const QString& command)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(VELDRUN_FBSERVER_SCRIPT), {command, QStringLiteral(VELDRUN_FB_ROOT)});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error("fbserver.sh " + command.toStdString() + " failed: " + p.readAll().toStdString());
}

SuiteDatabase::SuiteDatabase(Suite kind) : SuiteDatabase(kind, QString()) {}

SuiteDatabase::SuiteDatabase(Suite kind, const QString& folder)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for the test database");
    const QString name = kind == Suite::Old ? QStringLiteral("suite-old.fdb") : QStringLiteral("suite.fdb");
    const QString source = QStringLiteral(VELDRUN_TEMPLATE_DIR "/") + name;
    m_path = (folder.isEmpty() ? m_dir.path() : folder) + QStringLiteral("/VORNALIX.FDB");
    if (!QFile::copy(source, m_path))
        throw std::runtime_error("cannot copy " + source.toStdString() + " (did the suite_templates fixture run?)");
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
}

Installation::Installation(Suite kind) : m_database(kind, m_root.path()), m_previousFolder(QDir::currentPath())
{
    QDir(m_root.path()).mkpath(QStringLiteral("VELDRUN"));
    QDir::setCurrent(programFolder());
}

Installation::~Installation()
{
    QDir::setCurrent(m_previousFolder);
}

QString Installation::programFolder() const
{
    return m_root.path() + QStringLiteral("/VELDRUN");
}

QString Installation::localFolder() const
{
    return m_root.path() + QStringLiteral("/LOCAL");
}

void Installation::writeSetting(const QString& name, const QByteArray& bytes) const
{
    QFile f(programFolder() + u'/' + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + name.toStdString());
}

} // namespace testing

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <stdexcept>

#include "db/Query.h"

namespace testing {

QStringList serverParams(const QString& databasePath)
{
    return {QStringLiteral("Database=") + databasePath,
            QStringLiteral("User_Name=sysdba"),
            QStringLiteral("Password=zorquemit"),
            QStringLiteral("Server=127.0.0.1"),
            QStringLiteral("Protocol=TCPIP"),
            QStringLiteral("Port=3060"),
            QStringLiteral("DriverID=FB")};
}

void serverCommand(const QString& command)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(VELDRUN_FBSERVER_SCRIPT), {command, QStringLiteral(VELDRUN_FB_ROOT)});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error("fbserver.sh " + command.toStdString() +
                                 " failed: " + p.readAll().toStdString());
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
        throw std::runtime_error("cannot copy " + source.toStdString() +
                                 " (did the suite_templates fixture run?)");
    QFile::setPermissions(m_path,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
}

Installation::Installation(Suite kind)
    : m_database(kind, m_root.path()), m_previousFolder(QDir::currentPath())
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

void SuiteSql::run(const QString& sql, const QVariantMap& params)
{
    db::Query q(m_conn);
    q.setSql(sql);
    q.setParams(params);
    q.execute();
}

QList<QVariantMap> SuiteSql::rows(const QString& sql, const QVariantMap& params)
{
    db::Query q(m_conn);
    q.setSql(sql);
    q.setParams(params);
    QList<QVariantMap> rows;
    for (q.open(); !q.eof(); q.next()) {
        QVariantMap row;
        for (int i = 0; i < q.fieldCount(); ++i)
            row.insert(q.fieldName(i), q.field(i).value());
        rows << row;
    }
    return rows;
}

QVariantList SuiteSql::firstRow(const QString& sql, const QVariantMap& params)
{
    db::Query q(m_conn);
    q.setSql(sql);
    q.setParams(params);
    q.open();
    QVariantList values;
    for (int i = 0; !q.isEmpty() && i < q.fieldCount(); ++i)
        values << q.field(i).value();
    return values;
}

QVariantList SuiteSql::column(const QString& sql, const QVariantMap& params)
{
    db::Query q(m_conn);
    q.setSql(sql);
    q.setParams(params);
    QVariantList values;
    for (q.open(); !q.eof(); q.next())
        values << q.field(0).value();
    return values;
}

QVariant SuiteSql::supplier(int code, const QString& column)
{
    return value(QStringLiteral("select %1 from MAS_SIIRE where T_CD=:CD").arg(column),
                 {{QStringLiteral("CD"), code}});
}

void SuiteSql::addSupplier(int code, const QString& key, const QString& name, const QString& tel,
                           const QVariant& tradeType, bool deleted)
{
    run(QStringLiteral("insert into MAS_SIIRE (T_CD, T_KEY, T_NAME01, T_TEL, KU_KOUSYU, E_DATE04) "
                       "values (:CD, :KEY, :NAME, :TEL, :KOUSYU, :DELETED)"),
        {{QStringLiteral("CD"), code},
         {QStringLiteral("KEY"), key},
         {QStringLiteral("NAME"), name},
         {QStringLiteral("TEL"), tel},
         {QStringLiteral("KOUSYU"), tradeType},
         {QStringLiteral("DELETED"), deleted ? QVariant(QDate(2025, 4, 1)) : QVariant()}});
}

} // namespace testing

#include "db/Error.h"

#include <QStringList>

#include <ibase.h>
#include <iberror.h>

namespace db {

Error::Error(QString message, QString sqlState, long errorCode, QString statement)
    : m_message(std::move(message)), m_sqlState(std::move(sqlState)), m_errorCode(errorCode),
      m_statement(std::move(statement)), m_what(m_message.toUtf8())
{}

bool Error::isConnectionLost() const
{
    switch (m_errorCode) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
    case isc_conn_lost:
    case isc_att_shutdown:
    case isc_shutdown:
    case isc_bad_db_handle:
        return true;
    default:
        // 08003 connection does not exist, 08006 connection failure.
        return m_sqlState == QLatin1String("08003") || m_sqlState == QLatin1String("08006");
    }
}

bool Error::isLockConflict() const
{
    switch (m_errorCode) {
    case isc_lock_conflict:
    case isc_deadlock:
    case isc_update_conflict:
    case isc_lock_timeout:
        return true;
    default:
        return m_sqlState == QLatin1String("40001");
    }
}

Error Error::withStatement(const QString& statement) const
{
    return Error(m_message, m_sqlState, m_errorCode, statement);
}

QString Error::details() const
{
    QStringList lines;
    if (!m_sqlState.isEmpty())
        lines << QStringLiteral("SQLSTATE: ") + m_sqlState;
    if (m_errorCode != 0)
        lines << QStringLiteral("エラーコード: %1").arg(m_errorCode);
    if (!m_statement.isEmpty())
        lines << QStringLiteral("SQL: ") + m_statement;
    return lines.join(u'\n');
}

} // namespace db

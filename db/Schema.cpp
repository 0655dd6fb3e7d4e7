#include "db/Schema.h"

#include "db/Query.h"

namespace db {

bool HasTable(Connection& connection, const QString& table)
{
    Query q(connection);
    q.setSql(QStringLiteral("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = :TABLE_NAME"));
    q.setParam(QStringLiteral("TABLE_NAME"), table.toUpper());
    q.open();
    return !q.isEmpty();
}

bool HasColumn(Connection& connection, const QString& table, const QString& column)
{
    Query q(connection);
    q.setSql(QStringLiteral("select 1 from RDB$RELATION_FIELDS "
                            "where RDB$RELATION_NAME = :TABLE_NAME and RDB$FIELD_NAME = :COLUMN_NAME"));
    q.setParam(QStringLiteral("TABLE_NAME"), table.toUpper());
    q.setParam(QStringLiteral("COLUMN_NAME"), column.toUpper());
    q.open();
    return !q.isEmpty();
}

bool HasIndex(Connection& connection, const QString& table, const QString& index)
{
    Query q(connection);
    q.setSql(QStringLiteral("select 1 from RDB$INDICES "
                            "where RDB$RELATION_NAME = :TABLE_NAME and RDB$INDEX_NAME = :INDEX_NAME"));
    q.setParam(QStringLiteral("TABLE_NAME"), table.toUpper());
    q.setParam(QStringLiteral("INDEX_NAME"), index.toUpper());
    q.open();
    return !q.isEmpty();
}

void AddColumnIfMissing(Connection& connection, const QString& table, const QString& column,
                        const std::function<void()>& add)
{
    if (HasColumn(connection, table, column))
        return;
    try {
        add();
    } catch (const std::exception&) {
        if (!HasColumn(connection, table, column))
            throw;
    }
}

void AddIndexIfMissing(Connection& connection, const QString& table, const QString& index,
                       const std::function<void()>& add)
{
    if (HasIndex(connection, table, index))
        return;
    try {
        add();
    } catch (const std::exception&) {
        if (!HasIndex(connection, table, index))
            throw;
    }
}

} // namespace db

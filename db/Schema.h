#pragma once

#include <QString>

#include <functional>

namespace db {

class Connection;

// What the system tables say about a database's tables, columns and indexes
// (views count as tables). The schema additions ask first, so that "it is there
// already" is known rather than read into a failed statement, and any
// failure of the addition itself is a real one.
bool HasTable(Connection& connection, const QString& table);
bool HasColumn(Connection& connection, const QString& table, const QString& column);
bool HasIndex(Connection& connection, const QString& table, const QString& index);

// Runs add, which adds column to table, unless the table has it already. A
// failure of add is thrown on, unless the column is there after all: another
// workstation starting at the same moment added it first.
void AddColumnIfMissing(Connection& connection, const QString& table, const QString& column,
                        const std::function<void()>& add);

// The same for an index of table: add runs unless the index is there, and
// its failure is thrown on unless the index is there after all.
void AddIndexIfMissing(Connection& connection, const QString& table, const QString& index,
                       const std::function<void()>& add);

} // namespace db

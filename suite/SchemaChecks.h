#pragma once

#include <QList>
#include <QString>

#include <exception>
#include <utility>
#include <vector>

namespace db {
class Connection;
class Query;
} // namespace db

// The schema checks of the main screen's first showing. Newer suites have
// more supplier columns, and the suite's settings table LOOK_KIHON is given
// the same ones: E_MAILE, INBOICE and IB_KBN, each checked on its own.

// The statement one check runs, given whether MAS_SIIRE has the column and
// its length in bytes; empty when nothing is to be done.
QString SchemaCheckStatement(const QString& column, bool inSupplierTable, int length);

// Runs the three checks through statements (the suite's statement query),
// then adds the indexes of the supplier keys (suite/SupplierKeys.h) that
// MAS_SIIRE lacks. A column LOOK_KIHON has already, or an index MAS_SIIRE
// has, is left alone; any other failure (a lost connection, a refused
// statement) is returned, and the next check runs.
std::vector<std::exception_ptr> RunSchemaChecks(db::Connection& suite, db::Query& statements);

// The columns of the supplier record that only a current suite has, each
// with the statement that gives an old suite's MAS_SIIRE the column (the
// search list adds them when its first search fails on an old table).
const std::vector<std::pair<QString, QString>>& SupplierColumnAdditions();

// One column the program adds to the suite's tables when it is missing.
struct SchemaAddition
{
    QString table;
    QString column;
    bool present = false;
};

// Every addition the program would make to this suite as it stands now: the
// newer supplier columns, the settings columns the checks above would add,
// and the postal table's reading YOMI. Reads the system tables only;
// nothing is changed. Database errors are thrown (db::Error).
QList<SchemaAddition> InspectSchemaAdditions(db::Connection& suite);

#pragma once

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

#include "db/Connection.h"

// What the database tests share: the private server the test fixtures start
// and fresh suite databases copied from the empty ones made at the start of
// the run.
namespace testing {

// The parameter list of a connection to a database file on the private server.
QStringList serverParams(const QString& databasePath);

// Runs the server script ("start", "stop", "status"); throws on failure.
void serverCommand(const QString& command);

enum class Suite { Current, Old };

// A suite database of its own for one test, in a temporary folder that is
// removed with it: every table the program reaches, empty.
class SuiteDatabase
{
public:
    explicit SuiteDatabase(Suite kind = Suite::Current);
    // The database file at folder/VORNALIX.FDB instead of a folder of its own.
    SuiteDatabase(Suite kind, const QString& folder);

    QString path() const { return m_path; }
    QStringList params() const { return serverParams(m_path); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// A suite installation laid out as the program expects it: the suite root
// holding the suite database VORNALIX.FDB (and, after a start, LOCAL), and
// the program folder beside it, which becomes the working directory for the
// lifetime of this object. No setting files: the program finds the database
// as ../VORNALIX.FDB on the local server.
class Installation
{
public:
    explicit Installation(Suite kind = Suite::Current);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    QString root() const { return m_root.path(); }
    QString programFolder() const;
    QString localFolder() const;
    QString databasePath() const { return m_database.path(); }
    // The parameters of a second connection to the suite database.
    QStringList params() const { return m_database.params(); }
    // Writes a setting file into the program folder, bytes as given.
    void writeSetting(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_root;
    SuiteDatabase m_database;
    QString m_previousFolder;
};

// The suite database as another workstation sees it: statements with their
// :NAME values bound, on a connection of the test's own.
class SuiteSql
{
public:
    explicit SuiteSql(const QStringList& params) { m_conn.setParams(params); }

    db::Connection& connection() { return m_conn; }
    void run(const QString& sql, const QVariantMap& params = {});
    // Every row of a select, column by column; a null is an invalid QVariant.
    QList<QVariantMap> rows(const QString& sql, const QVariantMap& params = {});
    // The first row's values in the select's order; empty when there is none.
    QVariantList firstRow(const QString& sql, const QVariantMap& params = {});
    // The first column of every row.
    QVariantList column(const QString& sql, const QVariantMap& params = {});
    // The first column of the first row; invalid when there is none.
    QVariant value(const QString& sql, const QVariantMap& params = {})
    {
        return column(sql, params).value(0);
    }
    // One column of one supplier; invalid when null or missing.
    QVariant supplier(int code, const QString& column);
    // A supplier; tradeType invalid stores null, deleted stamps E_DATE04.
    void addSupplier(int code, const QString& key, const QString& name, const QString& tel = {},
                     const QVariant& tradeType = {}, bool deleted = false);

private:
    db::Connection m_conn;
};

// Whether date is today for an action that began on before: one that ran
// over midnight may have taken either day.
inline bool isToday(const QDate& date, const QDate& before)
{
    return date == before || date == QDate::currentDate();
}

} // namespace testing

#pragma once

#include <QStringList>
#include <QTemporaryDir>

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

    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    QStringList params() const { return serverParams(m_path); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace testing

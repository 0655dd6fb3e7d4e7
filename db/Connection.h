#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
} // namespace Firebird

namespace db {

class Query;

// One connection to a Firebird database, configured by a parameter list of
// "Name=Value" lines: Database, User_Name, Password, Server, Protocol, Port,
// DriverID and CreateDatabase. The list is read when the connection is made,
// so replacing it while connected takes effect at the next connect.
//
// Without an explicit transaction every statement runs in a transaction of
// its own that is committed as soon as the statement is done (a select: when
// its rows have been read). A statement run while the connection is off
// connects it again with the parameters in place; so does the first statement
// after the server was restarted, unless an explicit transaction was open.
//
// Queries belong to one connection and must not outlive it. A connection is
// moved, never copied: its attachment, its transaction and its queries go to
// the new object, and the one moved from is left without them.
class Connection
{
public:
    Connection();
    ~Connection(); // disconnects; never throws
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;

    QStringList& params() { return m_params; }
    const QStringList& params() const { return m_params; }
    void setParams(const QStringList& params) { m_params = params; }
    // The value of one entry (case-insensitive name), empty when absent.
    QString param(const QString& name) const;

    bool isConnected() const;
    void setConnected(bool on);
    // With CreateDatabase=true the database file is created first.
    void connect();
    // Closes the attachment. Rows a query has read stay readable; its
    // unread rows are read first when the server can still be reached,
    // unless the query does not keep them (Query::setKeepRowsOnDisconnect).
    // An open explicit transaction is rolled back. Never throws.
    void disconnect() noexcept;

    // The connection string the client is given, e.g.
    // "inet://127.0.0.1:3060//data/VORNALIX.FDB".
    QString connectionString() const;

    // How long a statement waits for a row another workstation has locked
    // before it fails, instead of hanging the screen.
    static constexpr int kLockTimeoutSeconds = 30;

    // An explicit transaction; its statements wait at most lockTimeoutSeconds
    // for a row another transaction holds.
    void startTransaction(int lockTimeoutSeconds = kLockTimeoutSeconds);
    void commit();
    void rollback(); // does nothing when no transaction is open
    bool inTransaction() const;

private:
    friend class Query;
    friend class TransactionGuard;

    Firebird::IAttachment* attachment(); // connects when needed
    Firebird::ITransaction* explicitTransaction() const;
    // Read committed, or a snapshot of the database as it stood at the start.
    Firebird::ITransaction* startOwnTransaction(bool readOnly, int lockTimeoutSeconds = kLockTimeoutSeconds,
                                                bool snapshot = false);
    unsigned long long generation() const { return m_generation; }
    // The attachment broke under us: drop it without talking to the server.
    void dropLostAttachment() noexcept;
    QStringList primaryKey(const QString& relation);
    std::pair<QString, int> characterSet(unsigned id); // name, bytes per character

    void attach(Query* query);
    void detach(Query* query);
    void endCursors(Firebird::ITransaction* transaction) noexcept;

    struct Handles;
    QStringList m_params;
    std::unique_ptr<Handles> m_handles;
    unsigned long long m_generation = 0;
    std::vector<Query*> m_queries;
    QHash<QString, QStringList> m_primaryKeys;
    QHash<unsigned, std::pair<QString, int>> m_characterSets;
};

// Commits only when told to: a guard that goes out of scope without commit()
// rolls the transaction back. Not copyable; never throws from its destructor.
class TransactionGuard
{
public:
    explicit TransactionGuard(Connection& connection,
                              int lockTimeoutSeconds = Connection::kLockTimeoutSeconds);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    void commit();
    void rollback();

private:
    Connection& m_connection;
    bool m_done = false;
};

} // namespace db

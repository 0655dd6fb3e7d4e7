#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace db {

// The one exception of the data-access layer. It carries what a person needs
// to understand a failure: the server's message as the server wrote it, the
// SQLSTATE and Firebird error code when the server gave them, and the
// statement that failed.
class Error : public std::exception
{
public:
    explicit Error(QString message, QString sqlState = {}, long errorCode = 0, QString statement = {});

    const char* what() const noexcept override { return m_what.constData(); }

    QString message() const { return m_message; }
    QString sqlState() const { return m_sqlState; }
    long errorCode() const { return m_errorCode; }
    QString statement() const { return m_statement; }

    // True when the failure means the attachment is gone (server stopped,
    // network cut): the connection has to be made again.
    bool isConnectionLost() const;
    // True when another transaction holds the row (a lock conflict, a
    // deadlock, a lock wait that timed out): trying again later may succeed.
    bool isLockConflict() const;

    Error withStatement(const QString& statement) const;

    // What the clerk is not shown but whoever looks into it needs: the
    // SQLSTATE, the server's error code and the statement, one per line.
    QString details() const;

private:
    QString m_message;
    QString m_sqlState;
    long m_errorCode;
    QString m_statement;
    QByteArray m_what;
};

} // namespace db

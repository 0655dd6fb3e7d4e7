#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>

namespace db {
class Connection;
class Query;
} // namespace db

// Runs the statements of many lines of an import in one round trip, each
// line all or nothing on its own.
//
// One EXECUTE BLOCK carries the values of many lines as its input parameters,
// declared with the target columns' types, and gives every line a block of
// its own, BEGIN BEGIN … END WHEN ANY DO … END. The inner block is the line's
// savepoint: when the handler catches an error, everything the inner block
// did is undone, so the line's statements stand or fall together and the
// other lines go on. (The handler's own block would not do: the server undoes
// only the failing statement there and keeps the ones before it.) The handler
// returns the line's number, so the block, opened as a cursor, says which
// lines failed. One statement per line is bound near twelve thousand
// lines a second over TCP by its round trips; a savepoint around each would
// triple them.
//
// The server converts every input parameter before the first line runs, and
// one value it cannot convert fails the whole block. add() therefore checks
// each value against its declaration first (a whole number within the
// column's range, a text that code page 932 holds within the column's width)
// and refuses a line that would not pass, so that only genuine failures of a
// line reach the handlers.
//
// Meant for the connection's explicit transaction, which the caller commits
// or rolls back as a whole (without one, each block commits on its own). A
// failure of the block itself (the connection lost) raises db::Error.
class LineBlock
{
public:
    // One value of a line: its name in the line's statements (an SQL
    // identifier) and its type, e.g. "VARCHAR(100)".
    struct Value
    {
        QString name;
        QString declaration;
    };

    // lineStatements are the statements of one line, each ending in ";",
    // naming the line's values as :NAME. maxLines caps the lines per round
    // trip (0: as many as the server's limits allow).
    LineBlock(db::Connection& connection, const QList<Value>& values, const QString& lineStatements,
              int maxLines = 0);
    ~LineBlock();
    LineBlock(const LineBlock&) = delete;
    LineBlock& operator=(const LineBlock&) = delete;

    // The declarations of columns of a table, as the block declares them.
    static QStringList describe(db::Connection& connection, const QString& table, const QStringList& columns);

    // Why a line's values (in declaration order; an invalid QVariant is null)
    // cannot be sent; empty when they can.
    QString check(const QVariantList& values) const;
    // Gathers a line under the caller's tag. False, with the reason, for a
    // line check() refuses; it is not kept.
    bool add(const QVariantList& values, int tag, QString* reason = nullptr);

    bool isFull() const { return m_waiting.size() >= m_linesPerBlock; }
    int waiting() const { return int(m_waiting.size()); }
    int linesPerBlock() const { return m_linesPerBlock; }

    // Runs the lines gathered so far; returns the tags of those that failed,
    // in the order they were added.
    QList<int> send();

    // What a value must satisfy to pass the server's input conversion.
    struct Limit
    {
        enum Kind { Any, Integer, Number, Text } kind = Any;
        qint64 min = 0;
        qint64 max = 0;
        int length = 0; // of a text: bytes, or characters with a character set
        bool inCharacters = false;
    };

private:
    struct Line
    {
        int tag;
        QVariantList values; // texts already in code page 932
    };
    QString blockText(int lines) const;

    db::Connection& m_connection;
    QList<Value> m_values;
    QList<Limit> m_limits;
    QString m_lineStatements; // the values' names marked for each line's prefix
    int m_linesPerBlock = 1;
    QList<QStringList> m_names;           // per line of a block, per value
    std::unique_ptr<db::Query> m_full;    // a full block, prepared once
    std::unique_ptr<db::Query> m_partial; // the rest
    int m_partialLines = 0;
    QList<Line> m_waiting;
};

#pragma once

#include <QStringList>
#include <QVariantList>

#include <memory>

namespace db {

class Connection;
class Query;

// How many rows one EXECUTE BLOCK may carry: the server takes a message of
// at most 64 KB (the rows' parameters, declared as given), a statement text of
// at most 64 KB (rowText: what one more row adds to it) and at most 255
// contexts (contextsPerRow: the INSERT, UPDATE and DELETE statements of one
// row). At least one, at most 250.
int BlockRows(const QStringList& declarations, int rowText, int contextsPerRow = 1);

// Inserts many rows into one table with few round trips to the server: the
// rows are gathered and sent several at a time as one EXECUTE BLOCK whose
// parameters carry their values, so they are bound like any other value.
// One statement per row is bound near twelve thousand rows a second over
// TCP by the round trips alone; this is several times faster.
//
// Runs in the connection's explicit transaction when one is open (the usual
// case: an import is one transaction), else each block commits on its own.
// A failing block raises the server's error; which of its rows failed is the
// caller's to find out (for instance by inserting them one by one).
class BlockInsert
{
public:
    // rowsPerBlock 0 picks as many as the server's message limits allow.
    BlockInsert(Connection& connection, const QString& table, const QStringList& columns,
                int rowsPerBlock = 0);
    ~BlockInsert();
    BlockInsert(const BlockInsert&) = delete;
    BlockInsert& operator=(const BlockInsert&) = delete;

    // One row, its values in column order; an invalid QVariant is null.
    // Sends a block when enough rows are gathered. A text with a character
    // code page 932 cannot hold is refused at once and not kept.
    void add(const QVariantList& values);
    // Sends the rows gathered so far. Call before committing.
    void flush();

    int rowsPerBlock() const { return m_rowsPerBlock; }
    int rowsWritten() const { return m_written; }
    int rowsWaiting() const { return int(m_waiting.size()); }

private:
    QString blockText(int rows) const;
    void send(int rows);

    Connection& m_connection;
    QString m_table;
    QStringList m_columns;
    QStringList m_declarations;
    int m_rowsPerBlock = 1;
    std::unique_ptr<Query> m_full;    // the statement for a full block, prepared once
    std::unique_ptr<Query> m_partial; // the rest at flush()
    QList<QVariantList> m_waiting;
    int m_written = 0;
};

} // namespace db

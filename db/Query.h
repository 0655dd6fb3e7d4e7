#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace Firebird {
class ITransaction;
} // namespace Firebird

namespace db {

class Connection;
class Query;

// One column of a query's current row. A null reads as "" or 0; setting and
// clearing a value needs the query in edit mode (cached updates).
class Field
{
public:
    Field(Query* query, int index) : m_query(query), m_index(index) {}

    QString name() const;
    int index() const { return m_index; }

    bool isNull() const;
    QVariant value() const; // a null is an invalid QVariant
    QString asString() const;
    int asInteger() const; // text that is not a whole number throws
    qint64 asLargeInt() const;
    double asFloat() const;
    QDateTime asDateTime() const; // a null is an invalid QDateTime
    // The text a grid shows: numbers through the field's display format,
    // dates as yyyy/MM/dd.
    QString displayText() const;

    void setValue(const QVariant& value) const;
    void clear() const; // the column becomes null when the change is applied

private:
    Query* m_query;
    int m_index;
};

// A statement on a connection, kept as lines of text, and its result.
//
//   q.clearSql(); q.addSql("select * from MAS_SIIRE"); q.addSql("where T_CD=:CD");
//   q.setParam("CD", 105); q.open();
//   for (; !q.eof(); q.next()) ... q.field("T_NAME01").asString() ...
//
// ":NAME" parameters are bound by name, never spliced into the text; a name
// may occur twice and a parameter that is never set binds null. Text crosses
// to the server as code page 932: a character that page cannot hold fails
// the statement before anything is sent.
//
// open() runs a select (or any statement returning a row, such as INSERT …
// RETURNING) and stands on the first row; rows are read from the server as
// they are needed, so a large result opens at once. execute() runs anything
// else. With cached updates on, edit()/Field::setValue()/post() change the
// current row in memory and applyUpdates() writes the changes.
//
// A query is a QObject, because the grids follow its signals, and like every
// QObject it is neither copied nor moved: the grids, its connection and its
// owner hold it by address. Moving its connection carries it along.
class Query : public QObject
{
    Q_OBJECT

public:
    explicit Query(Connection& connection, QObject* parent = nullptr);
    ~Query() override;

    Connection& connection() const;

    // The statement. Changing it closes the query and forgets parameter values.
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QString& text);
    void setSql(const QStringList& lines);
    QStringList sql() const;
    QString sqlText() const; // the lines joined with line breaks

    void setParam(const QString& name,
                  const QVariant& value);      // throws when the statement has no such parameter
    void setParams(const QVariantMap& params); // setParam for each name and value
    QVariant param(const QString& name) const;
    void clearParams(); // every parameter binds null again
    QStringList paramNames() const;

    void open();
    void execute();
    void close();
    bool isOpen() const;
    // What becomes of the rows not read yet when the connection is switched
    // off while the result is open. Kept (the default): they are read first,
    // so that a handler walking the rows goes on. Not kept: the result is
    // closed, and whoever needs it again opens it again; for a list nobody
    // shows any more, whose hundred thousand rows nobody should wait for.
    void setKeepRowsOnDisconnect(bool keep);
    // How a select outside an explicit transaction reads. By default each
    // row as last committed when it is read, so that a long list shows what
    // others commit meanwhile; but a table another workstation replaces in
    // one transaction may then be read half old and half new, should the
    // replacement commit while the rows are read (Firebird 3 reads row by
    // row). With snapshot on, the whole result is read as the database stood
    // when the select began: wholly old or wholly new. The snapshot is held
    // until every row is read or the query closed, and holds back the
    // server's clean-up meanwhile: for lookups, not for lists left open.
    void setSnapshot(bool on);
    bool snapshot() const;
    int rowsAffected() const; // of the last execute(); asks the server the first time
    // The server's plan for the statement last run: which indexes it reads.
    // Empty when none has been prepared on the current attachment.
    QString plan() const;

    // Walking the result.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    int recordCount();    // reads the whole result
    int recNo() const;    // 1-based; 0 when there is no row
    void moveTo(int row); // 0-based

    int fieldCount() const;
    QString fieldName(int index) const;
    int fieldIndex(const QString& name) const; // -1 when missing
    // The column's type as SQL declares it, e.g. "VARCHAR(100)".
    QString fieldDeclaration(int index) const;
    Field field(const QString& name); // throws when missing
    Field field(int index);
    // Kept across reopening, like a persistent field's display format.
    void setDisplayFormat(const QString& fieldName, const QString& format);

    // Random access for grids, without moving the current row.
    QVariant valueAt(int row, int column) const;
    QString displayTextAt(int row, int column) const;
    int fetchedCount() const;
    bool allFetched() const;
    int fetchMore(int maxRows); // returns the number of rows read

    // Cached updates.
    void setCachedUpdates(bool on);
    bool cachedUpdates() const;
    void edit();
    void post();
    void cancel();
    bool isEditing() const;
    bool hasPendingUpdates() const;
    // Writes every posted change, all or nothing: inside the connection's
    // explicit transaction when one is open, else in a transaction of its
    // own. A row that no longer exists fails the whole apply.
    void applyUpdates();

signals:
    void aboutToReset();
    void reset();
    void rowsFetched(int first, int last);
    void rowChanged(int row);
    void currentChanged(int row);

private:
    friend class Connection;
    friend class Field;
    struct Private;
    std::unique_ptr<Private> d;

    // Called by the connection.
    void endCursor(Firebird::ITransaction* transaction) noexcept; // nullptr: any
    void abandonCursor() noexcept;
    void releaseStatement() noexcept;
    void connectionGone() noexcept;
    void connectionMoved(Connection* to) noexcept;
};

} // namespace db

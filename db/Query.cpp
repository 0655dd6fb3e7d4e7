#include "db/Query.h"

#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <utility>

#include "db/Connection.h"
#include "db/FbApi.h"
#include "db/InputMessage.h"
#include "db/QueryFaults.h"
#include "db/RowStore.h"
#include "db/SqlParameters.h"
#include "util/Cp932.h"
#include "util/DisplayFormat.h"

namespace db {

using namespace Firebird;

namespace {

// Set by faults::failNextDescribe().
bool describeFault = false;

// Rows read at open(): small results are then complete and their
// transaction ends at once; larger ones are read on demand.
constexpr int kFirstBatch = 64;
// ISC_DATE counts days from 17 November 1858; QDate counts Julian days.
constexpr qint64 kJulianDayOfIscZero = 2400001;

struct ColumnInfo
{
    QString name;     // as the result names it (alias), unique within the result
    QString relation; // the table it comes from, if any
    QString origin;   // its name in that table
    unsigned type = 0;
    int scale = 0;
    unsigned length = 0;
    unsigned charSet = 0;
    int subType = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

QString formatNumber(double v)
{
    return QString::number(v, 'g', 15);
}

QString textOf(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Double:
        return formatNumber(v.toDouble());
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy/MM/dd"))
                                        : dt.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    }
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray:
        return cp932::decode(v.toByteArray());
    default:
        return v.toString();
    }
}

bool isNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

struct Query::Private
{
    explicit Private(Query* query, Connection& connection) : q(query), conn(&connection) {}

    Query* q;
    Connection* conn;

    QStringList lines;
    std::optional<ParsedStatement> parsed;
    QSet<QString> parsedNames;
    QByteArray encodedText; // parsed text in code page 932, made on first run
    bool looksLikeSelect = false;
    QHash<QString, QVariant> params; // by upper-case name

    // The prepared statement, valid for one attachment.
    fb::Ref<IStatement> statement;
    QByteArray statementText;
    unsigned long long statementGeneration = 0;
    unsigned statementType = 0;
    fb::Ref<IMessageMetadata> inMeta;
    fb::Ref<IMessageMetadata> outMeta;
    std::vector<ColumnInfo> statementColumns;
    InputMessage input;
    std::vector<unsigned char> outBuffer;

    // The result.
    bool open = false;
    std::vector<ColumnInfo> columns;
    QHash<QString, int> columnIndex;
    RowStore rows;
    RowWriter writer;
    fb::Ref<IResultSet> cursor;
    fb::Ref<ITransaction> ownTransaction; // autocommit: the cursor's transaction
    ITransaction* cursorTransaction = nullptr;
    int current = -1;
    bool eof = true;
    bool bof = true;
    int rowsAffected = 0;
    bool rowsAffectedKnown = true; // asking the server costs a round trip: only when asked
    bool resetting = false;
    QHash<QString, QString> displayFormats;

    // Cached updates: the current row's edit, the posted changes not yet
    // written, and the changes written (the row as it now stands in the table).
    bool keepRowsOnDisconnect = true;
    bool snapshot = false;
    bool cachedUpdates = false;
    bool editing = false;
    QHash<int, QVariant> editBuffer;
    std::map<int, QHash<int, QVariant>> pending;
    std::map<int, QHash<int, QVariant>> applied;

    const ParsedStatement& parsedStatement()
    {
        if (!parsed) {
            parsed = parseParameters(lines.join(u'\n'));
            parsedNames = QSet<QString>(parsed->names.cbegin(), parsed->names.cend());
            encodedText.clear();
            const QString firstWord =
                parsed->text.trimmed().section(QRegularExpression(QStringLiteral("\\s")), 0, 0).toUpper();
            looksLikeSelect = firstWord == QLatin1String("SELECT") || firstWord == QLatin1String("WITH");
        }
        return *parsed;
    }

    QString sqlText() const { return lines.join(u'\n'); }

    void requireConnection() const
    {
        if (!conn)
            throw Error(QStringLiteral("クエリの接続が閉じられています。"));
    }

    void requireOpen() const
    {
        if (!open)
            throw Error(QStringLiteral("クエリが開かれていません。"));
    }

    [[noreturn]] void fail(const FbException& e)
    {
        const Error error = fb::toError(e.getStatus(), sqlText());
        if (error.isConnectionLost() && conn)
            conn->dropLostAttachment();
        throw error;
    }

    void prepare(ITransaction* transaction, const QByteArray& text)
    {
        if (statement && statementGeneration == conn->generation() && statementText == text)
            return;
        releaseStatement();
        fb::Status st;
        IAttachment* a = conn->attachment();
        statement.reset(a->prepare(st.get(), transaction, unsigned(text.size()), text.constData(),
                                   SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA));
        statementType = statement->getType(st.get());
        inMeta.reset(statement->getInputMetadata(st.get()));
        outMeta.reset(statement->getOutputMetadata(st.get()));
        outBuffer.assign(outMeta->getMessageLength(st.get()), 0);
        describe();
        // Recorded last: a statement whose description failed half-way is
        // prepared afresh next time, never run on what was left of it.
        statementText = text;
        statementGeneration = conn->generation();
    }

    void describe()
    {
        if (std::exchange(describeFault, false))
            throw Error(QStringLiteral("文の列を読めません（試験のための障害）。"));
        fb::Status st;
        statementColumns.clear();
        const unsigned n = outMeta->getCount(st.get());
        QHash<QString, int> seen;
        for (unsigned i = 0; i < n; ++i) {
            ColumnInfo c;
            c.name = cp932::decode(QByteArrayView(outMeta->getAlias(st.get(), i)));
            if (c.name.isEmpty())
                c.name = cp932::decode(QByteArrayView(outMeta->getField(st.get(), i)));
            // A name that occurs twice gets a suffix, as grids expect.
            const QString key = c.name.toUpper();
            if (const int count = seen.value(key); count > 0)
                c.name += QStringLiteral("_%1").arg(count);
            seen[key] += 1;
            c.relation = cp932::decode(QByteArrayView(outMeta->getRelation(st.get(), i)));
            c.origin = cp932::decode(QByteArrayView(outMeta->getField(st.get(), i)));
            c.type = outMeta->getType(st.get(), i) & ~1u;
            c.scale = outMeta->getScale(st.get(), i);
            c.length = outMeta->getLength(st.get(), i);
            c.charSet = outMeta->getCharSet(st.get(), i);
            c.subType = outMeta->getSubType(st.get(), i);
            c.offset = outMeta->getOffset(st.get(), i);
            c.nullOffset = outMeta->getNullOffset(st.get(), i);
            statementColumns.push_back(c);
        }
    }

    void releaseStatement() noexcept
    {
        input.reset();
        inMeta.reset();
        outMeta.reset();
        fb::finish(statement, &IStatement::free<ThrowStatusWrapper>);
        statementText.clear();
    }

    // Copies the row in outBuffer into the row store.
    void storeRow(ITransaction* transaction)
    {
        writer.clear();
        const unsigned char* buf = outBuffer.data();
        for (const ColumnInfo& c : columns) {
            short null;
            std::memcpy(&null, buf + c.nullOffset, sizeof null);
            const unsigned char* p = buf + c.offset;
            if (null) {
                writer.null();
                continue;
            }
            switch (c.type) {
            case SQL_TEXT:
                writer.text(reinterpret_cast<const char*>(p), c.length);
                break;
            case SQL_VARYING: {
                unsigned short n;
                std::memcpy(&n, p, sizeof n);
                writer.text(reinterpret_cast<const char*>(p + sizeof n), n);
                break;
            }
            case SQL_SHORT: {
                std::int16_t v;
                std::memcpy(&v, p, sizeof v);
                scaled(v, c.scale);
                break;
            }
            case SQL_LONG: {
                std::int32_t v;
                std::memcpy(&v, p, sizeof v);
                scaled(v, c.scale);
                break;
            }
            case SQL_INT64: {
                std::int64_t v;
                std::memcpy(&v, p, sizeof v);
                scaled(v, c.scale);
                break;
            }
            case SQL_FLOAT: {
                float v;
                std::memcpy(&v, p, sizeof v);
                writer.real(v);
                break;
            }
            case SQL_DOUBLE:
            case SQL_D_FLOAT: {
                double v;
                std::memcpy(&v, p, sizeof v);
                writer.real(v);
                break;
            }
            case SQL_TYPE_DATE: {
                ISC_DATE v;
                std::memcpy(&v, p, sizeof v);
                writer.date(std::int32_t(v + kJulianDayOfIscZero));
                break;
            }
            case SQL_TYPE_TIME: {
                ISC_TIME v;
                std::memcpy(&v, p, sizeof v);
                writer.time(std::int32_t(v / 10));
                break;
            }
            case SQL_TIMESTAMP: {
                ISC_TIMESTAMP v;
                std::memcpy(&v, p, sizeof v);
                writer.timestamp(std::int32_t(v.timestamp_date + kJulianDayOfIscZero),
                                 std::int32_t(v.timestamp_time / 10));
                break;
            }
            case SQL_BOOLEAN:
                writer.boolean(*p != 0);
                break;
            case SQL_BLOB: {
                ISC_QUAD id;
                std::memcpy(&id, p, sizeof id);
                // Read as text, which is how the grids and exports show a blob.
                const QByteArray content = readBlob(transaction, id);
                writer.text(content.constData(), std::uint32_t(content.size()));
                break;
            }
            default:
                writer.null();
                break;
            }
        }
        rows.append(writer.data());
    }

    template <class T> void scaled(T v, int scale)
    {
        if (scale == 0)
            writer.integer(std::int64_t(v));
        else
            writer.real(double(v) * std::pow(10.0, scale));
    }

    QByteArray readBlob(ITransaction* transaction, ISC_QUAD& id)
    {
        fb::Status st;
        fb::Ref<IBlob> blob(conn->attachment()->openBlob(st.get(), transaction, &id, 0, nullptr));
        QByteArray content;
        char chunk[16384];
        for (;;) {
            unsigned got = 0;
            const int r = blob->getSegment(st.get(), sizeof chunk, chunk, &got);
            if (r == IStatus::RESULT_NO_DATA)
                break;
            content.append(chunk, got);
        }
        blob->close(st.get());
        blob.take();
        return content;
    }

    // Reads one more row from the cursor; false at its end.
    bool fetchOne()
    {
        if (!cursor)
            return false;
        try {
            fb::Status st;
            if (cursor->fetchNext(st.get(), outBuffer.data()) == IStatus::RESULT_OK) {
                storeRow(cursorTransaction);
                return true;
            }
        } catch (const FbException& e) {
            abandonCursor();
            fail(e);
        }
        finishCursor();
        return false;
    }

    int fetch(int maxRows)
    {
        const int first = rows.size();
        int n = 0;
        while (n < maxRows && fetchOne())
            ++n;
        if (n > 0 && !resetting)
            emit q->rowsFetched(first, first + n - 1);
        return n;
    }

    void fetchAll() { fetch(std::numeric_limits<int>::max()); }

    // The cursor is done: close it and end its own transaction.
    void finishCursor() noexcept
    {
        fb::finish(cursor, &IResultSet::close<ThrowStatusWrapper>);
        cursorTransaction = nullptr;
        fb::finish(ownTransaction, &ITransaction::commit<ThrowStatusWrapper>);
    }

    void abandonCursor() noexcept
    {
        cursor.reset();
        ownTransaction.reset();
        cursorTransaction = nullptr;
    }

    // A statement failed: undo its own transaction (the explicit one is the caller's).
    void rollbackOwn() noexcept
    {
        fb::finish(cursor, &IResultSet::close<ThrowStatusWrapper>);
        cursorTransaction = nullptr;
        fb::finish(ownTransaction, &ITransaction::rollback<ThrowStatusWrapper>);
    }

    // A statement succeeded: make its own transaction's work permanent.
    void commitOwn()
    {
        if (!ownTransaction)
            return;
        fb::Status st;
        ownTransaction->commit(st.get());
        ownTransaction.take();
    }

    void endCursor(ITransaction* transaction) noexcept
    {
        if (!cursor || (transaction && cursorTransaction != transaction))
            return;
        try {
            fetchAll();
        } catch (...) {
            abandonCursor();
        }
        finishCursor();
    }

    void clearResult()
    {
        finishCursor();
        open = false;
        rows.clear();
        columns.clear();
        columnIndex.clear();
        current = -1;
        eof = bof = true;
        editing = false;
        editBuffer.clear();
        pending.clear();
        applied.clear();
    }

    // Runs the statement: parsed and encoded, prepared in its transaction
    // (again on a new attachment after a server restart), then opened as a
    // select or executed. A failure leaves no result and no open transaction
    // of its own.
    void run(bool wantRows);
    QByteArray statementBytes();
    ITransaction* begin(const QByteArray& text);
    ITransaction* beginWithReconnect(const QByteArray& text);
    void runSelect(ITransaction* transaction, bool wantRows);
    void runExecute(ITransaction* transaction, bool wantRows, bool hasOutput);
    [[noreturn]] void runFailed(const FbException* error);

    const ColumnInfo& column(int index) const
    {
        if (index < 0 || index >= int(columns.size()))
            throw Error(QStringLiteral("フィールド番号 %1 はありません。").arg(index));
        return columns[std::size_t(index)];
    }

    QVariant storedValue(int row, int col) const
    {
        const Cell cell = rows.cell(row, col);
        const ColumnInfo& c = columns[std::size_t(col)];
        switch (cell.kind) {
        case CellKind::Null:
            return {};
        case CellKind::Text:
            return cp932::decode(QByteArrayView(cell.bytes, cell.size));
        case CellKind::Bytes:
            return QByteArray(cell.bytes, cell.size);
        case CellKind::Integer:
            return c.scale == 0 ? QVariant(qlonglong(cell.integer)) : QVariant(double(cell.integer));
        case CellKind::Double:
            return cell.real;
        case CellKind::Date:
            return QDate::fromJulianDay(cell.day);
        case CellKind::Time:
            return QTime::fromMSecsSinceStartOfDay(cell.msecs);
        case CellKind::Timestamp:
            return QDateTime(QDate::fromJulianDay(cell.day), QTime::fromMSecsSinceStartOfDay(cell.msecs));
        case CellKind::Boolean:
            return cell.boolean;
        }
        return {};
    }

    // The row as the table now holds it: read, plus changes already written.
    QVariant writtenValue(int row, int col) const
    {
        if (const auto it = applied.find(row); it != applied.end())
            if (const auto v = it->second.constFind(col); v != it->second.constEnd())
                return *v;
        return storedValue(row, col);
    }

    QVariant value(int row, int col) const
    {
        if (row < 0 || row >= rows.size())
            return {};
        if (editing && row == current)
            if (const auto v = editBuffer.constFind(col); v != editBuffer.constEnd())
                return *v;
        if (const auto it = pending.find(row); it != pending.end())
            if (const auto v = it->second.constFind(col); v != it->second.constEnd())
                return *v;
        return writtenValue(row, col);
    }

    QString displayText(int row, int col) const
    {
        const QVariant v = value(row, col);
        if (isNumeric(v)) {
            const QString format = displayFormats.value(columns[std::size_t(col)].name.toUpper());
            if (!format.isEmpty())
                return FormatFloat(format, v.toDouble());
        }
        return textOf(v);
    }

    // Before the current row changes, as a data set does: an edit is posted.
    void leaveRow()
    {
        if (editing)
            q->post();
    }
};

void Query::Private::run(bool wantRows)
{
    requireConnection();
    const QByteArray text = statementBytes();
    std::vector<BoundValue> values;
    values.reserve(std::size_t(parsed->names.size()));
    for (const QString& name : parsed->names)
        values.push_back(BoundValue::from(params.value(name), name));

    ITransaction* transaction = beginWithReconnect(text);
    const bool isSelect =
        statementType == isc_info_sql_stmt_select || statementType == isc_info_sql_stmt_select_for_upd;
    fb::Status st;
    const bool hasOutput = outMeta->getCount(st.get()) > 0;
    if (wantRows && !isSelect && !hasOutput) {
        finishCursor();
        throw Error(QStringLiteral("この文は行を返さないため、開けません。"), {}, 0, sqlText());
    }
    try {
        input.bind(inMeta.get(), values);
        if (isSelect)
            runSelect(transaction, wantRows);
        else
            runExecute(transaction, wantRows, hasOutput);
    } catch (const FbException& e) {
        runFailed(&e);
    } catch (...) {
        runFailed(nullptr);
    }
    if (open) {
        for (int i = 0; i < int(columns.size()); ++i)
            columnIndex.insert(columns[std::size_t(i)].name.toUpper(), i);
        current = rows.size() > 0 ? 0 : -1;
        eof = rows.size() == 0;
        bof = true;
    }
}

QByteArray Query::Private::statementBytes()
{
    const ParsedStatement& parsedSql = parsedStatement();
    if (parsedSql.text.trimmed().isEmpty())
        throw Error(QStringLiteral("SQL 文が空です。"));
    if (encodedText.isEmpty()) {
        try {
            encodedText = cp932::encode(parsedSql.text);
        } catch (const cp932::EncodeError& e) {
            throw Error(QStringLiteral("SQL 文: %1").arg(e.message()), {}, 0, sqlText());
        }
    }
    return encodedText;
}

ITransaction* Query::Private::begin(const QByteArray& text)
{
    if (ITransaction* explicitTransaction = conn->explicitTransaction()) {
        prepare(explicitTransaction, text);
        return explicitTransaction;
    }
    ownTransaction.reset(conn->startOwnTransaction(looksLikeSelect, Connection::kLockTimeoutSeconds,
                                                   looksLikeSelect && snapshot));
    prepare(ownTransaction.get(), text);
    if (looksLikeSelect && statementType != isc_info_sql_stmt_select) {
        // A select that writes (a procedure) needs a transaction that may.
        fb::Status st;
        ownTransaction->commit(st.get());
        ownTransaction.take();
        ownTransaction.reset(conn->startOwnTransaction(false));
    }
    return ownTransaction.get();
}

ITransaction* Query::Private::beginWithReconnect(const QByteArray& text)
{
    // Nothing has happened on the server yet, so after a server restart this
    // is simply done again on a new attachment; not inside the caller's
    // transaction, which went with the old one.
    const bool inExplicitTransaction = conn->explicitTransaction() != nullptr;
    try {
        try {
            return begin(text);
        } catch (const FbException& e) {
            if (!fb::toError(e.getStatus(), sqlText()).isConnectionLost() || inExplicitTransaction)
                throw;
            conn->dropLostAttachment();
            return begin(text);
        }
    } catch (const FbException& e) {
        rollbackOwn();
        fail(e);
    } catch (...) {
        rollbackOwn();
        throw;
    }
}

void Query::Private::runSelect(ITransaction* transaction, bool wantRows)
{
    fb::Status st;
    cursor.reset(
        statement->openCursor(st.get(), transaction, input.metadata(), input.buffer(), outMeta.get(), 0));
    cursorTransaction = transaction;
    rowsAffected = 0;
    rowsAffectedKnown = true;
    if (wantRows) {
        columns = statementColumns;
        open = true;
        fetch(kFirstBatch);
    } else {
        finishCursor();
    }
}

void Query::Private::runExecute(ITransaction* transaction, bool wantRows, bool hasOutput)
{
    fb::Status st;
    statement->execute(st.get(), transaction, input.metadata(), input.buffer(),
                       hasOutput ? outMeta.get() : nullptr, hasOutput ? outBuffer.data() : nullptr);
    rowsAffectedKnown = false;
    if (wantRows) {
        columns = statementColumns;
        open = true;
        storeRow(transaction);
    }
    commitOwn();
}

void Query::Private::runFailed(const FbException* error)
{
    // A lost attachment took its transaction with it; anything else is undone.
    if (error && fb::toError(error->getStatus(), sqlText()).isConnectionLost())
        abandonCursor();
    else
        rollbackOwn();
    open = false;
    rows.clear();
    columns.clear();
    if (error)
        fail(*error);
    throw; // called from a handler: rethrows the exception being handled
}

void faults::failNextDescribe()
{
    describeFault = true;
}

// ---------------------------------------------------------------------------

Query::Query(Connection& connection, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(this, connection))
{
    connection.attach(this);
}

Query::~Query()
{
    d->finishCursor();
    d->releaseStatement();
    if (d->conn)
        d->conn->detach(this);
}

Connection& Query::connection() const
{
    d->requireConnection();
    return *d->conn;
}

void Query::clearSql()
{
    close();
    d->lines.clear();
    d->parsed.reset();
    d->params.clear();
}

void Query::addSql(const QString& line)
{
    close();
    d->lines << line;
    d->parsed.reset();
    d->params.clear();
}

void Query::setSql(const QString& text)
{
    setSql(text.split(u'\n'));
}

void Query::setSql(const QStringList& lines)
{
    close();
    d->lines = lines;
    d->parsed.reset();
    d->params.clear();
}

QStringList Query::sql() const
{
    return d->lines;
}

QString Query::sqlText() const
{
    return d->sqlText();
}

void Query::setParam(const QString& name, const QVariant& value)
{
    const QString key = name.toUpper();
    d->parsedStatement();
    if (!d->parsedNames.contains(key))
        throw Error(QStringLiteral("パラメーター %1 は文にありません。").arg(name), {}, 0, sqlText());
    d->params.insert(key, value);
}

void Query::setParams(const QVariantMap& params)
{
    for (auto it = params.begin(); it != params.end(); ++it)
        setParam(it.key(), it.value());
}

QVariant Query::param(const QString& name) const
{
    return d->params.value(name.toUpper());
}

void Query::clearParams()
{
    d->params.clear();
}

QStringList Query::paramNames() const
{
    QStringList names;
    for (const QString& n : d->parsedStatement().names)
        if (!names.contains(n))
            names << n;
    return names;
}

void Query::open()
{
    emit aboutToReset();
    d->resetting = true;
    auto done = qScopeGuard([this] {
        d->resetting = false;
        emit reset();
        emit currentChanged(d->current);
    });
    d->clearResult();
    d->run(true);
}

void Query::execute()
{
    close();
    d->run(false);
}

void Query::close()
{
    if (!d->open && !d->cursor)
        return;
    emit aboutToReset();
    d->clearResult();
    emit reset();
}

bool Query::isOpen() const
{
    return d->open;
}

int Query::rowsAffected() const
{
    if (!d->rowsAffectedKnown && d->statement) {
        try {
            fb::Status st;
            d->rowsAffected = int(d->statement->getAffectedRecords(st.get()));
        } catch (const FbException& e) {
            throw fb::toError(e.getStatus(), sqlText());
        }
        d->rowsAffectedKnown = true;
    }
    return d->rowsAffected;
}

QString Query::plan() const
{
    if (!d->statement || !d->conn || d->statementGeneration != d->conn->generation())
        return {};
    try {
        fb::Status st;
        return cp932::decode(QByteArrayView(d->statement->getPlan(st.get(), false))).trimmed();
    } catch (const FbException& e) {
        throw fb::toError(e.getStatus(), sqlText());
    }
}

void Query::first()
{
    d->requireOpen();
    d->leaveRow();
    d->current = d->rows.size() > 0 ? 0 : -1;
    d->eof = d->rows.size() == 0;
    d->bof = true;
    emit currentChanged(d->current);
}

void Query::next()
{
    d->requireOpen();
    d->leaveRow();
    d->bof = false;
    if (d->current + 1 < d->rows.size() || d->fetch(1) == 1) {
        ++d->current;
        d->eof = false;
        emit currentChanged(d->current);
    } else {
        d->eof = true;
    }
}

void Query::prior()
{
    d->requireOpen();
    d->leaveRow();
    d->eof = false;
    if (d->current > 0) {
        --d->current;
        d->bof = false;
        emit currentChanged(d->current);
    } else {
        d->bof = true;
    }
}

void Query::last()
{
    d->requireOpen();
    d->leaveRow();
    d->fetchAll();
    d->current = d->rows.size() - 1;
    d->eof = true;
    d->bof = d->rows.size() == 0;
    emit currentChanged(d->current);
}

bool Query::eof() const
{
    return !d->open || d->eof;
}

bool Query::bof() const
{
    return !d->open || d->bof;
}

bool Query::isEmpty() const
{
    return !d->open || d->rows.size() == 0;
}

int Query::recordCount()
{
    if (!d->open)
        return 0;
    d->fetchAll();
    return d->rows.size();
}

int Query::recNo() const
{
    return d->open ? d->current + 1 : 0;
}

void Query::moveTo(int row)
{
    d->requireOpen();
    if (row == d->current)
        return;
    d->leaveRow();
    if (row >= d->rows.size())
        d->fetch(row - d->rows.size() + 1);
    if (row < 0 || row >= d->rows.size())
        throw Error(QStringLiteral("%1 行目はありません。").arg(row + 1));
    d->current = row;
    d->eof = d->bof = false;
    emit currentChanged(row);
}

int Query::fieldCount() const
{
    return int(d->columns.size());
}

QString Query::fieldName(int index) const
{
    return d->column(index).name;
}

int Query::fieldIndex(const QString& name) const
{
    return d->columnIndex.value(name.toUpper(), -1);
}

QString Query::fieldDeclaration(int index) const
{
    const ColumnInfo& c = d->column(index);
    switch (c.type) {
    case SQL_TEXT:
    case SQL_VARYING: {
        const QLatin1String kind(c.type == SQL_TEXT ? "CHAR" : "VARCHAR");
        if (c.charSet == 0)
            return QStringLiteral("%1(%2)").arg(kind).arg(c.length);
        // The described length is in bytes; a declaration counts characters.
        const auto [set, bytesPerCharacter] = d->conn->characterSet(c.charSet & 0xFF);
        return QStringLiteral("%1(%2) CHARACTER SET %3")
            .arg(kind)
            .arg(c.length / std::max(1, bytesPerCharacter))
            .arg(set);
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        if (c.scale != 0)
            return QStringLiteral("NUMERIC(18,%1)").arg(-c.scale);
        return c.type == SQL_SHORT  ? QStringLiteral("SMALLINT")
               : c.type == SQL_LONG ? QStringLiteral("INTEGER")
                                    : QStringLiteral("BIGINT");
    case SQL_FLOAT:
        return QStringLiteral("FLOAT");
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return QStringLiteral("DOUBLE PRECISION");
    case SQL_TYPE_DATE:
        return QStringLiteral("DATE");
    case SQL_TYPE_TIME:
        return QStringLiteral("TIME");
    case SQL_TIMESTAMP:
        return QStringLiteral("TIMESTAMP");
    case SQL_BOOLEAN:
        return QStringLiteral("BOOLEAN");
    case SQL_BLOB:
        return QStringLiteral("BLOB SUB_TYPE %1").arg(c.subType);
    default:
        throw Error(QStringLiteral("フィールド %1 の型は扱えません。").arg(c.name));
    }
}

Field Query::field(const QString& name)
{
    d->requireOpen();
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(QStringLiteral("フィールド %1 がありません。").arg(name), {}, 0, sqlText());
    return Field(this, i);
}

Field Query::field(int index)
{
    d->requireOpen();
    d->column(index);
    return Field(this, index);
}

void Query::setDisplayFormat(const QString& fieldName, const QString& format)
{
    d->displayFormats.insert(fieldName.toUpper(), format);
}

QVariant Query::valueAt(int row, int column) const
{
    if (column < 0 || column >= fieldCount())
        return {};
    return d->value(row, column);
}

QString Query::displayTextAt(int row, int column) const
{
    if (column < 0 || column >= fieldCount() || row < 0 || row >= d->rows.size())
        return {};
    return d->displayText(row, column);
}

int Query::fetchedCount() const
{
    return d->rows.size();
}

bool Query::allFetched() const
{
    return !d->cursor;
}

int Query::fetchMore(int maxRows)
{
    return d->open ? d->fetch(maxRows) : 0;
}

void Query::setCachedUpdates(bool on)
{
    d->cachedUpdates = on;
}

bool Query::cachedUpdates() const
{
    return d->cachedUpdates;
}

void Query::edit()
{
    d->requireOpen();
    if (d->current < 0)
        throw Error(QStringLiteral("編集する行がありません。"), {}, 0, sqlText());
    d->editing = true;
}

void Query::post()
{
    if (!d->editing)
        return;
    auto& changes = d->pending[d->current];
    for (auto it = d->editBuffer.cbegin(); it != d->editBuffer.cend(); ++it)
        changes.insert(it.key(), it.value());
    if (changes.isEmpty())
        d->pending.erase(d->current);
    d->editBuffer.clear();
    d->editing = false;
    emit rowChanged(d->current);
    if (!d->cachedUpdates)
        applyUpdates();
}

void Query::cancel()
{
    if (!d->editing)
        return;
    d->editBuffer.clear();
    d->editing = false;
    emit rowChanged(d->current);
}

bool Query::isEditing() const
{
    return d->editing;
}

bool Query::hasPendingUpdates() const
{
    return !d->pending.empty();
}

void Query::applyUpdates()
{
    post();
    if (d->pending.empty())
        return;
    d->requireConnection();
    Connection& conn = *d->conn;

    // Every changed column must come from one table; its primary key finds the row.
    QString relation;
    for (const auto& [row, changes] : d->pending) {
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
            const ColumnInfo& c = d->columns[std::size_t(it.key())];
            if (c.relation.isEmpty() || c.origin.isEmpty() || (!relation.isEmpty() && c.relation != relation))
                throw Error(QStringLiteral("フィールド %1 は更新できません。").arg(c.name), {}, 0, sqlText());
            relation = c.relation;
        }
    }
    std::vector<int> keyColumns;
    for (const QString& keyName : conn.primaryKey(relation)) {
        for (int i = 0; i < int(d->columns.size()); ++i)
            if (d->columns[std::size_t(i)].relation == relation &&
                d->columns[std::size_t(i)].origin == keyName)
                keyColumns.push_back(i);
    }
    if (keyColumns.empty()) {
        // No key in the result: the row is found by all its values.
        for (int i = 0; i < int(d->columns.size()); ++i)
            if (d->columns[std::size_t(i)].relation == relation &&
                d->columns[std::size_t(i)].type != SQL_BLOB)
                keyColumns.push_back(i);
    }

    std::optional<TransactionGuard> guard;
    if (!conn.inTransaction())
        guard.emplace(conn);
    Query update(conn);
    for (const auto& [row, changes] : d->pending) {
        QStringList sets;
        QStringList conditions;
        QList<QPair<QString, QVariant>> values;
        int n = 0;
        for (auto it = changes.cbegin(); it != changes.cend(); ++it, ++n) {
            sets << QStringLiteral("\"%1\" = :V%2").arg(d->columns[std::size_t(it.key())].origin).arg(n);
            values.append({QStringLiteral("V%1").arg(n), it.value()});
        }
        n = 0;
        for (int k : keyColumns) {
            const QVariant v = d->writtenValue(row, k);
            const QString& name = d->columns[std::size_t(k)].origin;
            if (!v.isValid() || v.isNull()) {
                conditions << QStringLiteral("\"%1\" IS NULL").arg(name);
            } else {
                conditions << QStringLiteral("\"%1\" = :K%2").arg(name).arg(n);
                values.append({QStringLiteral("K%1").arg(n++), v});
            }
        }
        update.setSql(
            QStringLiteral("UPDATE \"%1\" SET %2 WHERE %3")
                .arg(relation, sets.join(QLatin1String(", ")), conditions.join(QLatin1String(" AND "))));
        for (const auto& [name, value] : values)
            update.setParam(name, value);
        update.execute();
        if (update.rowsAffected() != 1)
            throw Error(QStringLiteral(
                            "更新する行が見つかりません。ほかの端末で変更または削除された可能性があります。"),
                        {}, 0, update.sqlText());
    }
    if (guard)
        guard->commit();
    for (const auto& [row, changes] : d->pending) {
        auto& written = d->applied[row];
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            written.insert(it.key(), it.value());
    }
    d->pending.clear();
}

void Query::endCursor(ITransaction* transaction) noexcept
{
    if (!transaction && d->cursor && !d->keepRowsOnDisconnect) {
        try {
            close();
        } catch (...) {
            d->abandonCursor();
        }
        return;
    }
    d->endCursor(transaction);
}

void Query::setKeepRowsOnDisconnect(bool keep)
{
    d->keepRowsOnDisconnect = keep;
}

void Query::setSnapshot(bool on)
{
    d->snapshot = on;
}

bool Query::snapshot() const
{
    return d->snapshot;
}

void Query::abandonCursor() noexcept
{
    d->abandonCursor();
}

void Query::releaseStatement() noexcept
{
    d->releaseStatement();
}

void Query::connectionMoved(Connection* to) noexcept
{
    d->conn = to;
}

void Query::connectionGone() noexcept
{
    d->abandonCursor();
    d->releaseStatement();
    d->conn = nullptr;
}

// ---------------------------------------------------------------------------

QString Field::name() const
{
    return m_query->fieldName(m_index);
}

bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QVariant Field::value() const
{
    return m_query->d->value(m_query->d->current, m_index);
}

QString Field::asString() const
{
    return textOf(value());
}

int Field::asInteger() const
{
    return int(asLargeInt());
}

qint64 Field::asLargeInt() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
        return v.toLongLong();
    case QMetaType::Double:
        return qRound64(v.toDouble());
    default: {
        bool ok = false;
        const qint64 n = textOf(v).trimmed().toLongLong(&ok);
        if (!ok)
            throw Error(QStringLiteral("「%1」は整数ではありません（%2）。").arg(textOf(v), name()));
        return n;
    }
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return 0;
    if (isNumeric(v) || v.typeId() == QMetaType::Bool)
        return v.toDouble();
    bool ok = false;
    const double x = textOf(v).trimmed().toDouble(&ok);
    if (!ok)
        throw Error(QStringLiteral("「%1」は数値ではありません（%2）。").arg(textOf(v), name()));
    return x;
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QDateTime:
        return v.toDateTime();
    default: {
        const QString text = textOf(v).trimmed();
        for (const QString& format : {QStringLiteral("yyyy/M/d H:m:s"), QStringLiteral("yyyy/M/d"),
                                      QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd")}) {
            const QDateTime dt = QDateTime::fromString(text, format);
            if (dt.isValid())
                return dt;
        }
        throw Error(QStringLiteral("「%1」は日付ではありません（%2）。").arg(text, name()));
    }
    }
}

QString Field::displayText() const
{
    return m_query->displayTextAt(m_query->d->current, m_index);
}

void Field::setValue(const QVariant& value) const
{
    if (!m_query->d->editing)
        throw Error(QStringLiteral("行が編集中ではありません（%1）。").arg(name()));
    m_query->d->editBuffer.insert(m_index, value);
}

void Field::clear() const
{
    setValue(QVariant());
}

} // namespace db

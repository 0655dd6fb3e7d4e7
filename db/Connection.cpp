#include "db/Connection.h"

#include <algorithm>
#include <ibase.h>
#include <utility>

#include "db/FbApi.h"
#include "db/Query.h"
#include "util/Cp932.h"

namespace db {

using namespace Firebird;

namespace {

bool isTrue(const QString& value)
{
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
           value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 || value == QLatin1String("1");
}

} // namespace

struct Connection::Handles
{
    fb::Ref<IAttachment> attachment;
    fb::Ref<ITransaction> transaction; // the explicit one
};

Connection::Connection() : m_handles(std::make_unique<Handles>()) {}

Connection::~Connection()
{
    disconnect();
    for (Query* q : m_queries)
        q->connectionGone();
}

Connection::Connection(Connection&& other) noexcept
    : m_params(std::move(other.m_params)),
      m_handles(std::exchange(other.m_handles, std::make_unique<Handles>())),
      m_generation(other.m_generation), m_queries(std::move(other.m_queries)),
      m_primaryKeys(std::move(other.m_primaryKeys)), m_characterSets(std::move(other.m_characterSets))
{
    other.m_queries.clear();
    for (Query* q : m_queries)
        q->connectionMoved(this);
}

Connection& Connection::operator=(Connection&& other) noexcept
{
    if (this == &other)
        return *this;
    disconnect();
    for (Query* q : m_queries)
        q->connectionGone();
    m_params = std::move(other.m_params);
    m_handles = std::exchange(other.m_handles, std::make_unique<Handles>());
    m_generation = other.m_generation;
    m_queries = std::move(other.m_queries);
    other.m_queries.clear();
    m_primaryKeys = std::move(other.m_primaryKeys);
    m_characterSets = std::move(other.m_characterSets);
    for (Query* q : m_queries)
        q->connectionMoved(this);
    return *this;
}

QString Connection::param(const QString& name) const
{
    for (const QString& line : m_params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && QStringView(line).left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return {};
}

bool Connection::isConnected() const
{
    return bool(m_handles->attachment);
}

void Connection::setConnected(bool on)
{
    if (on)
        connect();
    else
        disconnect();
}

QString Connection::connectionString() const
{
    const QString database = param(QStringLiteral("Database"));
    QString server = param(QStringLiteral("Server")).trimmed();
    const QString port = param(QStringLiteral("Port")).trimmed();
    if (server.isEmpty() &&
        param(QStringLiteral("Protocol")).trimmed().compare(QLatin1String("TCPIP"), Qt::CaseInsensitive) == 0)
        server = QStringLiteral("localhost");
    if (server.isEmpty())
        return database;
    QString s = QStringLiteral("inet://") + server;
    if (!port.isEmpty())
        s += u':' + port;
    return s + u'/' + database;
}

void Connection::connect()
{
    if (isConnected())
        return;
    const QString driver = param(QStringLiteral("DriverID")).trimmed();
    if (!driver.isEmpty() && driver.compare(QLatin1String("FB"), Qt::CaseInsensitive) != 0)
        throw Error(QStringLiteral("DriverID=%1 には対応していません。").arg(driver));
    if (param(QStringLiteral("Database")).trimmed().isEmpty())
        throw Error(QStringLiteral("接続するデータベースが指定されていません。"));

    const QString target = connectionString();
    const bool create = isTrue(param(QStringLiteral("CreateDatabase")).trimmed());
    try {
        fb::Status st;
        fb::Xpb dpb(IXpbBuilder::DPB);
        dpb.tag(isc_dpb_utf8_filename);
        const QString user = param(QStringLiteral("User_Name"));
        if (!user.isEmpty())
            dpb.string(isc_dpb_user_name, cp932::encode(user));
        const QString password = param(QStringLiteral("Password"));
        if (!password.isEmpty())
            dpb.string(isc_dpb_password, cp932::encode(password));
        dpb.integer(isc_dpb_sql_dialect, 3);
        if (create)
            dpb.integer(isc_dpb_page_size, 8192);
        const QByteArray name = target.toUtf8();
        IAttachment* a =
            create ? fb::provider()->createDatabase(st.get(), name.constData(), dpb.length(), dpb.buffer())
                   : fb::provider()->attachDatabase(st.get(), name.constData(), dpb.length(), dpb.buffer());
        m_handles->attachment.reset(a);
        ++m_generation;
    } catch (const FbException& e) {
        throw fb::toError(e.getStatus());
    } catch (const cp932::EncodeError& e) {
        throw Error(e.message());
    }
}

void Connection::disconnect() noexcept
{
    if (!isConnected())
        return;
    // Queries keep what they have read; unread rows are read while we still can.
    endCursors(nullptr);
    fb::finish(m_handles->transaction, &ITransaction::rollback<ThrowStatusWrapper>);
    for (Query* q : m_queries)
        q->releaseStatement();
    fb::finish(m_handles->attachment, &IAttachment::detach<ThrowStatusWrapper>);
}

void Connection::dropLostAttachment() noexcept
{
    for (Query* q : m_queries) {
        q->abandonCursor();
        q->releaseStatement();
    }
    m_handles->transaction.reset();
    m_handles->attachment.reset();
}

IAttachment* Connection::attachment()
{
    connect();
    return m_handles->attachment.get();
}

ITransaction* Connection::explicitTransaction() const
{
    return m_handles->transaction.get();
}

ITransaction* Connection::startOwnTransaction(bool readOnly, int lockTimeoutSeconds, bool snapshot)
{
    IAttachment* a = attachment();
    fb::Status st;
    fb::Xpb tpb(IXpbBuilder::TPB);
    tpb.tag(readOnly ? isc_tpb_read : isc_tpb_write);
    if (snapshot) {
        tpb.tag(isc_tpb_concurrency);
    } else {
        tpb.tag(isc_tpb_read_committed);
        tpb.tag(isc_tpb_rec_version);
    }
    tpb.tag(isc_tpb_wait);
    tpb.integer(isc_tpb_lock_timeout, lockTimeoutSeconds);
    return a->startTransaction(st.get(), tpb.length(), tpb.buffer());
}

bool Connection::inTransaction() const
{
    return bool(m_handles->transaction);
}

void Connection::startTransaction(int lockTimeoutSeconds)
{
    if (inTransaction())
        throw Error(QStringLiteral("トランザクションはすでに開始されています。"));
    auto start = [this, lockTimeoutSeconds] {
        m_handles->transaction.reset(startOwnTransaction(false, lockTimeoutSeconds));
    };
    try {
        try {
            start();
        } catch (const FbException& e) {
            const Error error = fb::toError(e.getStatus());
            if (!error.isConnectionLost())
                throw error;
            // The server was restarted since we last spoke: nothing was done yet.
            dropLostAttachment();
            start();
        }
    } catch (const FbException& e) {
        throw fb::toError(e.getStatus());
    }
}

void Connection::commit()
{
    if (!inTransaction())
        throw Error(QStringLiteral("コミットするトランザクションがありません。"));
    endCursors(m_handles->transaction.get());
    try {
        fb::Status st;
        m_handles->transaction->commit(st.get());
        m_handles->transaction.take();
    } catch (const FbException& e) {
        const Error error = fb::toError(e.getStatus());
        if (error.isConnectionLost())
            dropLostAttachment();
        throw error;
    }
}

void Connection::rollback()
{
    if (!inTransaction())
        return;
    endCursors(m_handles->transaction.get());
    try {
        fb::Status st;
        m_handles->transaction->rollback(st.get());
        m_handles->transaction.take();
    } catch (const FbException& e) {
        const Error error = fb::toError(e.getStatus());
        m_handles->transaction.reset();
        if (error.isConnectionLost()) {
            // The server rolls back what a lost attachment left open.
            dropLostAttachment();
            return;
        }
        throw error;
    }
}

void Connection::attach(Query* query)
{
    m_queries.push_back(query);
}

void Connection::detach(Query* query)
{
    m_queries.erase(std::remove(m_queries.begin(), m_queries.end(), query), m_queries.end());
}

void Connection::endCursors(ITransaction* transaction) noexcept
{
    for (Query* q : m_queries)
        q->endCursor(transaction);
}

QStringList Connection::primaryKey(const QString& relation)
{
    const auto cached = m_primaryKeys.constFind(relation);
    if (cached != m_primaryKeys.constEnd())
        return *cached;
    Query q(*this);
    q.setSql(QStringLiteral("SELECT TRIM(s.RDB$FIELD_NAME) AS NAME FROM RDB$RELATION_CONSTRAINTS c "
                            "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                            "WHERE c.RDB$RELATION_NAME = :REL AND c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
                            "ORDER BY s.RDB$FIELD_POSITION"));
    q.setParam(QStringLiteral("REL"), relation);
    q.open();
    QStringList key;
    for (; !q.eof(); q.next())
        key << q.field(QStringLiteral("NAME")).asString();
    m_primaryKeys.insert(relation, key);
    return key;
}

std::pair<QString, int> Connection::characterSet(unsigned id)
{
    const auto cached = m_characterSets.constFind(id);
    if (cached != m_characterSets.constEnd())
        return *cached;
    Query q(*this);
    q.setSql(QStringLiteral("SELECT TRIM(RDB$CHARACTER_SET_NAME) AS NAME, RDB$BYTES_PER_CHARACTER AS BYTES "
                            "FROM RDB$CHARACTER_SETS WHERE RDB$CHARACTER_SET_ID = :ID"));
    q.setParam(QStringLiteral("ID"), int(id));
    q.open();
    const std::pair<QString, int> set{q.field(QStringLiteral("NAME")).asString(),
                                      q.field(QStringLiteral("BYTES")).asInteger()};
    m_characterSets.insert(id, set);
    return set;
}

TransactionGuard::TransactionGuard(Connection& connection, int lockTimeoutSeconds) : m_connection(connection)
{
    m_connection.startTransaction(lockTimeoutSeconds);
}

TransactionGuard::~TransactionGuard()
{
    if (m_done)
        return;
    try {
        m_connection.rollback();
    } catch (...) {
        // A destructor must not throw; the server rolls back what it cannot finish.
    }
}

void TransactionGuard::commit()
{
    m_connection.commit();
    m_done = true;
}

void TransactionGuard::rollback()
{
    m_done = true;
    m_connection.rollback();
}

} // namespace db

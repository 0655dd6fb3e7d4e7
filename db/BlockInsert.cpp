#include "db/BlockInsert.h"

#include <QRegularExpression>

#include <algorithm>

#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "util/Cp932.h"

namespace db {
namespace {

// The server takes a message of at most 64 KB, a statement of at most 64 KB,
// and opens at most 255 contexts in one.
constexpr int kMessageBudget = 60000;
constexpr int kTextBudget = 60000;
constexpr int kContextBudget = 250;
constexpr int kMaxRowsPerBlock = 250;

// Bytes a parameter of this declared type takes in a message, at most: its
// value, the null flag and the alignment of both.
int messageBytes(const QString& declaration)
{
    static const QRegularExpression text(QStringLiteral(R"(^(?:VAR)?CHAR\((\d+)\))"));
    const QString d = declaration.trimmed().toUpper();
    if (const QRegularExpressionMatch m = text.match(d); m.hasMatch()) {
        // Without a character set the length is in bytes; with one, in
        // characters of up to four bytes.
        const int perCharacter = d.contains(QLatin1String("CHARACTER SET")) ? 4 : 1;
        return m.captured(1).toInt() * perCharacter + 8;
    }
    return 16;
}

QString quoted(const QString& identifier)
{
    return u'"' + QString(identifier).replace(u'"', QLatin1String("\"\"")) + u'"';
}

} // namespace

int BlockRows(const QStringList& declarations, int rowText, int contextsPerRow)
{
    int rowBytes = 0;
    for (const QString& d : declarations)
        rowBytes += messageBytes(d);
    const int fit = std::min({kMessageBudget / std::max(1, rowBytes), kTextBudget / std::max(1, rowText),
                              kContextBudget / std::max(1, contextsPerRow), kMaxRowsPerBlock});
    return std::max(1, fit);
}

BlockInsert::BlockInsert(Connection& connection, const QString& table, const QStringList& columns,
                         int rowsPerBlock)
    : m_connection(connection), m_table(table), m_columns(columns)
{
    if (columns.isEmpty())
        throw Error(QStringLiteral("挿入する列がありません。"));
    // The block declares its parameters with the columns' own types.
    Query describe(connection);
    QStringList quotedColumns;
    for (const QString& c : columns)
        quotedColumns << quoted(c);
    describe.setSql(
        QStringLiteral("SELECT %1 FROM %2 WHERE 1=0").arg(quotedColumns.join(u','), quoted(table)));
    describe.open();
    for (int i = 0; i < describe.fieldCount(); ++i)
        m_declarations << describe.fieldDeclaration(i);
    const int fit = BlockRows(m_declarations, int(blockText(2).size() - blockText(1).size()));
    m_rowsPerBlock = rowsPerBlock > 0 ? std::min(rowsPerBlock, fit) : fit;
    m_full = std::make_unique<Query>(connection);
    m_full->setSql(blockText(m_rowsPerBlock));
}

BlockInsert::~BlockInsert() = default;

QString BlockInsert::blockText(int rows) const
{
    QStringList inputs;
    QStringList inserts;
    QStringList names;
    for (const QString& c : m_columns)
        names << quoted(c);
    const QString head =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (").arg(quoted(m_table), names.join(u','));
    for (int r = 0; r < rows; ++r) {
        QStringList values;
        for (int c = 0; c < m_columns.size(); ++c) {
            const QString p = QStringLiteral("P%1_%2").arg(r).arg(c);
            inputs << QStringLiteral("%1 %2 = :%1").arg(p, m_declarations[c]);
            values << u':' + p;
        }
        inserts << head + values.join(u',') + QStringLiteral(");");
    }
    return QStringLiteral("EXECUTE BLOCK (%1) AS BEGIN\n%2\nEND").arg(inputs.join(u','), inserts.join(u'\n'));
}

void BlockInsert::add(const QVariantList& values)
{
    if (values.size() != m_columns.size())
        throw Error(QStringLiteral("値の数が列の数と合いません（%1 / %2）。")
                        .arg(values.size())
                        .arg(m_columns.size()));
    // A value that cannot be stored is refused now, with its row, not later with a whole block.
    for (int c = 0; c < values.size(); ++c) {
        if (values[c].typeId() != QMetaType::QString)
            continue;
        QString character;
        if (!cp932::canEncode(values[c].toString(), &character))
            throw Error(
                QStringLiteral("%1: %2").arg(m_columns[c], cp932::EncodeError(character, 0).message()));
    }
    m_waiting << values;
    if (m_waiting.size() >= m_rowsPerBlock)
        send(m_rowsPerBlock);
}

void BlockInsert::flush()
{
    while (!m_waiting.isEmpty())
        send(std::min<int>(int(m_waiting.size()), m_rowsPerBlock));
}

void BlockInsert::send(int rows)
{
    std::unique_ptr<Query>& q = rows == m_rowsPerBlock ? m_full : m_partial;
    if (rows != m_rowsPerBlock) {
        if (!q)
            q = std::make_unique<Query>(m_connection);
        q->setSql(blockText(rows));
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < m_columns.size(); ++c)
            q->setParam(QStringLiteral("P%1_%2").arg(r).arg(c), m_waiting[r][c]);
    q->execute();
    m_waiting.erase(m_waiting.begin(), m_waiting.begin() + rows);
    m_written += rows;
}

} // namespace db

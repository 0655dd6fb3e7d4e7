#include "import/LineBlock.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/BlockInsert.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "util/Cp932.h"

namespace {

// Stands for a line's prefix in the statements of one line.
constexpr QChar kLineMark = u'\x01';

const QRegularExpression& lengthPattern()
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(?:VAR)?CHAR\((\d+)\)( CHARACTER SET)?)"));
    return pattern;
}

LineBlock::Limit limitOf(const QString& declaration)
{
    LineBlock::Limit limit;
    const QString d = declaration.trimmed().toUpper();
    if (const QRegularExpressionMatch m = lengthPattern().match(d); m.hasMatch()) {
        limit.kind = LineBlock::Limit::Text;
        limit.length = m.captured(1).toInt();
        limit.inCharacters = m.hasCaptured(2);
    } else if (d == QLatin1String("SMALLINT")) {
        limit = {LineBlock::Limit::Integer, std::numeric_limits<qint16>::min(),
                 std::numeric_limits<qint16>::max()};
    } else if (d == QLatin1String("INTEGER")) {
        limit = {LineBlock::Limit::Integer, std::numeric_limits<qint32>::min(),
                 std::numeric_limits<qint32>::max()};
    } else if (d == QLatin1String("BIGINT")) {
        limit = {LineBlock::Limit::Integer, std::numeric_limits<qint64>::min(),
                 std::numeric_limits<qint64>::max()};
    } else if (d.startsWith(QLatin1String("DOUBLE")) || d == QLatin1String("FLOAT") ||
               d.startsWith(QLatin1String("NUMERIC")) || d.startsWith(QLatin1String("DECIMAL"))) {
        limit.kind = LineBlock::Limit::Number;
    }
    return limit;
}

// Bytes a parameter of this declaration takes in a message, at most.
bool isWholeNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
        return true;
    default:
        return false;
    }
}

bool isNumber(const QVariant& v)
{
    return isWholeNumber(v) || v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

} // namespace

LineBlock::LineBlock(db::Connection& connection, const QList<Value>& values, const QString& lineStatements,
                     int maxLines)
    : m_connection(connection), m_values(values)
{
    if (values.isEmpty())
        throw db::Error(QStringLiteral("一行に値がありません。"));
    QStringList names;
    for (const Value& v : values) {
        names << v.name.toUpper();
        m_limits << limitOf(v.declaration);
    }
    // Each line gets its own parameters: :NAME becomes :L<line>_NAME.
    static const QRegularExpression parameter(QStringLiteral(R"(:([A-Za-z_][A-Za-z0-9_$]*))"));
    QString statements;
    qsizetype from = 0;
    for (auto it = parameter.globalMatch(lineStatements); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!names.contains(m.captured(1).toUpper()))
            continue;
        statements += QStringView(lineStatements).mid(from, m.capturedStart(1) - from);
        statements += kLineMark;
        statements += m.captured(1).toUpper();
        from = m.capturedEnd(1);
    }
    statements += QStringView(lineStatements).mid(from);
    m_lineStatements = statements;

    static const QRegularExpression dml(QStringLiteral(R"(\b(INSERT|UPDATE|DELETE|MERGE)\b)"),
                                        QRegularExpression::CaseInsensitiveOption);
    int contexts = 0;
    for (auto it = dml.globalMatch(lineStatements); it.hasNext(); it.next())
        ++contexts;
    QStringList declarations;
    for (const Value& v : values)
        declarations << v.declaration;
    const int fit = db::BlockRows(declarations, int(blockText(2).size() - blockText(1).size()), contexts);
    m_linesPerBlock = maxLines > 0 ? std::min(maxLines, fit) : fit;
}

LineBlock::~LineBlock() = default;

QStringList LineBlock::describe(db::Connection& connection, const QString& table, const QStringList& columns)
{
    db::Query q(connection);
    q.setSql(QStringLiteral("SELECT %1 FROM %2 WHERE 1=0").arg(columns.join(u','), table));
    q.open();
    QStringList declarations;
    for (int i = 0; i < q.fieldCount(); ++i)
        declarations << q.fieldDeclaration(i);
    return declarations;
}

QString LineBlock::blockText(int lines) const
{
    QStringList inputs;
    QStringList bodies;
    for (int r = 0; r < lines; ++r) {
        const QString prefix = QStringLiteral("L%1_").arg(r);
        for (const Value& v : m_values) {
            const QString name = prefix + v.name.toUpper();
            inputs << QStringLiteral("%1 %2 = :%1").arg(name, v.declaration);
        }
        // The line's statements in a block of their own: when the handler of
        // the block around it catches an error, the inner block's savepoint is
        // undone, while the handler's own block keeps what it did before.
        bodies << QStringLiteral("BEGIN BEGIN %1 END WHEN ANY DO BEGIN FAILED = %2; SUSPEND; END END")
                      .arg(QString(m_lineStatements).replace(kLineMark, prefix), QString::number(r));
    }
    return QStringLiteral("EXECUTE BLOCK (%1)\nRETURNS (FAILED INTEGER) AS BEGIN\n%2\nEND")
        .arg(inputs.join(u','), bodies.join(u'\n'));
}

QString LineBlock::check(const QVariantList& values) const
{
    QString reason;
    if (values.size() != m_values.size())
        return QStringLiteral("値の数が合いません（%1 / %2）。").arg(values.size()).arg(m_values.size());
    for (int i = 0; i < values.size() && reason.isEmpty(); ++i) {
        const QVariant& v = values[i];
        if (!v.isValid() || v.isNull())
            continue;
        const Limit& limit = m_limits[i];
        const QString& name = m_values[i].name;
        switch (limit.kind) {
        case Limit::Any:
            break;
        case Limit::Integer: {
            if (!isNumber(v)) {
                reason = QStringLiteral("%1: 数値ではありません。").arg(name);
                break;
            }
            const double d = v.toDouble();
            const qint64 n = isWholeNumber(v) ? v.toLongLong() : std::llround(d);
            if (!std::isfinite(d) || n < limit.min || n > limit.max)
                reason = QStringLiteral("%1: %2 は範囲外です。").arg(name, v.toString());
            break;
        }
        case Limit::Number:
            if (!isNumber(v))
                reason = QStringLiteral("%1: 数値ではありません。").arg(name);
            break;
        case Limit::Text: {
            const QString text =
                v.typeId() == QMetaType::QByteArray ? cp932::decode(v.toByteArray()) : v.toString();
            QString character;
            if (!cp932::canEncode(text, &character)) {
                reason = QStringLiteral("%1: %2").arg(name, cp932::EncodeError(character, 0).message());
                break;
            }
            const qsizetype size = limit.inCharacters ? text.size() : cp932::encode(text).size();
            if (size > limit.length)
                reason = QStringLiteral("%1: 長すぎます（%2 / %3）。").arg(name).arg(size).arg(limit.length);
            break;
        }
        }
    }
    return reason;
}

bool LineBlock::add(const QVariantList& values, int tag, QString* reason)
{
    const QString why = check(values);
    if (!why.isEmpty()) {
        if (reason)
            *reason = why;
        return false;
    }
    Line line{tag, values};
    // Texts cross as the bytes just checked, not converted a second time.
    for (int i = 0; i < line.values.size(); ++i) {
        QVariant& v = line.values[i];
        if (m_limits[i].kind == Limit::Text && !m_limits[i].inCharacters && v.isValid() && !v.isNull() &&
            v.typeId() != QMetaType::QByteArray)
            v = cp932::encode(v.toString());
    }
    m_waiting << line;
    return true;
}

QList<int> LineBlock::send()
{
    const int lines = int(m_waiting.size());
    if (lines == 0)
        return {};
    while (m_names.size() < lines) {
        QStringList names;
        for (const Value& v : m_values)
            names << QStringLiteral("L%1_%2").arg(m_names.size()).arg(v.name.toUpper());
        m_names << names;
    }
    db::Query* q = nullptr;
    if (lines == m_linesPerBlock) {
        if (!m_full) {
            m_full = std::make_unique<db::Query>(m_connection);
            m_full->setSql(blockText(lines));
        }
        q = m_full.get();
    } else {
        if (!m_partial)
            m_partial = std::make_unique<db::Query>(m_connection);
        if (m_partialLines != lines) {
            m_partial->setSql(blockText(lines));
            m_partialLines = lines;
        }
        q = m_partial.get();
    }
    const QList<Line> sent = std::exchange(m_waiting, {});
    for (int r = 0; r < lines; ++r)
        for (int i = 0; i < m_values.size(); ++i)
            q->setParam(m_names[r][i], sent[r].values[i]);
    q->open();
    QList<int> failed;
    for (; !q->eof(); q->next()) {
        const int r = q->field(0).asInteger();
        if (r >= 0 && r < lines)
            failed << sent[r].tag;
    }
    q->close();
    return failed;
}

#include "db/SqlParameters.h"

#include <QRegularExpression>

namespace db {
namespace {

bool isNameStart(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool isNameChar(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'$';
}

enum class Kind { Plain, ExecuteBlock, Definition };

Kind kindOf(const QString& sql)
{
    static const QRegularExpression block(QStringLiteral(R"(^\s*EXECUTE\s+BLOCK\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression definition(
        QStringLiteral(
            R"(^\s*(CREATE(\s+OR\s+ALTER)?|ALTER|RECREATE)\s+(PROCEDURE|TRIGGER|FUNCTION|PACKAGE)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    if (block.match(sql).hasMatch())
        return Kind::ExecuteBlock;
    if (definition.match(sql).hasMatch())
        return Kind::Definition;
    return Kind::Plain;
}

} // namespace

ParsedStatement parseParameters(const QString& sql)
{
    ParsedStatement out;
    const Kind kind = kindOf(sql);
    if (kind == Kind::Definition) {
        out.text = sql;
        return out;
    }
    out.text.reserve(sql.size());
    int depth = 0;
    bool inBody = false; // past the AS of an EXECUTE BLOCK
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            // A quoted string or identifier; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
            out.text += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype j = sql.indexOf(u'\n', i);
            j = j < 0 ? n : j;
            out.text += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            qsizetype j = sql.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out.text += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u':' && !inBody && i + 1 < n && isNameStart(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            out.names << sql.mid(i + 1, j - i - 1).toUpper();
            out.text += u'?';
            i = j;
        } else if (isNameStart(c)) {
            qsizetype j = i;
            while (j < n && isNameChar(sql[j]))
                ++j;
            const QStringView word = QStringView(sql).mid(i, j - i);
            if (kind == Kind::ExecuteBlock && depth == 0 &&
                word.compare(QLatin1String("AS"), Qt::CaseInsensitive) == 0)
                inBody = true;
            out.text += word;
            i = j;
        } else {
            if (c == u'(')
                ++depth;
            else if (c == u')')
                --depth;
            out.text += c;
            ++i;
        }
    }
    return out;
}

} // namespace db

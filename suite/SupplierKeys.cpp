#include "suite/SupplierKeys.h"

#include <QStringList>

#include "util/CharConv.h"
#include "util/Cp932.h"

namespace {

// What the name key removes, in the order both sides remove it: blanks
// first, so that a form written with blanks in it is still found, then the
// company forms and their signs.
const QList<QByteArray>& nameRemovals()
{
    static const QList<QByteArray> list = [] {
        QList<QByteArray> r;
        const auto add = [&r](const QString& text) {
            if (const QByteArray bytes = cp932::encode(text); !r.contains(bytes))
                r << bytes;
        };
        add(QStringLiteral(" "));
        add(QStringLiteral("　"));
        for (const CompanyForm& form : CompanyForms())
            add(form.written);
        for (const CompanyForm& form : CompanyForms())
            add(form.sign);
        return r;
    }();
    return list;
}

bool isHalfWidthKana(QChar c)
{
    return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F;
}

bool isFullWidthKana(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x30A1 && u <= 0x30FC) || u == u'、' || u == u'。' || u == u'「' || u == u'」' ||
           u == u'゛' || u == u'゜';
}

// Letters, digits and symbols in half width (fullWidth false) or full width.
QString letters(const QString& name, bool fullWidth)
{
    QString s = name;
    for (QChar& c : s) {
        const char16_t u = c.unicode();
        if (fullWidth && u >= 0x21 && u <= 0x7E)
            c = QChar(char16_t(u + 0xFEE0));
        else if (!fullWidth && u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFEE0));
    }
    return s;
}

// Katakana and the kana punctuation in half width or full width; a
// character whose other form code page 932 cannot hold stays as it is.
QString kana(const QString& name, bool fullWidth)
{
    QString s;
    for (qsizetype i = 0; i < name.size();) {
        const QChar c = name[i];
        if (!fullWidth && isFullWidthKana(c)) {
            const QString half = ToHalfWidth(QString(c));
            s += cp932::canEncode(half) ? half : QString(c);
            ++i;
        } else if (fullWidth && isHalfWidthKana(c)) {
            // A kana with its voicing mark becomes one character: ｶﾞ is ガ.
            const qsizetype n = i + 1 < name.size() && (name[i + 1] == u'ﾞ' || name[i + 1] == u'ﾟ') ? 2 : 1;
            const QString full = name.mid(i, n).normalized(QString::NormalizationForm_KC);
            if (cp932::canEncode(full)) {
                s += full;
                i += n;
            } else {
                const QString one = QString(c).normalized(QString::NormalizationForm_KC);
                s += cp932::canEncode(one) ? one : QString(c);
                ++i;
            }
        } else {
            s += c;
            ++i;
        }
    }
    return s;
}

} // namespace

const QList<CompanyForm>& CompanyForms()
{
    static const QList<CompanyForm> forms = {
        {QStringLiteral("株式会社"), QStringLiteral("㈱")},
        {QStringLiteral("有限会社"), QStringLiteral("㈲")},
        {QStringLiteral("（有）"), QStringLiteral("㈲")},
        {QStringLiteral("（株）"), QStringLiteral("㈱")},
        {QStringLiteral("(有)"), QStringLiteral("㈲")},
        {QStringLiteral("(株)"), QStringLiteral("㈱")},
    };
    return forms;
}

QString DigitsKey(QStringView number)
{
    QString key;
    for (const QChar c : number)
        if (c >= u'0' && c <= u'9')
            key += c;
    return key;
}

QByteArray NameKey(QStringView name)
{
    if (!cp932::canEncode(name))
        return {};
    QByteArray key = cp932::encode(name);
    for (const QByteArray& removed : nameRemovals())
        key.replace(removed, QByteArray());
    return key;
}

QList<QByteArray> NameKeys(QStringView name)
{
    QList<QByteArray> keys;
    const QString typed = name.toString();
    for (const bool fullLetters : {false, true})
        for (const bool fullKana : {false, true})
            if (const QByteArray key = NameKey(kana(letters(typed, fullLetters), fullKana));
                !key.isEmpty() && !keys.contains(key))
                keys << key;
    return keys;
}

QString DigitsKeySql(const QString& column)
{
    // Character by character: a byte 0 to 9 is never part of a double-byte
    // character in code page 932, so this is the digits whatever else is there.
    QStringList positions;
    for (int i = 1; i <= kDigitPositions; ++i)
        positions << QStringLiteral("IIF(SUBSTRING(%1 FROM %2 FOR 1) BETWEEN '0' AND '9', "
                                    "SUBSTRING(%1 FROM %2 FOR 1), '')")
                         .arg(column)
                         .arg(i);
    return positions.join(QStringLiteral(" || "));
}

QString NameKeySql(const QString& column)
{
    // The bytes are written in hexadecimal, so that the statement says
    // exactly which bytes are removed, whatever its own text goes through.
    QString expression = column;
    for (const QByteArray& removed : nameRemovals())
        expression = QStringLiteral("REPLACE(%1, X'%2', '')")
                         .arg(expression, QString::fromLatin1(removed.toHex().toUpper()));
    return expression;
}

QList<KeyIndex> SupplierKeyIndexes()
{
    // The server uses an index only for the very expression it was made
    // with: a key whose rule changes needs an index of a new name.
    const auto index = [](const char* name, const char* column, bool digits) {
        const QString c = QLatin1String(column);
        return KeyIndex{QLatin1String(name), c, digits ? DigitsKeySql(c) : NameKeySql(c)};
    };
    return {index("IX_MAS_SIIRE_TEL_DIGITS", "T_TEL", true), index("IX_MAS_SIIRE_FAX_DIGITS", "T_FAX", true),
            index("IX_MAS_SIIRE_INBOICE_DIGITS", "INBOICE", true),
            index("IX_MAS_SIIRE_NAME_KEY", "T_NAME01", false)};
}

QString CreateIndexStatement(const KeyIndex& index)
{
    return QStringLiteral("CREATE INDEX %1 ON MAS_SIIRE COMPUTED BY (%2)").arg(index.name, index.expression);
}

#include "util/Amount.h"

#include <QByteArray>

#include <charconv>
#include <cmath>

#include "util/DisplayFormat.h"

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// [+-] (digits [. digits*] | . digits) [(e|E) [+-] digits], nothing else:
// no blanks, no "inf" or "nan", no hexadecimal.
bool isPlainDecimal(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto digits = [&] {
        const qsizetype start = i;
        while (i < n && isDigit(text[i]))
            ++i;
        return i - start;
    };
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype mantissaDigits = digits();
    if (i < n && text[i] == u'.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

} // namespace

double ParseAmount(QStringView text)
{
    if (text.isEmpty())
        return 0.0;
    QString s = text.toString();
    s.remove(u',');
    s.replace(u'▲', u'-');
    s.remove(u'"');
    s.remove(u' ');
    if (!isPlainDecimal(s))
        return 0.0;

    // from_chars reads independently of the process locale, but takes no '+'.
    QByteArray latin1 = s.toLatin1();
    if (latin1.startsWith('+'))
        latin1.remove(0, 1);
    double value = 0.0;
    const char* end = latin1.constData() + latin1.size();
    const auto result = std::from_chars(latin1.constData(), end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return 0.0;
    return value == 0.0 ? 0.0 : value; // no -0 for "-0"
}

QString FormatAmount(double value)
{
    return FormatFloat(u"#,##0", value);
}

#include "util/DisplayFormat.h"

#include <QList>

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Digits a double carries reliably: rounding works on these, so that 2.675
// and 1.005 round the way they read.
constexpr int kSignificantDigits = 15;

// What one section asks for.
struct Section
{
    QStringView text;
    int intPlaceholders = 0;
    int minIntDigits = 0; // from the first '0' of the integer part on
    int maxDecimals = 0;
    int minDecimals = 0; // up to the last '0' after the point
    bool thousands = false;
};

// A rounded magnitude as decimal digits.
struct Digits
{
    QString integer;  // no leading zeros; empty for 0
    QString fraction; // exactly the requested number of decimals
    bool zero = true;
};

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

// Index of the closing quote for the quote at i, or text.size() if unclosed.
qsizetype closingQuote(QStringView text, qsizetype i)
{
    const QChar quote = text[i];
    qsizetype k = i + 1;
    while (k < text.size() && text[k] != quote)
        ++k;
    return k;
}

QList<QStringView> splitSections(QStringView format)
{
    QList<QStringView> sections;
    qsizetype start = 0;
    for (qsizetype i = 0; i < format.size() && sections.size() < 2; ++i) {
        if (isQuote(format[i])) {
            i = closingQuote(format, i);
        } else if (format[i] == u';') {
            sections.append(format.mid(start, i - start));
            start = i + 1;
        }
    }
    // A third ';' ends the zero section; whatever follows it is ignored.
    QStringView rest = format.mid(start);
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (isQuote(rest[i])) {
            i = closingQuote(rest, i);
        } else if (rest[i] == u';') {
            rest = rest.left(i);
            break;
        }
    }
    sections.append(rest);
    return sections;
}

Section analyse(QStringView text)
{
    Section s;
    s.text = text;
    bool afterPoint = false;
    int firstZero = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isQuote(c)) {
            i = closingQuote(text, i);
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                ++s.maxDecimals;
                if (c == u'0')
                    s.minDecimals = s.maxDecimals;
            } else {
                if (c == u'0' && firstZero < 0)
                    firstZero = s.intPlaceholders;
                ++s.intPlaceholders;
            }
        } else if (c == u'.') {
            afterPoint = true;
        } else if (c == u',' && !afterPoint) {
            s.thousands = true;
        }
    }
    s.minIntDigits = firstZero < 0 ? 0 : s.intPlaceholders - firstZero;
    return s;
}

// Adds one to a string of decimal digits.
void increment(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// magnitude (>= 0, finite) rounded half away from zero to decimals places.
Digits roundMagnitude(double magnitude, int decimals)
{
    std::string n; // the rounded value times 10^decimals
    if (magnitude != 0.0) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                          std::chars_format::scientific, kSignificantDigits - 1);
        const std::string text(buffer, result.ptr);
        const auto e = text.find('e');
        std::string mantissa = text.substr(0, 1) + text.substr(2, e - 2);
        const int exponent = std::stoi(text.substr(e + 1));
        // The value is mantissa * 10^(exponent - 14); n is it scaled by 10^decimals.
        const int shift = exponent - (kSignificantDigits - 1) + decimals;
        if (shift >= 0) {
            n = mantissa + std::string(std::size_t(shift), '0');
        } else {
            const int keep = int(mantissa.size()) + shift;
            if (keep >= 0) {
                const bool up = mantissa[std::size_t(keep)] >= '5';
                n = mantissa.substr(0, std::size_t(keep));
                if (up)
                    increment(n);
            }
        }
        const auto firstNonZero = n.find_first_not_of('0');
        n.erase(0, firstNonZero == std::string::npos ? n.size() : firstNonZero);
    }

    Digits d;
    d.zero = n.empty();
    if (n.size() <= std::size_t(decimals))
        n.insert(0, std::size_t(decimals) - n.size(), '0');
    const std::size_t split = n.size() - std::size_t(decimals);
    d.integer = QString::fromLatin1(n.data(), qsizetype(split));
    d.fraction = QString::fromLatin1(n.data() + split, qsizetype(n.size() - split));
    return d;
}

QString apply(const Section& s, const Digits& d, bool minus)
{
    QString integer = d.integer;
    if (integer.size() < s.minIntDigits)
        integer.prepend(QString(s.minIntDigits - integer.size(), u'0'));
    QString fraction = d.fraction;
    while (fraction.size() > s.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);

    QString out;
    if (minus)
        out += u'-';

    // Digit positions count from the decimal point leftwards, from 0.
    auto putIntegerDigit = [&](qsizetype position) {
        out += integer[integer.size() - 1 - position];
        if (s.thousands && position > 0 && position % 3 == 0)
            out += u',';
    };
    auto putIntegerDigitsFrom = [&](qsizetype position) {
        for (qsizetype p = integer.size() - 1; p >= position; --p)
            putIntegerDigit(p);
    };

    qsizetype placeholder = s.intPlaceholders; // position of the next integer placeholder + 1
    qsizetype fractionIndex = 0;
    bool afterPoint = false;
    const QStringView text = s.text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isQuote(c)) {
            const qsizetype end = closingQuote(text, i);
            out += text.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                if (fractionIndex < fraction.size())
                    out += fraction[fractionIndex];
                ++fractionIndex;
            } else {
                --placeholder;
                // The leftmost placeholder takes every digit the others cannot.
                if (placeholder == s.intPlaceholders - 1)
                    putIntegerDigitsFrom(placeholder);
                else if (placeholder < integer.size())
                    putIntegerDigit(placeholder);
            }
        } else if (c == u'.') {
            if (afterPoint)
                continue;
            afterPoint = true;
            if (s.intPlaceholders == 0)
                putIntegerDigitsFrom(0);
            if (!fraction.isEmpty())
                out += u'.';
        } else if (c != u',') {
            out += c;
        }
    }
    return out;
}

} // namespace

QString FormatFloat(QStringView format, double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (format.isEmpty())
        return QString::number(value, 'g', kSignificantDigits);

    const QList<QStringView> sections = splitSections(format);
    auto usable = [&](int index) {
        return index < sections.size() && !sections[index].isEmpty();
    };

    int index = 0;
    if (value < 0 && usable(1))
        index = 1;
    else if (value == 0 && usable(2))
        index = 2;
    Section section = analyse(sections[index]);
    Digits digits = roundMagnitude(std::fabs(value), section.maxDecimals);
    bool minus = value < 0 && index == 0;

    if (digits.zero && index != 2) {
        // Too small to show in its own section: it is shown as a zero.
        index = usable(2) ? 2 : 0;
        section = analyse(sections[index]);
        digits = roundMagnitude(0.0, section.maxDecimals);
        minus = false;
    }
    return apply(section, digits, minus);
}

#include "util/Kana.h"

#include "util/CharConv.h"

namespace {

// The small kana replaced, each with its full-size form. One character for
// one, so the order of the pairs cannot change a result.
constexpr struct
{
    char16_t small;
    char16_t full;
} kFullSize[] = {
    {u'ｭ', u'ﾕ'}, {u'ｬ', u'ﾔ'}, {u'ｮ', u'ﾖ'}, {u'ｨ', u'ｲ'}, {u'ｧ', u'ｱ'}, {u'ｯ', u'ﾂ'},
};

char16_t fullSize(char16_t c)
{
    for (const auto& pair : kFullSize)
        if (pair.small == c)
            return pair.full;
    return c;
}

} // namespace

QString FullSizeKana(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = QChar(fullSize(text[i].unicode()));
    return result;
}

QString NormaliseReading(QStringView text)
{
    // The input method gives full-width katakana or hiragana (and full-width
    // letters), never the half-width form the readings are stored in.
    const QString reading = ToReading(text);
    QString upper(reading.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < reading.size(); ++i) {
        const char16_t c = reading[i].unicode();
        upper[i] = QChar(c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c);
    }
    return FullSizeKana(upper);
}

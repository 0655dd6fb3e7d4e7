#include "util/CharConv.h"

#include <climits>
#include <memory>
#include <unicode/translit.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

namespace {

enum class Conversion { HalfWidth, Hiragana, Katakana };

// ICU would turn these into half-width forms that code page 932 lacks
// (U+FFE8 to U+FFEE, U+00AF, U+00A6), so they are filtered out.
constexpr char16_t kHalfWidthId[] =
    u"[^\\u2190-\\u2193\\u2502\\u25A0\\u25CB\\uFFE3\\uFFE4] Fullwidth-Halfwidth";
constexpr char16_t kHiraganaId[] = u"Katakana-Hiragana";
constexpr char16_t kKatakanaId[] = u"Hiragana-Katakana";

// ICU spells a long-vowel mark after a kana out as a vowel (カー -> かあ),
// which would no longer match hiragana typed with ー. The marks are taken
// out of the set of characters the transliterator looks at (its own filter
// has to stay: it keeps letters and symbols away from the rules).
void keepLongVowelMarks(icu::Transliterator& t)
{
    icu::UnicodeSet set;
    if (const auto* own = dynamic_cast<const icu::UnicodeSet*>(t.getFilter()))
        set = *own;
    else
        set.complement(); // no filter: every character
    set.remove(0x30FC).remove(0xFF70);
    t.adoptFilter(set.clone());
}

// A transliterator is not safe to share between threads; each thread builds
// its own on first use and keeps it, or remembers that ICU refused.
icu::Transliterator* transliterator(Conversion conversion)
{
    struct Cached
    {
        std::unique_ptr<icu::Transliterator> instance;
        bool tried = false;
    };
    thread_local Cached cache[3];

    Cached& cached = cache[int(conversion)];
    if (!cached.tried) {
        cached.tried = true;
        UErrorCode status = U_ZERO_ERROR;
        const char16_t* ids[] = {kHalfWidthId, kHiraganaId, kKatakanaId};
        const icu::UnicodeString id(ids[int(conversion)]);
        cached.instance.reset(icu::Transliterator::createInstance(id, UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            cached.instance.reset();
        else if (conversion == Conversion::Hiragana)
            keepLongVowelMarks(*cached.instance);
    }
    return cached.instance.get();
}

QString transliterate(QStringView text, Conversion conversion)
{
    if (text.isEmpty())
        return QString();
    icu::Transliterator* t = transliterator(conversion);
    if (!t || text.size() > INT_MAX / 2)
        return text.toString();

    icu::UnicodeString buffer(text.utf16(), int32_t(text.size()));
    t->transliterate(buffer);
    if (buffer.isBogus())
        return text.toString();
    QString result(reinterpret_cast<const QChar*>(buffer.getBuffer()), buffer.length());
    if (conversion == Conversion::Hiragana) {
        // ICU writes ゔ (from ヴ and ｳﾞ) and the combining voiced marks (from a
        // ﾞ or ﾟ it cannot join to its kana); code page 932 has none of them.
        // The half-width long-vowel mark goes full-width like the kana around it.
        result.replace(QChar(0xFF70), QChar(0x30FC)); // ｰ -> ー
        result.replace(QChar(0x3094), QChar(0x30F4)); // ゔ -> ヴ
        result.replace(QChar(0x3099), QChar(0x309B)); // combining -> ゛
        result.replace(QChar(0x309A), QChar(0x309C)); // combining -> ゜
    }
    return result;
}

} // namespace

QString ToHalfWidth(QStringView text)
{
    return transliterate(text, Conversion::HalfWidth);
}

QString ToHiragana(QStringView text)
{
    return transliterate(text, Conversion::Hiragana);
}

QString ToReading(QStringView text)
{
    // Through hiragana first, so half-width and full-width katakana alike end
    // as half-width katakana.
    return transliterate(transliterate(ToHiragana(text), Conversion::Katakana), Conversion::HalfWidth);
}

#pragma once

#include <QString>
#include <QStringView>

// The two normalisations Japanese text gets before it is compared or
// stored: to half-width forms, and katakana to hiragana. ICU transliterators
// do the work; each thread creates its own once and keeps it, since the
// postal-code import calls these for every one of about 125,000 rows.
//
// Text that code page 932 can hold stays that way: characters whose ICU
// result has no code page 932 form are left as they are (←↑→↓ │ ■ ○ ￣ ￤
// in ToHalfWidth); in ToHiragana ヴ and ｳﾞ give ヴ, and a ﾞ or ﾟ that joins
// no kana gives ゛ or ゜. If ICU fails, the input comes back unchanged.

// Full-width letters, digits, symbols, the ideographic space and katakana
// become half-width: ＡＢＣ１２３ → ABC123, ガ → ｶﾞ, U+3000 → ' '. Hiragana,
// kanji and ㈱ stay.
QString ToHalfWidth(QStringView text);

// Katakana, full- or half-width, become hiragana: カタカナ → かたかな,
// ﾔﾏﾀﾞ → やまだ. The long-vowel mark stays a mark: カー → かー, ｶｰ → かー.
QString ToHiragana(QStringView text);

// A reading as the national postal file and the bank lists store it: any
// kana, hiragana or katakana of either width, as half-width katakana
// (やまだ, ヤマダ and ﾔﾏﾀﾞ all give ﾔﾏﾀﾞ).
QString ToReading(QStringView text);

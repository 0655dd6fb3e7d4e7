#pragma once

#include <QString>
#include <QStringView>

// Readings as the bank pickers compare them. The bank tables store their
// half-width katakana readings with full-size kana only (ｷﾖｳ, not ｷｮｳ), so a
// search text is brought to the same form before it is matched and a user
// may type either.

// Every small half-width kana that the stored readings write full-size
// becomes full-size: ｭ→ﾕ, ｬ→ﾔ, ｮ→ﾖ, ｨ→ｲ, ｧ→ｱ, ｯ→ﾂ. The small ｩ ｪ ｫ stay, as
// do full-width kana and everything else.
QString FullSizeKana(QStringView text);

// A search text as the readings are stored: kana of either kind and width
// and full-width letters to half-width (ToReading), the Latin letters a–z
// upper-cased (readings hold names such as "JTB" in capitals), then
// FullSizeKana. キョウト, きょうと and ｷｮｳﾄ all give ｷﾖｳﾄ.
QString NormaliseReading(QStringView text);

#include <QStringList>
#include <QTest>

#include "Rows.h"
#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

using Conversion = QString (*)(QStringView);

class TestCharConv : public QObject
{
    Q_OBJECT

private slots:
    void toReading()
    {
        checkRows(ToReading, {{"hiragana", u"とっとりし"_qs, u"ﾄｯﾄﾘｼ"_qs},
                              {"voiced and long vowel", u"がーでん"_qs, u"ｶﾞｰﾃﾞﾝ"_qs},
                              {"kanji stay", u"鳥取し"_qs, u"鳥取ｼ"_qs}});
    }

    void toHalfWidth()
    {
        checkRows(ToHalfWidth, {{"letters and digits", u"ＡＢＣａ１２"_qs, u"ABCa12"_qs},
                                {"voiced katakana become two", u"ガパヴ"_qs, u"ｶﾞﾊﾟｳﾞ"_qs},
                                {"small kana, long vowel", u"ァッャー"_qs, u"ｧｯｬｰ"_qs},
                                {"symbols and space", u"（株）－～　「、」"_qs, u"(株)-~ ｢､｣"_qs},
                                {"stay", u"㈱ひら漢字ヵヶ←■￣￤"_qs, u"㈱ひら漢字ヵヶ←■￣￤"_qs},
                                {"empty", QString(), QString()}});
    }

    void toHiragana()
    {
        checkRows(ToHiragana, {{"katakana", u"ガギカナ"_qs, u"がぎかな"_qs},
                               {"half-width", u"ﾔﾏﾀﾞﾊﾟｶｰ"_qs, u"やまだぱかー"_qs},
                               {"long vowel stays", u"センタービル"_qs, u"せんたーびる"_qs},
                               {"vu", u"ヴｳﾞ"_qs, u"ヴヴ"_qs},
                               {"unjoinable and lone marks", u"ｶﾟﾞﾟ"_qs, u"か゜゛゜"_qs},
                               {"small ka and ke", u"ヵヶ"_qs, u"かけ"_qs},
                               {"others stay", u"ＡＢ１山田㈱　"_qs, u"ＡＢ１山田㈱　"_qs}});
    }

    // Everything the database can hold must still be storable after either
    // conversion: each code page 932 character alone and followed by a mark.
    void codePage932TextStaysCodePage932()
    {
        QStringList failures;
        for (char32_t code = 0x20; code <= 0xFFFF; ++code) {
            const QString c{QChar(char16_t(code))};
            if ((code >= 0xD800 && code <= 0xDFFF) || !cp932::canEncode(c))
                continue;
            for (const QString& text : {c, c + u"ﾞ"_qs, c + u"ﾟ"_qs, c + u"゛"_qs, c + u"゜"_qs})
                for (const Conversion convert : {Conversion(ToHalfWidth), Conversion(ToHiragana)})
                    if (!cp932::canEncode(convert(text)))
                        failures << text + u" → "_qs + convert(text);
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 20).join(QLatin1Char('\n'))));
    }

    // Postal files came with CR-only lines.
    void splitLines()
    {
        const QStringList ab{u"a"_qs, u"b"_qs};
        QCOMPARE(SplitLines(u"a\r\nb\r\n"_qs), ab);
        QCOMPARE(SplitLines(u"a\nb"_qs), ab);
        QCOMPARE(SplitLines(u"a\rb\r"_qs), ab);
        QCOMPARE(SplitLines(u"a\n\r\nb\rc"_qs), (QStringList{u"a"_qs, {}, u"b"_qs, u"c"_qs}));
        QCOMPARE(SplitLines(u"a\n\rb"_qs), (QStringList{u"a"_qs, {}, u"b"_qs}));
        QCOMPARE(SplitLines(QString()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCharConv)
#include "tst_charconv.moc"

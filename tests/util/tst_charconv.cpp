#include <QStringList>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

namespace {

using Conversion = QString (*)(QStringView);

void addConversionColumns()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
}

void row(const char* name, const QString& text, const QString& expected)
{
    QTest::newRow(name) << text << expected;
}

} // namespace

class TestCharConv : public QObject
{
    Q_OBJECT

private slots:
    void toReading_data()
    {
        addConversionColumns();
        row("hiragana", u"とっとりし"_qs, u"ﾄｯﾄﾘｼ"_qs);
        row("katakana", u"トットリシ"_qs, u"ﾄｯﾄﾘｼ"_qs);
        row("half-width stays", u"ﾄｯﾄﾘｼ"_qs, u"ﾄｯﾄﾘｼ"_qs);
        row("voiced and long vowel", u"がーでん"_qs, u"ｶﾞｰﾃﾞﾝ"_qs);
        row("kanji stay", u"鳥取し"_qs, u"鳥取ｼ"_qs);
    }

    void toReading() { check(ToReading); }

    void toHalfWidth_data()
    {
        addConversionColumns();
        row("letters and digits", u"ＡＢＣ１２３"_qs, u"ABC123"_qs);
        row("lower-case letters", u"ａｂｃ"_qs, u"abc"_qs);
        row("katakana", u"カタカナ"_qs, u"ｶﾀｶﾅ"_qs);
        row("voiced katakana become two characters", u"ガギグ"_qs, u"ｶﾞｷﾞｸﾞ"_qs);
        row("semi-voiced katakana", u"パピプ"_qs, u"ﾊﾟﾋﾟﾌﾟ"_qs);
        row("vu", u"ヴ"_qs, u"ｳﾞ"_qs);
        row("small kana and long vowel", u"ァッャー"_qs, u"ｧｯｬｰ"_qs);
        row("half-width stays", u"ﾔﾏﾀﾞ"_qs, u"ﾔﾏﾀﾞ"_qs);
        row("full-width space", u"山田　太郎"_qs, u"山田 太郎"_qs);
        row("symbols", u"（株）－＃＄％～"_qs, u"(株)-#$%~"_qs);
        row("punctuation", u"「、。・」"_qs, u"｢､｡･｣"_qs);
        row("mixed line", u"株式会社ヤマダ建設　ＴＥＬ０３－１２３４－５６７８"_qs,
            u"株式会社ﾔﾏﾀﾞ建設 TEL03-1234-5678"_qs);
        row("enclosed ideograph stays", u"㈱"_qs, u"㈱"_qs);
        row("hiragana and kanji stay", u"ひらがな漢字"_qs, u"ひらがな漢字"_qs);
        row("small ka and ke stay", u"ヵヶ"_qs, u"ヵヶ"_qs);
        row("arrows, boxes and circles stay", u"←↑→↓│■○"_qs, u"←↑→↓│■○"_qs);
        row("full-width macron and broken bar stay", u"￣￤"_qs, u"￣￤"_qs);
        row("ascii stays", u"abc 123-"_qs, u"abc 123-"_qs);
        row("empty", QString(), QString());
    }

    void toHalfWidth() { check(ToHalfWidth); }

    void toHiragana_data()
    {
        addConversionColumns();
        row("katakana", u"カタカナ"_qs, u"かたかな"_qs);
        row("voiced katakana", u"ガギグパ"_qs, u"がぎぐぱ"_qs);
        row("half-width katakana", u"ﾔﾏﾀﾞ"_qs, u"やまだ"_qs);
        row("half-width semi-voiced", u"ﾊﾟﾋﾟ"_qs, u"ぱぴ"_qs);
        row("long vowel stays", u"ヤマダー"_qs, u"やまだー"_qs);
        row("half-width long vowel", u"ｶｰ"_qs, u"かー"_qs);
        row("long vowel alone", u"ー"_qs, u"ー"_qs);
        row("long vowel after hiragana", u"せんたー"_qs, u"せんたー"_qs);
        row("long vowel inside", u"センタービル"_qs, u"せんたーびる"_qs);
        row("vu stays", u"ヴ"_qs, u"ヴ"_qs);
        row("half-width vu becomes vu", u"ｳﾞ"_qs, u"ヴ"_qs);
        row("unjoinable mark becomes a spacing mark", u"ｶﾟ"_qs, u"か゜"_qs);
        row("lone marks", u"ﾞﾟ"_qs, u"゛゜"_qs);
        row("small ka and ke", u"ヵヶ"_qs, u"かけ"_qs);
        row("hiragana stays", u"やまだ"_qs, u"やまだ"_qs);
        row("letters, digits, kanji stay", u"ＡＢＣ１２３山田ABC"_qs, u"ＡＢＣ１２３山田ABC"_qs);
        row("enclosed ideograph stays", u"㈱ヤマダ"_qs, u"㈱やまだ"_qs);
        row("full-width space stays", u"ア　イ"_qs, u"あ　い"_qs);
        row("empty", QString(), QString());
    }

    void toHiragana() { check(ToHiragana); }

    // Everything the database can hold must still be storable after either
    // conversion: each code page 932 character alone and followed by a voiced
    // or semi-voiced mark.
    void codePage932TextStaysCodePage932()
    {
        QStringList failures;
        int checked = 0;
        for (char32_t code = 0x20; code <= 0xFFFF; ++code) {
            const QString c{QChar(char16_t(code))};
            if ((code >= 0xD800 && code <= 0xDFFF) || !cp932::canEncode(c))
                continue;
            ++checked;
            for (const QString& text : {c, c + u"ﾞ"_qs, c + u"ﾟ"_qs, c + u"゛"_qs, c + u"゜"_qs})
                for (const Conversion convert : {Conversion(ToHalfWidth), Conversion(ToHiragana)})
                    if (!cp932::canEncode(convert(text)))
                        failures << text + u" → "_qs + convert(text);
        }
        QVERIFY2(checked > 9000, qPrintable(QString::number(checked)));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 20).join(QLatin1Char('\n'))));
    }

    // Each thread has its own transliterators; running them side by side must
    // give the same results as one thread alone.
    void threadsConvertIndependently()
    {
        const QStringList samples = {u"ＡＢＣ１２３"_qs, u"カタカナ"_qs, u"ﾔﾏﾀﾞ"_qs, u"ガギグ　ヴ"_qs,
                                     u"株式会社ヤマダ建設"_qs};
        const auto both = [](const QString& s) {
            return ToHalfWidth(s) + u'|' + ToHiragana(s);
        };
        QStringList expected;
        for (const QString& s : samples)
            expected << both(s);
        std::atomic<int> mismatches{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int round = 0; round < 300; ++round)
                    for (int i = 0; i < samples.size(); ++i)
                        if (both(samples[i]) != expected[i])
                            ++mismatches;
            });
        for (auto& thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        const QStringList ab{u"a"_qs, u"b"_qs};
        QTest::newRow("CR LF") << u"a\r\nb\r\n"_qs << ab;
        QTest::newRow("LF") << u"a\nb\n"_qs << ab;
        QTest::newRow("CR") << u"a\rb\r"_qs << ab;
        QTest::newRow("no final ending") << u"a\r\nb"_qs << ab;
        QTest::newRow("mixed, a blank line kept")
            << u"a\n\r\nb\rc"_qs << QStringList{u"a"_qs, {}, u"b"_qs, u"c"_qs};
        QTest::newRow("LF then CR is two endings") << u"a\n\rb"_qs << QStringList{u"a"_qs, {}, u"b"_qs};
        QTest::newRow("a lone ending is one empty line") << u"\r\n"_qs << QStringList{QString()};
        QTest::newRow("empty") << QString() << QStringList();
    }

    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitLines(text), lines);
    }

private:
    static void check(Conversion convert)
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(convert(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestCharConv)
#include "tst_charconv.moc"

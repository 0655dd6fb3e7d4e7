#include <QStringList>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include "util/CharConv.h"
#include "util/Cp932.h"
#include "util/TextLines.h"

class TestCharConv : public QObject
{
    Q_OBJECT

private slots:
    void toHalfWidth_data();
    void toHalfWidth();
    void toHiragana_data();
    void toHiragana();
    void toReading_data();
    void toReading();
    void codePage932TextStaysCodePage932();
    void threadsConvertIndependently();
    void splitLines_data();
    void splitLines();
};

void TestCharConv::toReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hiragana") << QStringLiteral("とっとりし") << QStringLiteral("ﾄｯﾄﾘｼ");
    QTest::newRow("katakana") << QStringLiteral("トットリシ") << QStringLiteral("ﾄｯﾄﾘｼ");
    QTest::newRow("half-width stays") << QStringLiteral("ﾄｯﾄﾘｼ") << QStringLiteral("ﾄｯﾄﾘｼ");
    QTest::newRow("voiced and long vowel") << QStringLiteral("がーでん") << QStringLiteral("ｶﾞｰﾃﾞﾝ");
    QTest::newRow("kanji stay") << QStringLiteral("鳥取し") << QStringLiteral("鳥取ｼ");
}

void TestCharConv::toReading()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ToReading(text), expected);
}

void TestCharConv::toHalfWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letters and digits") << QStringLiteral("ＡＢＣ１２３") << QStringLiteral("ABC123");
    QTest::newRow("lower-case letters") << QStringLiteral("ａｂｃ") << QStringLiteral("abc");
    QTest::newRow("katakana") << QStringLiteral("カタカナ") << QStringLiteral("ｶﾀｶﾅ");
    QTest::newRow("voiced katakana become two characters")
        << QStringLiteral("ガギグ") << QStringLiteral("ｶﾞｷﾞｸﾞ");
    QTest::newRow("semi-voiced katakana") << QStringLiteral("パピプ") << QStringLiteral("ﾊﾟﾋﾟﾌﾟ");
    QTest::newRow("vu") << QStringLiteral("ヴ") << QStringLiteral("ｳﾞ");
    QTest::newRow("small kana and long vowel") << QStringLiteral("ァッャー") << QStringLiteral("ｧｯｬｰ");
    QTest::newRow("half-width stays") << QStringLiteral("ﾔﾏﾀﾞ") << QStringLiteral("ﾔﾏﾀﾞ");
    QTest::newRow("full-width space") << QStringLiteral("山田　太郎") << QStringLiteral("山田 太郎");
    QTest::newRow("symbols") << QStringLiteral("（株）－＃＄％～") << QStringLiteral("(株)-#$%~");
    QTest::newRow("punctuation") << QStringLiteral("「、。・」") << QStringLiteral("｢､｡･｣");
    QTest::newRow("mixed line") << QStringLiteral("株式会社ヤマダ建設　ＴＥＬ０３－１２３４－５６７８")
                                << QStringLiteral("株式会社ﾔﾏﾀﾞ建設 TEL03-1234-5678");
    QTest::newRow("enclosed ideograph stays") << QStringLiteral("㈱") << QStringLiteral("㈱");
    QTest::newRow("hiragana and kanji stay")
        << QStringLiteral("ひらがな漢字") << QStringLiteral("ひらがな漢字");
    QTest::newRow("small ka and ke stay") << QStringLiteral("ヵヶ") << QStringLiteral("ヵヶ");
    QTest::newRow("arrows, boxes and circles stay") << QStringLiteral("←↑→↓│■○") << QStringLiteral("←↑→↓│■○");
    QTest::newRow("full-width macron and broken bar stay")
        << QStringLiteral("￣￤") << QStringLiteral("￣￤");
    QTest::newRow("ascii stays") << QStringLiteral("abc 123-") << QStringLiteral("abc 123-");
    QTest::newRow("empty") << QString() << QString();
}

void TestCharConv::toHalfWidth()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ToHalfWidth(text), expected);
}

void TestCharConv::toHiragana_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("katakana") << QStringLiteral("カタカナ") << QStringLiteral("かたかな");
    QTest::newRow("voiced katakana") << QStringLiteral("ガギグパ") << QStringLiteral("がぎぐぱ");
    QTest::newRow("half-width katakana") << QStringLiteral("ﾔﾏﾀﾞ") << QStringLiteral("やまだ");
    QTest::newRow("half-width semi-voiced") << QStringLiteral("ﾊﾟﾋﾟ") << QStringLiteral("ぱぴ");
    QTest::newRow("long vowel stays") << QStringLiteral("ヤマダー") << QStringLiteral("やまだー");
    QTest::newRow("half-width long vowel") << QStringLiteral("ｶｰ") << QStringLiteral("かー");
    QTest::newRow("long vowel alone") << QStringLiteral("ー") << QStringLiteral("ー");
    QTest::newRow("long vowel after hiragana") << QStringLiteral("せんたー") << QStringLiteral("せんたー");
    QTest::newRow("long vowel inside") << QStringLiteral("センタービル") << QStringLiteral("せんたーびる");
    QTest::newRow("vu stays") << QStringLiteral("ヴ") << QStringLiteral("ヴ");
    QTest::newRow("half-width vu becomes vu") << QStringLiteral("ｳﾞ") << QStringLiteral("ヴ");
    QTest::newRow("unjoinable mark becomes a spacing mark") << QStringLiteral("ｶﾟ") << QStringLiteral("か゜");
    QTest::newRow("lone marks") << QStringLiteral("ﾞﾟ") << QStringLiteral("゛゜");
    QTest::newRow("small ka and ke") << QStringLiteral("ヵヶ") << QStringLiteral("かけ");
    QTest::newRow("hiragana stays") << QStringLiteral("やまだ") << QStringLiteral("やまだ");
    QTest::newRow("letters, digits, kanji stay")
        << QStringLiteral("ＡＢＣ１２３山田ABC") << QStringLiteral("ＡＢＣ１２３山田ABC");
    QTest::newRow("enclosed ideograph stays") << QStringLiteral("㈱ヤマダ") << QStringLiteral("㈱やまだ");
    QTest::newRow("full-width space stays") << QStringLiteral("ア　イ") << QStringLiteral("あ　い");
    QTest::newRow("empty") << QString() << QString();
}

void TestCharConv::toHiragana()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ToHiragana(text), expected);
}

// Everything the database can hold must still be storable after either
// conversion: each code page 932 character alone and followed by a voiced
// or semi-voiced mark.
void TestCharConv::codePage932TextStaysCodePage932()
{
    const QString marks[] = {QStringLiteral("ﾞ"), QStringLiteral("ﾟ"), QStringLiteral("゛"),
                             QStringLiteral("゜")};
    QStringList failures;
    int checked = 0;
    auto check = [&](const QString& text) {
        const QString half = ToHalfWidth(text);
        if (!cp932::canEncode(half))
            failures << QStringLiteral("ToHalfWidth(%1) = %2").arg(text, half);
        const QString hira = ToHiragana(text);
        if (!cp932::canEncode(hira))
            failures << QStringLiteral("ToHiragana(%1) = %2").arg(text, hira);
    };
    for (char32_t code = 0x20; code <= 0xFFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        const QString c{QChar(char16_t(code))};
        if (!cp932::canEncode(c))
            continue;
        ++checked;
        check(c);
        for (const QString& mark : marks)
            check(c + mark);
    }
    QVERIFY2(checked > 9000, qPrintable(QString::number(checked)));
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 20).join(QLatin1Char('\n'))));
}

// Each thread has its own transliterators; running them side by side must
// give the same results as one thread alone.
void TestCharConv::threadsConvertIndependently()
{
    const QStringList samples = {QStringLiteral("ＡＢＣ１２３"), QStringLiteral("カタカナ"),
                                 QStringLiteral("ﾔﾏﾀﾞ"), QStringLiteral("ガギグ　ヴ"),
                                 QStringLiteral("株式会社ヤマダ建設")};
    QStringList half, hira;
    for (const QString& s : samples) {
        half << ToHalfWidth(s);
        hira << ToHiragana(s);
    }

    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 300; ++round) {
                for (int i = 0; i < samples.size(); ++i) {
                    if (ToHalfWidth(samples[i]) != half[i] || ToHiragana(samples[i]) != hira[i])
                        ++mismatches;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(mismatches.load(), 0);
}

void TestCharConv::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n") << ab;
    QTest::newRow("LF") << QStringLiteral("a\nb\n") << ab;
    QTest::newRow("CR") << QStringLiteral("a\rb\r") << ab;
    QTest::newRow("no final ending") << QStringLiteral("a\r\nb") << ab;
    QTest::newRow("mixed, a blank line kept")
        << QStringLiteral("a\n\r\nb\rc")
        << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("LF then CR is two endings")
        << QStringLiteral("a\n\rb") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("a lone ending is one empty line") << QStringLiteral("\r\n") << QStringList{QString()};
    QTest::newRow("empty") << QString() << QStringList();
}

void TestCharConv::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitLines(text), lines);
}

QTEST_GUILESS_MAIN(TestCharConv)
#include "tst_charconv.moc"

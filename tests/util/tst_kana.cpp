#include <QTest>

#include "util/Kana.h"

class TestKana : public QObject
{
    Q_OBJECT

private slots:
    void fullSizeKana_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("small yu") << u"ｷｭｳｼｭｳ"_qs << u"ｷﾕｳｼﾕｳ"_qs;
        QTest::newRow("each replaced small kana") << u"ｭｬｮｨｧｯ"_qs << u"ﾕﾔﾖｲｱﾂ"_qs;
        QTest::newRow("small kana in readings")
            << u"ﾄｳｷｮｳ ﾁｭｳｵｳ ｼｬｶｲ ｳｨﾝﾄﾞｳ ﾌｧﾐﾘｰ ｷｯﾄ"_qs << u"ﾄｳｷﾖｳ ﾁﾕｳｵｳ ｼﾔｶｲ ｳｲﾝﾄﾞｳ ﾌｱﾐﾘｰ ｷﾂﾄ"_qs;
        QTest::newRow("small u, e, o stay") << u"ｩｪｫ"_qs << u"ｩｪｫ"_qs;
        QTest::newRow("full-size kana stay") << u"ﾕﾔﾖｲｱﾂｳｴｵ"_qs << u"ﾕﾔﾖｲｱﾂｳｴｵ"_qs;
        QTest::newRow("voiced marks stay with their kana") << u"ｷﾞｮｳ ﾋﾟｬ"_qs << u"ｷﾞﾖｳ ﾋﾟﾔ"_qs;
        QTest::newRow("full-width small kana stay") << u"キョウャュョッァィ"_qs << u"キョウャュョッァィ"_qs;
        QTest::newRow("hiragana small kana stay") << u"きょうっ"_qs << u"きょうっ"_qs;
        QTest::newRow("Latin letters are not touched") << u"jtbｮ"_qs << u"jtbﾖ"_qs;
        QTest::newRow("digits, kanji, symbols") << u"0009 東京ｯ-%'"_qs << u"0009 東京ﾂ-%'"_qs;
        QTest::newRow("empty") << QString() << QString();
    }

    void fullSizeKana()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(FullSizeKana(text), expected);
        QCOMPARE(FullSizeKana(text).size(), text.size());
        // Applied twice it changes nothing more.
        QCOMPARE(FullSizeKana(FullSizeKana(text)), expected);
    }

    void normaliseReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lower-case Latin") << u"jtb"_qs << u"JTB"_qs;
        QTest::newRow("mixed case with kana") << u"ﾐﾂﾋﾞｼufjｼﾝﾀｸ"_qs << u"ﾐﾂﾋﾞｼUFJｼﾝﾀｸ"_qs;
        QTest::newRow("upper case stays") << u"ATM"_qs << u"ATM"_qs;
        QTest::newRow("letters and small kana together") << u"jfｼﾏﾈｷﾞｮｷｮｳ"_qs << u"JFｼﾏﾈｷﾞﾖｷﾖｳ"_qs;
        QTest::newRow("small kana only") << u"ｷｮｳ"_qs << u"ｷﾖｳ"_qs;
        // On Linux the input method gives full-width katakana or hiragana, never
        // the half-width form the readings are stored in.
        QTest::newRow("full-width katakana") << u"キョウト"_qs << u"ｷﾖｳﾄ"_qs;
        QTest::newRow("hiragana") << u"きょうと"_qs << u"ｷﾖｳﾄ"_qs;
        QTest::newRow("voiced marks and long vowel")
            << u"ミツビシ・ゆーえふじぇー"_qs << u"ﾐﾂﾋﾞｼ･ﾕｰｴﾌｼﾞｪｰ"_qs;
        QTest::newRow("full-width Latin and digits") << u"ｊｔｂ１"_qs << u"JTB1"_qs;
        QTest::newRow("kanji stay") << u"京都銀行"_qs << u"京都銀行"_qs;
        QTest::newRow("digits and signs stay") << u"a-1_%'z"_qs << u"A-1_%'Z"_qs;
        QTest::newRow("small e stays") << u"ｳｪｽﾄ"_qs << u"ｳｪｽﾄ"_qs;
        QTest::newRow("empty") << QString() << QString();
    }

    void normaliseReading()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(NormaliseReading(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestKana)
#include "tst_kana.moc"

#include <QTest>

#include "util/Kana.h"

class TestKana : public QObject
{
    Q_OBJECT

private slots:
    void fullSizeKana_data();
    void fullSizeKana();
    void normaliseReading_data();
    void normaliseReading();
};

void TestKana::fullSizeKana_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("small yu") << QStringLiteral("ｷｭｳｼｭｳ") << QStringLiteral("ｷﾕｳｼﾕｳ");
    QTest::newRow("each replaced small kana") << QStringLiteral("ｭｬｮｨｧｯ") << QStringLiteral("ﾕﾔﾖｲｱﾂ");
    QTest::newRow("small kana in readings") << QStringLiteral("ﾄｳｷｮｳ ﾁｭｳｵｳ ｼｬｶｲ ｳｨﾝﾄﾞｳ ﾌｧﾐﾘｰ ｷｯﾄ")
                                            << QStringLiteral("ﾄｳｷﾖｳ ﾁﾕｳｵｳ ｼﾔｶｲ ｳｲﾝﾄﾞｳ ﾌｱﾐﾘｰ ｷﾂﾄ");
    QTest::newRow("small u, e, o stay") << QStringLiteral("ｩｪｫ") << QStringLiteral("ｩｪｫ");
    QTest::newRow("full-size kana stay") << QStringLiteral("ﾕﾔﾖｲｱﾂｳｴｵ") << QStringLiteral("ﾕﾔﾖｲｱﾂｳｴｵ");
    QTest::newRow("voiced marks stay with their kana")
        << QStringLiteral("ｷﾞｮｳ ﾋﾟｬ") << QStringLiteral("ｷﾞﾖｳ ﾋﾟﾔ");
    QTest::newRow("full-width small kana stay")
        << QStringLiteral("キョウャュョッァィ") << QStringLiteral("キョウャュョッァィ");
    QTest::newRow("hiragana small kana stay") << QStringLiteral("きょうっ") << QStringLiteral("きょうっ");
    QTest::newRow("Latin letters are not touched") << QStringLiteral("jtbｮ") << QStringLiteral("jtbﾖ");
    QTest::newRow("digits, kanji, symbols")
        << QStringLiteral("0009 東京ｯ-%'") << QStringLiteral("0009 東京ﾂ-%'");
    QTest::newRow("empty") << QString() << QString();
}

void TestKana::fullSizeKana()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(FullSizeKana(text), expected);
    QCOMPARE(FullSizeKana(text).size(), text.size());
    // Applied twice it changes nothing more.
    QCOMPARE(FullSizeKana(FullSizeKana(text)), expected);
}

void TestKana::normaliseReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("lower-case Latin") << QStringLiteral("jtb") << QStringLiteral("JTB");
    QTest::newRow("mixed case with kana") << QStringLiteral("ﾐﾂﾋﾞｼufjｼﾝﾀｸ") << QStringLiteral("ﾐﾂﾋﾞｼUFJｼﾝﾀｸ");
    QTest::newRow("upper case stays") << QStringLiteral("ATM") << QStringLiteral("ATM");
    QTest::newRow("letters and small kana together")
        << QStringLiteral("jfｼﾏﾈｷﾞｮｷｮｳ") << QStringLiteral("JFｼﾏﾈｷﾞﾖｷﾖｳ");
    QTest::newRow("small kana only") << QStringLiteral("ｷｮｳ") << QStringLiteral("ｷﾖｳ");
    // On Linux the input method gives full-width katakana or hiragana, never
    // the half-width form the readings are stored in.
    QTest::newRow("full-width katakana") << QStringLiteral("キョウト") << QStringLiteral("ｷﾖｳﾄ");
    QTest::newRow("hiragana") << QStringLiteral("きょうと") << QStringLiteral("ｷﾖｳﾄ");
    QTest::newRow("voiced marks and long vowel")
        << QStringLiteral("ミツビシ・ゆーえふじぇー") << QStringLiteral("ﾐﾂﾋﾞｼ･ﾕｰｴﾌｼﾞｪｰ");
    QTest::newRow("full-width Latin and digits") << QStringLiteral("ｊｔｂ１") << QStringLiteral("JTB1");
    QTest::newRow("kanji stay") << QStringLiteral("京都銀行") << QStringLiteral("京都銀行");
    QTest::newRow("digits and signs stay") << QStringLiteral("a-1_%'z") << QStringLiteral("A-1_%'Z");
    QTest::newRow("small e stays") << QStringLiteral("ｳｪｽﾄ") << QStringLiteral("ｳｪｽﾄ");
    QTest::newRow("empty") << QString() << QString();
}

void TestKana::normaliseReading()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(NormaliseReading(text), expected);
}

QTEST_GUILESS_MAIN(TestKana)
#include "tst_kana.moc"

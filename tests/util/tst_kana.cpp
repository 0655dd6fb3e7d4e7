#include <QTest>

#include "Rows.h"
#include "util/Kana.h"

class TestKana : public QObject
{
    Q_OBJECT

private slots:
    void fullSizeKana()
    {
        checkRows(FullSizeKana, {{"replaced small kana", u"ｷｭｳｭｬｮｨｧｯ"_qs, u"ｷﾕｳﾕﾔﾖｲｱﾂ"_qs},
                                 {"small u, e, o stay", u"ｩｪｫ"_qs, u"ｩｪｫ"_qs},
                                 {"voiced marks stay", u"ｷﾞｮｳ ﾋﾟｬ"_qs, u"ｷﾞﾖｳ ﾋﾟﾔ"_qs},
                                 {"full-width and hiragana stay", u"キョウャきょっ"_qs, u"キョウャきょっ"_qs},
                                 {"others stay", u"jtb0 東京-%ｮ"_qs, u"jtb0 東京-%ﾖ"_qs}});
    }

    // On Linux the input method gives full-width katakana or hiragana, never
    // the half-width form the readings are stored in.
    void normaliseReading()
    {
        checkRows(NormaliseReading, {{"Latin upper-cased", u"ﾐﾂﾋﾞｼufjｼﾝﾀｸ"_qs, u"ﾐﾂﾋﾞｼUFJｼﾝﾀｸ"_qs},
                                     {"small kana", u"jfｷﾞｮｷｮｳ"_qs, u"JFｷﾞﾖｷﾖｳ"_qs},
                                     {"full-width katakana", u"キョウト"_qs, u"ｷﾖｳﾄ"_qs},
                                     {"hiragana", u"ゆーえふじぇー・"_qs, u"ﾕｰｴﾌｼﾞｪｰ･"_qs},
                                     {"full-width Latin", u"ｊｔｂ１"_qs, u"JTB1"_qs},
                                     {"stay", u"京都-1_%'ｳｪ"_qs, u"京都-1_%'ｳｪ"_qs}});
    }
};

QTEST_GUILESS_MAIN(TestKana)
#include "tst_kana.moc"

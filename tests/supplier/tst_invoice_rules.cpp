// The invoice registration number and the name keys, as rules, without a
// window or a server. The numbers are corporate numbers of corporations in
// Tottori prefecture, from the national corporate-number open data
// (data/companies/31_tottori_all_20260731.csv).

#include <QTest>

#include "suite/SupplierKeys.h"
#include "supplier/Registration.h"

class TestInvoiceRules : public QObject
{
    Q_OBJECT

private slots:
    void checkDigit_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("faults");
        const int digit = InvoiceNumberCheckDigit, letter = InvoiceNumberLetter, length = InvoiceNumberLength;
        QTest::newRow("ウッドプラスチックテクノロジー") << u"T1010001119515"_qs << 0;
        QTest::newRow("ＰＵＬＵ") << u"T2010101015241"_qs << 0;
        QTest::newRow("ｅｔｔｏ") << u"T3010401152881"_qs << 0;
        QTest::newRow("デュマイロジャパン") << u"T4010601040489"_qs << 0;
        QTest::newRow("日本観光") << u"T5010001031674"_qs << 0;
        QTest::newRow("ＦＲＩＧＡＴＥ ＡＥＲＯ ＴＯＵＲＳ") << u"T6010001168796"_qs << 0;
        QTest::newRow("ＣＶＤエナジー") << u"T7010001098910"_qs << 0;
        QTest::newRow("エコステーション・ジャパン") << u"T8010001121209"_qs << 0;
        QTest::newRow("キャンドルライト") << u"T9010001208376"_qs << 0;
        QTest::newRow("ＰＵＬＵ, check digit mistyped") << u"T3010101015241"_qs << digit;
        QTest::newRow("日本観光, two digits swapped") << u"T5010001013674"_qs << digit;
        QTest::newRow("ＣＶＤエナジー, last two swapped") << u"T7010001098901"_qs << digit;
        QTest::newRow("empty: allowed") << QString() << 0;
        QTest::newRow("twelve digits") << u"T201010101524"_qs << length;
        QTest::newRow("no T") << u"X2010101015241"_qs << letter;
        QTest::newRow("a letter among the digits") << u"T20101010152A1"_qs << (letter | length);
    }

    void checkDigit()
    {
        QFETCH(QString, number);
        QFETCH(int, faults);
        QCOMPARE(InvoiceNumberFaults(number), faults);
        QCOMPARE(InvoiceNumberQuestion(number).isEmpty(), faults == 0);
        if (faults == 0 && !number.isEmpty())
            QCOMPARE(CorporateNumberCheckDigit(number.mid(2)), number.mid(1, 1).toInt());
    }

    void question()
    {
        QCOMPARE(
            InvoiceNumberQuestion(u"申請中"_qs),
            u"「申請中」: 先頭が「T」ではありません。数字でない文字「申」があります。数字が0桁です（「T」に"
            u"続けて13桁です）。\nインボイス番号（登録番号）の形式が正しくありません。このまま登録しますか？"_qs);
    }

    void normalise_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const QString pulu = u"T2010101015241"_qs;
        QTest::newRow("full width, lower-case t") << u"ｔ２０１０１０１０１５２４１"_qs << pulu;
        QTest::newRow("without T") << u"2010101015241"_qs << pulu;
        QTest::newRow("hyphens, long-vowel mark") << u"Ｔ２０１０－１０１０ー１５２４‐１"_qs << pulu;
        QTest::newRow("blanks of both widths, no T") << u" 2010 1010　1524-1 "_qs << pulu;
        QTest::newRow("twelve digits get no T") << u"201010101524"_qs << u"201010101524"_qs;
        QTest::newRow("other text stays") << u"申請中"_qs << u"申請中"_qs;
    }

    void normalise()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(NormaliseInvoiceNumber(typed), kept);
    }

    // Whether a name typed finds a name stored: the keys the lookup binds
    // against the one the server keeps (the server's side: tst_duplicates).
    void nameKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("found");
        QTest::newRow("form and blank") << u"株式会社 山田建設"_qs << u"山田建設㈱"_qs << true;
        QTest::newRow("brackets of both widths") << u"（株）山田建設"_qs << u"山田建設 (株)"_qs << true;
        QTest::newRow("letters and katakana") << u"ＡＢＣホーム"_qs << u"ABCﾎｰﾑ"_qs << true;
        QTest::newRow("voiced katakana") << u"ｶﾞｰﾃﾞﾝ･ｳﾞｨﾗ"_qs << u"ガーデン・ヴィラ"_qs << true;
        QTest::newRow("another name") << u"山田建設"_qs << u"山田工務店"_qs << false;
        QTest::newRow("hiragana") << u"やまだ"_qs << u"ヤマダ"_qs << false;
        QTest::newRow("widths mixed in a word") << u"ABCホーム"_qs << u"ＡBCホーム"_qs << false;
    }

    void nameKeys()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, found);
        QCOMPARE(NameKeys(typed).contains(NameKey(stored)), found);
    }
};

QTEST_GUILESS_MAIN(TestInvoiceRules)
#include "tst_invoice_rules.moc"

// The search list's and the list table's rules, without a window or a
// server: which search runs, the values bound to it (what a user typed only
// ever reaches the server bound), the sort order, and the export file.

#include <QTest>

#include "search/CsvExport.h"
#include "search/trad_sel.h"
#include "search/Unit8.h"
#include "util/Cp932.h"

using namespace suppliersearch;
using suppliertable::ListStatement;
using Params = QVariantMap;

class TestSearchRules : public QObject
{
    Q_OBJECT

private slots:
    // The reading a key is searched as, and the short name OK completes.
    void textRules()
    {
        const struct
        {
            QString (*rule)(QStringView);
            const char* text;
            const char* result;
        } rows[] = {
            {ReadingForm, "きょう", "ｷｮｳ"},
            {ReadingForm, "ヤマダＡＢ山", "ﾔﾏﾀﾞAB山"},
            {ShortNameFrom, "株式会社　山田 工務店", "㈱山田工務店"},
            {ShortNameFrom, "有限会社 カワイ設備", "㈲ｶﾜｲ設備"},
            {ShortNameFrom, "O'Neil Trading", "O'NeilTrading"},
            {ShortNameFrom, "丸山建材\r\n本店", "丸山建材\r\n本店"}, // a line break is left to the cut
        };
        for (const auto& r : rows)
            QCOMPARE(r.rule(QString::fromUtf8(r.text)), QString::fromUtf8(r.result));
    }

    void searchBranchFor()
    {
        QVERIFY(SearchBranchFor(u"ﾔﾏ"_qs, u"1203"_qs) ==
                SearchBranch::Key); // the trade type counts for nothing
        QVERIFY(SearchBranchFor(u" "_qs, {}) == SearchBranch::Key);
        QVERIFY(SearchBranchFor({}, u"abc"_qs) == SearchBranch::TradeType);
        QVERIFY(SearchBranchFor({}, {}) == SearchBranch::All);
    }

    // The searches and sorts of the search list, and the list table's
    // statement. What the clerk typed reaches the server only bound: no
    // statement has a quote in its text.
    void statements()
    {
        const QString inj = u"x' or '1'='1"_qs, like = u'%' + inj + u'%';
        const QString cd = u"order by T_CD"_qs, key = u"order by T_KEY"_qs, desc = u"order by T_TEL desc"_qs;
        const QString a = u"order by a.T_CD"_qs, yamada = u"%ﾔﾏﾀﾞ%"_qs;
        const struct
        {
            Statement statement;
            Params params;
            QString order;
        } rows[] = {
            // Four digits: a telephone ending or the code; five: the code; 0 is no code.
            {KeySearch(u"1234"_qs, false, false), {{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}}, cd},
            {KeySearch(u"12345"_qs, false, false), {{u"CD"_qs, 12345}}, cd},
            {KeySearch(u"0"_qs, false, false), {{u"K2"_qs, u"%0%"_qs}, {u"K1"_qs, u"%0%"_qs}}, cd},
            {KeySearch(u"03-1234"_qs, false, false), {{u"TEL"_qs, u"%03-1234"_qs}}, cd},
            {KeySearch(u"a-b"_qs, false, false), {{u"K2"_qs, u"%a-b%"_qs}, {u"K1"_qs, u"%a-b%"_qs}}, cd},
            {KeySearch(u"ﾔﾏﾀﾞ"_qs, false, true), {{u"K2"_qs, yamada}, {u"K1"_qs, yamada}}, key},
            // Hiragana: as a reading and as typed; a prefix only as a reading.
            {KeySearch(u"やまだ"_qs, false, false), {{u"K2"_qs, yamada}, {u"K1"_qs, u"%やまだ%"_qs}}, cd},
            {KeySearch(u"やまだ"_qs, true, false), {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}}, cd},
            {KeySearch(inj, false, false), {{u"K2"_qs, like}, {u"K1"_qs, like}}, cd},
            {KeySearch(u"ﾐﾂ%ｼﾝﾀｸ"_qs, true, false),
             {{u"K2"_qs, u"ﾐﾂ%ｼﾝﾀｸ%"_qs}},
             cd}, // a typed wildcard kept
            // Past the small column's range: bound all the same, the cast finds nothing. 0 is none.
            {TradeTypeSearch(1203, false), {{u"KOUSYU"_qs, 1203}}, a},
            {TradeTypeSearch(99999, true), {{u"KOUSYU"_qs, 99999}}, u"order by a.T_KEY"_qs},
            {TradeTypeSearch(0, false), {}, a},
            {AllSuppliers(true), {}, key},
            // A title click sorts the same search, with the order line it is given;
            // one trade type, or a code ending in 00 for its whole major class.
            {KeySort(u"1234"_qs, false, desc), {{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}}, desc},
            {KeySort(inj, false, desc), {{u"K1"_qs, like}}, desc},
            {KeySort(u"ﾔﾏﾀﾞ"_qs, true, desc), {{u"K1"_qs, u"ﾔﾏﾀﾞ%"_qs}}, desc},
            {TradeTypeSort(1203, desc), {{u"KOUSYU"_qs, 1203}}, desc},
            {TradeTypeSort(1200, desc), {{u"LOW"_qs, 1200}, {u"HIGH"_qs, 1299}}, desc},
            {TradeTypeSort(0, desc), {{u"LOW"_qs, 0}, {u"HIGH"_qs, 99}}, desc},
            {AllSort(desc), {}, desc},
            {ListStatement({}, {}, 0, u"T_CD"_qs, false), {}, cd},
            {ListStatement(inj, u"%"_qs, 99999, u"T_KEY"_qs, true),
             {{u"NAME"_qs, like}, {u"ADDRESS"_qs, u"%%%"_qs}, {u"KOUSYU"_qs, 99999}},
             u"order by T_KEY desc"_qs},
        };
        for (const auto& r : rows) {
            const QByteArray at = r.statement.sql.join(u' ').toUtf8();
            QVERIFY2(r.statement.params == r.params && r.statement.sql.last() == r.order, at.constData());
            QVERIFY2(!r.statement.sql.join(u'\n').contains(u'\''), at.constData());
        }
    }

    // Every value quoted; what code page 932 lacks is written as "?" and listed.
    void exportFile()
    {
        csvexport::Writer w({u"CD"_qs, u"名前"_qs});
        w.addRow({u"7"_qs, u"髙橋㈱"_qs});
        w.addRow({u"8"_qs, u"A\U0001F600B–"_qs});
        QCOMPARE(cp932::decode(w.bytes()), u"\"CD\",\"名前\"\r\n\"7\",\"髙橋㈱\"\r\n\"8\",\"A?B?\"\r\n"_qs);
        QCOMPARE(w.unwritable().size(), 1); // the first of the row's
        const QString question = csvexport::ReplaceQuestion(w);
        QVERIFY2(question.contains(u"2 行目（CD 8）「名前」"_qs) && question.contains(u"U+1F600"_qs),
                 qPrintable(question));
    }
};

QTEST_GUILESS_MAIN(TestSearchRules)
#include "tst_search_rules.moc"

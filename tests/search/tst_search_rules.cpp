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
using TextRule = QString (*)(QStringView);
Q_DECLARE_METATYPE(suppliersearch::SearchBranch)
Q_DECLARE_METATYPE(suppliersearch::Statement)
Q_DECLARE_METATYPE(TextRule)

namespace {

// A statement, the values it must bind and the order line it must end with.
void row(const char* name, const Statement& s, const Params& params,
         const QString& order = u"order by T_CD"_qs)
{
    QTest::newRow(name) << s << params << order;
}

void row(const char* name, TextRule rule, const QString& text, const QString& result)
{
    QTest::newRow(name) << rule << text << result;
}

} // namespace

class TestSearchRules : public QObject
{
    Q_OBJECT

private slots:
    // The reading a key is searched as, and the short name OK completes.
    void textRules_data()
    {
        QTest::addColumn<TextRule>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        row("reading: half-width katakana", ReadingForm, u"ﾔﾏﾀﾞ"_qs, u"ﾔﾏﾀﾞ"_qs);
        row("reading: hiragana", ReadingForm, u"やまだ"_qs, u"ﾔﾏﾀﾞ"_qs);
        row("reading: full-width katakana", ReadingForm, u"ヤマダ"_qs, u"ﾔﾏﾀﾞ"_qs);
        row("reading: small kana stay small", ReadingForm, u"きょう"_qs, u"ｷｮｳ"_qs);
        row("reading: full-width letters", ReadingForm, u"ＡＢＣ"_qs, u"ABC"_qs);
        row("reading: kanji stay", ReadingForm, u"山田"_qs, u"山田"_qs);
        row("short: company form, blanks of both widths", ShortNameFrom, u"株式会社　山田 工務店"_qs,
            u"㈱山田工務店"_qs);
        row("short: limited, made half-width", ShortNameFrom, u"有限会社 カワイ設備"_qs, u"㈲ｶﾜｲ設備"_qs);
        row("short: full-width letters", ShortNameFrom, u"ＡＢＣ商店"_qs, u"ABC商店"_qs);
        row("short: quote kept", ShortNameFrom, u"O'Neil Trading"_qs, u"O'NeilTrading"_qs);
        row("short: a line break is left to the cut", ShortNameFrom, u"丸山建材\r\n本店"_qs,
            u"丸山建材\r\n本店"_qs);
    }

    void textRules()
    {
        QFETCH(TextRule, rule);
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(rule(text), result);
    }

    void searchBranchFor_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("tradeType");
        QTest::addColumn<SearchBranch>("branch");
        QTest::newRow("key alone") << u"ﾔﾏ"_qs << QString() << SearchBranch::Key;
        QTest::newRow("a key makes the trade type count for nothing")
            << u"ﾔﾏ"_qs << u"1203"_qs << SearchBranch::Key;
        QTest::newRow("a blank is a key") << u" "_qs << QString() << SearchBranch::Key;
        QTest::newRow("trade type alone") << QString() << u"1203"_qs << SearchBranch::TradeType;
        QTest::newRow("trade type that is no number") << QString() << u"abc"_qs << SearchBranch::TradeType;
        QTest::newRow("both empty") << QString() << QString() << SearchBranch::All;
    }

    void searchBranchFor()
    {
        QFETCH(QString, key);
        QFETCH(QString, tradeType);
        QFETCH(SearchBranch, branch);
        QCOMPARE(SearchBranchFor(key, tradeType), branch);
    }

    // The searches and sorts of the search list, and the list table's statement.
    void statements_data()
    {
        QTest::addColumn<Statement>("statement");
        QTest::addColumn<Params>("params");
        QTest::addColumn<QString>("order");
        const QString injection = u"x' or '1'='1"_qs;
        const QString desc = u"order by T_TEL desc"_qs;
        row("four digits: a telephone ending or the code", KeySearch(u"1234"_qs, false, false),
            {{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}});
        row("five digits: the code", KeySearch(u"12345"_qs, false, false), {{u"CD"_qs, 12345}});
        row("two digits: the code", KeySearch(u"12"_qs, false, false), {{u"CD"_qs, 12}});
        row("a code whatever the prefix box", KeySearch(u"105"_qs, true, false), {{u"CD"_qs, 105}});
        row("a code by reading", KeySearch(u"105"_qs, false, true), {{u"CD"_qs, 105}}, u"order by T_KEY"_qs);
        row("0 is no code", KeySearch(u"0"_qs, false, false), {{u"K2"_qs, u"%0%"_qs}, {u"K1"_qs, u"%0%"_qs}});
        row("telephone ending", KeySearch(u"03-1234"_qs, false, false), {{u"TEL"_qs, u"%03-1234"_qs}});
        row("short hyphenated text is a name", KeySearch(u"a-b"_qs, false, false),
            {{u"K2"_qs, u"%a-b%"_qs}, {u"K1"_qs, u"%a-b%"_qs}});
        row("reading anywhere", KeySearch(u"ﾔﾏﾀﾞ"_qs, false, false),
            {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}});
        row("a name by reading", KeySearch(u"ﾔﾏﾀﾞ"_qs, false, true),
            {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}}, u"order by T_KEY"_qs);
        row("hiragana: as a reading and as typed", KeySearch(u"やまだ"_qs, false, false),
            {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%やまだ%"_qs}});
        row("reading prefix", KeySearch(u"ﾔﾏﾀﾞ"_qs, true, false), {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}});
        row("hiragana prefix", KeySearch(u"やまだ"_qs, true, false), {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}});
        row("a quote is bound", KeySearch(u"O'Neil"_qs, false, false),
            {{u"K2"_qs, u"%O'Neil%"_qs}, {u"K1"_qs, u"%O'Neil%"_qs}});
        row("a quote cannot change the search", KeySearch(injection, false, false),
            {{u"K2"_qs, u'%' + injection + u'%'}, {u"K1"_qs, u'%' + injection + u'%'}});
        row("a typed wildcard is kept", KeySearch(u"ﾐﾂ%ｼﾝﾀｸ"_qs, true, false), {{u"K2"_qs, u"ﾐﾂ%ｼﾝﾀｸ%"_qs}});

        row("trade type", TradeTypeSearch(1203, false), {{u"KOUSYU"_qs, 1203}}, u"order by a.T_CD"_qs);
        // Past the small column's range: bound all the same, the cast finds nothing.
        row("trade type too large", TradeTypeSearch(99999, true), {{u"KOUSYU"_qs, 99999}},
            u"order by a.T_KEY"_qs);
        row("trade type 0 is none", TradeTypeSearch(0, false), {}, u"order by a.T_CD"_qs);
        row("negative trade type is none", TradeTypeSearch(-5, false), {}, u"order by a.T_CD"_qs);
        row("all by reading", AllSuppliers(true), {}, u"order by T_KEY"_qs);

        // A title click sorts the same search, with the order line it is given.
        row("sort: four digits", KeySort(u"1234"_qs, false, desc),
            {{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}}, desc);
        row("sort: code", KeySort(u"12"_qs, true, desc), {{u"CD"_qs, 12}}, desc);
        row("sort: telephone ending", KeySort(u"03-1234"_qs, false, desc), {{u"TEL"_qs, u"%03-1234"_qs}},
            desc);
        row("sort: anywhere", KeySort(u"ﾔﾏﾀﾞ"_qs, false, desc), {{u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}}, desc);
        row("sort: prefix", KeySort(u"ﾔﾏﾀﾞ"_qs, true, desc), {{u"K1"_qs, u"ﾔﾏﾀﾞ%"_qs}}, desc);
        row("sort: a quote is bound", KeySort(injection, false, desc), {{u"K1"_qs, u'%' + injection + u'%'}},
            desc);
        // One trade type, or a code ending in 00 for its whole major class.
        row("sort: trade type", TradeTypeSort(1203, desc), {{u"KOUSYU"_qs, 1203}}, desc);
        row("sort: major class", TradeTypeSort(1200, desc), {{u"LOW"_qs, 1200}, {u"HIGH"_qs, 1299}}, desc);
        row("sort: no trade type", TradeTypeSort(0, desc), {{u"LOW"_qs, 0}, {u"HIGH"_qs, 99}}, desc);
        row("sort: all", AllSort(desc), {}, desc);

        row("list: every live supplier", ListStatement({}, {}, 0, u"T_CD"_qs, false), {});
        row("list: main or short name", ListStatement(u"山田"_qs, {}, 0, u"T_CD"_qs, false),
            {{u"NAME"_qs, u"%山田%"_qs}});
        row("list: either address line", ListStatement({}, u"米子"_qs, 0, u"T_CD"_qs, false),
            {{u"ADDRESS"_qs, u"%米子%"_qs}});
        row("list: trade type", ListStatement({}, {}, 1203, u"T_CD"_qs, false), {{u"KOUSYU"_qs, 1203}});
        row("list: no trade type below 1", ListStatement({}, {}, -1, u"T_CD"_qs, false), {});
        row("list: all three, descending", ListStatement(injection, u"%"_qs, 99999, u"T_KEY"_qs, true),
            {{u"NAME"_qs, u'%' + injection + u'%'}, {u"ADDRESS"_qs, u"%%%"_qs}, {u"KOUSYU"_qs, 99999}},
            u"order by T_KEY desc"_qs);
    }

    // What the clerk typed reaches the server only bound: a statement with no
    // quote in its text has no typed text spliced into it.
    void statements()
    {
        QFETCH(Statement, statement);
        QFETCH(Params, params);
        QFETCH(QString, order);
        QCOMPARE(statement.params, params);
        QCOMPARE(statement.sql.last(), order);
        QVERIFY(!statement.sql.join(u'\n').contains(u'\''));
    }

    // Each title click sorts the other way, whichever field.
    void nextOrderLine()
    {
        SortDescending = 0;
        QCOMPARE(NextOrderLine(u"T_NAME01"_qs), u"order by T_NAME01"_qs);
        QCOMPARE(SortDescending, 1);
        QCOMPARE(NextOrderLine(u"T_TEL"_qs), u"order by T_TEL desc"_qs);
        QCOMPARE(SortDescending, 0);
        QCOMPARE(NextOrderLine(u"T_CD"_qs), u"order by T_CD"_qs);
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

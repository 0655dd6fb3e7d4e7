// The search list's and the list table's rules, without a window or a
// server: which search runs, the values bound to it (what a user typed only
// ever reaches the server bound), the sort order, and the export file.

#include <QTest>

#include "search/CsvExport.h"
#include "search/trad_sel.h"
#include "search/Unit8.h"
#include "util/Cp932.h"

using namespace suppliersearch;
using Params = QVariantMap;
Q_DECLARE_METATYPE(suppliersearch::SearchBranch)

namespace {

// What the clerk typed reaches the server only bound: a statement with no
// quote in its text has no typed text spliced into it.
bool spliced(const suppliersearch::Statement& s)
{
    return s.sql.join(u'\n').contains(u'\'');
}

} // namespace

class TestSearchRules : public QObject
{
    Q_OBJECT

private slots:
    void readingForm_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("reading");
        QTest::newRow("half-width katakana") << u"ﾔﾏﾀﾞ"_qs << u"ﾔﾏﾀﾞ"_qs;
        QTest::newRow("hiragana") << u"やまだ"_qs << u"ﾔﾏﾀﾞ"_qs;
        QTest::newRow("full-width katakana") << u"ヤマダ"_qs << u"ﾔﾏﾀﾞ"_qs;
        QTest::newRow("small kana stay small") << u"きょう"_qs << u"ｷｮｳ"_qs;
        QTest::newRow("full-width letters") << u"ＡＢＣ"_qs << u"ABC"_qs;
        QTest::newRow("kanji stay") << u"山田"_qs << u"山田"_qs;
    }

    void readingForm()
    {
        QFETCH(QString, key);
        QFETCH(QString, reading);
        QCOMPARE(ReadingForm(key), reading);
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

    void keySearch_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("prefix");
        QTest::addColumn<Params>("params");
        const auto row = [](const char* name, const QString& key, bool prefix, const Params& params) {
            QTest::newRow(name) << key << prefix << params;
        };
        row("four digits: a telephone ending or the code", u"1234"_qs, false,
            {{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}});
        row("five digits: the code", u"12345"_qs, false, {{u"CD"_qs, 12345}});
        row("two digits: the code", u"12"_qs, false, {{u"CD"_qs, 12}});
        row("a code whatever the prefix box", u"105"_qs, true, {{u"CD"_qs, 105}});
        row("0 is no code", u"0"_qs, false, {{u"K2"_qs, u"%0%"_qs}, {u"K1"_qs, u"%0%"_qs}});
        row("telephone ending", u"03-1234"_qs, false, {{u"TEL"_qs, u"%03-1234"_qs}});
        row("short hyphenated text is a name", u"a-b"_qs, false,
            {{u"K2"_qs, u"%a-b%"_qs}, {u"K1"_qs, u"%a-b%"_qs}});
        row("reading anywhere", u"ﾔﾏﾀﾞ"_qs, false, {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}});
        row("hiragana: as a reading and as typed", u"やまだ"_qs, false,
            {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%やまだ%"_qs}});
        row("reading prefix", u"ﾔﾏﾀﾞ"_qs, true, {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}});
        row("hiragana prefix", u"やまだ"_qs, true, {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}});
        row("a quote is bound", u"O'Neil"_qs, false,
            {{u"K2"_qs, u"%O'Neil%"_qs}, {u"K1"_qs, u"%O'Neil%"_qs}});
        row("a quote cannot change the statement", u"x' or '1'='1"_qs, false,
            {{u"K2"_qs, u"%x' or '1'='1%"_qs}, {u"K1"_qs, u"%x' or '1'='1%"_qs}});
        row("a typed wildcard is kept", u"ﾐﾂ%ｼﾝﾀｸ"_qs, true, {{u"K2"_qs, u"ﾐﾂ%ｼﾝﾀｸ%"_qs}});
    }

    void keySearch()
    {
        QFETCH(QString, key);
        QFETCH(bool, prefix);
        QFETCH(Params, params);
        for (const bool byKey : {false, true}) {
            const Statement s = KeySearch(key, prefix, byKey);
            QCOMPARE(s.sql.last(), byKey ? u"order by T_KEY"_qs : u"order by T_CD"_qs);
            QCOMPARE(s.params, params);
            QVERIFY(!spliced(s));
        }
    }

    void tradeTypeAndAll()
    {
        QCOMPARE(TradeTypeSearch(1203, false).params, (Params{{u"KOUSYU"_qs, 1203}}));
        QCOMPARE(TradeTypeSearch(1203, false).sql.last(), u"order by a.T_CD"_qs);
        // Past the small column's range: bound all the same, the cast finds nothing.
        QCOMPARE(TradeTypeSearch(99999, true).params, (Params{{u"KOUSYU"_qs, 99999}}));
        QCOMPARE(TradeTypeSearch(99999, true).sql.last(), u"order by a.T_KEY"_qs);
        // No trade type: no condition.
        for (const int none : {0, -5})
            QVERIFY(TradeTypeSearch(none, false).params.isEmpty());
        QVERIFY(AllSuppliers(true).params.isEmpty());
        QCOMPARE(AllSuppliers(true).sql.last(), u"order by T_KEY"_qs);
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

    void keySort_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("prefix");
        QTest::addColumn<Params>("params");
        QTest::newRow("four digits") << u"1234"_qs << false
                                     << Params{{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}};
        QTest::newRow("code") << u"12"_qs << true << Params{{u"CD"_qs, 12}};
        QTest::newRow("telephone ending") << u"03-1234"_qs << false << Params{{u"TEL"_qs, u"%03-1234"_qs}};
        QTest::newRow("anywhere") << u"ﾔﾏﾀﾞ"_qs << false << Params{{u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}};
        QTest::newRow("prefix") << u"ﾔﾏﾀﾞ"_qs << true << Params{{u"K1"_qs, u"ﾔﾏﾀﾞ%"_qs}};
        QTest::newRow("a quote is bound") << u"O'Neil"_qs << false << Params{{u"K1"_qs, u"%O'Neil%"_qs}};
    }

    // A title click sorts the same search, with the order line it is given.
    void keySort()
    {
        QFETCH(QString, key);
        QFETCH(bool, prefix);
        QFETCH(Params, params);
        const Statement s = KeySort(key, prefix, u"order by T_TEL desc"_qs);
        QCOMPARE(s.sql.last(), u"order by T_TEL desc"_qs);
        QCOMPARE(s.params, params);
        QVERIFY(!spliced(s));
    }

    // One trade type, or a code ending in 00 for its whole major class.
    void tradeTypeSort()
    {
        QCOMPARE(TradeTypeSort(1203, u"order by T_CD"_qs).params, (Params{{u"KOUSYU"_qs, 1203}}));
        QCOMPARE(TradeTypeSort(1200, u"order by T_CD"_qs).params,
                 (Params{{u"LOW"_qs, 1200}, {u"HIGH"_qs, 1299}}));
        QCOMPARE(TradeTypeSort(0, u"order by T_CD"_qs).params, (Params{{u"LOW"_qs, 0}, {u"HIGH"_qs, 99}}));
    }

    void shortNameFrom_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shortName");
        QTest::newRow("company form, blanks of both widths")
            << u"株式会社　山田 工務店"_qs << u"㈱山田工務店"_qs;
        QTest::newRow("limited, made half-width") << u"有限会社 カワイ設備"_qs << u"㈲ｶﾜｲ設備"_qs;
        QTest::newRow("full-width letters") << u"ＡＢＣ商店"_qs << u"ABC商店"_qs;
        QTest::newRow("quote kept") << u"O'Neil Trading"_qs << u"O'NeilTrading"_qs;
        QTest::newRow("a line break is left to the cut") << u"丸山建材\r\n本店"_qs << u"丸山建材\r\n本店"_qs;
    }

    void shortNameFrom()
    {
        QFETCH(QString, name);
        QFETCH(QString, shortName);
        QCOMPARE(ShortNameFrom(name), shortName);
    }

    void listStatement_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("tradeType");
        QTest::addColumn<Params>("params");
        QTest::newRow("every live supplier") << QString() << QString() << 0 << Params();
        QTest::newRow("main or short name")
            << u"山田"_qs << QString() << 0 << Params{{u"NAME"_qs, u"%山田%"_qs}};
        QTest::newRow("either address line")
            << QString() << u"米子"_qs << 0 << Params{{u"ADDRESS"_qs, u"%米子%"_qs}};
        QTest::newRow("trade type") << QString() << QString() << 1203 << Params{{u"KOUSYU"_qs, 1203}};
        QTest::newRow("no trade type below 1") << QString() << QString() << -1 << Params();
        QTest::newRow("all three") << u"O'Neil"_qs << u"%"_qs << 99999

                                   << Params{{u"NAME"_qs, u"%O'Neil%"_qs},
                                             {u"ADDRESS"_qs, u"%%%"_qs},
                                             {u"KOUSYU"_qs, 99999}};
    }

    void listStatement()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(int, tradeType);
        QFETCH(Params, params);
        suppliersearch::Statement s =
            suppliertable::ListStatement(name, address, tradeType, u"T_CD"_qs, false);
        QCOMPARE(s.sql.last(), u"order by T_CD"_qs);
        QCOMPARE(s.params, params);
        QVERIFY(!spliced(s));
        s = suppliertable::ListStatement(name, address, tradeType, u"T_KEY"_qs, true);
        QCOMPARE(s.sql.last(), u"order by T_KEY desc"_qs);
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

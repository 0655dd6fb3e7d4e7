// The statements the search list and the list table build, without a window
// or a server: their lines and the values bound to them. What a user typed
// only ever reaches the server bound. And the list table's export file.

#include <QTest>

#include "search/CsvExport.h"
#include "search/trad_sel.h"
#include "search/Unit8.h"
#include "util/Cp932.h"

using namespace suppliersearch;
using Params = QVariantMap;
Q_DECLARE_METATYPE(suppliersearch::SearchBranch)

namespace {

const QString kSelect = u"select * from MAS_SIIRE"_qs;
const QString kLiveNotZero = u"where E_DATE04 is null and T_CD<>0"_qs;
const QString kCodeOrTel = u"and T_CD>0 and (T_TEL LIKE CAST(:TEL AS VARCHAR(8191)) or T_CD=:CD)"_qs;
const QString kCode = u"and T_CD>0 and T_CD=:CD"_qs;
const QString kTel = u"and T_CD>0 and T_TEL LIKE CAST(:TEL AS VARCHAR(8191))"_qs;
const QString kReadingOrName =
    u"and T_CD>0 and (T_KEY LIKE CAST(:K2 AS VARCHAR(8191)) or T_KEY LIKE CAST(:K1 AS "
    u"VARCHAR(8191)) or T_NAME01 LIKE CAST(:K1 AS VARCHAR(8191)))"_qs;
const QString kReadingPrefix = u"and T_CD>0 and (T_KEY LIKE CAST(:K2 AS VARCHAR(8191)))"_qs;
const QString kKeyOrName =
    u"and (T_KEY LIKE CAST(:K1 AS VARCHAR(8191)) or T_NAME01 LIKE CAST(:K1 AS VARCHAR(8191)))"_qs;
const QString kOneTradeType =
    u"and (a.KU_KOUSYU=CAST(:KOUSYU AS INTEGER) or b.KOUSYU=CAST(:KOUSYU AS INTEGER))"_qs;
const QString kTradeClass =
    u"and ((b.KOUSYU>=CAST(:LOW AS INTEGER) and b.KOUSYU<=CAST(:HIGH AS INTEGER)) or "
    u"(a.KU_KOUSYU>=CAST(:LOW AS INTEGER) and a.KU_KOUSYU<=CAST(:HIGH AS INTEGER)))"_qs;

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
        QTest::addColumn<QString>("condition");
        QTest::addColumn<Params>("params");
        const auto row = [](const char* name, const QString& key, bool prefix, const QString& condition,
                            const Params& params) {
            QTest::newRow(name) << key << prefix << condition << params;
        };
        row("four digits: a telephone ending or the code", u"1234"_qs, false, kCodeOrTel,
            {{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}});
        row("five digits: the code", u"12345"_qs, false, kCode, {{u"CD"_qs, 12345}});
        row("two digits: the code", u"12"_qs, false, kCode, {{u"CD"_qs, 12}});
        row("a code whatever the prefix box", u"105"_qs, true, kCode, {{u"CD"_qs, 105}});
        row("0 is no code", u"0"_qs, false, kReadingOrName, {{u"K2"_qs, u"%0%"_qs}, {u"K1"_qs, u"%0%"_qs}});
        row("telephone ending", u"03-1234"_qs, false, kTel, {{u"TEL"_qs, u"%03-1234"_qs}});
        row("short hyphenated text is a name", u"a-b"_qs, false, kReadingOrName,
            {{u"K2"_qs, u"%a-b%"_qs}, {u"K1"_qs, u"%a-b%"_qs}});
        row("reading anywhere", u"ﾔﾏﾀﾞ"_qs, false, kReadingOrName,
            {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}});
        row("hiragana: as a reading and as typed", u"やまだ"_qs, false, kReadingOrName,
            {{u"K2"_qs, u"%ﾔﾏﾀﾞ%"_qs}, {u"K1"_qs, u"%やまだ%"_qs}});
        row("reading prefix", u"ﾔﾏﾀﾞ"_qs, true, kReadingPrefix, {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}});
        row("hiragana prefix", u"やまだ"_qs, true, kReadingPrefix, {{u"K2"_qs, u"ﾔﾏﾀﾞ%"_qs}});
        row("a quote is bound", u"O'Neil"_qs, false, kReadingOrName,
            {{u"K2"_qs, u"%O'Neil%"_qs}, {u"K1"_qs, u"%O'Neil%"_qs}});
        row("a quote cannot change the statement", u"x' or '1'='1"_qs, false, kReadingOrName,
            {{u"K2"_qs, u"%x' or '1'='1%"_qs}, {u"K1"_qs, u"%x' or '1'='1%"_qs}});
        row("a typed wildcard is kept", u"ﾐﾂ%ｼﾝﾀｸ"_qs, true, kReadingPrefix, {{u"K2"_qs, u"ﾐﾂ%ｼﾝﾀｸ%"_qs}});
    }

    void keySearch()
    {
        QFETCH(QString, key);
        QFETCH(bool, prefix);
        QFETCH(QString, condition);
        QFETCH(Params, params);
        for (const bool byKey : {false, true}) {
            const Statement s = KeySearch(key, prefix, byKey);
            const QString order = byKey ? u"order by T_KEY"_qs : u"order by T_CD"_qs;
            QCOMPARE(s.sql, (QStringList{kSelect, kLiveNotZero, condition, order}));
            QCOMPARE(s.params, params);
        }
    }

    void tradeTypeAndAll()
    {
        const QString select = u"select * from MAS_SIIRE a "_qs;
        const QString oneType = u"and a.KU_KOUSYU=CAST(:KOUSYU AS INTEGER)"_qs;
        Statement s = TradeTypeSearch(1203, false);
        QCOMPARE(s.sql, (QStringList{select, kLiveNotZero, oneType, u"order by a.T_CD"_qs}));
        QCOMPARE(s.params, (Params{{u"KOUSYU"_qs, 1203}}));
        // Past the small column's range: bound all the same, the cast finds nothing.
        QCOMPARE(TradeTypeSearch(99999, true).sql.last(), u"order by a.T_KEY"_qs);
        QCOMPARE(TradeTypeSearch(99999, true).params, (Params{{u"KOUSYU"_qs, 99999}}));
        // No trade type: no condition.
        for (const int none : {0, -5}) {
            s = TradeTypeSearch(none, false);
            QCOMPARE(s.sql, (QStringList{select, kLiveNotZero, u"order by a.T_CD"_qs}));
            QVERIFY(s.params.isEmpty());
        }
        QCOMPARE(AllSuppliers(false).sql, (QStringList{kSelect, kLiveNotZero, u"order by T_CD"_qs}));
        QCOMPARE(AllSuppliers(true).sql.last(), u"order by T_KEY"_qs);
        QVERIFY(AllSuppliers(true).params.isEmpty());
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
        QTest::addColumn<QString>("condition");
        QTest::addColumn<Params>("params");
        QTest::newRow("four digits") << u"1234"_qs << false << kCodeOrTel
                                     << Params{{u"CD"_qs, 1234}, {u"TEL"_qs, u"%1234"_qs}};
        QTest::newRow("code") << u"12"_qs << true << kCode << Params{{u"CD"_qs, 12}};
        QTest::newRow("telephone ending")
            << u"03-1234"_qs << false << kTel << Params{{u"TEL"_qs, u"%03-1234"_qs}};
        QTest::newRow("anywhere") << u"ﾔﾏﾀﾞ"_qs << false << kKeyOrName << Params{{u"K1"_qs, u"%ﾔﾏﾀﾞ%"_qs}};
        QTest::newRow("prefix") << u"ﾔﾏﾀﾞ"_qs << true << kKeyOrName << Params{{u"K1"_qs, u"ﾔﾏﾀﾞ%"_qs}};
        QTest::newRow("a quote is bound")
            << u"O'Neil"_qs << false << kKeyOrName << Params{{u"K1"_qs, u"%O'Neil%"_qs}};
    }

    // The sorts of a title click list every live row, code 0 included.
    void keySort()
    {
        QFETCH(QString, key);
        QFETCH(bool, prefix);
        QFETCH(QString, condition);
        QFETCH(Params, params);
        const Statement s = KeySort(key, prefix, u"order by T_TEL desc"_qs);
        QCOMPARE(s.sql,
                 (QStringList{kSelect, u"where E_DATE04 is null"_qs, condition, u"order by T_TEL desc"_qs}));
        QCOMPARE(s.params, params);
        QCOMPARE(AllSort(u"order by T_KEY"_qs).sql,
                 (QStringList{kSelect, u"where E_DATE04 is null"_qs, u"order by T_KEY"_qs}));
    }

    void tradeTypeSort_data()
    {
        QTest::addColumn<int>("tradeType");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<Params>("params");
        QTest::newRow("one trade type") << 1203 << kOneTradeType << Params{{u"KOUSYU"_qs, 1203}};
        QTest::newRow("the last of a class") << 1299 << kOneTradeType << Params{{u"KOUSYU"_qs, 1299}};
        QTest::newRow("a whole major class")
            << 1200 << kTradeClass << Params{{u"LOW"_qs, 1200}, {u"HIGH"_qs, 1299}};
        QTest::newRow("the first class") << 100 << kTradeClass << Params{{u"LOW"_qs, 100}, {u"HIGH"_qs, 199}};
        QTest::newRow("no trade type: class 0")
            << 0 << kTradeClass << Params{{u"LOW"_qs, 0}, {u"HIGH"_qs, 99}};
    }

    // The suppliers carrying the trade type and those who did its work.
    void tradeTypeSort()
    {
        QFETCH(int, tradeType);
        QFETCH(QString, condition);
        QFETCH(Params, params);
        const QString columns[] = {
            u"a.T_CD,a.T_NAME01,a.T_NAME02,a.T_NAME03,a.T_TEL,a.T_KEY,a.KU_TAX,a.T_TEL"_qs,
            u",a.T_FAX,a.T_TANTOU,a.T_ZIP_CD,a.T_ADD_1,a.T_ADD_2,a.KU_KOUSYU,a.KU_KAMOKU"_qs,
            u",a.KU_G_KETA,a.KU_KIN_K,a.KU_TAX_K,a.KIN_01,a.KIN_02,a.KIN_03,a.KU_HARAI,a.KU_SIME"_qs,
        };
        const Statement s = TradeTypeSort(tradeType, u"order by T_CD desc"_qs);
        QCOMPARE(s.sql, (QStringList{
                            u"select "_qs + columns[0], columns[1], columns[2] + u",count(b.KOUSYU)"_qs,
                            u" from MAS_SIIRE a , DAT_JIKKOU b"_qs,
                            u"where a.E_DATE04 is null and a.T_CD=b.T_CD_2"_qs, condition,
                            u"group by "_qs + columns[0], columns[1], columns[2], u"order by T_CD desc"_qs}));
        QCOMPARE(s.params, params);
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
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<Params>("params");
        const QString byName =
            u"and (T_NAME01 like CAST(:NAME AS VARCHAR(8191)) or T_NAME03 like CAST(:NAME AS "
            u"VARCHAR(8191)))"_qs;
        const QString byAddress =
            u"and (T_ADD_1 like CAST(:ADDRESS AS VARCHAR(8191)) or T_ADD_2 like CAST(:ADDRESS "
            u"AS VARCHAR(8191)))"_qs;
        const QString byTradeType = u"and KU_KOUSYU=CAST(:KOUSYU AS INTEGER)"_qs;
        QTest::newRow("every live supplier") << QString() << QString() << 0 << QStringList() << Params();
        QTest::newRow("main or short name")
            << u"山田"_qs << QString() << 0 << QStringList{byName} << Params{{u"NAME"_qs, u"%山田%"_qs}};
        QTest::newRow("either address line") << QString() << u"米子"_qs << 0 << QStringList{byAddress}
                                             << Params{{u"ADDRESS"_qs, u"%米子%"_qs}};
        QTest::newRow("trade type") << QString() << QString() << 1203 << QStringList{byTradeType}
                                    << Params{{u"KOUSYU"_qs, 1203}};
        QTest::newRow("no trade type below 1") << QString() << QString() << -1 << QStringList() << Params();
        QTest::newRow("all three") << u"O'Neil"_qs << u"%"_qs << 99999
                                   << QStringList{byName, byAddress, byTradeType}
                                   << Params{{u"NAME"_qs, u"%O'Neil%"_qs},
                                             {u"ADDRESS"_qs, u"%%%"_qs},
                                             {u"KOUSYU"_qs, 99999}};
    }

    void listStatement()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(int, tradeType);
        QFETCH(QStringList, conditions);
        QFETCH(Params, params);
        const QString live = u"select * from MAS_SIIRE where E_DATE04 is null and T_CD>0"_qs;
        suppliersearch::Statement s =
            suppliertable::ListStatement(name, address, tradeType, u"T_CD"_qs, false);
        QCOMPARE(s.sql, QStringList{live} + conditions + QStringList{u"order by T_CD"_qs});
        QCOMPARE(s.params, params);
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

// The import's rules on plain values, without a window or a server: reading
// the file, splitting lines and values, the conversions by kind, the checks
// that keep a bad value from failing a whole block.

#include <QStringEncoder>
#include <QTest>

#include "db/Connection.h"
#include "import/LineBlock.h"
#include "import/TextImport.h"
#include "util/Cp932.h"

using namespace textimport;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList l(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* t : texts)
        list << s(t);
    return list;
}

Mapping m(int position, const char* column, const char* kind)
{
    return {position, s(column), s(kind)};
}

} // namespace

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void decoding()
    {
        const QString text = s("㈱山田,ﾔﾏﾀﾞ～");
        const auto utf16 = [&](QStringConverter::Encoding encoding, const char* mark) {
            QStringEncoder encode(encoding);
            return QByteArray(mark) + QByteArray(encode(text));
        };
        QCOMPARE(DecodeText(cp932::encode(text)), text);
        QCOMPARE(DecodeText("\xEF\xBB\xBF" + text.toUtf8()), text);
        QCOMPARE(DecodeText(utf16(QStringConverter::Utf16LE, "\xFF\xFE")), text);
        QCOMPARE(DecodeText(utf16(QStringConverter::Utf16BE, "\xFE\xFF")), text);
        // Without a mark UTF-8 is not guessed: its bytes read as code page 932.
        QCOMPARE(DecodeText(s("山").toUtf8()), cp932::decode(s("山").toUtf8()));
    }

    void splitting()
    {
        QCOMPARE(SplitValues(s("105,\"山田建設, 本社\",x")), l({"105", "山田建設, 本社", "x"}));
        QCOMPARE(SplitValues(s("\"a\"\"b\",\"\"\"\"")), l({"a\"b", "\""}));
        QCOMPARE(SplitValues(s(" a , b")), l({" a ", " b"})); // blanks belong to the value
        QCOMPARE(SplitValues(s(",,")), l({"", "", ""}));
        QCOMPARE(SplitValues(s("O'Neil,ab\"c")),
                 l({"O'Neil", "ab\"c"})); // a quote inside a value is a character
        QCOMPARE(SplitValues(s("\"ab\"c,d")), l({"abc", "d"}));
        QCOMPARE(SplitValues(s("\"a,b")), l({"a,b"})); // an unclosed quote runs to the end
        QCOMPARE(SplitValues(QString()), QStringList());

        QCOMPARE(SplitHeadings(s("仕入先CD\tﾌﾘｶﾞﾅ,住所 １,率%,\"a,b\"")),
                 l({"仕入先CD", "ﾌﾘｶﾞﾅ", "住所１", "率％", "a,b"}));
    }

    void conversion()
    {
        Fitting fitting;
        // Name box 50, mobile 30, e-mail 70 pixels, 10 a character; a tab fits in no box.
        fitting.measure = [](const QString& s) {
            return int(s.count(u'\t') * 1000 + s.size() * 10);
        };
        fitting.width = [](WidthBox box) {
            return box == WidthBox::Name ? 50 : box == WidthBox::Mobile ? 30 : 70;
        };
        const auto convert = [&](const char* column, const char* kind, const char* value) {
            return ConvertValue(m(1, column, kind), s(value), fitting);
        };
        const QVariant null;
        QCOMPARE(convert("KU_SIME", "数字", "20"), QVariant(20));
        QCOMPARE(convert("KU_SIME", "数字", "12a"), QVariant(0));
        QCOMPARE(convert("KU_SIME", "数字", "2.5"), QVariant(0));
        QCOMPARE(convert("KU_SIME", "数字", ""), QVariant(0));
        QCOMPARE(convert("T_CD", "文字列", " 105"), QVariant(105)); // the code whatever its kind
        QCOMPARE(convert("T_KEY", "文字列半", "ヤマダ　ＴＥＬ"), QVariant(s("ﾔﾏﾀﾞ TEL")));
        QCOMPARE(convert("T_KEY", "文字列半", ""), null);
        QCOMPARE(convert("T_DAIHYOU", "文字列", ""), null);
        QCOMPARE(convert("T_DAIHYOU", "文字列", "1234567890"), QVariant(s("1234567890"))); // not fitted
        QCOMPARE(convert("T_NAME01", "文字列", "1234567890"), QVariant(s("12345")));
        QCOMPARE(convert("BIKOU_05", "文字列", "1234567890"), QVariant(s("12345")));
        QCOMPARE(convert("BIKOU_01", "文字列", "1234567890"),
                 QVariant(s("123"))); // name box, then mobile box
        QCOMPARE(convert("E_MAILE", "文字列", "1234567890"), QVariant(s("1234567")));
        QCOMPARE(convert("T_NAME02", "文字列", "\t\t"), null);
        // Unknown boxes shorten nothing.
        QCOMPARE(ConvertValue(m(1, "T_NAME01", "文字列"), s("1234567890"), Fitting{}),
                 QVariant(s("1234567890")));
    }

    void mappingChecks()
    {
        QVERIFY(!CheckMapping({}).isEmpty());
        QVERIFY(CheckMapping({m(1, "T_CD", "数字"), m(3, "T_NAME01", "文字列")}).isEmpty());
        QVERIFY(
            CheckMapping({m(1, "T_NAME01", "文字列"), m(3, "T_NAME01", "文字列")}).contains(s("仕入先名１")));
        // Only the fields' own columns reach the statement's text.
        QVERIFY(!CheckMapping({m(1, "T_CD) VALUES (1); DROP TABLE MAS_SIIRE; --", "数字")}).isEmpty());
        QVERIFY(!CheckMapping({m(0, "T_CD", "数字")}).isEmpty());
    }

    void blockChecks_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("sendable");
        QTest::newRow("null") << s("SMALLINT") << QVariant() << true;
        QTest::newRow("smallint") << s("SMALLINT") << QVariant(32767) << true;
        QTest::newRow("smallint overflow") << s("SMALLINT") << QVariant(70000) << false;
        QTest::newRow("integer") << s("INTEGER") << QVariant(-2147483647 - 1) << true;
        QTest::newRow("text for a number") << s("INTEGER") << QVariant(s("12")) << false;
        QTest::newRow("double") << s("DOUBLE PRECISION") << QVariant(0) << true;
        QTest::newRow("text fits its bytes") << s("VARCHAR(6)") << QVariant(s("山田ｶﾅ")) << true;
        QTest::newRow("text wider than its bytes") << s("VARCHAR(5)") << QVariant(s("山田ｶﾅ")) << false;
        QTest::newRow("fixed text") << s("CHAR(2)") << QVariant(s("abc")) << false;
        QTest::newRow("no code page 932 form") << s("VARCHAR(100)") << QVariant(s("03–6634")) << false;
        QTest::newRow("characters with a character set")
            << s("VARCHAR(3) CHARACTER SET UTF8") << QVariant(s("山田建")) << true;
    }

    void blockChecks()
    {
        QFETCH(QString, declaration);
        QFETCH(QVariant, value);
        QFETCH(bool, sendable);
        db::Connection unused;
        LineBlock block(unused, {{s("V"), declaration}}, s("INSERT INTO T (V) VALUES (:V);"));
        QString reason;
        QCOMPARE(block.add({value}, 7, &reason), sendable);
        QCOMPARE(reason.isEmpty(), sendable);
        QCOMPARE(block.waiting(), sendable ? 1 : 0);
        QVERIFY(!block.check({value, value}).isEmpty()); // too many values
    }

    void blockSize()
    {
        db::Connection unused;
        const QList<LineBlock::Value> code{{s("T_CD"), s("INTEGER")}};
        // Each DML statement opens a context; a statement may open 255.
        LineBlock two(unused, code,
                      s("DELETE FROM T WHERE T_CD = :T_CD; INSERT INTO T (T_CD) VALUES (:T_CD);"));
        QCOMPARE(two.linesPerBlock(), 125);
        LineBlock capped(unused, code, s("INSERT INTO T (T_CD) VALUES (:T_CD);"), 10);
        QCOMPARE(capped.linesPerBlock(), 10);
        QList<LineBlock::Value> wide;
        for (int i = 0; i < 35; ++i)
            wide << LineBlock::Value{QStringLiteral("C%1").arg(i), s("VARCHAR(100)")};
        LineBlock big(unused, wide, s("INSERT INTO T (C0) VALUES (:C0);"));
        QVERIFY(big.linesPerBlock() >= 1 && big.linesPerBlock() * 35 * 100 < 64 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"

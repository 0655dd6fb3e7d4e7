// The import's rules on plain values, without a window or a server: reading
// the file, splitting lines and values, the conversions by kind, the checks
// that keep a bad value from failing a whole block.

#include "db/Connection.h"
#include "import/LineBlock.h"
#include "import/TextImport.h"
#include "util/Cp932.h"

#include <QTest>

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
    void decoding_data();
    void decoding();
    void lines_data();
    void lines();
    void values_data();
    void values();
    void headings();
    void conversion_data();
    void conversion();
    void mappingChecks();
    void blockChecks_data();
    void blockChecks();
    void blockSize();
};

void TestText::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString text = QStringLiteral("㈱山田,ﾔﾏﾀﾞ～");
    QTest::newRow("code page 932") << cp932::encode(text) << text;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << text;
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QTest::newRow("UTF-16 little-endian mark") << le << text;
    QTest::newRow("UTF-16 big-endian mark") << be << text;
    // Without a mark UTF-8 is not guessed: its bytes read as code page 932.
    QTest::newRow("UTF-8 without mark") << QStringLiteral("山").toUtf8() << cp932::decode(QStringLiteral("山").toUtf8());
}

void TestText::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(DecodeText(bytes), expected);
}

void TestText::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n") << ab;
    QTest::newRow("LF") << QStringLiteral("a\nb\n") << ab;
    QTest::newRow("CR") << QStringLiteral("a\rb\r") << ab;
    QTest::newRow("no ending") << QStringLiteral("a\r\nb") << ab;
    QTest::newRow("mixed, blank line kept") << QStringLiteral("a\n\r\nb\rc")
                                            << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"),
                                                           QStringLiteral("c")};
    QTest::newRow("empty") << QString() << QStringList();
}

void TestText::lines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(SplitLines(text), expected);
}

void TestText::values_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("plain") << QStringLiteral("105,山田建設,0857") << l({"105", "山田建設", "0857"});
    QTest::newRow("quoted comma") << QStringLiteral("105,\"山田建設, 本社\",x") << l({"105", "山田建設, 本社", "x"});
    QTest::newRow("doubled quotes") << QStringLiteral("\"a\"\"b\",\"\"\"\"") << l({"a\"b", "\""});
    QTest::newRow("blanks belong to the value") << QStringLiteral(" a , b") << l({" a ", " b"});
    QTest::newRow("empty values") << QStringLiteral(",,") << l({"", "", ""});
    QTest::newRow("quote inside a value is a character") << QStringLiteral("O'Neil,ab\"c") << l({"O'Neil", "ab\"c"});
    QTest::newRow("text after the closing quote") << QStringLiteral("\"ab\"c,d") << l({"abc", "d"});
    QTest::newRow("unclosed quote runs to the end") << QStringLiteral("\"a,b") << l({"a,b"});
    QTest::newRow("empty line has none") << QString() << QStringList();
}

void TestText::values()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(SplitValues(line), expected);
}

void TestText::headings()
{
    QCOMPARE(SplitHeadings(QStringLiteral("仕入先CD\tﾌﾘｶﾞﾅ,住所 １,率%,\"a,b\"")),
             (l({"仕入先CD", "ﾌﾘｶﾞﾅ", "住所１", "率％", "a,b"})));
}

void TestText::conversion_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QVariant>("expected");
    const QString number = QStringLiteral("数字"), text = QStringLiteral("文字列"), half = QStringLiteral("文字列半");
    const QVariant null;
    QTest::newRow("number") << s("KU_SIME") << number << s("20") << QVariant(20);
    QTest::newRow("number with letters") << s("KU_SIME") << number << s("12a") << QVariant(0);
    QTest::newRow("fraction") << s("KU_SIME") << number << s("2.5") << QVariant(0);
    QTest::newRow("empty number") << s("KU_SIME") << number << s("") << QVariant(0);
    QTest::newRow("code whatever its kind") << s("T_CD") << text << s(" 105") << QVariant(105);
    QTest::newRow("half-width") << s("T_KEY") << half << s("ヤマダ　ＴＥＬ") << QVariant(QStringLiteral("ﾔﾏﾀﾞ TEL"));
    QTest::newRow("empty half-width is null") << s("T_KEY") << half << s("") << null;
    QTest::newRow("empty text is null") << s("T_DAIHYOU") << text << s("") << null;
    QTest::newRow("unfitted column") << s("T_DAIHYOU") << text << s("1234567890") << QVariant(QStringLiteral("1234567890"));
    // The fake boxes below: name 50, mobile 30, e-mail 70 pixels, 10 a character.
    QTest::newRow("name fitted") << s("T_NAME01") << text << s("1234567890") << QVariant(QStringLiteral("12345"));
    QTest::newRow("remark fitted") << s("BIKOU_05") << text << s("1234567890") << QVariant(QStringLiteral("12345"));
    QTest::newRow("mobile fitted twice") << s("BIKOU_01") << text << s("1234567890") << QVariant(QStringLiteral("123"));
    QTest::newRow("e-mail fitted") << s("E_MAILE") << text << s("1234567890") << QVariant(QStringLiteral("1234567"));
    QTest::newRow("fitting to nothing is null") << s("T_NAME02") << text << s("\t\t") << null;
}

void TestText::conversion()
{
    QFETCH(QString, column);
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(QVariant, expected);
    Fitting fitting;
    // A tab measures wider than any box, so it fits in none.
    fitting.measure = [](const QString& s) { return int(s.count(u'\t') * 1000 + s.size() * 10); };
    fitting.width = [](WidthBox box) { return box == WidthBox::Name ? 50 : box == WidthBox::Mobile ? 30 : 70; };
    const QVariant v = ConvertValue(Mapping{1, column, kind}, value, fitting);
    QCOMPARE(v, expected);
    QCOMPARE(v.isNull(), expected.isNull());
    // Unknown boxes shorten nothing.
    if (kind == QLatin1String("文字列") && !value.contains(u'\t'))
        QCOMPARE(ConvertValue(Mapping{1, column, kind}, value, Fitting{}), QVariant(value));
}

void TestText::mappingChecks()
{
    QVERIFY(!CheckMapping({}).isEmpty());
    QVERIFY(CheckMapping({m(1, "T_CD", "数字"), m(3, "T_NAME01", "文字列")}).isEmpty());
    QVERIFY(CheckMapping({m(1, "T_NAME01", "文字列"), m(3, "T_NAME01", "文字列")}).contains(QStringLiteral("仕入先名１")));
    // Only the fields' own columns reach the statement's text.
    QVERIFY(!CheckMapping({m(1, "T_CD) VALUES (1); DROP TABLE MAS_SIIRE; --", "数字")}).isEmpty());
    QVERIFY(!CheckMapping({m(0, "T_CD", "数字")}).isEmpty());
}

void TestText::blockChecks_data()
{
    QTest::addColumn<QString>("declaration");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("sendable");
    QTest::newRow("null") << s("SMALLINT") << QVariant() << true;
    QTest::newRow("smallint") << s("SMALLINT") << QVariant(32767) << true;
    QTest::newRow("smallint overflow") << s("SMALLINT") << QVariant(70000) << false;
    QTest::newRow("integer") << s("INTEGER") << QVariant(-2147483647 - 1) << true;
    QTest::newRow("text for a number") << s("INTEGER") << QVariant(QStringLiteral("12")) << false;
    QTest::newRow("double") << s("DOUBLE PRECISION") << QVariant(0) << true;
    QTest::newRow("text fits its bytes") << s("VARCHAR(6)") << QVariant(QStringLiteral("山田ｶﾅ")) << true;
    QTest::newRow("text wider than its bytes") << s("VARCHAR(5)") << QVariant(QStringLiteral("山田ｶﾅ")) << false;
    QTest::newRow("fixed text") << s("CHAR(2)") << QVariant(QStringLiteral("abc")) << false;
    QTest::newRow("no code page 932 form") << s("VARCHAR(100)") << QVariant(QStringLiteral("03–6634")) << false;
    QTest::newRow("characters with a character set") << s("VARCHAR(3) CHARACTER SET UTF8") << QVariant(QStringLiteral("山田建")) << true;
}

void TestText::blockChecks()
{
    QFETCH(QString, declaration);
    QFETCH(QVariant, value);
    QFETCH(bool, sendable);
    db::Connection unused;
    LineBlock block(unused, {{QStringLiteral("V"), declaration}}, QStringLiteral("INSERT INTO T (V) VALUES (:V);"));
    QString reason;
    QCOMPARE(block.add({value}, 7, &reason), sendable);
    QCOMPARE(reason.isEmpty(), sendable);
    QCOMPARE(block.waiting(), sendable ? 1 : 0);
    QCOMPARE(block.check({value, value}).isEmpty(), false);
}

void TestText::blockSize()
{
    db::Connection unused;
    const QList<LineBlock::Value> code{{QStringLiteral("T_CD"), QStringLiteral("INTEGER")}};
    // Each DML statement opens a context; a statement may open 255.
    LineBlock two(unused, code, QStringLiteral("DELETE FROM T WHERE T_CD = :T_CD; INSERT INTO T (T_CD) VALUES (:T_CD);"));
    QCOMPARE(two.linesPerBlock(), 125);
    LineBlock capped(unused, code, QStringLiteral("INSERT INTO T (T_CD) VALUES (:T_CD);"), 10);
    QCOMPARE(capped.linesPerBlock(), 10);
    QList<LineBlock::Value> wide;
    for (int i = 0; i < 35; ++i)
        wide << LineBlock::Value{QStringLiteral("C%1").arg(i), QStringLiteral("VARCHAR(100)")};
    LineBlock big(unused, wide, QStringLiteral("INSERT INTO T (C0) VALUES (:C0);"));
    QVERIFY(big.linesPerBlock() >= 1 && big.linesPerBlock() * 35 * 100 < 64 * 1024);
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"

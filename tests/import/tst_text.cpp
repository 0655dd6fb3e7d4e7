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
        QCOMPARE(SplitValues(s("O'Neil,ab\"c")),
                 l({"O'Neil", "ab\"c"}));              // a quote inside a value is a character
        QCOMPARE(SplitValues(s("\"a,b")), l({"a,b"})); // an unclosed quote runs to the end

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
        QCOMPARE(convert("T_CD", "文字列", " 105"), QVariant(105)); // the code whatever its kind
        QCOMPARE(convert("T_KEY", "文字列半", "ヤマダ　ＴＥＬ"), QVariant(s("ﾔﾏﾀﾞ TEL")));
        QCOMPARE(convert("T_DAIHYOU", "文字列", ""), null);
        QCOMPARE(convert("T_DAIHYOU", "文字列", "1234567890"), QVariant(s("1234567890"))); // not fitted
        QCOMPARE(convert("T_NAME01", "文字列", "1234567890"), QVariant(s("12345")));
        QCOMPARE(convert("BIKOU_01", "文字列", "1234567890"),
                 QVariant(s("123"))); // name box, then mobile box
        QCOMPARE(convert("T_NAME02", "文字列", "\t\t"), null);
    }

    void mappingChecks()
    {
        QVERIFY(CheckMapping({m(1, "T_CD", "数字"), m(3, "T_NAME01", "文字列")}).isEmpty());
        QVERIFY(
            CheckMapping({m(1, "T_NAME01", "文字列"), m(3, "T_NAME01", "文字列")}).contains(s("仕入先名１")));
        // Only the fields' own columns reach the statement's text.
        QVERIFY(!CheckMapping({m(1, "T_CD) VALUES (1); DROP TABLE MAS_SIIRE; --", "数字")}).isEmpty());
    }

    // A value the column cannot take is refused with a reason, not sent to fail its block.
    void blockChecks()
    {
        const struct
        {
            const char* declaration;
            QVariant value;
            bool sendable;
        } rows[] = {
            {"SMALLINT", QVariant(), true},
            {"SMALLINT", 70000, false},
            {"INTEGER", s("12"), false},
            {"VARCHAR(6)", s("山田ｶﾅ"), true},
            {"VARCHAR(5)", s("山田ｶﾅ"), false},
            {"VARCHAR(100)", s("03–6634"), false}, // no code page 932 form
            {"VARCHAR(3) CHARACTER SET UTF8", s("山田建"), true},
        };
        db::Connection unused;
        for (const auto& r : rows) {
            LineBlock block(unused, {{s("V"), s(r.declaration)}}, s("INSERT INTO T (V) VALUES (:V);"));
            QString reason;
            QVERIFY2(block.add({r.value}, 7, &reason) == r.sendable, r.declaration);
            QVERIFY2(reason.isEmpty() == r.sendable && block.waiting() == (r.sendable ? 1 : 0),
                     r.declaration);
        }
        LineBlock block(unused, {{s("V"), s("INTEGER")}}, s("INSERT INTO T (V) VALUES (:V);"));
        QVERIFY(!block.check({1, 2}).isEmpty()); // too many values
    }

    void blockSize()
    {
        db::Connection unused;
        const QList<LineBlock::Value> code{{s("T_CD"), s("INTEGER")}};
        // Each DML statement opens a context; a statement may open 255.
        LineBlock two(unused, code,
                      s("DELETE FROM T WHERE T_CD = :T_CD; INSERT INTO T (T_CD) VALUES (:T_CD);"));
        QCOMPARE(two.linesPerBlock(), 125);
        QList<LineBlock::Value> wide;
        for (int i = 0; i < 35; ++i)
            wide << LineBlock::Value{QStringLiteral("C%1").arg(i), s("VARCHAR(100)")};
        LineBlock big(unused, wide, s("INSERT INTO T (C0) VALUES (:C0);"));
        QVERIFY(big.linesPerBlock() >= 1 && big.linesPerBlock() * 35 * 100 < 64 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"

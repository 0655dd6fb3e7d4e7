#include "util/Amount.h"
#include "util/DisplayFormat.h"
#include "util/Numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void toIntDef_data();
    void toIntDef();
    void parseAmount_data();
    void parseAmount();
    void formatAmount_data();
    void formatAmount();
    void formattedAmountReadsBack();
    void formatFloat_data();
    void formatFloat();
};

void TestNumbers::toIntDef_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // with fallback -99

    const int fb = -99;
    QTest::newRow("digits") << QStringLiteral("123") << 123;
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("minus") << QStringLiteral("-7") << -7;
    QTest::newRow("plus") << QStringLiteral("+7") << 7;
    QTest::newRow("leading blanks") << QStringLiteral("  \t42") << 42;
    QTest::newRow("blanks before the sign") << QStringLiteral(" -42") << -42;
    QTest::newRow("largest") << QStringLiteral("2147483647") << std::numeric_limits<int>::max();
    QTest::newRow("smallest") << QStringLiteral("-2147483648") << std::numeric_limits<int>::min();
    QTest::newRow("empty") << QString() << fb;
    QTest::newRow("blanks only") << QStringLiteral("   ") << fb;
    QTest::newRow("sign only") << QStringLiteral("-") << fb;
    QTest::newRow("blank after the sign") << QStringLiteral("- 5") << fb;
    QTest::newRow("two signs") << QStringLiteral("--5") << fb;
    QTest::newRow("trailing blank") << QStringLiteral("42 ") << fb;
    QTest::newRow("trailing letters") << QStringLiteral("12a") << fb;
    QTest::newRow("decimal point") << QStringLiteral("1.5") << fb;
    QTest::newRow("thousands separator") << QStringLiteral("1,000") << fb;
    QTest::newRow("letters") << QStringLiteral("abc") << fb;
    QTest::newRow("hexadecimal") << QStringLiteral("0x10") << fb;
    QTest::newRow("full-width digits") << QStringLiteral("１２") << fb;
    QTest::newRow("one past the largest") << QStringLiteral("2147483648") << fb;
    QTest::newRow("one past the smallest") << QStringLiteral("-2147483649") << fb;
    QTest::newRow("far too large") << QStringLiteral("99999999999999999999") << fb;
}

void TestNumbers::toIntDef()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(::toIntDef(text, -99), value);
    // The fallback defaults to 0.
    QCOMPARE(::toIntDef(text), value == -99 ? 0 : value);
}

void TestNumbers::parseAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("thousands separators") << QStringLiteral("1,234,567") << 1234567.0;
    QTest::newRow("accounting minus") << QStringLiteral("▲1,000") << -1000.0;
    QTest::newRow("quoted with a space") << QStringLiteral("\"12 345\"") << 12345.0;
    QTest::newRow("quoted accounting minus") << QStringLiteral("\"▲1,234\"") << -1234.0;
    QTest::newRow("decimal") << QStringLiteral("12.5") << 12.5;
    QTest::newRow("negative decimal") << QStringLiteral("-1,234.5") << -1234.5;
    QTest::newRow("separators anywhere") << QStringLiteral("12,34") << 1234.0;
    QTest::newRow("blanks around") << QStringLiteral(" 12 ") << 12.0;
    QTest::newRow("plus sign") << QStringLiteral("+5") << 5.0;
    QTest::newRow("exponent") << QStringLiteral("1e3") << 1000.0;
    QTest::newRow("negative exponent") << QStringLiteral("25E-1") << 2.5;
    QTest::newRow("no integer digits") << QStringLiteral(".5") << 0.5;
    QTest::newRow("no decimal digits") << QStringLiteral("5.") << 5.0;
    QTest::newRow("minus zero") << QStringLiteral("-0") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("lone minus") << QStringLiteral("-") << 0.0;
    QTest::newRow("lone accounting minus") << QStringLiteral("▲") << 0.0;
    QTest::newRow("two minus signs") << QStringLiteral("--5") << 0.0;
    QTest::newRow("accounting minus and minus") << QStringLiteral("▲-5") << 0.0;
    QTest::newRow("two decimal points") << QStringLiteral("1.2.3") << 0.0;
    QTest::newRow("exponent without digits") << QStringLiteral("1e") << 0.0;
    QTest::newRow("trailing letter") << QStringLiteral("12円") << 0.0;
    QTest::newRow("tab is not removed") << QStringLiteral("12\t") << 0.0;
    QTest::newRow("full-width space is not removed") << QStringLiteral("1　2") << 0.0;
    QTest::newRow("full-width digits") << QStringLiteral("１２３") << 0.0;
    QTest::newRow("hexadecimal") << QStringLiteral("0x10") << 0.0;
    QTest::newRow("infinity text") << QStringLiteral("inf") << 0.0;
    QTest::newRow("nan text") << QStringLiteral("nan") << 0.0;
    QTest::newRow("overflow") << QStringLiteral("1e400") << 0.0;
}

void TestNumbers::parseAmount()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const double parsed = ParseAmount(text);
    QCOMPARE(parsed, value);
    QVERIFY(!std::signbit(parsed) || parsed != 0.0);
}

void TestNumbers::formatAmount_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("millions") << 1234567.0 << QStringLiteral("1,234,567");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("below a thousand") << 999.0 << QStringLiteral("999");
    QTest::newRow("a thousand") << 1000.0 << QStringLiteral("1,000");
    QTest::newRow("negative") << -1234567.0 << QStringLiteral("-1,234,567");
    QTest::newRow("decimals are rounded") << 123.456 << QStringLiteral("123");
    QTest::newRow("half rounds up") << 2.5 << QStringLiteral("3");
    QTest::newRow("half rounds away from zero") << -2.5 << QStringLiteral("-3");
    QTest::newRow("rounding adds a group") << 999999.5 << QStringLiteral("1,000,000");
    QTest::newRow("small negative shows as zero") << -0.4 << QStringLiteral("0");
    QTest::newRow("minus zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("large") << 1e15 << QStringLiteral("1,000,000,000,000,000");
}

void TestNumbers::formatAmount()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatAmount(value), text);
}

void TestNumbers::formattedAmountReadsBack()
{
    for (double v :
         {0.0, 1.0, -1.0, 999.0, 1000.0, -1000.0, 1234567.0, -98765432.0, 2147483648.0, 12.4, -12.6}) {
        const QString text = FormatAmount(v);
        QCOMPARE(ParseAmount(text), std::round(v));
        // The screens show negative amounts with the accounting minus, too.
        QString accounting = text;
        accounting.replace(u'-', u'▲');
        QCOMPARE(ParseAmount(accounting), std::round(v));
    }
}

void TestNumbers::formatFloat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    const QString hash = QStringLiteral("#");
    const QString grouped = QStringLiteral("#,##0");
    const QString exempt = QStringLiteral("'免税';#;#");
    const QString bracketed = QStringLiteral("#,##0;(#,##0)");
    const QString withZero = QStringLiteral("#,##0;(#,##0);\"ゼロ\"");

    QTest::newRow("# whole number") << hash << 1500.0 << QStringLiteral("1500");
    QTest::newRow("# zero is empty") << hash << 0.0 << QString();
    QTest::newRow("# rounds") << hash << 12.6 << QStringLiteral("13");
    QTest::newRow("# half away from zero") << hash << 12.5 << QStringLiteral("13");
    QTest::newRow("# rounding to zero is empty") << hash << 0.4 << QString();
    QTest::newRow("# negative") << hash << -12.6 << QStringLiteral("-13");
    QTest::newRow("# small negative is empty") << hash << -0.4 << QString();

    QTest::newRow("grouped millions") << grouped << 1234567.0 << QStringLiteral("1,234,567");
    QTest::newRow("grouped hundreds") << grouped << 123.0 << QStringLiteral("123");
    QTest::newRow("grouped thousand") << grouped << 1000.0 << QStringLiteral("1,000");
    QTest::newRow("grouped zero") << grouped << 0.0 << QStringLiteral("0");
    QTest::newRow("grouped negative") << grouped << -1234567.0 << QStringLiteral("-1,234,567");
    QTest::newRow("grouped rounding carries") << grouped << 999.5 << QStringLiteral("1,000");
    QTest::newRow("grouped with two placeholders")
        << QStringLiteral("#,#") << 1234567.0 << QStringLiteral("1,234,567");

    QTest::newRow("exempt positive") << exempt << 1.0 << QStringLiteral("免税");
    QTest::newRow("exempt zero") << exempt << 0.0 << QString();
    QTest::newRow("exempt negative") << exempt << -1.0 << QStringLiteral("1");

    QTest::newRow("negative section, no minus") << bracketed << -1234.0 << QStringLiteral("(1,234)");
    QTest::newRow("negative section, positive") << bracketed << 1234.0 << QStringLiteral("1,234");
    QTest::newRow("negative rounding to zero uses the first") << bracketed << -0.4 << QStringLiteral("0");
    QTest::newRow("zero section") << withZero << 0.0 << QStringLiteral("ゼロ");
    QTest::newRow("rounding to zero uses the zero section") << withZero << 0.3 << QStringLiteral("ゼロ");
    QTest::newRow("negative rounding to zero uses the zero section")
        << withZero << -0.3 << QStringLiteral("ゼロ");
    QTest::newRow("empty negative section adds a minus")
        << QStringLiteral("#,##0;;\"ゼロ\"") << -5.0 << QStringLiteral("-5");
    QTest::newRow("empty zero section uses the first")
        << QStringLiteral("0.0;(0.0);") << 0.0 << QStringLiteral("0.0");
    QTest::newRow("a fourth section is ignored") << QStringLiteral("0;-0;z;w") << 0.0 << QStringLiteral("z");

    QTest::newRow("two decimals") << QStringLiteral("0.00") << 2.5 << QStringLiteral("2.50");
    QTest::newRow("decimals round as written") << QStringLiteral("0.00") << 2.675 << QStringLiteral("2.68");
    QTest::newRow("decimals round up 1.005") << QStringLiteral("0.00") << 1.005 << QStringLiteral("1.01");
    QTest::newRow("decimals, zero") << QStringLiteral("0.00") << 0.0 << QStringLiteral("0.00");
    QTest::newRow("decimals, tiny negative") << QStringLiteral("0.00") << -0.001 << QStringLiteral("0.00");
    QTest::newRow("decimals, negative") << QStringLiteral("0.00") << -1.234 << QStringLiteral("-1.23");
    QTest::newRow("optional decimals used") << QStringLiteral("0.##") << 1.5 << QStringLiteral("1.5");
    QTest::newRow("optional decimals dropped") << QStringLiteral("0.##") << 1.0 << QStringLiteral("1");
    QTest::newRow("optional decimals rounded") << QStringLiteral("0.##") << 1.256 << QStringLiteral("1.26");
    QTest::newRow("mixed decimals") << QStringLiteral("0.0#") << 1.5 << QStringLiteral("1.5");
    QTest::newRow("no integer zero") << QStringLiteral("#.##") << 0.5 << QStringLiteral(".5");
    QTest::newRow("grouped with decimals")
        << QStringLiteral("#,##0.00") << 1234567.891 << QStringLiteral("1,234,567.89");
    QTest::newRow("rate") << QStringLiteral("#,##0.0") << 2.55 << QStringLiteral("2.6");
    QTest::newRow("decimals only") << QStringLiteral(".00") << 1.5 << QStringLiteral("1.50");

    QTest::newRow("leading zeros") << QStringLiteral("000") << 5.0 << QStringLiteral("005");
    QTest::newRow("leading zeros from the first 0") << QStringLiteral("#0#") << 5.0 << QStringLiteral("05");
    QTest::newRow("more digits than placeholders")
        << QStringLiteral("00") << 12345.0 << QStringLiteral("12345");
    QTest::newRow("literal among the digits")
        << QStringLiteral("000-0000") << 1234567.0 << QStringLiteral("123-4567");
    QTest::newRow("unit after the digits")
        << QStringLiteral("#,##0円") << 1234.0 << QStringLiteral("1,234円");
    QTest::newRow("sign before a leading literal")
        << QStringLiteral("¥#,##0") << -5.0 << QStringLiteral("-¥5");
    QTest::newRow("quoted semicolon") << QStringLiteral("\"a;b\"0") << 7.0 << QStringLiteral("a;b7");
    QTest::newRow("quoted placeholders are text")
        << QStringLiteral("0'#0,.'") << 7.0 << QStringLiteral("7#0,.");
    QTest::newRow("only text") << QStringLiteral("'済'") << 123.0 << QStringLiteral("済");
    QTest::newRow("large whole number") << QStringLiteral("0") << 1e15 << QStringLiteral("1000000000000000");

    QTest::newRow("empty format") << QString() << 12.5 << QStringLiteral("12.5");
    QTest::newRow("not a number") << grouped << std::numeric_limits<double>::quiet_NaN()
                                  << QStringLiteral("NAN");
    QTest::newRow("infinity") << grouped << std::numeric_limits<double>::infinity() << QStringLiteral("INF");
    QTest::newRow("minus infinity") << grouped << -std::numeric_limits<double>::infinity()
                                    << QStringLiteral("-INF");
}

void TestNumbers::formatFloat()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatFloat(format, value), text);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"

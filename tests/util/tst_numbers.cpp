#include <QTest>

#include <cmath>
#include <limits>

#include "util/Amount.h"
#include "util/DisplayFormat.h"
#include "util/Numbers.h"

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void toIntDef_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // with fallback -99
        const auto row = [](const char* name, QStringView text, int value) {
            QTest::newRow(name) << text.toString() << value;
        };
        const int fb = -99;

        row("plus", u"+7", 7);
        row("leading blanks", u"  \t42", 42);
        row("blanks before the sign", u" -42", -42);
        row("largest", u"2147483647", std::numeric_limits<int>::max());
        row("smallest", u"-2147483648", std::numeric_limits<int>::min());
        row("empty", u"", fb);
        row("sign only", u"-", fb);
        row("blank after the sign", u"- 5", fb);
        row("trailing blank", u"42 ", fb);
        row("decimal point", u"1.5", fb);
        row("full-width digits", u"１２", fb);
        row("one past the largest", u"2147483648", fb);
        row("one past the smallest", u"-2147483649", fb);
        row("far too large", u"99999999999999999999", fb);
    }

    void toIntDef()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(::toIntDef(text, -99), value);
        // The fallback defaults to 0.
        QCOMPARE(::toIntDef(text), value == -99 ? 0 : value);
    }

    void parseAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        const auto row = [](const char* name, QStringView text, double value) {
            QTest::newRow(name) << text.toString() << value;
        };

        row("thousands separators", u"1,234,567", 1234567.0);
        row("accounting minus", u"▲1,000", -1000.0);
        row("quoted with a space", u"\"12 345\"", 12345.0);
        row("negative decimal", u"-1,234.5", -1234.5);
        row("plus sign", u"+5", 5.0);
        row("exponent", u"1e3", 1000.0);
        row("no integer digits", u".5", 0.5);
        row("minus zero", u"-0", 0.0);
        row("empty", u"", 0.0);
        row("lone minus", u"-", 0.0);
        row("two minus signs", u"--5", 0.0);
        row("two decimal points", u"1.2.3", 0.0);
        row("exponent without digits", u"1e", 0.0);
        row("trailing letter", u"12円", 0.0);
        row("tab is not removed", u"12\t", 0.0);
        row("full-width space is not removed", u"1　2", 0.0);
        row("full-width digits", u"１２３", 0.0);
        row("hexadecimal", u"0x10", 0.0);
        row("infinity text", u"inf", 0.0);
        row("nan text", u"nan", 0.0);
        row("overflow", u"1e400", 0.0);
    }

    void parseAmount()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        const double parsed = ParseAmount(text);
        QCOMPARE(parsed, value);
        QVERIFY(!std::signbit(parsed) || parsed != 0.0);
    }

    void formattedAmountReadsBack()
    {
        QCOMPARE(FormatAmount(-1234567.5), u"-1,234,568"_qs);
        for (double v :
             {0.0, 1.0, -1.0, 999.0, 1000.0, -1000.0, 1234567.0, -98765432.0, 2147483648.0, 12.4, -12.6}) {
            const QString text = FormatAmount(v);
            QCOMPARE(ParseAmount(text), std::round(v));
            // The screens show negative amounts with the accounting minus, too.
            QCOMPARE(ParseAmount(QString(text).replace(u'-', u'▲')), std::round(v));
        }
    }

    void formatFloat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, QStringView format, double value, QStringView text) {
            QTest::newRow(name) << format.toString() << value << text.toString();
        };
        const QString grouped = u"#,##0"_qs; // as FormatAmount
        const QString bracketed = u"#,##0;(#,##0)"_qs;
        const QString withZero = u"#,##0;(#,##0);\"ゼロ\""_qs;
        const QString exempt = u"'免税';#;#"_qs;
        const double inf = std::numeric_limits<double>::infinity();

        row("# whole number", u"#", 1500.0, u"1500");
        row("# zero is empty", u"#", 0.0, u"");
        row("# half away from zero", u"#", 12.5, u"13");
        row("# small negative is empty", u"#", -0.4, u"");

        row("grouped millions", grouped, 1234567.0, u"1,234,567");
        row("grouped half away from zero", grouped, -2.5, u"-3");
        row("grouped rounding adds a group", grouped, 999999.5, u"1,000,000");
        row("grouped small negative shows as zero", grouped, -0.4, u"0");
        row("grouped minus zero", grouped, -0.0, u"0");
        row("grouped large", grouped, 1e15, u"1,000,000,000,000,000");
        row("grouped with two placeholders", u"#,#", 1234567.0, u"1,234,567");

        row("exempt positive", exempt, 1.0, u"免税");
        row("exempt zero", exempt, 0.0, u"");
        row("exempt negative", exempt, -1.0, u"1");
        row("negative section, no minus", bracketed, -1234.0, u"(1,234)");
        row("negative section, positive", bracketed, 1234.0, u"1,234");
        row("negative rounding to zero uses the first", bracketed, -0.4, u"0");
        row("zero section", withZero, 0.0, u"ゼロ");
        row("negative rounding to zero uses the zero section", withZero, -0.3, u"ゼロ");
        row("empty negative section adds a minus", u"#,##0;;\"ゼロ\"", -5.0, u"-5");
        row("empty zero section uses the first", u"0.0;(0.0);", 0.0, u"0.0");
        row("a fourth section is ignored", u"0;-0;z;w", 0.0, u"z");

        row("two decimals", u"0.00", 2.5, u"2.50");
        row("decimals round as written", u"0.00", 2.675, u"2.68");
        row("decimals round up 1.005", u"0.00", 1.005, u"1.01");
        row("decimals, tiny negative", u"0.00", -0.001, u"0.00");
        row("optional decimals dropped", u"0.##", 1.0, u"1");
        row("optional decimals rounded", u"0.##", 1.256, u"1.26");
        row("mixed decimals", u"0.0#", 1.5, u"1.5");
        row("no integer zero", u"#.##", 0.5, u".5");
        row("grouped with decimals", u"#,##0.00", 1234567.891, u"1,234,567.89");
        row("decimals only", u".00", 1.5, u"1.50");

        row("leading zeros", u"000", 5.0, u"005");
        row("leading zeros from the first 0", u"#0#", 5.0, u"05");
        row("more digits than placeholders", u"00", 12345.0, u"12345");
        row("literal among the digits", u"000-0000", 1234567.0, u"123-4567");
        row("unit after the digits", u"#,##0円", 1234.0, u"1,234円");
        row("sign before a leading literal", u"¥#,##0", -5.0, u"-¥5");
        row("quoted semicolon", u"\"a;b\"0", 7.0, u"a;b7");
        row("quoted placeholders are text", u"0'#0,.'", 7.0, u"7#0,.");

        row("empty format", u"", 12.5, u"12.5");
        row("not a number", grouped, std::numeric_limits<double>::quiet_NaN(), u"NAN");
        row("infinity", grouped, inf, u"INF");
        row("minus infinity", grouped, -inf, u"-INF");
    }

    void formatFloat()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatFloat(format, value), text);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"

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
    void toIntDef()
    {
        QCOMPARE(::toIntDef(u"  \t42"_qs), 42);
        QCOMPARE(::toIntDef(u"-2147483648"_qs, -99), std::numeric_limits<int>::min());
        for (const QString& text : {u""_qs, u"- 5"_qs, u"42 "_qs, u"１２"_qs, u"2147483648"_qs}) {
            QVERIFY2(::toIntDef(text, -99) == -99, qPrintable(text));
            QVERIFY2(::toIntDef(text) == 0, qPrintable(text)); // the fallback defaults to 0
        }
    }

    void parseAmount()
    {
        const std::pair<QString, double> rows[] = {
            {u"1,234,567"_qs, 1234567.0},
            {u"▲1,000"_qs, -1000.0},
            {u"\"12 345\""_qs, 12345.0},
            {u"-1,234.5"_qs, -1234.5},
            {u"1e3"_qs, 1000.0},
            {u""_qs, 0.0},
            {u"--5"_qs, 0.0},
            {u"12円"_qs, 0.0},
            {u"1　2"_qs, 0.0},
            {u"0x10"_qs, 0.0},
            {u"nan"_qs, 0.0},
            {u"1e400"_qs, 0.0},
        };
        for (const auto& [text, value] : rows) {
            const double parsed = ParseAmount(text);
            QVERIFY2(parsed == value && (!std::signbit(parsed) || parsed != 0.0), qPrintable(text));
        }
    }

    void formattedAmountReadsBack()
    {
        QCOMPARE(FormatAmount(-1234567.5), u"-1,234,568"_qs);
        for (double v : {0.0, -1.0, 1000.0, -98765432.0, 2147483648.0, -12.6}) {
            const QString text = FormatAmount(v);
            QCOMPARE(ParseAmount(text), std::round(v));
            // The screens show negative amounts with the accounting minus, too.
            QCOMPARE(ParseAmount(QString(text).replace(u'-', u'▲')), std::round(v));
        }
    }

    void formatFloat()
    {
        struct Row
        {
            QString format;
            double value;
            QString text;
        };
        const QString grouped = u"#,##0"_qs; // as FormatAmount
        const QString exempt = u"'免税';#;#"_qs;
        const Row rows[] = {
            {u"#"_qs, 0.0, u""_qs},
            {u"#"_qs, 12.5, u"13"_qs}, // half away from zero
            {grouped, 999999.5, u"1,000,000"_qs},
            {grouped, -0.4, u"0"_qs},
            {exempt, 1.0, u"免税"_qs},
            {exempt, -1.0, u"1"_qs},
            {u"#,##0;(#,##0)"_qs, -1234.0, u"(1,234)"_qs},
            {u"#,##0;(#,##0);\"ゼロ\""_qs, -0.3, u"ゼロ"_qs},
            {u"#,##0;;\"ゼロ\""_qs, -5.0, u"-5"_qs},
            {u"0.0;(0.0);"_qs, 0.0, u"0.0"_qs},
            {u"0;-0;z;w"_qs, 0.0, u"z"_qs},
            {u"0.00"_qs, 1.005, u"1.01"_qs},
            {u"0.##"_qs, 1.0, u"1"_qs},
            {u"#.##"_qs, 0.5, u".5"_qs},
            {u"#,##0.00"_qs, 1234567.891, u"1,234,567.89"_qs},
            {u"#0#"_qs, 5.0, u"05"_qs},
            {u"00"_qs, 12345.0, u"12345"_qs},
            {u"000-0000"_qs, 1234567.0, u"123-4567"_qs},
            {u"¥#,##0"_qs, -5.0, u"-¥5"_qs},
            {u"0'#0,.'"_qs, 7.0, u"7#0,."_qs},
            {u""_qs, 12.5, u"12.5"_qs},
            {grouped, std::numeric_limits<double>::quiet_NaN(), u"NAN"_qs},
            {grouped, -std::numeric_limits<double>::infinity(), u"-INF"_qs},
        };
        for (const Row& r : rows) {
            const QString got = FormatFloat(r.format, r.value);
            QVERIFY2(got == r.text, qPrintable(r.format + u" → "_qs + got));
        }
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"

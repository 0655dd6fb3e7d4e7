#include "util/DateFields.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTest>
#include <QTime>

#include <stdexcept>

namespace {

// Stands in for an edit box: keeps its text, counts the writes, and can be
// told to refuse them.
struct FakeField
{
    QString value;
    int writes = 0;
    bool refuses = false;

    QString text() const { return value; }
    void setText(const QString& text)
    {
        if (refuses)
            throw std::runtime_error("box refuses its text");
        value = text;
        ++writes;
    }
};

// The year a one- or two-digit year stands for: the one of the 100 years
// starting 50 years ago that ends in those digits.
int windowYear(int twoDigits)
{
    const int first = QDate::currentDate().year() - 50;
    return first + ((twoDigits - first) % 100 + 100) % 100;
}

const QString kInvalidDate = QStringLiteral("日付が不正です");

} // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void currentDate();
    void lastDayOfMonth_data();
    void lastDayOfMonth();
    void dateToSqlText_data();
    void dateToSqlText();
    void showDateInFields_data();
    void showDateInFields();
    void showDateInFieldsStopsAtRefusingField();
    void dateFromFields_data();
    void dateFromFields();
    void dateFromEmptyFieldsIsTodayAtMidnight();
    void invalidDateIsReportedAfterFieldsAreUpdated();
    void defaultNotifierWarns();

private:
    QStringList m_messages;
};

void TestDates::init()
{
    m_messages.clear();
    setInvalidDateNotifier([this](const QString& message) { m_messages.append(message); });
}

void TestDates::cleanup()
{
    setInvalidDateNotifier({});
}

void TestDates::currentDate()
{
    // Retry once should the day change between the two readings.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QDate before = QDate::currentDate();
        const int y = CurrentYear(), m = CurrentMonth(), d = CurrentDay();
        if (QDate::currentDate() != before)
            continue;
        QCOMPARE(QDate(y, m, d), before);
        return;
    }
    QFAIL("the date kept changing");
}

void TestDates::lastDayOfMonth_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("lastDay");

    QTest::newRow("January") << 2026 << 1 << 31;
    QTest::newRow("February, common year") << 2025 << 2 << 28;
    QTest::newRow("February, leap year") << 2024 << 2 << 29;
    QTest::newRow("February 1900, no leap year") << 1900 << 2 << 28;
    QTest::newRow("February 2000, leap year") << 2000 << 2 << 29;
    QTest::newRow("April") << 2026 << 4 << 30;
    QTest::newRow("December") << 2026 << 12 << 31;
    QTest::newRow("December of year 9999") << 9999 << 12 << 31;
    QTest::newRow("year 1") << 1 << 1 << 31;
    QTest::newRow("month 0") << 2026 << 0 << 0;
    QTest::newRow("month 13") << 2026 << 13 << 0;
    QTest::newRow("negative month") << 2026 << -1 << 0;
    QTest::newRow("year 0") << 0 << 5 << 0;
    QTest::newRow("negative year") << -2026 << 5 << 0;
}

void TestDates::lastDayOfMonth()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, lastDay);
    QCOMPARE(LastDayOfMonth(year, month), lastDay);
}

void TestDates::dateToSqlText_data()
{
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("quoted");

    QTest::newRow("5 January 2027") << QDateTime(QDate(2027, 1, 5), QTime(0, 0)) << QStringLiteral("1/5/2027")
                                    << QStringLiteral("'1/5/2027'");
    QTest::newRow("4 December 2026, month first")
        << QDateTime(QDate(2026, 12, 4), QTime(0, 0)) << QStringLiteral("12/4/2026")
        << QStringLiteral("'12/4/2026'");
    QTest::newRow("time of day is dropped") << QDateTime(QDate(2026, 10, 31), QTime(23, 59, 59))
                                            << QStringLiteral("10/31/2026") << QStringLiteral("'10/31/2026'");
    QTest::newRow("year 1, no leading zeros")
        << QDateTime(QDate(1, 1, 1), QTime(0, 0)) << QStringLiteral("1/1/1") << QStringLiteral("'1/1/1'");
    QTest::newRow("empty date") << QDateTime() << QString() << QString();
    QTest::newRow("day zero is the empty date")
        << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << QString() << QString();
    QTest::newRow("day zero plus 86 seconds is still empty")
        << QDateTime(QDate(1899, 12, 30), QTime(0, 1, 26)) << QString() << QString();
    QTest::newRow("day zero plus 87 seconds is a date")
        << QDateTime(QDate(1899, 12, 30), QTime(0, 1, 27)) << QStringLiteral("12/30/1899")
        << QStringLiteral("'12/30/1899'");
    QTest::newRow("the day before day zero is a date")
        << QDateTime(QDate(1899, 12, 29), QTime(0, 0)) << QStringLiteral("12/29/1899")
        << QStringLiteral("'12/29/1899'");
}

void TestDates::dateToSqlText()
{
    QFETCH(QDateTime, date);
    QFETCH(QString, plain);
    QFETCH(QString, quoted);
    QCOMPARE(DateToSqlText(date, false), plain);
    QCOMPARE(DateToSqlText(date, true), quoted);
    QCOMPARE(isEmptyDate(date), plain.isEmpty());
}

void TestDates::showDateInFields_data()
{
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");

    QTest::newRow("1 April 2026, no leading zeros")
        << QDateTime(QDate(2026, 4, 1), QTime(10, 30)) << QStringLiteral("2026") << QStringLiteral("4")
        << QStringLiteral("1");
    QTest::newRow("4 December 2026") << QDateTime(QDate(2026, 12, 4), QTime(0, 0)) << QStringLiteral("2026")
                                     << QStringLiteral("12") << QStringLiteral("4");
    QTest::newRow("date in UTC keeps its own day")
        << QDateTime(QDate(2026, 1, 5), QTime(0, 0), Qt::UTC) << QStringLiteral("2026") << QStringLiteral("1")
        << QStringLiteral("5");
    QTest::newRow("31 December 9999") << QDateTime(QDate(9999, 12, 31), QTime(0, 0)) << QStringLiteral("9999")
                                      << QStringLiteral("12") << QStringLiteral("31");
    QTest::newRow("empty date empties the fields") << QDateTime() << QString() << QString() << QString();
    QTest::newRow("day zero (a null read as 0)")
        << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << QString() << QString() << QString();
    QTest::newRow("day zero plus 86 seconds")
        << QDateTime(QDate(1899, 12, 30), QTime(0, 1, 26)) << QString() << QString() << QString();
    QTest::newRow("day zero plus 87 seconds")
        << QDateTime(QDate(1899, 12, 30), QTime(0, 1, 27)) << QStringLiteral("1899") << QStringLiteral("12")
        << QStringLiteral("30");
    QTest::newRow("before day zero shows nothing")
        << QDateTime(QDate(1899, 12, 29), QTime(12, 0)) << QString() << QString() << QString();
}

void TestDates::showDateInFields()
{
    QFETCH(QDateTime, date);
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);

    FakeField y{QStringLiteral("old")}, m{QStringLiteral("old")}, d{QStringLiteral("old")};
    ShowDateInFields(y, m, d, date);
    QCOMPARE(y.value, year);
    QCOMPARE(m.value, month);
    QCOMPARE(d.value, day);
    QVERIFY(m_messages.isEmpty());
}

void TestDates::showDateInFieldsStopsAtRefusingField()
{
    FakeField y{QStringLiteral("y")}, m{QStringLiteral("m")}, d{QStringLiteral("d")};
    m.refuses = true;
    ShowDateInFields(y, m, d, QDateTime(QDate(2026, 4, 1), QTime(0, 0))); // must not throw
    QCOMPARE(y.value, QStringLiteral("2026"));
    QCOMPARE(m.value, QStringLiteral("m"));
    QCOMPARE(d.value, QStringLiteral("d"));
}

void TestDates::dateFromFields_data()
{
    QTest::addColumn<QString>("yearIn");
    QTest::addColumn<QString>("monthIn");
    QTest::addColumn<QString>("dayIn");
    QTest::addColumn<QString>("yearOut");
    QTest::addColumn<QString>("monthOut");
    QTest::addColumn<QString>("dayOut");
    QTest::addColumn<QDate>("date"); // null: no date
    QTest::addColumn<bool>("reported");

    const QString thisYear = QString::number(QDate::currentDate().year());
    auto row = [](const char* name, const QString& y, const QString& m, const QString& d, const QString& yOut,
                  const QString& mOut, const QString& dOut, const QDate& date, bool reported) {
        QTest::newRow(name) << y << m << d << yOut << mOut << dOut << date << reported;
    };
    auto s = [](const char16_t* text) {
        return QString::fromUtf16(text);
    };

    row("plain date", s(u"2026"), s(u"4"), s(u"1"), s(u"2026"), s(u"4"), s(u"1"), QDate(2026, 4, 1), false);
    row("leading zeros kept", s(u"2026"), s(u"04"), s(u"01"), s(u"2026"), s(u"04"), s(u"01"),
        QDate(2026, 4, 1), false);
    row("leading blanks", s(u" 2026"), s(u" 4"), s(u"\t1"), s(u" 2026"), s(u" 4"), s(u"\t1"),
        QDate(2026, 4, 1), false);
    row("30 February 2024 becomes the 29th", s(u"2024"), s(u"2"), s(u"30"), s(u"2024"), s(u"2"), s(u"29"),
        QDate(2024, 2, 29), false);
    row("30 February 2025 becomes the 28th", s(u"2025"), s(u"2"), s(u"30"), s(u"2025"), s(u"2"), s(u"28"),
        QDate(2025, 2, 28), false);
    row("31 February 1900 becomes the 28th", s(u"1900"), s(u"2"), s(u"31"), s(u"1900"), s(u"2"), s(u"28"),
        QDate(1900, 2, 28), false);
    row("31 April becomes the 30th", s(u"2026"), s(u"4"), s(u"31"), s(u"2026"), s(u"4"), s(u"30"),
        QDate(2026, 4, 30), false);
    row("month 13: day 0, no date, no message", s(u"2026"), s(u"13"), s(u"1"), s(u"2026"), s(u"13"), s(u"0"),
        QDate(), false);
    row("month 0: day 0, no date", s(u"2026"), s(u"0"), s(u"5"), s(u"2026"), s(u"0"), s(u"0"), QDate(),
        false);
    row("year not a number: day 0, no date", s(u"abc"), s(u"4"), s(u"1"), s(u"abc"), s(u"4"), s(u"0"),
        QDate(), false);
    row("year 00 reads as 0: day 0, no date", s(u"00"), s(u"4"), s(u"1"), s(u"00"), s(u"4"), s(u"0"), QDate(),
        false);
    row("day not a number: no date", s(u"2026"), s(u"4"), s(u"x"), s(u"2026"), s(u"4"), s(u"x"), QDate(),
        false);
    row("day 1.5 is not a whole number", s(u"2026"), s(u"4"), s(u"1.5"), s(u"2026"), s(u"4"), s(u"1.5"),
        QDate(), false);
    row("trailing blank is not a number", s(u"2026 "), s(u"4"), s(u"1"), s(u"2026 "), s(u"4"), s(u"0"),
        QDate(), false);
    row("day with trailing blank", s(u"2026"), s(u"4"), s(u"1 "), s(u"2026"), s(u"4"), s(u"1 "), QDate(),
        false);
    row("two-digit year 99", s(u"99"), s(u"12"), s(u"31"), s(u"99"), s(u"12"), s(u"31"),
        QDate(windowYear(99), 12, 31), false);
    row("two-digit year 05", s(u"05"), s(u"6"), s(u"15"), s(u"05"), s(u"6"), s(u"15"),
        QDate(windowYear(5), 6, 15), false);
    row("one-digit year 5", s(u"5"), s(u"6"), s(u"15"), s(u"5"), s(u"6"), s(u"15"),
        QDate(windowYear(5), 6, 15), false);
    row("three digits are a year as written", s(u"005"), s(u"6"), s(u"15"), s(u"005"), s(u"6"), s(u"15"),
        QDate(5, 6, 15), false);
    row("year 9999", s(u"9999"), s(u"12"), s(u"31"), s(u"9999"), s(u"12"), s(u"31"), QDate(9999, 12, 31),
        false);
    row("empty year is this year", s(u""), s(u"1"), s(u"15"), thisYear, s(u"1"), s(u"15"),
        QDate(thisYear.toInt(), 1, 15), false);
    row("year 10000 is reported", s(u"10000"), s(u"1"), s(u"1"), s(u"10000"), s(u"1"), s(u"1"), QDate(),
        true);
    row("year 10000, day corrected, then reported", s(u"10000"), s(u"2"), s(u"31"), s(u"10000"), s(u"2"),
        s(u"29"), QDate(), true);
    row("negative day is reported", s(u"2026"), s(u"2"), s(u"-1"), s(u"2026"), s(u"2"), s(u"-1"), QDate(),
        true);
    row("signed year is reported", s(u"+2026"), s(u"4"), s(u"1"), s(u"+2026"), s(u"4"), s(u"1"), QDate(),
        true);
    row("negative year and day are reported", s(u"-5"), s(u"4"), s(u"-1"), s(u"-5"), s(u"4"), s(u"-1"),
        QDate(), true);
}

void TestDates::dateFromFields()
{
    QFETCH(QString, yearIn);
    QFETCH(QString, monthIn);
    QFETCH(QString, dayIn);
    QFETCH(QString, yearOut);
    QFETCH(QString, monthOut);
    QFETCH(QString, dayOut);
    QFETCH(QDate, date);
    QFETCH(bool, reported);

    FakeField y{yearIn}, m{monthIn}, d{dayIn};
    const QDateTime result = DateFromFields(y, m, d);

    QCOMPARE(y.value, yearOut);
    QCOMPARE(m.value, monthOut);
    QCOMPARE(d.value, dayOut);
    // Only a changed text is written back.
    QCOMPARE(y.writes, yearOut != yearIn ? 1 : 0);
    QCOMPARE(m.writes, monthOut != monthIn ? 1 : 0);
    QCOMPARE(d.writes, dayOut != dayIn ? 1 : 0);

    if (date.isValid()) {
        QCOMPARE(result.date(), date);
        QCOMPARE(result.time(), QTime(0, 0));
    } else {
        QVERIFY2(result.isNull(), qPrintable(result.toString(Qt::ISODate)));
    }
    QCOMPARE(m_messages, reported ? QStringList{kInvalidDate} : QStringList());
}

void TestDates::dateFromEmptyFieldsIsTodayAtMidnight()
{
    const QDate today = QDate::currentDate();
    FakeField y, m, d;
    const QDateTime result = DateFromFields(y, m, d);
    if (QDate::currentDate() != today)
        QSKIP("the day changed during the test");

    QCOMPARE(y.value, QString::number(today.year()));
    QCOMPARE(m.value, QString::number(today.month()));
    QCOMPARE(d.value, QString::number(today.day()));
    QCOMPARE(result, QDateTime(today, QTime(0, 0)));
    QVERIFY(m_messages.isEmpty());
}

void TestDates::invalidDateIsReportedAfterFieldsAreUpdated()
{
    FakeField y{QStringLiteral("10000")}, m{QStringLiteral("2")}, d{QStringLiteral("31")};
    QString dayWhenReported;
    setInvalidDateNotifier([&](const QString& message) {
        m_messages.append(message);
        dayWhenReported = d.value;
    });
    QVERIFY(DateFromFields(y, m, d).isNull());
    QCOMPARE(m_messages, QStringList{kInvalidDate});
    QCOMPARE(dayWhenReported, QStringLiteral("29"));
}

void TestDates::defaultNotifierWarns()
{
    setInvalidDateNotifier({});
    QTest::ignoreMessage(QtWarningMsg, "日付が不正です");
    FakeField y{QStringLiteral("2026")}, m{QStringLiteral("2")}, d{QStringLiteral("-1")};
    QVERIFY(DateFromFields(y, m, d).isNull());
    QVERIFY(m_messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"

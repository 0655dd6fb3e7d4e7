#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTest>
#include <QTime>

#include <tuple>

#include "util/DateFields.h"

namespace {

// An edit box that counts its writes.
struct FakeField
{
    QString value;
    int writes = 0;

    QString text() const { return value; }
    void setText(const QString& text)
    {
        value = text;
        ++writes;
    }
};

// A one- or two-digit year falls into the 100 years starting 50 years ago.
int windowYear(int twoDigits)
{
    const int first = QDate::currentDate().year() - 50;
    return first + ((twoDigits - first) % 100 + 100) % 100;
}

QDateTime at(int y, int m, int d, QTime time = QTime(0, 0))
{
    return QDateTime(QDate(y, m, d), time);
}

QString joined(const FakeField& y, const FakeField& m, const FakeField& d)
{
    return y.value + u'/' + m.value + u'/' + d.value;
}

const QString kInvalidDate = u"日付が不正です"_qs;

} // namespace

class TestDates : public QObject
{
    Q_OBJECT

    QStringList m_messages;

private slots:
    void init()
    {
        m_messages.clear();
        setInvalidDateNotifier([this](const QString& message) { m_messages.append(message); });
    }

    void cleanup() { setInvalidDateNotifier({}); }

    void lastDayOfMonth()
    {
        QCOMPARE(LastDayOfMonth(2024, 2), 29);
        QCOMPARE(LastDayOfMonth(1900, 2), 28);
        QCOMPARE(LastDayOfMonth(2026, 13), 0);
    }

    void dateAsText()
    {
        const QDateTime dayZero = at(1899, 12, 30);
        // {date, unquoted SQL text, year/month/day shown in the boxes}
        for (const auto& [date, sql, shown] :
             {std::tuple(at(2027, 1, 5, QTime(10, 30)), u"1/5/2027"_qs, u"2027/1/5"_qs),
              std::tuple(QDateTime(), QString(), u"//"_qs),
              std::tuple(dayZero.addSecs(86), QString(), u"//"_qs),
              std::tuple(dayZero.addSecs(87), u"12/30/1899"_qs, u"1899/12/30"_qs),
              // written but not shown
              std::tuple(at(1899, 12, 29, QTime(12, 0)), u"12/29/1899"_qs, u"//"_qs)}) {
            QCOMPARE(DateToSqlText(date, false), sql);
            QCOMPARE(DateToSqlText(date, true), sql.isEmpty() ? QString() : u'\'' + sql + u'\'');
            QCOMPARE(isEmptyDate(date), sql.isEmpty());
            FakeField y{u"old"_qs}, m{u"old"_qs}, d{u"old"_qs};
            ShowDateInFields(y, m, d, date);
            QCOMPARE(joined(y, m, d), shown);
        }
        QVERIFY(m_messages.isEmpty());
    }

    // {typed year/month/day, the day box afterwards, the date (null: none), reported}
    void dateFromFields()
    {
        const int thisYearBefore = QDate::currentDate().year();
        for (const auto& [typed, dayOut, expected, reported] :
             {std::tuple(u" 2026/ 04/\t01"_qs, u"\t01"_qs, QDate(2026, 4, 1), false), // blanks, zeros kept
              std::tuple(u"2024/2/30"_qs, u"29"_qs, QDate(2024, 2, 29), false),
              std::tuple(u"2026/13/1"_qs, u"0"_qs, QDate(), false), // month 13: day 0, no message
              std::tuple(u"2026/4/x"_qs, u"x"_qs, QDate(), false),
              std::tuple(u"05/6/15"_qs, u"15"_qs, QDate(windowYear(5), 6, 15), false),
              std::tuple(u"/1/15"_qs, u"15"_qs, QDate(thisYearBefore, 1, 15), false), // empty: this year
              std::tuple(u"10000/1/1"_qs, u"1"_qs, QDate(), true)}) {
            m_messages.clear();
            const QStringList parts = typed.split(u'/');
            FakeField y{parts[0]}, m{parts[1]}, d{parts[2]};
            const QDateTime result = DateFromFields(y, m, d);
            // An empty year is this year: the one before or after the reading, at New Year.
            const int thisYear =
                y.value == QString::number(thisYearBefore) ? thisYearBefore : QDate::currentDate().year();
            QDate date = expected;
            if (parts[0].isEmpty())
                date.setDate(thisYear, date.month(), date.day());

            // Only a changed text is written back.
            const QString year = parts[0].isEmpty() ? QString::number(thisYear) : parts[0];
            QCOMPARE(joined(y, m, d), year + u'/' + parts[1] + u'/' + dayOut);
            QCOMPARE(y.writes, parts[0].isEmpty() ? 1 : 0);
            QCOMPARE(m.writes, 0);
            QCOMPARE(d.writes, dayOut != parts[2] ? 1 : 0);
            QVERIFY2(result == (date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime()),
                     qPrintable(typed));
            QCOMPARE(m_messages, reported ? QStringList{kInvalidDate} : QStringList());
        }
    }

    // Around midnight the fields may take either day, never a mix of the two.
    void emptyFieldsAreTodayAtMidnight()
    {
        const QDate before = QDate::currentDate();
        const QDate current(CurrentYear(), CurrentMonth(), CurrentDay());
        FakeField y, m, d;
        const QDateTime result = DateFromFields(y, m, d);
        const QDate after = QDate::currentDate();

        QVERIFY(current == before || current == after);
        const QDate today = result.date() == before ? before : after;
        QCOMPARE(result, QDateTime(today, QTime(0, 0)));
        QCOMPARE(joined(y, m, d), today.toString(u"yyyy/M/d"_qs));
        QVERIFY(m_messages.isEmpty());
    }

    void invalidDateIsReportedAfterFieldsAreUpdated()
    {
        FakeField y{u"10000"_qs}, m{u"2"_qs}, d{u"31"_qs};
        QString dayWhenReported;
        setInvalidDateNotifier([&](const QString& message) {
            m_messages.append(message);
            dayWhenReported = d.value;
        });
        QVERIFY(DateFromFields(y, m, d).isNull());
        QCOMPARE(m_messages, QStringList{kInvalidDate});
        QCOMPARE(dayWhenReported, u"29"_qs);

        // Without a notifier, a warning.
        setInvalidDateNotifier({});
        QTest::ignoreMessage(QtWarningMsg, "日付が不正です");
        QVERIFY(DateFromFields(y, m, d).isNull());
        QCOMPARE(m_messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"

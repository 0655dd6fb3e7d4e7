#include "util/DateFields.h"

#include <QDate>
#include <QtGlobal>
#include <QTime>

#include <utility>

#include "util/Numbers.h"

namespace {

// Day 0 of the day-count dates the suite's data was written with.
QDate dayZero()
{
    return QDate(1899, 12, 30);
}

// Old dates strictly between -0.001 and 0.001 days were "no date".
constexpr int kEmptyWindowMsecs = 86400;

// Two-digit years fall into the 100 years starting 50 years before today.
constexpr int kTwoDigitYearWindow = 50;

std::function<void(const QString&)>& invalidDateNotifier()
{
    static std::function<void(const QString&)> notifier;
    return notifier;
}

// A part of a typed date: optional leading blanks, then digits only (no sign),
// as the short date format reads it. digitCount tells "05" from "2005".
bool readDatePart(const QString& text, int& value, int& digitCount)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    digitCount = int(text.size() - i);
    if (digitCount == 0)
        return false;
    for (qsizetype k = i; k < text.size(); ++k)
        if (text[k] < u'0' || text[k] > u'9')
            return false;
    value = toIntDef(text, -1);
    return value >= 0;
}

int windowedYear(int twoDigitYear)
{
    const int base = CurrentYear() - kTwoDigitYearWindow;
    int year = base / 100 * 100 + twoDigitYear;
    if (year < base)
        year += 100;
    return year;
}

// Reads year/month/day like the short date format "yyyy/MM/dd" does.
QDate parseDate(const QString& yearText, const QString& monthText, const QString& dayText)
{
    int year = 0, month = 0, day = 0, yearDigits = 0, digits = 0;
    if (!readDatePart(yearText, year, yearDigits) || !readDatePart(monthText, month, digits) ||
        !readDatePart(dayText, day, digits))
        return {};
    if (yearDigits <= 2)
        year = windowedYear(year);
    if (year < 1 || year > 9999)
        return {};
    return QDate(year, month, day); // invalid for 31 April, month 13 and the like
}

} // namespace

int CurrentYear()
{
    return QDate::currentDate().year();
}

int CurrentMonth()
{
    return QDate::currentDate().month();
}

int CurrentDay()
{
    return QDate::currentDate().day();
}

int LastDayOfMonth(int year, int month)
{
    if (year < 1 || month < 1 || month > 12)
        return 0;
    return QDate(year, month, 1).daysInMonth();
}

bool isEmptyDate(const QDateTime& date)
{
    if (!date.isValid())
        return true;
    return date.date() == dayZero() && date.time().msecsSinceStartOfDay() < kEmptyWindowMsecs;
}

QString DateToSqlText(const QDateTime& date, bool quoted)
{
    if (isEmptyDate(date))
        return QString();
    const QDate d = date.date();
    const QString text = QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year());
    return quoted ? QLatin1Char('\'') + text + QLatin1Char('\'') : text;
}

void setInvalidDateNotifier(std::function<void(const QString&)> notifier)
{
    invalidDateNotifier() = std::move(notifier);
}

void notifyInvalidDate()
{
    const QString message = QStringLiteral("日付が不正です");
    if (const auto& notifier = invalidDateNotifier())
        notifier(message);
    else
        qWarning("%s", qUtf8Printable(message));
}

void showDateInTexts(QString& year, QString& month, QString& day, const QDateTime& date)
{
    // Only dates after day 0 were ever shown; earlier ones counted as no date.
    if (isEmptyDate(date) || date.date() < dayZero()) {
        year.clear();
        month.clear();
        day.clear();
        return;
    }
    const QDate d = date.date();
    year = QString::number(d.year());
    month = QString::number(d.month());
    day = QString::number(d.day());
}

QDateTime dateFromTexts(QString& year, QString& month, QString& day, bool& invalid)
{
    invalid = false;
    if (year.isEmpty())
        year = QString::number(CurrentYear());
    if (month.isEmpty())
        month = QString::number(CurrentMonth());
    if (day.isEmpty())
        day = QString::number(CurrentDay());

    // A month outside 1 to 12 has no last day: the day box becomes "0" and
    // there is no date, without a message.
    const int lastDay = LastDayOfMonth(toIntDef(year), toIntDef(month));
    if (lastDay < toIntDef(day))
        day = QString::number(lastDay);

    if (toIntDef(year) == 0 || toIntDef(month) == 0 || toIntDef(day) == 0)
        return QDateTime();

    const QDate date = parseDate(year, month, day);
    if (!date.isValid()) {
        invalid = true;
        return QDateTime();
    }
    return QDateTime(date, QTime(0, 0));
}

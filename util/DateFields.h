#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Dates shown in, and read back from, three boxes (year, month, day), and
// dates written into SQL text. A date is a QDateTime; a null QDateTime is
// the empty date (a null column, a date nobody entered).
//
// The boxes belong to the screens, but this library knows no widgets: the
// rules work on the boxes' texts, and ShowDateInFields / DateFromFields are
// thin templates over any box type with text() and setText(const QString&),
// e.g. QLineEdit.

int CurrentYear();
int CurrentMonth();
int CurrentDay();

// Days in the month (28 to 31); 0 when year < 1 or month is not 1 to 12.
int LastDayOfMonth(int year, int month);

// True for a null or invalid date and for 30 December 1899 up to 86.4 seconds
// after midnight: day 0 of the old day-count dates, which the data of the
// suite still uses to mean "no date".
bool isEmptyDate(const QDateTime& date);

// Month first, no leading zeros, as the database reads a date literal:
// "12/4/2026", or "'12/4/2026'" when quoted. The empty date gives "" (also
// when quoted).
QString DateToSqlText(const QDateTime& date, bool quoted);

// The message box that reports an unreadable date lives in the GUI layer:
// the application installs it here at start-up. The notifier is called with
// the text to show. An empty function restores the default, a qWarning.
void setInvalidDateNotifier(std::function<void(const QString&)> notifier);
void notifyInvalidDate();

// The rules on plain texts, used by the templates below.
void showDateInTexts(QString& year, QString& month, QString& day, const QDateTime& date);
// Fills empty texts with today, pulls a too large day back to the month's
// last day and reads the date. Returns a null QDateTime when there is no
// date; invalid is set when the texts do not make a date and the user must
// be told (the caller then calls notifyInvalidDate()).
QDateTime dateFromTexts(QString& year, QString& month, QString& day, bool& invalid);

// Year, month and day of date in the boxes, without leading zeros; all three
// emptied for the empty date and for dates before 30 December 1899.
template <typename Field>
void ShowDateInFields(Field& yearField, Field& monthField, Field& dayField, const QDateTime& date)
{
    QString year, month, day;
    showDateInTexts(year, month, day, date);
    yearField.setText(year);
    monthField.setText(month);
    dayField.setText(day);
}

// The date in the boxes at midnight, or a null QDateTime when there is none.
// Empty boxes are filled with today's year, month and day, and a day past the
// month's end is corrected in its box; a date that still cannot be read is
// reported through the invalid-date notifier, after the boxes are updated.
template <typename Field> QDateTime DateFromFields(Field& yearField, Field& monthField, Field& dayField)
{
    const QString oldYear = yearField.text();
    const QString oldMonth = monthField.text();
    const QString oldDay = dayField.text();
    QString year = oldYear, month = oldMonth, day = oldDay;
    bool invalid = false;
    const QDateTime date = dateFromTexts(year, month, day, invalid);
    if (year != oldYear)
        yearField.setText(year);
    if (month != oldMonth)
        monthField.setText(month);
    if (day != oldDay)
        dayField.setText(day);
    if (invalid)
        notifyInvalidDate();
    return date;
}

#pragma once

#include <QString>
#include <QStringView>

// Amounts and rates as the user types and sees them: thousands separators,
// the accounting minus sign "▲", values pasted in double quotes.

// The number in an amount text; 0 for anything that is not one. Removes every
// ',', turns every "▲" into '-', removes every '"' and every space, then reads
// a plain decimal number (optional sign, digits with at most one '.', optional
// exponent). Never fails.
double ParseAmount(QStringView text);

// An amount for display: rounded half away from zero to a whole number, with
// thousands separators and a leading '-' when negative. 1234567 gives
// "1,234,567", 0 gives "0".
QString FormatAmount(double value);

#pragma once

#include <QString>
#include <QStringView>

// The numeric display formats of the grids and the printed list: the classic
// picture syntax, as far as this program uses it.
//
// - Up to three sections separated by ';': positive; negative; zero. A
//   non-empty negative section is used for negative values without adding a
//   minus sign; when it is missing or empty the first section is used with a
//   leading '-'. A value that rounds to zero uses the zero section, or the
//   first one when that is missing or empty, and never shows a minus sign.
// - '0' digit, '#' optional digit, '.' decimal point (the first one; later
//   ones are dropped), ',' before the decimal point switches on thousands
//   separators. Leading zeros start at the first '0' of the integer part; the
//   integer part never loses digits to too few placeholders. After the point,
//   '0' always shows a digit and '#' drops trailing zeros.
// - Text in single or double quotes is copied as it is; any other character
//   is copied as it is, at its place among the digits.
// - The value is rounded half away from zero to the number of decimal
//   placeholders, on its 15 significant digits.
//
// So FormatFloat("#", 0) is "", FormatFloat("#,##0", 1234567) is "1,234,567",
// FormatFloat("'免税';#;#", 1) is "免税". An empty format gives the plain
// general form ("12.5"); NaN and infinities give "NAN", "INF", "-INF".
QString FormatFloat(QStringView format, double value);

#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// The main screen's rules on plain values: what it makes of a box's text
// when the clerk leaves it, and where its window goes when it is closed.
// Kept apart from the screen so that they can be read and tested on their own.

// A date box's text corrected by its kind, told by the box's name: a year box
// (NEN…) turns an era year ("S63", "h30") or a two-digit year into the full
// year, a month box (TUKI…) takes this month for a month past 12, and a month
// or day box (HI…) is emptied for 0. Any other box's text is returned as it is.
QString CorrectedDatePart(const QString& boxName, const QString& text);

// The beginning of text that fits a box of capacity columns, a half-width
// character taking one and any other two; line breaks and tabs go first.
QString FitToColumns(const QString& text, int capacity);

// Where a window whose frame is frame goes so that it stays on a screen of
// size screen: pulled up above the bottom edge, and one in the right half
// pulled in to the right edge; never past the top or left edge.
QPoint KeptOnScreen(const QRect& frame, const QSize& screen);

#pragma once

#include <QStringView>

// Whole numbers read from what a user typed or a file held. Every "read as a
// whole number, 0 when it is not one" of the program goes through here, so
// that all boxes agree on what counts as a number.

// Decimal text with optional leading blanks (space, tab) and an optional sign,
// and nothing after the digits. Anything else, or a value outside the 32-bit
// range, gives fallback.
int toIntDef(QStringView text, int fallback = 0);

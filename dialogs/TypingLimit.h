#pragma once

class QLineEdit;

// Limits what a clerk types into a box to maxLength characters, while text
// the program puts there (a name looked up, an item picked from a list) shows
// whole. QLineEdit::setMaxLength cannot do this: it cuts set text too, so a
// 14-character trade-type name would show cut and then no longer be found.
//
// A box holding a longer text the program set can still be edited, up to that
// text's length; once emptied, the box takes maxLength characters again.
// Typed, pasted or input-method text that would pass the limit is cut to fit.
void LimitTyping(QLineEdit* edit, int maxLength);

#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include "supplier/SupplierRecord.h"

// What registration makes of the supplier on the screen: the rules that turn
// the boxes' texts into the columns of MAS_SIIRE, kept apart from the screen
// so that they can be read and tested on their own.

// The screen as registration reads it: each box's text by control name.
class SupplierScreen
{
public:
    QString text(const QString& control) const { return m_texts.value(control); }
    void setText(const QString& control, const QString& text) { m_texts.insert(control, text); }

    bool invoiceUnregistered = false; // CheckBox1, インボイス未登録業者

private:
    QHash<QString, QString> m_texts;
};

// The abbreviated name: company forms become their one-character signs
// (株式会社 → ㈱, 有限会社 → ㈲, also written (株) or （有）) and blanks go.
QString AbbreviateName(QStringView name);

// The qualified-invoice registration number as the box keeps it once left:
// full-width letters and digits become half-width, blanks and hyphens go
// (the long-vowel mark an input method types for "-" too), a leading "t"
// becomes "T", and thirteen digits alone get their "T". Anything else stays
// as typed, for InvoiceNumberQuestion to name.
QString NormaliseInvoiceNumber(QStringView typed);

// The check digit of a corporate number, the first of its thirteen digits,
// from the other twelve as the National Tax Agency sets it: with P(n) the
// n-th of them counted from the right and Q(n) 1 for odd n and 2 for even n,
// 9 - (sum of P(n) * Q(n) mod 9). -1 when twelve is not twelve digits.
int CorporateNumberCheckDigit(QStringView twelve);

// What is wrong with an invoice number: "T" missing or other characters in
// it, not thirteen digits, or a check digit that does not match. Flags;
// InvoiceNumberFine for an empty number, which is allowed.
enum InvoiceNumberFault {
    InvoiceNumberFine = 0,
    InvoiceNumberLetter = 1,
    InvoiceNumberLength = 2,
    InvoiceNumberCheckDigit = 4,
};
int InvoiceNumberFaults(QStringView number);

// The question registration asks about such a number, naming what is wrong;
// empty when nothing is.
QString InvoiceNumberQuestion(QStringView number);

// The account holder as banks want it: half-width katakana, half-width
// blanks, small kana made full-size.
QString NormaliseAccountHolder(QStringView text);

// Why the screen cannot be registered as it stands (a code that is not a
// whole number, a character code page 932 cannot hold, a text longer than
// its column), naming the field; an empty text when it can. Checked before
// anything is written.
QString RegistrationProblem(const SupplierScreen& screen);

// The columns registration writes. registered is the registration date the
// date boxes give (invalid when they are not all filled: now is taken); an
// invalid QVariant stores null. The columns the program never sets are left
// out, so an update keeps them and an insert leaves them null.
SupplierRecord RegistrationRecord(const SupplierScreen& screen, const QDateTime& registered,
                                  const QDateTime& now, const QString& computerName);

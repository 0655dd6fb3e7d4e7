#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// The keys by which a supplier typed a second time is found: the digits of a
// telephone, fax or invoice number, and the name without its blanks and its
// company form. Each key is made twice: here, from what the clerk typed, and
// by the server, from the stored row, as the expression of an index on
// MAS_SIIRE; so one comparison is one indexed lookup with the key bound. The
// two must agree byte for byte, and both are made from the same table below.
// The width of letters and katakana is not in the stored key (the server
// would need a replacement for every character, in every statement and on
// every write of the table): the program looks a name up in each of its
// width forms instead.

// How a company form is written in a name, and its one-character sign:
// 株式会社, （株） and (株) are ㈱; 有限会社, （有） and (有) are ㈲.
struct CompanyForm
{
    QString written;
    QString sign;
};
const QList<CompanyForm>& CompanyForms();

// A number's key: its half-width digits 0 to 9 in order ("0857-22-1234" →
// "0857221234"). The server reads the column's first kDigitPositions
// characters; the columns hold no more.
inline constexpr int kDigitPositions = 20;
QString DigitsKey(QStringView number);

// A name's key, in code page 932 bytes as the table holds the name: blanks
// and company forms and their signs removed ("株式会社 山田建設" and
// "山田建設㈱" both give 山田建設). The removals run one after the other over
// the bytes, exactly as the server's REPLACE runs them over the column. Empty
// for a name with a character code page 932 cannot hold (such a name is
// never stored).
QByteArray NameKey(QStringView name);

// The keys of a name in each of its width forms, letters, digits and
// symbols in half or full width by katakana in half or full width (ＡＢＣホーム,
// ABCホーム, ABCﾎｰﾑ, ＡＢＣﾎｰﾑ): a stored name is found whose letters share one
// width and whose katakana share one. At most four, none empty.
QList<QByteArray> NameKeys(QStringView name);

// The server's side: the same keys as expressions over a column of MAS_SIIRE.
QString DigitsKeySql(const QString& column);
QString NameKeySql(const QString& column);

// An index that answers the comparisons of one column's key.
struct KeyIndex
{
    QString name;
    QString column;
    QString expression;
};

// The indexes on MAS_SIIRE: the telephone, fax and invoice numbers' digits
// and the first name line's key.
QList<KeyIndex> SupplierKeyIndexes();
QString CreateIndexStatement(const KeyIndex& index);

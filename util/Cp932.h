#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <stdexcept>

// Code page 932 ("Windows Shift-JIS"): the one converter of the program.
// The database, the setting files and the import and export files all hold
// their text in this code page; inside the program text is a QString.
//
// Encoding never changes a character silently: a character that code page 932
// cannot hold (an emoji, an en dash) makes encode() throw. Decoding never
// fails: a byte sequence that is not code page 932 becomes U+FFFD.
namespace cp932 {

class EncodeError : public std::runtime_error
{
public:
    EncodeError(const QString& character, qsizetype position);

    // The user-facing message (also what(), in UTF-8), naming the character and its code point.
    QString message() const;
    QString character() const { return m_character; }
    qsizetype position() const { return m_position; }

private:
    QString m_character;
    qsizetype m_position;
};

// Throws EncodeError for the first character that has no code page 932 form.
QByteArray encode(QStringView text);

// True when every character of text has a code page 932 form. Otherwise
// false, with the first offending character and its index when asked for.
bool canEncode(QStringView text, QString* offending = nullptr, qsizetype* position = nullptr);

QString decode(QByteArrayView bytes);

// True when bytes are well-formed code page 932 (no U+FFFD on decoding).
bool isValid(QByteArrayView bytes);

// A character's code point as messages name it: "U+1F600", at least four digits.
QString CodePoint(const QString& character);

} // namespace cp932

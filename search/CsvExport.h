#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The comma-separated file the supplier list table exports, apart from the
// window: a title line, one line per row, every value in double quotes,
// commas between them, CR LF after each line, code page 932. A double quote
// inside a value is doubled, so that any standard reader gives every value
// back exactly (line breaks inside a value stay inside its quotes).
//
// Code page 932 cannot hold every character a QString can (a byte sequence
// stored in the database that is no code page 932 text reads back as U+FFFD).
// Such a character is never dropped silently: the writer puts '?' in its
// place and lists it, and the caller decides whether a file with those
// replacements is wanted.
namespace csvexport {

// One value that code page 932 cannot hold.
struct Unwritable
{
    int row = 0;       // data row from 1; 0 for the title line
    int column = 0;    // from 0
    QString key;       // the row's first value (the supplier code in the list)
    QString character; // the first character that cannot be written
};

// value in double quotes, every double quote inside doubled.
QString Quoted(QStringView value);

// Gathers the file in memory, line by line.
class Writer
{
public:
    explicit Writer(const QStringList& titles);

    // values in column order, as many as there are titles.
    void addRow(const QStringList& values);

    const QByteArray& bytes() const { return m_bytes; }
    int rows() const { return m_rows; }
    const QStringList& titles() const { return m_titles; }
    // Every value written with '?' for a character, in file order.
    const QList<Unwritable>& unwritable() const { return m_unwritable; }

private:
    void addLine(const QStringList& values, int row);

    QStringList m_titles;
    QByteArray m_bytes;
    QString m_line;
    int m_rows = 0;
    QList<Unwritable> m_unwritable;
};

// Creates or overwrites path with bytes. Returns an empty text when the file
// was written, else the reason it was not (the target is left as it was when
// the file could not be created).
QString WriteFile(const QString& path, const QByteArray& bytes);

// The question put to the clerk before a file with replaced characters is
// written: which rows and columns, which characters (the first few), and
// that they become '?'.
QString ReplaceQuestion(const Writer& writer, int listed = 10);

} // namespace csvexport

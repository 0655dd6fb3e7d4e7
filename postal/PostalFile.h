#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <stdexcept>
#include <vector>

namespace db {
class Connection;
} // namespace db

// The national postal-code file (KEN_ALL.CSV) and the postal table LOOK_ZIP
// it fills. The file is code page 932 text without a header, one postal
// code and district per line: 0 local government code, 2 postal code, 3 to 5
// the readings of prefecture, city and district, 6 to 8 their names. A
// district too long for one line goes on over the next lines of the same
// code (its "（" is closed on the last of them); those lines are one row.
namespace postal {

// One row of LOOK_ZIP as the file gives it, texts uncut.
struct Row
{
    QString zip;       // ZIP_CD
    QString ken;       // KEN_NAME
    QString city;      // TIKU_NAME1
    QString district;  // TIKU_NAME2, the pieces of a split record joined
    QString reading;   // YOMI: the three readings joined
    int tikuCd = 0;    // TIKU_CD: 0 when the file's code is not a number
    int firstLine = 0; // 1-based lines of the file the row was made from
    int lastLine = 0;
};

// A fault of the file or of its import. line() is the 1-based line of the
// file it concerns, 0 when it concerns no line (the file cannot be read, the
// database cannot be reached); message() names it.
class ImportError : public std::runtime_error
{
public:
    ImportError(int line, const QString& text, const QString& details = {});

    int line() const { return m_line; }
    QString text() const { return m_text; }
    // The database's details when the database refused (db::Error::details()).
    QString details() const { return m_details; }
    // "12 行目: …" for a line, the text alone otherwise.
    QString message() const;

private:
    int m_line;
    QString m_text;
    QString m_details;
};

// The lines of a code page 932 file, ended by CR LF, LF or CR (SplitLines).
QStringList DecodeLines(QByteArrayView bytes);

// One line split as the import has always read it: a tab separates like a
// comma, half-width blanks and double quotes are dropped, and the line is
// cut at every comma. A comma inside quotes therefore separates too, which
// the national file never has.
QStringList CleanFields(QStringView line);

// Every row of the file's lines, split records joined. Throws ImportError
// for a line with fewer than nine fields or with bytes that are not code
// page 932 (decoded as U+FFFD), and for a first line that is not a postal
// record (a 5-digit local government code and a 7-digit postal code): the
// national file has no heading. Blank lines are passed over.
std::vector<Row> ReadRows(const QStringList& lines);

// Adds the reading column YOMI that older suites lack, unless the table has
// it. Metadata commits on its own, so it runs before any transaction. Throws
// db::Error when the column cannot be added.
void AddReadingColumn(db::Connection& suite);

struct ImportResult
{
    int lines = 0; // lines of the file
    int rows = 0;  // rows now in LOOK_ZIP
    int cut = 0;   // texts cut to fit their columns
};

// Replaces the whole of LOOK_ZIP with the file at csvPath, all or nothing:
// the emptying and every row are one transaction, so after any failure the
// table is as it was and the ImportError names the line at fault.
//
// Texts longer than their columns (widths in bytes of code page 932, read
// from the table) are cut at a character boundary, a half-width kana kept
// with its voiced mark: the longest joined districts of the real file do not
// fit the suite's columns. A postal code too long for ZIP_CD is an error
// instead, since a cut code would be another code.
//
// A file without a single row, or with fewer rows than half its lines, is
// refused rather than emptying the table or filling it with garbage.
// progress gets (lines written, lines of the file) as the rows go out.
ImportResult ImportPostalFile(db::Connection& suite, const QString& csvPath,
                              const std::function<void(int done, int total)>& progress = {});

} // namespace postal

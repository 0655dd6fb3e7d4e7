#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <functional>
#include <stdexcept>

namespace db {
class Query;
} // namespace db

// The text import without its form: reading a comma-separated supplier file,
// the importable fields, the conversion of each value by its kind, and the
// run that stores the lines in MAS_SIIRE. The form (Unit5) only keeps the
// mapping of file columns to fields and shows what happens.
namespace textimport {

// A failure that ends a run or a showing before anything is stored: the file
// cannot be read, the mapping cannot be run.
class ImportError : public std::runtime_error
{
public:
    explicit ImportError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// ---- The file

// Text of a file: code page 932 unless a UTF-8 or UTF-16 byte-order mark says
// otherwise (the mark itself is dropped).
QString DecodeText(const QByteArray& bytes);
// The lines of a file (SplitLines); ImportError when it cannot be read.
QStringList ReadLines(const QString& path);
// Values separated by commas only (blanks belong to the value). A value that
// starts with a double quote runs to its closing quote and may hold commas;
// a doubled quote inside stands for one. An empty line has no values.
QStringList SplitValues(QStringView line);
// The heading line as the mapping reads it: tabs separate like commas, blanks
// are dropped and "%" is read as "％".
QStringList SplitHeadings(const QString& line);

// ---- The importable fields

struct Field
{
    int code;
    QString kind;   // "数字", "文字列" or "文字列半"
    QString label;  // matched against the file's headings
    QString column; // of MAS_SIIRE
};

// The 35 fields, in code order.
const QList<Field>& Fields();
const Field* FieldByCode(int code);
const Field* FieldByColumn(const QString& column);

// ---- Values

// One mapped file column: the 1-based position of its value in a line, and
// the field it goes to.
struct Mapping
{
    int position;
    QString column;
    QString kind;
};

// Empty when the mapping can be run; otherwise what is wrong with it
// (nothing mapped, a column no field has, a field mapped twice).
QString CheckMapping(const QList<Mapping>& mapping);

// The automatic match of a heading line (SplitHeadings): every column whose
// heading is a field's label exactly goes to that field; in field-code order,
// as the run reads a mapping. Two columns with one label both go to its
// field, which CheckMapping refuses.
QList<Mapping> MatchHeadings(const QStringList& headings);

// The main screen's boxes that long texts are shortened to fit.
enum class WidthBox { Name, Mail, Mobile };

// Which boxes a plain text of this column is fitted to, in order: names,
// addresses and remarks to the name box; the e-mail to the e-mail box; the
// mobile number (BIKOU_01) then also to the mobile box.
QList<WidthBox> WidthRules(const QString& column);

// The text with characters removed from its end while measure(text) is wider
// than width.
QString FitToWidth(const QString& text, int width, const std::function<int(const QString&)>& measure);

// How texts are measured against the main screen's boxes. A box whose width
// is not known (width() below 0, or no functions) shortens nothing.
struct Fitting
{
    std::function<int(const QString&)> measure; // pixels of a text in the measuring label
    std::function<int(WidthBox)> width;         // the box's current width
};

// The fitting of the main screen at its design size, for an import run
// without the screen: the name box 404, the e-mail box 935 and the mobile
// phone box 192 pixels wide, texts measured in the import form's measuring
// font ("ＭＳ 明朝", 19 pixels). Needs a QGuiApplication for the font.
Fitting DesignFitting();

// A line's value as its column stores it: T_CD and numbers as whole numbers
// (0 for anything else, 2.5 included); half-width texts converted; plain
// texts fitted by the width rules; an empty text as null.
QVariant ConvertValue(const Mapping& mapping, const QString& value, const Fitting& fitting);

// ---- The run

enum class Mode { Replace = 0, Append = 1 }; // 入れ替え, 追加登録

struct RunOptions
{
    QString path;
    bool firstLineIsData = false;
    Mode mode = Mode::Append;
    QList<Mapping> mapping; // in field-code order
    Fitting fitting;
    QDate today = QDate::currentDate();
    // The lines handled so far, heading included, of all the file's lines;
    // called at least every hundredth of them.
    std::function<void(int done, int total)> progress;
    // A line that was not stored: its number in the file (from 1), the line
    // exactly as the file held it, and why when that is known before the
    // database is asked (too few values, a value the column cannot hold).
    std::function<void(int number, const QString& line, const QString& reason)> report;
};

struct RunResult
{
    int stored = 0;
    int failed = 0;
    int generator = 0; // where GYOUSYA_ID was set
};

// Stores the file's lines in MAS_SIIRE, one supplier per line, through
// statement (the suite's statement query) in one transaction on its
// connection:
// - replace mode empties the table first; append mode replaces a supplier
//   whose code comes again, its delete and insert together;
// - without a T_CD column each line gets the next code of GYOUSYA_ID;
// - a line that cannot be stored (too few values, a character code page 932
//   has no form for, a text wider than its column, a number out of its
//   column's range, the database refusing it) is reported and left out, and
//   the run goes on;
// - then every supplier without a registration date gets today's, and
//   GYOUSYA_ID is set to the highest code.
// Only a finished run commits: a failure that ends it (the file unreadable,
// the connection lost) raises an exception with nothing stored.
RunResult Run(db::Query& statement, const RunOptions& options);

} // namespace textimport
